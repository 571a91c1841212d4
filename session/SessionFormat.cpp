#include "session/SessionFormat.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "session/SessionJson.h"

namespace velmora {

std::string hashText(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash);
    return text;
}

namespace {

using namespace session;

constexpr double kMaxFrameTime = 60.0;  // seconds, as --frame-time
constexpr std::int64_t kMaxClientCoordinate = 1'000'000;
constexpr std::size_t kMaxCursorReads = 64;  // reads of one pass
constexpr long kMaxPasses = 1'000'000'000;

void appendNumber(std::string& out, const char* format, auto value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

void appendCodes(std::string& out, const char* name, const std::vector<std::uint8_t>& codes) {
    if (codes.empty()) {
        return;
    }
    out += ",\"";
    out += name;
    out += "\":[";
    for (std::size_t i = 0; i < codes.size(); ++i) {
        appendNumber(out, i == 0 ? "%u" : ",%u", static_cast<unsigned>(codes[i]));
    }
    out += ']';
}

/// Appends ,"name":[[read,a,b],...] unless there are no reads; values gives a read's a and b.
template <typename Read, typename Values>
void appendReads(std::string& out, const char* name, const std::vector<Read>& reads,
                 Values values) {
    if (reads.empty()) {
        return;
    }
    out += ",\"";
    out += name;
    out += "\":[";
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const auto [a, b] = values(reads[i]);
        appendNumber(out, i == 0 ? "[%u" : ",[%u", static_cast<unsigned>(reads[i].call));
        appendNumber(out, ",%d", static_cast<int>(a));
        appendNumber(out, ",%d]", static_cast<int>(b));
    }
    out += ']';
}

/// [["name", ...], ...]: each listing at most kMostListedFiles names of a file, none empty.
bool parseFileLists(const Json& value, std::vector<std::vector<std::string>>& lists) {
    if (!value.is_array() || value.size() > kMostListingsPerPass) {
        return false;
    }
    for (const Json& list : value) {
        if (!list.is_array() || list.size() > kMostListedFiles) {
            return false;
        }
        std::vector<std::string>& names = lists.emplace_back();
        for (const Json& name : list) {
            if (!name.is_string() || name.get_ref<const std::string&>().empty() ||
                name.get_ref<const std::string&>().size() > kLongestListedName ||
                name.get_ref<const std::string&>().find('/') != std::string::npos) {
                return false;
            }
            names.push_back(name);
        }
    }
    return true;
}

bool parseCodes(const Json& value, std::vector<std::uint8_t>& codes) {
    if (!value.is_array() || value.size() > 256) {
        return false;
    }
    for (const Json& code : value) {
        std::int64_t c = 0;
        if (!wholeIn(code, 0, 255, c)) {
            return false;
        }
        codes.push_back(static_cast<std::uint8_t>(c));
    }
    return true;
}

/// A list of [read number, a, b], read numbers rising, a and b whole numbers from low to high;
/// make turns each into the record's entry.
template <typename Read, typename Make>
bool parseReads(const Json& value, std::int64_t low, std::int64_t high, std::vector<Read>& reads,
                Make make) {
    if (!value.is_array() || value.size() > kMaxCursorReads) {
        return false;
    }
    for (const Json& read : value) {
        std::int64_t call = 0, a = 0, b = 0;
        if (!read.is_array() || read.size() != 3 ||
            !wholeIn(read[0], 0, kMaxCursorReads - 1, call) || !wholeIn(read[1], low, high, a) ||
            !wholeIn(read[2], low, high, b) ||
            (!reads.empty() && static_cast<std::uint32_t>(call) <= reads.back().call)) {
            return false;
        }
        reads.push_back(make(static_cast<std::uint32_t>(call), static_cast<std::int32_t>(a),
                             static_cast<std::int32_t>(b)));
    }
    return true;
}

bool parseCursor(const Json& value, std::vector<CursorRead>& reads) {
    return parseReads(value, -kMaxClientCoordinate, kMaxClientCoordinate, reads,
                      [](std::uint32_t call, std::int32_t x, std::int32_t y) {
                          return CursorRead{call, {x, y}};
                      });
}

bool parseClient(const Json& value, std::vector<ClientRead>& reads) {
    return parseReads(value, 0, kMaxWindowSide, reads,
                      [](std::uint32_t call, std::int32_t width, std::int32_t height) {
                          return ClientRead{call, width, height};
                      });
}

}  // namespace

