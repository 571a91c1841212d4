#pragma once
// The text of a session recording: JSON lines, one object per line.
//   {"format":"velmora-session","version":2,"program":"velmora 0.1.0","scene":"start",
//    "paused":false,"client":[800,600]}              (and "history-mb":N when not 64)
//   {"scene-text":"{\n  \"format\": \"velmora-scene\", ..."}     the scene as loaded
//   {"dt":0.0166666675,"down":[87],"up":[65],"cursor":[[0,512,300]],"client":[[0,1000,400]],
//    "message":[7,0],"display":[1920,1080],"check":"14432ef888b2746a"}  one line per pass
//   {"end":true,"passes":600,"hash":"a3a562b233a15625"}
// A pass line always has "dt", the frame time the pass used in seconds; the rest appear only
// when something happened: "down"/"up" are the virtual-key codes (mouse buttons 1, 2, 4)
// that went down or up since the previous pass; "cursor" lists the cursor reads of the pass
// that were not where the cursor was expected to be (where the last read or warp left it),
// as [read number within the pass, client x, client y]; "client" lists the reads of the client
// area's size that differed from the one before (the header's at first), as [read number
// within the pass, width, height]; "message" is the window message the
// pass took, [code, wParam]; "display" is the display size read when the pass switched the
// display mode; "check", on every 60th pass, is the state hash after it; "files" lists what
// each listing of scene files found; "dropped" the path of each file dropped on the window. A file
// the pass read whole comes as a line of its own before the pass line,
// {"read":"/home/u/Velmora/a.json","text":"..."} (or "error":"why"). The end line carries the pass
// count and the state hash of the run report. Version 1 has no scene-text line and no checks: its
// scene is opened by the header's name.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/OperatingSystem.h"

namespace velmora {

inline constexpr const char* kSessionFormatName = "velmora-session";
inline constexpr int kSessionFormatVersion = 2;
/// The header's "history-mb" when it has none, and its largest.
inline constexpr int kDefaultHistoryMegabytes = 64;
inline constexpr int kMostHistoryMegabytes = 4096;
/// A state hash as recordings and the run report write it: 16 lower-case hex digits.
std::string hashText(std::uint64_t hash);
/// Every this many passes a pass line carries the state hash after it ("check").
inline constexpr long kSessionCheckInterval = 60;
/// The longest line a reader accepts, bytes; no valid line comes near it.
inline constexpr std::size_t kMaxSessionLine = 16384;
/// The largest recording a reader opens, bytes: at about 20 bytes a pass, some 45 hours at 60
/// passes a second. The reader sweeps it all when it opens it.
inline constexpr std::uint64_t kMaxSessionFileBytes = 256u << 20;
/// The scene's line, the scene file's text as one JSON string: a 64 MiB scene file with every
/// character escaped, at most.
inline constexpr std::size_t kMaxSessionSceneLine = std::size_t{130} << 20;

struct SessionHeader {
    std::string program;  ///< "velmora" and its version
    std::string scene = "start";
    bool paused = false;  ///< the run started paused
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;
    int version = kSessionFormatVersion;
    /// The scene as the run loaded it, as a scene file's text (version 2): a replay builds
    /// it, whatever became of the file or the built-in scenes. Empty in version 1.
    std::string sceneText;
    /// The memory the run gave undo and the timeline, which decides how far back they reach.
    int historyMegabytes = kDefaultHistoryMegabytes;
};

/// A cursor read that was not where the cursor was expected to be.
struct CursorRead {
    std::uint32_t call = 0;  ///< which read of the pass, from 0
    Point client;            ///< client pixels
    bool operator==(const CursorRead&) const = default;
};

/// A read of the client area's size that differed from the one before (the first from the
/// header's): a window resized from outside, by the window manager or by a mode switch.
struct ClientRead {
    std::uint32_t call = 0;  ///< which read of the pass, from 0
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const ClientRead&) const = default;
};

/// A file the run read whole while it ran (a scene opened from the panel or dropped on the
/// window): its text, or why it could not be read.
struct FileRead {
    std::string path;
    bool ok = false;
    std::string text;  ///< the file's text when ok, else the reason
};

/// What drove one pass. The lists are reused from pass to pass.
struct PassRecord {
    float dt = 0.0f;  ///< seconds
    std::vector<std::uint8_t> down;
    std::vector<std::uint8_t> up;
    std::vector<CursorRead> cursor;
    std::vector<ClientRead> client;
    bool hasMessage = false;
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    bool hasDisplay = false;
    DisplayMode display;
    bool hasCheck = false;
    std::uint64_t check = 0;  ///< the state hash after the pass
    /// What each listing of scene files in the pass found, in call order.
    std::vector<std::vector<std::string>> fileLists;
    /// The paths of the files dropped on the window that the pass asked for, in call order;
    /// empty for a drop it could not have.
    std::vector<std::string> dropped;
    /// The files the pass read, in call order; each is a line of its own before the pass's.
    std::vector<FileRead> reads;

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
/// The line after a version 2 header: {"scene-text": "<the scene file's text>"}.
std::string sceneTextLine(const std::string& sceneText);
/// A file read's line: {"read": "<path>", "text": "..."} or {"read": ..., "error": "..."}.
std::string fileReadLine(const FileRead& read);
/// Whether a line is a file read's (it starts as fileReadLine writes them).
bool looksLikeFileReadLine(std::string_view line);
/// Scene files a listing may hold in a recording: with names of kLongestListedName bytes,
/// every listing fits a pass line.
inline constexpr std::size_t kMostListedFiles = 12;
/// Listings one pass may make (the panel makes one when it opens).
inline constexpr std::size_t kMostListingsPerPass = 2;
/// The longest dropped path a recording holds, bytes (Linux's PATH_MAX).
inline constexpr std::size_t kLongestDroppedPath = 4096;
/// Files one pass may read whole.
inline constexpr std::size_t kMostFileReadsPerPass = 16;

/// Each parses one line without its line break; false with a reason when the line is not a
/// valid line of that kind. Every number is range-checked before use.
bool parseHeaderLine(std::string_view line, SessionHeader& header, std::string& error);
bool parsePassLine(std::string_view line, PassRecord& pass, std::string& error);
bool parseEndLine(std::string_view line, SessionEnd& end, std::string& error);
bool parseSceneTextLine(std::string_view line, std::string& sceneText, std::string& error);
bool parseFileReadLine(std::string_view line, FileRead& read, std::string& error);
/// True when the line is an end line (it has "end"), valid or not.
bool looksLikeEndLine(std::string_view line);

}  // namespace velmora
