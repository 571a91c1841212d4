#pragma once
// The JSON pieces every line of a session recording is read with: one object a line, checked
// before use. For the session folder's own files.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "session/SessionFormat.h"

namespace velmora::session {

using Json = nlohmann::json;

/// Window and display sides a recording may hold, pixels.
inline constexpr std::int64_t kMaxWindowSide = 16384;

/// Parses a line into an object, refusing anything longer than such a line may be, a NUL and
/// a key given twice.
bool parseObject(std::string_view line, Json& object, std::string& error,
                 std::size_t longest = kMaxSessionLine);
/// A whole number from low to high.
bool wholeIn(const Json& value, std::int64_t low, std::int64_t high, std::int64_t& out);
/// [a, b] with both whole numbers in range.
bool pairIn(const Json& value, std::int64_t low, std::int64_t high, std::int64_t& a,
            std::int64_t& b);
/// A state hash as the run report prints it: 16 lower-case hex digits.
bool parseHash(const Json& value, std::uint64_t& hash);

}  // namespace velmora::session