void PassRecord::clear() {
    dt = 0.0f;
    down.clear();
    up.clear();
    cursor.clear();
    client.clear();
    hasMessage = false;
    message = 0;
    wParam = 0;
    hasDisplay = false;
    display = DisplayMode{};
    hasCheck = false;
    check = 0;
    fileLists.clear();
    dropped.clear();
    reads.clear();
}

std::string headerLine(const SessionHeader& header) {
    const nlohmann::ordered_json line = {
        {"format", kSessionFormatName}, {"version", header.version},
        {"program", header.program},    {"scene", header.scene},
        {"paused", header.paused},      {"client", {header.clientWidth, header.clientHeight}}};
    if (header.historyMegabytes == kDefaultHistoryMegabytes)
        return line.dump();
    nlohmann::ordered_json withHistory = line;
    withHistory["history-mb"] = header.historyMegabytes;
    return withHistory.dump();
}

void passLine(const PassRecord& pass, std::string& out) {
    out = "{\"dt\":";
    // Nine significant digits bring every float back bit for bit.
    appendNumber(out, "%.9g", static_cast<double>(pass.dt));
    appendCodes(out, "down", pass.down);
    appendCodes(out, "up", pass.up);
    appendReads(out, "cursor", pass.cursor, [](const CursorRead& r) {
        return std::pair{r.client.x, r.client.y};
    });
    appendReads(out, "client", pass.client, [](const ClientRead& r) {
        return std::pair{r.width, r.height};
    });
    if (pass.hasMessage) {
        appendNumber(out, ",\"message\":[%u", static_cast<unsigned>(pass.message));
        appendNumber(out, ",%" PRIu64 "]", pass.wParam);
    }
    if (pass.hasDisplay) {
        appendNumber(out, ",\"display\":[%d", static_cast<int>(pass.display.width));
        appendNumber(out, ",%d]", static_cast<int>(pass.display.height));
    }
    if (pass.hasCheck) {
        out += ",\"check\":\"" + hashText(pass.check) + '"';
    }
    if (!pass.dropped.empty()) {
        out += ",\"dropped\":" +
               Json(pass.dropped).dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    if (!pass.fileLists.empty()) {
        out += ",\"files\":" +
               Json(pass.fileLists).dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    out += '}';
}

std::string endLine(const SessionEnd& end) {
    const nlohmann::ordered_json line = {
        {"end", true}, {"passes", end.passes}, {"hash", hashText(end.hash)}};
    return line.dump();
}

bool parseHeaderLine(std::string_view line, SessionHeader& header, std::string& error) {
    Json object;
    if (!parseObject(line, object, error)) {
        return false;
    }
    const auto text = [&](const char* key, std::size_t maxLength) {
        return object.contains(key) && object[key].is_string() &&
               object[key].get_ref<const std::string&>().size() <= maxLength;
    };
    if (!text("format", 64) || object["format"] != kSessionFormatName) {
        error = "not a velmora session recording";
        return false;
    }
    if (!object.contains("version") || !object["version"].is_number_integer()) {
        error = "the header has no version";
        return false;
    }
    // Version 1 names its scene only; version 2 also holds its text on the next line.
    if (object["version"] != 1 && object["version"] != kSessionFormatVersion) {
        error = "unsupported recording version " + object["version"].dump() + " (this program " +
                "reads versions 1 to " + std::to_string(kSessionFormatVersion) + ")";
        return false;
    }
    std::int64_t width = 0, height = 0, history = kDefaultHistoryMegabytes;
    const bool hasHistory = object.contains("history-mb");
    if (!text("program", 256) || !text("scene", 4096) || !object.contains("paused") ||
        !object["paused"].is_boolean() || !object.contains("client") ||
        !pairIn(object["client"], 1, kMaxWindowSide, width, height) ||
        (hasHistory && !wholeIn(object["history-mb"], 1, kMostHistoryMegabytes, history)) ||
        object.size() != (hasHistory ? 7u : 6u)) {
        error =
            "the header lacks program, scene, paused or a client size of 1 to 16384, or "
            "has fields it should not";
        return false;
    }
    // The scene is opened by name, which a NUL would cut short.
    if (object["scene"].get_ref<const std::string&>().find('\0') != std::string::npos) {
        error = "the scene name holds a NUL";
        return false;
    }
    header.version = object["version"];
    header.program = object["program"];
    header.scene = object["scene"];
    header.paused = object["paused"];
    header.clientWidth = static_cast<std::int32_t>(width);
    header.clientHeight = static_cast<std::int32_t>(height);
    header.historyMegabytes = static_cast<int>(history);
    return true;
}

bool parsePassLine(std::string_view line, PassRecord& pass, std::string& error) {
    pass.clear();
    Json object;
    if (!parseObject(line, object, error)) {
        return false;
    }
    if (!object.contains("dt") || !object["dt"].is_number()) {
        error = "a pass without its frame time";
        return false;
    }
    const double dt = object["dt"].get<double>();
    if (!std::isfinite(dt) || dt < 0.0 || dt > kMaxFrameTime) {
        error = "a frame time outside 0 to 60 s";
        return false;
    }
    pass.dt = static_cast<float>(dt);
    for (const auto& [key, value] : object.items()) {
        bool ok = true;
        std::int64_t a = 0, b = 0;
        if (key == "dt") {
        } else if (key == "down") {
            ok = parseCodes(value, pass.down);
        } else if (key == "up") {
            ok = parseCodes(value, pass.up);
        } else if (key == "cursor") {
            ok = parseCursor(value, pass.cursor);
        } else if (key == "client") {
            ok = parseClient(value, pass.client);
        } else if (key == "message") {
            ok = value.is_array() && value.size() == 2 && wholeIn(value[0], 1, 0xFFFF, a) &&
                 wholeIn(value[1], 0, 0xFFFFFFFF, b) && a != WM_QUIT;
            pass.hasMessage = ok;
            pass.message = static_cast<std::uint32_t>(a);
            pass.wParam = static_cast<std::uint64_t>(b);
        } else if (key == "display") {
            ok = pairIn(value, 1, kMaxWindowSide, a, b);
            pass.hasDisplay = ok;
            pass.display = {static_cast<std::int32_t>(a), static_cast<std::int32_t>(b), 0};
        } else if (key == "check") {
            ok = parseHash(value, pass.check);
            pass.hasCheck = ok;
        } else if (key == "files") {
            ok = parseFileLists(value, pass.fileLists);
        } else if (key == "dropped") {
            ok = value.is_array() && value.size() <= kMostListingsPerPass &&
                 std::all_of(value.begin(), value.end(), [](const Json& path) {
                     return path.is_string() &&
                            path.get_ref<const std::string&>().size() <= kLongestDroppedPath;
                 });
            for (std::size_t i = 0; ok && i < value.size(); ++i) {
                pass.dropped.push_back(value[i]);
            }
        } else {
            error = "unknown field \"" + key.substr(0, 32) + "\"";
            return false;
        }
        if (!ok) {
            error = "a bad \"" + key + "\" field";
            return false;
        }
    }
    return true;
}

bool looksLikeEndLine(std::string_view line) {
    Json object;
    std::string ignored;
    return parseObject(line, object, ignored) && object.contains("end");
}

bool parseEndLine(std::string_view line, SessionEnd& end, std::string& error) {
    Json object;
    if (!parseObject(line, object, error)) {
        return false;
    }
    std::int64_t passes = 0;
    if (object.size() != 3 || !object.contains("end") || object["end"] != true ||
        !object.contains("passes") || !wholeIn(object["passes"], 0, kMaxPasses, passes) ||
        !object.contains("hash")) {
        error = "a bad end line";
        return false;
    }
    if (!parseHash(object["hash"], end.hash)) {
        error = "a hash that is not 16 lower-case hex digits";
        return false;
    }
    end.passes = static_cast<long>(passes);
    return true;
}

}  // namespace velmora
