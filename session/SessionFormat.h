#pragma once
// The text of a session recording: JSON lines, one object per line.
//   {"format":"velmora-session","version":1,"program":"velmora 0.1.0","scene":"start",
//    "paused":false,"client":[800,600]}
//   {"dt":0.0166666675,"down":[87],"up":[65],"cursor":[[0,512,300]],"message":[7,0],
//    "display":[1920,1080]}                              one line per pass, changes only
//   {"end":true,"passes":600,"hash":"a3a562b233a15625"}
// A pass line always has "dt", the frame time the pass used in seconds; the rest appear only
// when something happened: "down"/"up" are the virtual-key codes (mouse buttons 1, 2, 4)
// that went down or up since the previous pass; "cursor" lists the cursor reads of the pass
// that were not where the cursor was expected to be (where the last read or warp left it),
// as [read number within the pass, client x, client y]; "message" is the window message the
// pass took, [code, wParam]; "display" is the display size read when the pass switched the
// display mode. The end line carries the pass count and the state hash of the run report.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/OperatingSystem.h"

namespace velmora {

inline constexpr const char* kSessionFormatName = "velmora-session";
inline constexpr int kSessionFormatVersion = 1;
/// The longest line a reader accepts, bytes; no valid line comes near it.
inline constexpr std::size_t kMaxSessionLine = 8192;
/// The largest recording a reader opens, bytes: at about 20 bytes a pass, some 45 hours at 60
/// passes a second. The reader sweeps it all when it opens it.
inline constexpr std::uint64_t kMaxSessionFileBytes = 256u << 20;

struct SessionHeader {
    std::string program;  ///< "velmora" and its version
    std::string scene = "start";
    bool paused = false;  ///< the run started paused
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;
};

/// A cursor read that was not where the cursor was expected to be.
struct CursorRead {
    std::uint32_t call = 0;  ///< which read of the pass, from 0
    Point client;            ///< client pixels
    bool operator==(const CursorRead&) const = default;
};

/// What drove one pass. The lists are reused from pass to pass.
struct PassRecord {
    float dt = 0.0f;  ///< seconds
    std::vector<std::uint8_t> down;
    std::vector<std::uint8_t> up;
    std::vector<CursorRead> cursor;
    bool hasMessage = false;
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    bool hasDisplay = false;
    DisplayMode display;

    void clear();
};

struct SessionEnd {
    long passes = 0;
    std::uint64_t hash = 0;
};

std::string headerLine(const SessionHeader& header);
/// Replaces out with the pass's line; out keeps its storage.
void passLine(const PassRecord& pass, std::string& out);
std::string endLine(const SessionEnd& end);

/// Each parses one line without its line break; false with a reason when the line is not a
/// valid line of that kind. Every number is range-checked before use.
bool parseHeaderLine(std::string_view line, SessionHeader& header, std::string& error);
bool parsePassLine(std::string_view line, PassRecord& pass, std::string& error);
bool parseEndLine(std::string_view line, SessionEnd& end, std::string& error);
/// True when the line is an end line (it has "end"), valid or not.
bool looksLikeEndLine(std::string_view line);

}  // namespace velmora
