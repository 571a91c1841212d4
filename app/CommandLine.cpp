#include "app/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string_view>

namespace velmora {
namespace {

/// The longest fixed frame time accepted, seconds.
constexpr float kMaxFrameTime = 60.0f;

bool parseFrameCount(const std::string& text, long& out) {
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || value < 1) {
        return false;
    }
    out = value;
    return true;
}

bool parseFrameTime(const std::string& text, float& out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value) ||
        value < 0.0f || value > kMaxFrameTime) {
        return false;
    }
    out = value;
    return true;
}

/// A file name with something before the extension, which is matched without regard to case.
bool endsWith(const std::string& name, std::string_view extension) {
    if (name.size() <= extension.size()) {
        return false;
    }
    std::string tail = name.substr(name.size() - extension.size());
    for (char& c : tail) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return tail == extension;
}

}  // namespace

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
    CommandLine result;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string& value = hasValue ? args[i + 1] : arg;
        // A second copy of an option would silently override or duplicate the first.
        if (!seen.insert(arg == "-h" ? "--help" : arg).second) {
            error = "option '" + arg + "' given twice";
            return std::nullopt;
        }
        if (arg == "--frames") {
            long n = 0;
            if (!hasValue || !parseFrameCount(value, n)) {
                error = "--frames needs a whole number of passes, 1 or more";
                return std::nullopt;
            }
            result.frames = n;
            ++i;
        } else if (arg == "--frame-time") {
            float seconds = 0.0f;
            if (!hasValue || !parseFrameTime(value, seconds)) {
                error = "--frame-time needs a number of seconds from 0 to 60";
                return std::nullopt;
            }
            result.frameTime = seconds;
            ++i;
        } else if (arg == "--screenshot") {
            if (!hasValue || !endsWith(value, ".png")) {
                error = "--screenshot needs a file name ending in .png";
                return std::nullopt;
            }
            result.screenshot = value;
            ++i;
        } else if (arg == "--scene") {
            if (!hasValue || value.empty()) {
                error = "--scene needs a scene name or a scene file";
                return std::nullopt;
            }
            result.scene = value;
            ++i;
        } else if (arg == "--save-scene") {
            // Ending in .json, the saved file is also what --scene takes for a file.
            if (!hasValue || !value.ends_with(".json") || value.size() <= 5) {
                error = "--save-scene needs a file name ending in .json";
                return std::nullopt;
            }
            result.saveScene = value;
            ++i;
        } else if (arg == "--paused") {
            result.paused = true;
        } else if (arg == "--record" || arg == "--replay") {
            if (!hasValue || value.empty() || value.starts_with("--")) {
                error = arg + " needs a file name";
                return std::nullopt;
            }
            (arg == "--record" ? result.record : result.replay) = value;
            ++i;
        } else if (arg == "--window") {
            result.window = true;
        } else if (arg == "--headless") {
            result.headless = true;
        } else if (arg == "--help" || arg == "-h") {
            result.help = true;
        } else if (arg == "--version") {
            result.version = true;
        } else {
            error = "unknown option '" + arg + "'";
            return std::nullopt;
        }
    }
    if (!result.replay.empty()) {
        // A replay takes its scene, start, frame times and length from the recording.
        for (const char* clash :
             {"--scene", "--paused", "--frame-time", "--frames", "--record", "--headless"}) {
            if (seen.contains(clash)) {
                error = std::string(clash) + " cannot go with --replay: the recording decides";
                return std::nullopt;
            }
        }
        result.headless = !result.window;
    } else if (result.window) {
        error = "--window goes with --replay";
        return std::nullopt;
    }
    if (result.headless && !result.screenshot.empty()) {
        error = "--screenshot needs a display; --headless draws no pixels";
        return std::nullopt;
    }
    return result;
}

}  // namespace velmora
