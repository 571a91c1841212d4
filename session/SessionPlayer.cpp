#include "session/SessionPlayer.h"

namespace velmora {

SessionPlayer::SessionPlayer(OperatingSystem& inner_, const SessionHeader& header)
    : ForwardingOperatingSystem(inner_), client_{0, 0, header.clientWidth, header.clientHeight} {}

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
    clientReads_ = 0;
    nextClientRead_ = 0;
    nextFileList_ = 0;
    nextFileRead_ = 0;
    nextDrop_ = 0;
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

Rect SessionPlayer::getClientRect(WindowHandle) {
    if (pass_ != nullptr && nextClientRead_ < pass_->client.size() &&
        pass_->client[nextClientRead_].call == clientReads_) {
        const ClientRead& read = pass_->client[nextClientRead_++];
        client_ = Rect{0, 0, read.width, read.height};
    }
    ++clientReads_;
    return client_;
}

void SessionPlayer::setCursorPos(std::int32_t x, std::int32_t y) {
    cursor_ = inner.screenToClient(window, Point{x, y});
}

std::vector<std::string> SessionPlayer::findSceneFiles(const std::string&, std::size_t) {
    if (pass_ == nullptr || nextFileList_ >= pass_->fileLists.size()) {
        return {};
    }
    return pass_->fileLists[nextFileList_++];
}

bool SessionPlayer::readWholeFile(const std::string&, std::uint64_t, std::string& text,
                                  std::string& error) {
    if (pass_ == nullptr || nextFileRead_ >= pass_->reads.size()) {
        error = "not read in the recorded run";
        return false;
    }
    const FileRead& read = pass_->reads[nextFileRead_++];
    (read.ok ? text : error) = read.text;
    return read.ok;
}

bool SessionPlayer::droppedFile(std::uintptr_t, std::string& path) {
    if (pass_ == nullptr || nextDrop_ >= pass_->dropped.size() ||
        pass_->dropped[nextDrop_].empty()) {
        ++nextDrop_;
        return false;
    }
    path = pass_->dropped[nextDrop_++];
    return true;
}

}  // namespace velmora
