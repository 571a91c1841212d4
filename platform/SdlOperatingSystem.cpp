#include "platform/SdlOperatingSystem.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/SdlGlAttributes.h"
#include "platform/SdlKeyMap.h"
#include "platform/SdlWindowAttributes.h"
#include "platform/SdlXErrors.h"
#include "platform/VirtualKeys.h"

namespace velmora {

namespace {

/// How long to wait for the window manager to report a frame: after the first show of a
/// framed window, and after a restyle that adds or removes the frame.
constexpr Uint64 kFrameReportWaitMs = 250;

constexpr std::int16_t kKeyHeld = std::numeric_limits<std::int16_t>::min();  // bit 0x8000

}  // namespace

SdlOperatingSystem::SdlOperatingSystem() {
    // Ctrl+C ends the program as usual, not as an SDL quit event; closing is WM_CLOSE alone.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    videoStarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    tolerateFocusRaces();
    // A driver whose windows nobody sees (offscreen, dummy) is no display, unless asked for.
    const char* driver = videoStarted ? SDL_GetCurrentVideoDriver() : nullptr;
    if (driver != nullptr && SDL_getenv("SDL_VIDEODRIVER") == nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted = false;
    }
}

SdlOperatingSystem::~SdlOperatingSystem() {
    for (auto& [handle, record] : windows) {
        SDL_DestroyWindow(sdlWindow(handle));
    }
    windows.clear();
    if (videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

void SdlOperatingSystem::pumpEvents() {
    if (!videoStarted) {
        return;
    }
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        if (event.type == SDL_DROPFILE) {
            takeDrop(event.drop.windowID, event.drop.file);
            continue;
        }
        const SdlMessage message = messageFromEvent(event);
        const WindowHandle handle = handleOf(SDL_GetWindowFromID(message.windowId));
        if (message.message != 0 && find(handle) != nullptr) {
            queue.post(Message{handle, message.message, message.wParam, 0});
        }
    }
}

void SdlOperatingSystem::takeDrop(std::uint32_t windowId, char* file) {
    const WindowHandle handle = handleOf(SDL_GetWindowFromID(windowId));
    if (file != nullptr && find(handle) != nullptr) {
        // A drop nobody asks about is forgotten after a few more.
        if (drops.size() == kKeptDrops) {
            drops.erase(drops.begin());
        }
        drops.emplace_back(++lastDrop, file);
        queue.post(Message{handle, WM_DROPFILES, lastDrop, 0});
    }
    SDL_free(file);
}

bool SdlOperatingSystem::droppedFile(std::uintptr_t drop, std::string& path) {
    const auto found = std::find_if(drops.begin(), drops.end(),
                                    [drop](const auto& entry) { return entry.first == drop; });
    if (found == drops.end()) {
        return false;
    }
    path = std::move(found->second);
    drops.erase(found);
    return true;
}

SdlOperatingSystem::WindowRecord* SdlOperatingSystem::find(WindowHandle window) {
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : &it->second;
}

FrameSize SdlOperatingSystem::frameOf(WindowHandle window) {
    const WindowRecord* record = find(window);
    if (record == nullptr || !styleHasFrame(record->style)) {
        return {};
    }
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(sdlWindow(window), &top, &left, &bottom, &right) == 0 &&
        (top | left | bottom | right) != 0) {
        knownFrame = FrameSize{left, top, right, bottom};
    }
    return knownFrame;
}

bool SdlOperatingSystem::peekMessage(Message& out) {
    pumpEvents();
    return queue.take(out);
}

void SdlOperatingSystem::translateMessage(const Message&) {
    // Keys are polled, never queued, so there is nothing to translate into characters.
}

std::intptr_t SdlOperatingSystem::dispatchMessage(const Message& message) {
    const WindowRecord* record = find(message.window);
    if (record == nullptr || record->windowProc == nullptr) {
        return 0;
    }
    return record->windowProc(message.window, message.message, message.wParam, message.lParam);
}

void SdlOperatingSystem::postQuitMessage(int exitCode) {
    queue.postQuit(exitCode);
}

std::intptr_t SdlOperatingSystem::defWindowProc(WindowHandle, std::uint32_t, std::uintptr_t,
                                                std::intptr_t) {
    // Nothing is painted, sized or activated through messages here; SDL does all of that.
    return 0;
}

bool SdlOperatingSystem::registerClass(const WindowClass& windowClass) {
    return classes.add(windowClass);
}

bool SdlOperatingSystem::unregisterClass(const char* className) {
    return classes.remove(className);
}

Rect SdlOperatingSystem::adjustWindowRect(const Rect& client, std::uint32_t style) {
    return growByFrame(client, styleHasFrame(style) ? knownFrame : FrameSize{});
}

WindowHandle SdlOperatingSystem::createWindow(const char* className, const char* title,
                                              std::uint32_t style, std::int32_t x, std::int32_t y,
                                              std::int32_t width, std::int32_t height) {
    if (!videoStarted || className == nullptr) {
        return nullptr;
    }
    const WindowClass* cls = classes.find(className);
    if (cls == nullptr) {
        return nullptr;
    }
    const bool framed = styleHasFrame(style);
    const FrameSize frame = framed ? knownFrame : FrameSize{};
    // SDL places and sizes the client area; the caller gives the outer rectangle.
    const int clientWidth = std::max(1, width - frame.left - frame.right);
    const int clientHeight = std::max(1, height - frame.top - frame.bottom);
    const int clientX = x == CW_USEDEFAULT ? SDL_WINDOWPOS_CENTERED : x + frame.left;
    const int clientY = y == CW_USEDEFAULT ? SDL_WINDOWPOS_CENTERED : y + frame.top;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!framed) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    if ((style & WS_THICKFRAME) != 0) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    prepareSdlGlWindowAttributes();
    SDL_Window* window = SDL_CreateWindow(title == nullptr ? "" : title, clientX, clientY,
                                          clientWidth, clientHeight, flags);
    if (window == nullptr) {
        return nullptr;
    }
    applySdlWindowStyleHints(window, style);
    windows[handleOf(window)] = WindowRecord{cls->windowProc, style};
    return handleOf(window);
}

