#pragma once
#include <array>

#include "platform/ForwardingOperatingSystem.h"
#include "platform/OsWindowRules.h"
#include "platform/VirtualKeys.h"
#include "session/SessionFormat.h"

namespace velmora {

/// Replays a session: stands between the program and an operating system (the scripted one,
/// or SDL to watch the replay in a window) and answers what the loop reads from the
/// recording instead: keys, cursor, the window message of each pass and the display mode.
/// Windows, drawing and everything else go to the operating system underneath. The window
/// system's own messages are only watched for a close request, which ends the replay.
class SessionPlayer final : public ForwardingOperatingSystem {
  public:
    /// The client area is the header's until the recording says it changed.
    SessionPlayer(OperatingSystem& inner, const SessionHeader& header);

    /// Makes the pass the next one the loop reads.
    void loadPass(const PassRecord& pass);
    /// A close request came from the window system underneath.
    bool closeRequested() const { return closeRequested_; }

    bool peekMessage(Message& out) override;
    void postQuitMessage(int exitCode) override;
    DisplayMode currentDisplayMode() override;
    std::int16_t getAsyncKeyState(int virtualKey) override;
    Point getCursorPos() override;
    /// The client area's size as the recorded run read it.
    Rect getClientRect(WindowHandle window) override;
    /// Moves the replay's cursor; the real pointer, if any, stays where the user has it.
    void setCursorPos(std::int32_t x, std::int32_t y) override;
    /// What the recorded run found, listing by listing and file by file, whatever is on this
    /// machine's disk now.
    std::vector<std::string> findSceneFiles(const std::string& folder, std::size_t most) override;
    bool readWholeFile(const std::string& path, std::uint64_t maxBytes, std::string& text,
                       std::string& error) override;
    bool droppedFile(std::uintptr_t drop, std::string& path) override;

  private:
    const PassRecord* pass_ = nullptr;
    WindowMessageQueue queue_;
    std::array<bool, kVirtualKeyCount> held_{};
    Point cursor_;  ///< client pixels
    std::uint32_t cursorReads_ = 0;
    std::size_t nextCursorRead_ = 0;
    Rect client_;
    std::uint32_t clientReads_ = 0;
    std::size_t nextClientRead_ = 0;
    bool displayKnown_ = false;
    DisplayMode display_;
    bool closeRequested_ = false;
    std::size_t nextFileList_ = 0;
    std::size_t nextFileRead_ = 0;
    std::size_t nextDrop_ = 0;
};

}  // namespace velmora
