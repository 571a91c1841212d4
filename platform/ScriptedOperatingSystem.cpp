#include "platform/ScriptedOperatingSystem.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace velmora {

namespace {

constexpr std::int16_t kKeyHeld = std::numeric_limits<std::int16_t>::min();  // bit 0x8000

WindowHandle handleOf(const void* window) {
    return reinterpret_cast<WindowHandle>(const_cast<void*>(window));
}

}  // namespace

void ScriptedOperatingSystem::setKey(int virtualKey, bool held) {
    if (virtualKey >= 0 && virtualKey < kVirtualKeyCount) {
        keys[virtualKey] = held;
    }
}

void ScriptedOperatingSystem::pushWindowMessage(std::uint32_t message, std::uintptr_t wParam) {
    queue.post(Message{lastWindow(), message, wParam, 0});
}

void ScriptedOperatingSystem::dropFile(const std::string& path) {
    drops.push_back(path);
    queue.post(Message{lastWindow(), WM_DROPFILES, drops.size(), 0});
}

bool ScriptedOperatingSystem::droppedFile(std::uintptr_t drop, std::string& path) {
    if (drop == 0 || drop > drops.size()) {
        return false;
    }
    path = drops[drop - 1];
    return true;
}

void ScriptedOperatingSystem::loseFocus() {
    if (focus != nullptr) {
        queue.post(Message{focus, WM_KILLFOCUS, 0, 0});
        focus = nullptr;
    }
}

WindowHandle ScriptedOperatingSystem::lastWindow() const {
    return windows.empty() ? nullptr : handleOf(windows.back().get());
}

ScriptedOperatingSystem::Window* ScriptedOperatingSystem::find(WindowHandle window) {
    return const_cast<Window*>(std::as_const(*this).find(window));
}

const ScriptedOperatingSystem::Window* ScriptedOperatingSystem::find(WindowHandle window) const {
    for (const auto& w : windows) {
        if (handleOf(w.get()) == window) {
            return w.get();
        }
    }
    return nullptr;
}

bool ScriptedOperatingSystem::peekMessage(Message& out) {
    return queue.take(out);
}

void ScriptedOperatingSystem::translateMessage(const Message&) {}

std::intptr_t ScriptedOperatingSystem::dispatchMessage(const Message& message) {
    const Window* w = find(message.window);
    if (w == nullptr || w->windowProc == nullptr) {
        return 0;
    }
    return w->windowProc(message.window, message.message, message.wParam, message.lParam);
}

void ScriptedOperatingSystem::postQuitMessage(int exitCode) {
    remember(postedQuits, exitCode);
    queue.postQuit(exitCode);
}

std::intptr_t ScriptedOperatingSystem::defWindowProc(WindowHandle, std::uint32_t, std::uintptr_t,
                                                     std::intptr_t) {
    return 0;
}

bool ScriptedOperatingSystem::registerClass(const WindowClass& windowClass) {
    return classes.add(windowClass);
}

bool ScriptedOperatingSystem::unregisterClass(const char* className) {
    return classes.remove(className);
}

Rect ScriptedOperatingSystem::adjustWindowRect(const Rect& client, std::uint32_t style) {
    return growByFrame(client, frameFor(style));
}

WindowHandle ScriptedOperatingSystem::createWindow(const char* className, const char* /*title*/,
                                                   std::uint32_t style, std::int32_t x,
                                                   std::int32_t y, std::int32_t width,
                                                   std::int32_t height) {
    if (className == nullptr) {
        return nullptr;
    }
    const WindowClass* cls = classes.find(className);
    if (cls == nullptr) {
        return nullptr;
    }
    // Same placement as the SDL one: the client size is what remains inside the outer size,
    // and a default position centres the client area on the display.
    const FrameSize f = frameFor(style);
    const std::int32_t clientWidth = std::max(1, width - f.left - f.right);
    const std::int32_t clientHeight = std::max(1, height - f.top - f.bottom);
    const std::int32_t clientX =
        x == CW_USEDEFAULT ? (displayMode.width - clientWidth) / 2 : x + f.left;
    const std::int32_t clientY =
        y == CW_USEDEFAULT ? (displayMode.height - clientHeight) / 2 : y + f.top;
    auto window = std::make_unique<Window>();
    window->windowProc = cls->windowProc;
    window->style = style;
    window->outer =
        growByFrame(Rect{clientX, clientY, clientX + clientWidth, clientY + clientHeight}, f);
    windows.push_back(std::move(window));
    return lastWindow();
}