void SdlOperatingSystem::showWindow(WindowHandle window, int showCommand) {
    if (find(window) == nullptr) {
        return;
    }
    if (showCommand == SW_HIDE) {
        SDL_HideWindow(sdlWindow(window));
    } else {
        SDL_ShowWindow(sdlWindow(window));
        // The window manager reports the frame just after the window is mapped; learn it
        // now, once, so that the outer rectangle does not change under the system later.
        if (!frameProbed && styleHasFrame(getWindowStyle(window))) {
            awaitFrame(window, true);
        }
    }
}

void SdlOperatingSystem::updateWindow(WindowHandle) {
    // The window procedure paints nothing; the device presents the frames.
}

void SdlOperatingSystem::setFocus(WindowHandle window) {
    if (find(window) == nullptr) {
        return;
    }
    SDL_RaiseWindow(sdlWindow(window));
    SDL_SetWindowInputFocus(sdlWindow(window));
}

Rect SdlOperatingSystem::getWindowRect(WindowHandle window) {
    if (find(window) == nullptr) {
        return {};
    }
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(sdlWindow(window), &x, &y);
    SDL_GetWindowSize(sdlWindow(window), &width, &height);
    return growByFrame(Rect{x, y, x + width, y + height}, frameOf(window));
}

Rect SdlOperatingSystem::getClientRect(WindowHandle window) {
    if (find(window) == nullptr) {
        return {};
    }
    int width = 0, height = 0;
    SDL_GetWindowSize(sdlWindow(window), &width, &height);
    return {0, 0, width, height};
}

Point SdlOperatingSystem::screenToClient(WindowHandle window, Point screen) {
    if (find(window) == nullptr) {
        return screen;
    }
    int x = 0, y = 0;
    SDL_GetWindowPosition(sdlWindow(window), &x, &y);
    return {screen.x - x, screen.y - y};
}

