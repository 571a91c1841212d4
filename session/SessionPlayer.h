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
    explicit SessionPlayer(OperatingSystem& inner);

    /// Makes the pass the next one the loop reads.
    void loadPass(const PassRecord& pass);
    /// A close request came from the window system underneath.
    bool closeRequested() const { return closeRequested_; }

    bool peekMessage(Message& out) override;
    void postQuitMessage(int exitCode) override;
    DisplayMode currentDisplayMode() override;
    std::int16_t getAsyncKeyState(int virtualKey) override;
    Point getCursorPos() override;
    /// Moves the replay's cursor; the real pointer, if any, stays where the user has it.
    void setCursorPos(std::int32_t x, std::int32_t y) override;

  private:
    const PassRecord* pass_ = nullptr;
    WindowMessageQueue queue_;
    std::array<bool, kVirtualKeyCount> held_{};
    Point cursor_;  ///< client pixels
    std::uint32_t cursorReads_ = 0;
    std::size_t nextCursorRead_ = 0;
    bool displayKnown_ = false;
    DisplayMode display_;
    bool closeRequested_ = false;
};

}  // namespace velmora
