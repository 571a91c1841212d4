// The lines that carry files: the scene a recording starts with, and files read as it ran.
#include <utility>

#include "session/SessionFormat.h"
#include "session/SessionJson.h"

namespace velmora {

using session::Json;
using session::parseObject;

std::string sceneTextLine(const std::string& sceneText) {
    return nlohmann::ordered_json{{"scene-text", sceneText}}.dump();
}

std::string fileReadLine(const FileRead& read) {
    const nlohmann::ordered_json line = {{"read", read.path},
                                         {read.ok ? "text" : "error", read.text}};
    // The path is only named; a text that is not UTF-8 is never recorded (see the recorder).
    return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool looksLikeFileReadLine(std::string_view line) {
    return line.starts_with("{\"read\":");
}

bool parseFileReadLine(std::string_view line, FileRead& read, std::string& error) {
    Json object;
    if (!parseObject(line, object, error, kMaxSessionSceneLine)) {
        return false;
    }
    const bool ok = object.contains("text");
    const char* what = ok ? "text" : "error";
    if (object.size() != 2 || !object.contains("read") || !object["read"].is_string() ||
        !object.contains(what) || !object[what].is_string()) {
        error = "a bad file read";
        return false;
    }
    read.path = object["read"];
    read.ok = ok;
    read.text = std::move(object[what].get_ref<std::string&>());
    return true;
}

bool parseSceneTextLine(std::string_view line, std::string& sceneText, std::string& error) {
    Json object;
    if (!parseObject(line, object, error, kMaxSessionSceneLine)) {
        return false;
    }
    if (object.size() != 1 || !object.contains("scene-text") || !object["scene-text"].is_string()) {
        error = "no \"scene-text\" line after the header";
        return false;
    }
    sceneText = std::move(object["scene-text"].get_ref<std::string&>());
    return true;
}

}  // namespace velmora
