#include "session/SessionPlayer.h"

namespace velmora {

SessionPlayer::SessionPlayer(OperatingSystem& inner_) : ForwardingOperatingSystem(inner_) {}

void SessionPlayer::loadPass(const PassRecord& pass) {
    pass_ = &pass;
    for (const std::uint8_t code : pass.down) {
        held_[code] = true;
    }
    for (const std::uint8_t code : pass.up) {
        held_[code] = false;
    }
    if (pass.hasMessage) {
        queue_.post(Message{window, pass.message, static_cast<std::uintptr_t>(pass.wParam), 0});
    }
    if (pass.hasDisplay) {
        displayKnown_ = true;
        display_ = pass.display;
    }
    cursorReads_ = 0;
    nextCursorRead_ = 0;
}

bool SessionPlayer::peekMessage(Message& out) {
    // Keeps the window underneath answering, and lets its close button end the replay.
    Message own;
    while (inner.peekMessage(own)) {
        closeRequested_ = closeRequested_ || own.message == WM_CLOSE || own.message == WM_QUIT;
    }
    return queue_.take(out);
}

void SessionPlayer::postQuitMessage(int exitCode) {
    queue_.postQuit(exitCode);
}

DisplayMode SessionPlayer::currentDisplayMode() {
    return displayKnown_ ? display_ : inner.currentDisplayMode();
}

std::int16_t SessionPlayer::getAsyncKeyState(int virtualKey) {
    constexpr std::int16_t kHeld = static_cast<std::int16_t>(0x8000);
    return virtualKey >= 0 && virtualKey < kVirtualKeyCount && held_[virtualKey] ? kHeld : 0;
}

Point SessionPlayer::getCursorPos() {
    if (pass_ != nullptr && nextCursorRead_ < pass_->cursor.size() &&
        pass_->cursor[nextCursorRead_].call == cursorReads_) {
        cursor_ = pass_->cursor[nextCursorRead_++].client;
    }
    ++cursorReads_;
    return inner.clientToScreen(window, cursor_);
}

void SessionPlayer::setCursorPos(std::int32_t x, std::int32_t y) {
    cursor_ = inner.screenToClient(window, Point{x, y});
}

}  // namespace velmora
