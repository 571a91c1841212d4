#include "session/SessionRecorder.h"

#include <algorithm>

#include "platform/Utf8.h"

namespace velmora {

SessionRecorder::SessionRecorder(OperatingSystem& inner_) : ForwardingOperatingSystem(inner_) {}

SessionRecorder::~SessionRecorder() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool SessionRecorder::open(const std::string& fileName, const SessionHeader& header,
                           std::string& error) {
    file_ = std::fopen(fileName.c_str(), "w");
    if (file_ == nullptr) {
        error = "cannot write the recording " + fileName;
        return false;
    }
    expectedClient_ = Rect{0, 0, header.clientWidth, header.clientHeight};
    std::string line = headerLine(header) + "\n";
    if (header.version >= 2) {
        line += sceneTextLine(header.sceneText) + "\n";
    }
    if (std::fputs(line.c_str(), file_) < 0 || std::fflush(file_) != 0) {
        error = "cannot write the recording " + fileName;
        return false;
    }
    return true;
}

void SessionRecorder::beginPass() {
    pass_.clear();
    cursorReads_ = 0;
    clientReads_ = 0;
    readsThisPass_ = 0;
}

void SessionRecorder::endPass(float dt, std::optional<std::uint64_t> check) {
    if (file_ == nullptr) {
        return;
    }
    pass_.dt = dt;
    pass_.hasCheck = check.has_value();
    pass_.check = check.value_or(0);
    passLine(pass_, line_);
    line_ += '\n';
    // Flushed every pass: a process killed later still leaves this pass whole on disk.
    writeFailed_ = writeFailed_ || std::fputs(line_.c_str(), file_) < 0 || std::fflush(file_) != 0;
}

bool SessionRecorder::finish(const SessionEnd& end, std::string& error) {
    if (file_ == nullptr) {
        return true;
    }
    const std::string line = endLine(end) + "\n";
    writeFailed_ = writeFailed_ || std::fputs(line.c_str(), file_) < 0;
    writeFailed_ = std::fclose(file_) != 0 || writeFailed_;
    file_ = nullptr;
    if (writeFailed_) {
        error = "the recording could not be written completely";
    }
    return !writeFailed_;
}

bool SessionRecorder::peekMessage(Message& out) {
    const bool taken = inner.peekMessage(out);
    // The quit ends the loop; the replay posts its own.
    if (taken && out.message != WM_QUIT) {
        pass_.hasMessage = true;
        pass_.message = out.message;
        pass_.wParam = out.wParam;
    }
    return taken;
}

DisplayMode SessionRecorder::currentDisplayMode() {
    const DisplayMode mode = inner.currentDisplayMode();
    pass_.hasDisplay = true;
    pass_.display = mode;
    return mode;
}

std::int16_t SessionRecorder::getAsyncKeyState(int virtualKey) {
    const std::int16_t state = inner.getAsyncKeyState(virtualKey);
    if (virtualKey >= 0 && virtualKey < kVirtualKeyCount) {
        const bool held = (static_cast<std::uint16_t>(state) & 0x8000u) != 0;
        if (held != held_[virtualKey]) {
            held_[virtualKey] = held;
            (held ? pass_.down : pass_.up).push_back(static_cast<std::uint8_t>(virtualKey));
        }
    }
    return state;
}

Point SessionRecorder::getCursorPos() {
    const Point screen = inner.getCursorPos();
    const Point client = inner.screenToClient(window, screen);
    if (client != expectedCursor_) {
        pass_.cursor.push_back({cursorReads_, client});
        expectedCursor_ = client;
    }
    ++cursorReads_;
    return screen;
}

Rect SessionRecorder::getClientRect(WindowHandle handle) {
    const Rect client = inner.getClientRect(handle);
    if (client != expectedClient_) {
        pass_.client.push_back({clientReads_, client.width(), client.height()});
        expectedClient_ = client;
    }
    ++clientReads_;
    return client;
}

void SessionRecorder::setCursorPos(std::int32_t x, std::int32_t y) {
    inner.setCursorPos(x, y);
    expectedCursor_ = inner.screenToClient(window, Point{x, y});
}

std::vector<std::string> SessionRecorder::findSceneFiles(const std::string& folder,
                                                         std::size_t most) {
    if (pass_.fileLists.size() >= kMostListingsPerPass) {
        return {};
    }
    std::vector<std::string> names = inner.findSceneFiles(folder, std::min(most, kMostListedFiles));
    pass_.fileLists.push_back(names);
    return names;
}

bool SessionRecorder::readWholeFile(const std::string& path, std::uint64_t maxBytes,
                                    std::string& text, std::string& error) {
    if (file_ == nullptr) {
        return inner.readWholeFile(path, maxBytes, text, error);
    }
    if (readsThisPass_ >= kMostFileReadsPerPass) {
        error = "too many files read at once";
        return false;
    }
    ++readsThisPass_;
    FileRead read{path, inner.readWholeFile(path, maxBytes, text, error), {}};
    if (read.ok && !isPlainText(text)) {
        read.ok = false;
        error = "is not UTF-8 text";
    }
    read.text = read.ok ? text : error;
    // A line of its own, ahead of its pass's: it may be as long as a scene file.
    const std::string line = fileReadLine(read) + "\n";
    writeFailed_ = writeFailed_ || std::fputs(line.c_str(), file_) < 0;
    return read.ok;
}

bool SessionRecorder::droppedFile(std::uintptr_t drop, std::string& path) {
    if (pass_.dropped.size() >= kMostListingsPerPass) {
        return false;
    }
    const bool ok =
        inner.droppedFile(drop, path) && path.size() <= kLongestDroppedPath && isPlainText(path);
    pass_.dropped.push_back(ok ? path : std::string());
    return ok;
}

}  // namespace velmora
