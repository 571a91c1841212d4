#pragma once
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/ForwardingOperatingSystem.h"
#include "platform/VirtualKeys.h"
#include "session/SessionFormat.h"

namespace velmora {

/// Records a session while the program runs: it stands between the program and its operating
/// system, hands every call on, and notes what the loop reads (keys, cursor, the message it
/// takes, the display mode). Each pass becomes one line, written and flushed as the pass
/// ends, so memory stays flat and a run cut off by a crash keeps its whole passes.
class SessionRecorder final : public ForwardingOperatingSystem {
  public:
    explicit SessionRecorder(OperatingSystem& inner);
    ~SessionRecorder() override;

    /// Opens (replaces) the file and writes the header; false with a reason on failure.
    bool open(const std::string& fileName, const SessionHeader& header, std::string& error);
    /// Call around each pass of the loop; endPass takes the frame time the pass used.
    void beginPass();
    /// check: the state hash after the pass, on the passes that carry one.
    void endPass(float dt, std::optional<std::uint64_t> check = std::nullopt);
    /// Writes the end line and closes the file; false when anything failed to write.
    bool finish(const SessionEnd& end, std::string& error);

    bool peekMessage(Message& out) override;
    DisplayMode currentDisplayMode() override;
    std::int16_t getAsyncKeyState(int virtualKey) override;
    Point getCursorPos() override;
    Rect getClientRect(WindowHandle window) override;
    void setCursorPos(std::int32_t x, std::int32_t y) override;
    /// Listings and file reads beyond what a pass may hold come back empty and unread.
    std::vector<std::string> findSceneFiles(const std::string& folder, std::size_t most) override;
    /// A text that is not plain text comes back as unreadable, live as in the replay.
    bool readWholeFile(const std::string& path, std::uint64_t maxBytes, std::string& text,
                       std::string& error) override;
    /// A path that is not plain text or longer than a recording holds is no drop.
    bool droppedFile(std::uintptr_t drop, std::string& path) override;

  private:
    std::FILE* file_ = nullptr;
    bool writeFailed_ = false;
    PassRecord pass_;
    std::string line_;
    std::array<bool, kVirtualKeyCount> held_{};
    Point expectedCursor_;  ///< client pixels: where the last read or warp left the cursor
    std::uint32_t cursorReads_ = 0;
    Rect expectedClient_;  ///< the size the last read found (the header's at first)
    std::uint32_t clientReads_ = 0;
    std::size_t readsThisPass_ = 0;
};

}  // namespace velmora