void SdlOperatingSystem::setWindowStyle(WindowHandle window, std::uint32_t style) {
    WindowRecord* record = find(window);
    if (record == nullptr) {
        return;
    }
    const bool framed = styleHasFrame(style);
    const bool wasFramed = styleHasFrame(record->style);
    record->style = style;
    SDL_Window* w = sdlWindow(window);
    SDL_SetWindowBordered(w, framed ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(w, (style & WS_THICKFRAME) != 0 ? SDL_TRUE : SDL_FALSE);
    applySdlWindowStyleHints(w, style);
    if (framed != wasFramed && (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) != 0) {
        awaitFrame(window, framed);
    }
}

void SdlOperatingSystem::awaitFrame(WindowHandle window, bool framed) {
    // SDL places the client area by subtracting the frame it last heard of from the window
    // manager, which reports a restyle late; a move before the report arrives would land
    // off by the old frame. Once a framed window has been shown without any frame being
    // reported, there is no window manager and frames stay zero: no wait.
    if (framed && frameProbed && knownFrame == FrameSize{}) {
        return;
    }
    const Uint64 deadline = SDL_GetTicks64() + kFrameReportWaitMs;
    while (true) {
        pumpEvents();
        int top = 0, left = 0, bottom = 0, right = 0;
        SDL_GetWindowBordersSize(sdlWindow(window), &top, &left, &bottom, &right);
        const bool hasFrame = (top | left | bottom | right) != 0;
        if (hasFrame == framed || SDL_GetTicks64() >= deadline) {
            break;
        }
        SDL_Delay(1);
    }
    if (framed) {
        frameProbed = true;
        frameOf(window);
    }
}

std::uint32_t SdlOperatingSystem::getWindowStyle(WindowHandle window) {
    const WindowRecord* record = find(window);
    return record == nullptr ? 0 : record->style;
}

void SdlOperatingSystem::setWindowPos(WindowHandle window, std::int32_t x, std::int32_t y,
                                      std::int32_t width, std::int32_t height) {
    if (find(window) == nullptr) {
        return;
    }
    const FrameSize frame = frameOf(window);
    SDL_Window* w = sdlWindow(window);
    SDL_SetWindowSize(w, std::max(1, width - frame.left - frame.right),
                      std::max(1, height - frame.top - frame.bottom));
    SDL_SetWindowPosition(w, x + frame.left, y + frame.top);
    SDL_ShowWindow(w);
}

DisplayMode SdlOperatingSystem::currentDisplayMode() {
    SDL_DisplayMode mode{};
    if (!videoStarted || SDL_GetCurrentDisplayMode(0, &mode) != 0) {
        return {};
    }
    return {mode.w, mode.h, mode.refresh_rate};
}

void SdlOperatingSystem::restoreDisplaySettings() {
    // Full screen is a borderless window at the desktop's own mode: nothing to restore.
}

void SdlOperatingSystem::setWindowText(WindowHandle window, const char* text) {
    if (find(window) != nullptr) {
        SDL_SetWindowTitle(sdlWindow(window), text == nullptr ? "" : text);
    }
}

void SdlOperatingSystem::messageBox(const char* text, const char* caption) {
    const char* body = text == nullptr ? "" : text;
    const char* title = caption == nullptr ? "" : caption;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, title, body, nullptr) != 0) {
        // No display to show it on: the warning must still reach the user.
        std::fprintf(stderr, "%s: %s\n", title, body);
    }
}

std::int16_t SdlOperatingSystem::getAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= kVirtualKeyCount) {
        return 0;
    }
    if (const Uint32 mask = mouseMaskOf(virtualKey); mask != 0) {
        // As the window's own events left them, with the focus: a press the window manager
        // takes (Alt+drag) or one on another window is not ours.
        const bool focused =
            !windows.empty() && SDL_GetKeyboardFocus() == sdlWindow(windows.begin()->first);
        return focused && (SDL_GetMouseState(nullptr, nullptr) & mask) != 0 ? kKeyHeld : 0;
    }
    // The snapshot asks for all 256 codes in order each pass; one pump per sweep keeps it current.
    if (virtualKey <= lastKeyAsked) {
        pumpEvents();
    }
    lastKeyAsked = virtualKey;
    return sdlVirtualKeyHeld(virtualKey, SDL_GetKeyboardState(nullptr)) ? kKeyHeld : 0;
}

Point SdlOperatingSystem::getCursorPos() {
    // Where the window's own pointer events left the cursor, in screen pixels that
    // screenToClient takes back exactly: a pointer the window manager holds moves nothing.
    int x = 0, y = 0, left = 0, top = 0;
    SDL_GetMouseState(&x, &y);
    if (!windows.empty()) {
        SDL_GetWindowPosition(sdlWindow(windows.begin()->first), &left, &top);
    }
    return {x + left, y + top};
}

void SdlOperatingSystem::setCursorPos(std::int32_t x, std::int32_t y) {
    SDL_WarpMouseGlobal(x, y);
}

bool SdlOperatingSystem::queryPerformanceFrequency(std::int64_t& frequency) {
    const Uint64 f = SDL_GetPerformanceFrequency();
    if (f == 0) {
        return false;
    }
    frequency = static_cast<std::int64_t>(f);
    return true;
}

bool SdlOperatingSystem::queryPerformanceCounter(std::int64_t& count) {
    count = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    return true;
}

}  // namespace velmora
