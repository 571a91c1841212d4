#include "session/SessionJson.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

namespace velmora::session {

bool parseObject(std::string_view line, Json& object, std::string& error, std::size_t longest) {
    if (line.size() > longest) {
        error = "line longer than " + std::to_string(longest) + " bytes";
        return false;
    }
    // The parser would take a NUL for the end of the line and a repeated key for the last
    // one given; a recording holds neither.
    if (const std::size_t nul = line.find('\0'); nul != line.npos) {
        error = "a NUL byte at byte " + std::to_string(nul + 1);
        return false;
    }
    std::string repeated;
    std::vector<std::vector<std::string>> keysOfOpenObjects;
    const auto noteKeys = [&](int, Json::parse_event_t event, Json& parsed) {
        if (event == Json::parse_event_t::object_start) {
            keysOfOpenObjects.emplace_back();
        } else if (event == Json::parse_event_t::object_end) {
            keysOfOpenObjects.pop_back();
        } else if (event == Json::parse_event_t::key) {
            std::vector<std::string>& keys = keysOfOpenObjects.back();
            const std::string& key = parsed.get_ref<const std::string&>();
            if (repeated.empty() && std::find(keys.begin(), keys.end(), key) != keys.end()) {
                repeated = key;
            }
            keys.push_back(key);
        }
        return true;
    };
    object = Json::parse(line.begin(), line.end(), noteKeys, false);
    if (object.is_discarded() || !object.is_object()) {
        error = "not a JSON object";
        return false;
    }
    if (!repeated.empty()) {
        error = "\"" + repeated.substr(0, 64) + "\" given twice";
        return false;
    }
    return true;
}

bool wholeIn(const Json& value, std::int64_t low, std::int64_t high, std::int64_t& out) {
    if (!value.is_number_integer()) {
        return false;
    }
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(high)) {
            return false;
        }
        out = static_cast<std::int64_t>(u);
    } else {
        out = value.get<std::int64_t>();
    }
    return out >= low && out <= high;
}

bool pairIn(const Json& value, std::int64_t low, std::int64_t high, std::int64_t& a,
            std::int64_t& b) {
    return value.is_array() && value.size() == 2 && wholeIn(value[0], low, high, a) &&
           wholeIn(value[1], low, high, b);
}

bool parseHash(const Json& value, std::uint64_t& hash) {
    if (!value.is_string() || value.get_ref<const std::string&>().size() != 16 ||
        value.get_ref<const std::string&>().find_first_not_of("0123456789abcdef") !=
            std::string::npos) {
        return false;
    }
    hash = std::stoull(value.get_ref<const std::string&>(), nullptr, 16);
    return true;
}

}  // namespace velmora::session