void ScriptedOperatingSystem::showWindow(WindowHandle, int) {}

void ScriptedOperatingSystem::updateWindow(WindowHandle) {}

void ScriptedOperatingSystem::setFocus(WindowHandle window) {
    if (find(window) == nullptr || focus == window) {
        return;
    }
    if (focus != nullptr) {
        queue.post(Message{focus, WM_KILLFOCUS, 0, 0});
    }
    focus = window;
    queue.post(Message{window, WM_SETFOCUS, 0, 0});
}

Rect ScriptedOperatingSystem::getWindowRect(WindowHandle window) {
    const Window* w = find(window);
    return w == nullptr ? Rect{} : w->outer;
}

Rect ScriptedOperatingSystem::getClientRect(WindowHandle window) {
    const Window* w = find(window);
    if (w == nullptr) {
        return {};
    }
    const Rect client = shrinkByFrame(w->outer, frameFor(w->style));
    return {0, 0, client.width(), client.height()};
}

Point ScriptedOperatingSystem::screenToClient(WindowHandle window, Point screen) {
    const Window* w = find(window);
    if (w == nullptr) {
        return screen;
    }
    const Rect client = shrinkByFrame(w->outer, frameFor(w->style));
    return {screen.x - client.left, screen.y - client.top};
}

void ScriptedOperatingSystem::setWindowStyle(WindowHandle window, std::uint32_t style) {
    remember(styles, style);
    if (Window* w = find(window)) {
        // Like SDL, the client area keeps its place and size until the window is moved.
        const Rect client = shrinkByFrame(w->outer, frameFor(w->style));
        w->style = style;
        w->outer = growByFrame(client, frameFor(style));
    }
}

std::uint32_t ScriptedOperatingSystem::getWindowStyle(WindowHandle window) {
    const Window* w = find(window);
    return w == nullptr ? 0 : w->style;
}

void ScriptedOperatingSystem::setWindowPos(WindowHandle window, std::int32_t x, std::int32_t y,
                                           std::int32_t width, std::int32_t height) {
    Window* w = find(window);
    if (w == nullptr) {
        return;
    }
    const FrameSize f = frameFor(w->style);
    const std::int32_t clientWidth = std::max(1, width - f.left - f.right);
    const std::int32_t clientHeight = std::max(1, height - f.top - f.bottom);
    w->outer = growByFrame(
        Rect{x + f.left, y + f.top, x + f.left + clientWidth, y + f.top + clientHeight}, f);
}

DisplayMode ScriptedOperatingSystem::currentDisplayMode() {
    return displayMode;
}

void ScriptedOperatingSystem::restoreDisplaySettings() {
    ++displaySettingsRestores;
}

void ScriptedOperatingSystem::setWindowText(WindowHandle window, const char* text) {
    if (find(window) != nullptr) {
        remember(titles, text == nullptr ? "" : text);
    }
}

void ScriptedOperatingSystem::messageBox(const char* text, const char* caption) {
    remember(messageBoxes, Box{text == nullptr ? "" : text, caption == nullptr ? "" : caption});
}

std::int16_t ScriptedOperatingSystem::getAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= kVirtualKeyCount) {
        return 0;
    }
    bool held = keys[virtualKey];
    if (virtualKey == VK_SHIFT) {
        held = held || keys[VK_LSHIFT] || keys[VK_RSHIFT];
    } else if (virtualKey == VK_CONTROL) {
        held = held || keys[VK_LCONTROL] || keys[VK_RCONTROL];
    } else if (virtualKey == VK_MENU) {
        held = held || keys[VK_LMENU] || keys[VK_RMENU];
    }
    return held ? kKeyHeld : 0;
}

Point ScriptedOperatingSystem::getCursorPos() {
    return cursor;
}

void ScriptedOperatingSystem::setCursorPos(std::int32_t x, std::int32_t y) {
    cursor = Point{x, y};
}

bool ScriptedOperatingSystem::queryPerformanceFrequency(std::int64_t& result) {
    result = frequency;
    return true;
}

bool ScriptedOperatingSystem::queryPerformanceCounter(std::int64_t& count) {
    if (counterFails) {
        return false;
    }
    count = counter;
    counter += counterStep;
    return true;
}

}  // namespace velmora
