#include "platform/WebOperatingSystem.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/VirtualKeys.h"

// The page's side, in JavaScript. Written with double-quoted strings and named arguments so
// that the C++ preprocessor, which reads these bodies, takes them without complaint.
// clang-format off
EM_JS(void, velmoraAdoptCanvas, (const char* selector, void* os), {
    var canvas = document.querySelector(UTF8ToString(selector));
    // The right button is the program's: no context menu over the canvas.
    canvas.oncontextmenu = function(event) { event.preventDefault(); };
    Module["velmoraOs"] = os;
});

EM_JS(void, velmoraForgetOs, (void* os), {
    if (Module["velmoraOs"] === os) {
        delete Module["velmoraOs"];
    }
});

EM_JS(void, velmoraCanvasRect, (const char* selector, int* edges), {
    var canvas = document.querySelector(UTF8ToString(selector));
    var r = canvas ? canvas.getBoundingClientRect() : {left: 0, top: 0, right: 0, bottom: 0};
    HEAP32[(edges >> 2) + 0] = Math.round(r.left);
    HEAP32[(edges >> 2) + 1] = Math.round(r.top);
    HEAP32[(edges >> 2) + 2] = Math.round(r.right);
    HEAP32[(edges >> 2) + 3] = Math.round(r.bottom);
});

EM_JS(void, velmoraShowCanvas, (const char* selector, int shown), {
    document.querySelector(UTF8ToString(selector)).style.visibility = shown ? "" : "hidden";
});

EM_JS(int, velmoraScreenWidth, (), {
    return typeof screen === "undefined" ? 0 : screen.width | 0;
});

EM_JS(int, velmoraScreenHeight, (), {
    return typeof screen === "undefined" ? 0 : screen.height | 0;
});

EM_JS(void, velmoraSetTitle, (const char* text), {
    document.title = UTF8ToString(text);
});

EM_JS(void, velmoraShowMessage, (const char* text, const char* caption), {
    if (typeof document === "undefined") {
        return;
    }
    var box = document.getElementById("message");
    if (!box) {
        box = document.createElement("div");
        box.id = "message";
        box.setAttribute("role", "alert");
        document.body.appendChild(box);
    }
    var title = UTF8ToString(caption);
    box.textContent = (title ? title + ": " : "") + UTF8ToString(text);
    box.hidden = false;
});
// clang-format on

namespace velmora {

namespace {

constexpr std::int16_t kKeyHeld = std::numeric_limits<std::int16_t>::min();  // bit 0x8000

}  // namespace

WebOperatingSystem::~WebOperatingSystem() {
    stopListening();
}

void WebOperatingSystem::stopListening() {
    if (!windowMade || stopped) {
        return;
    }
    stopped = true;
    listen(false);
    emscripten_exit_pointerlock();
    velmoraForgetOs(this);
}
void WebOperatingSystem::sizeCanvas(std::int32_t width, std::int32_t height) {
    const int w = std::max(1, width);
    const int h = std::max(1, height);
    emscripten_set_canvas_element_size(kCanvasSelector, w, h);
    // CSS pixels one to one with the canvas's, so that page pixels are client pixels.
    emscripten_set_element_css_size(kCanvasSelector, w, h);
}

Rect WebOperatingSystem::canvasRect() {
    int edges[4] = {};
    velmoraCanvasRect(kCanvasSelector, edges);
    return Rect{edges[0], edges[1], edges[2], edges[3]};
}

void WebOperatingSystem::fileDropped(const std::string& path) {
    if (!windowMade) {
        return;
    }
    // A drop nobody asks about is forgotten after a few more.
    if (drops.size() == kKeptDrops) {
        drops.erase(drops.begin());
    }
    drops.emplace_back(++lastDrop, path);
    queue.post(Message{handle(), WM_DROPFILES, lastDrop, 0});
}

bool WebOperatingSystem::droppedFile(std::uintptr_t drop, std::string& path) {
    const auto found = std::find_if(drops.begin(), drops.end(),
                                    [drop](const auto& entry) { return entry.first == drop; });
    if (found == drops.end()) {
        return false;
    }
    path = std::move(found->second);
    drops.erase(found);
    return true;
}

bool WebOperatingSystem::peekMessage(Message& out) {
    // The page's events arrive between passes, through the callbacks; nothing to pump.
    return queue.take(out);
}

void WebOperatingSystem::translateMessage(const Message&) {
    // Keys are polled, never queued, so there is nothing to translate into characters.
}

std::intptr_t WebOperatingSystem::dispatchMessage(const Message& message) {
    if (!isWindow(message.window) || windowProc == nullptr) {
        return 0;
    }
    return windowProc(message.window, message.message, message.wParam, message.lParam);
}

void WebOperatingSystem::postQuitMessage(int exitCode) {
    queue.postQuit(exitCode);
}

std::intptr_t WebOperatingSystem::defWindowProc(WindowHandle, std::uint32_t, std::uintptr_t,
                                                std::intptr_t) {
    // Nothing is painted, sized or activated through messages here; the page does all of that.
    return 0;
}

bool WebOperatingSystem::registerClass(const WindowClass& windowClass) {
    return classes.add(windowClass);
}

bool WebOperatingSystem::unregisterClass(const char* className) {
    return classes.remove(className);
}

Rect WebOperatingSystem::adjustWindowRect(const Rect& client, std::uint32_t) {
    return client;
}

WindowHandle WebOperatingSystem::createWindow(const char* className, const char* title,
                                              std::uint32_t windowStyle, std::int32_t, std::int32_t,
                                              std::int32_t width, std::int32_t height) {
    if (className == nullptr || windowMade) {
        return nullptr;
    }
    const WindowClass* cls = classes.find(className);
    if (cls == nullptr) {
        return nullptr;
    }
    windowedWidth = std::max(1, width);
    windowedHeight = std::max(1, height);
    if (emscripten_set_canvas_element_size(kCanvasSelector, windowedWidth, windowedHeight) !=
        EMSCRIPTEN_RESULT_SUCCESS) {
        return nullptr;  // no canvas in the page
    }
    sizeCanvas(windowedWidth, windowedHeight);
    windowMade = true;
    windowProc = cls->windowProc;
    style = windowStyle;
    listen(true);
    velmoraAdoptCanvas(kCanvasSelector, this);
    setWindowText(handle(), title);
    return handle();
}

void WebOperatingSystem::showWindow(WindowHandle window, int showCommand) {
    if (!isWindow(window)) {
        return;
    }
    velmoraShowCanvas(kCanvasSelector, showCommand != SW_HIDE ? 1 : 0);
}

void WebOperatingSystem::updateWindow(WindowHandle) {
    // The window procedure paints nothing; the device presents the frames.
}

void WebOperatingSystem::setFocus(WindowHandle) {
    // The page has the keyboard while its tab does, whichever element is focused: the keys
    // are heard on the browser window.
}

Rect WebOperatingSystem::getWindowRect(WindowHandle window) {
    return isWindow(window) ? canvasRect() : Rect{};
}

Rect WebOperatingSystem::getClientRect(WindowHandle window) {
    if (!isWindow(window)) {
        return {};
    }
    int width = 0, height = 0;
    emscripten_get_canvas_element_size(kCanvasSelector, &width, &height);
    return {0, 0, width, height};
}

Point WebOperatingSystem::screenToClient(WindowHandle window, Point screen) {
    if (!isWindow(window)) {
        return screen;
    }
    const Rect canvas = canvasRect();
    return {screen.x - canvas.left, screen.y - canvas.top};
}

void WebOperatingSystem::setWindowStyle(WindowHandle window, std::uint32_t windowStyle) {
    if (!isWindow(window)) {
        return;
    }
    style = windowStyle;
    if (styleHasFrame(windowStyle)) {
        // Also drops a request the browser has not granted yet.
        emscripten_exit_fullscreen();
    }
}

std::uint32_t WebOperatingSystem::getWindowStyle(WindowHandle window) {
    return isWindow(window) ? style : 0;
}

void WebOperatingSystem::setWindowPos(WindowHandle window, std::int32_t, std::int32_t,
                                      std::int32_t width, std::int32_t height) {
    if (!isWindow(window)) {
        return;
    }
    if (!styleHasFrame(style)) {
        const DisplayMode display = currentDisplayMode();
        if (width >= display.width && height >= display.height) {
            // The program runs its pass outside any event, so the request waits for the next
            // key or button event, still within the user's act (the Enter key's release).
            emscripten_request_fullscreen(kCanvasSelector, true);
            return;
        }
    }
    windowedWidth = std::max(1, width);
    windowedHeight = std::max(1, height);
    // In full screen the size waits for the browser to leave it (onFullScreen).
    if (!canvasFullScreen) {
        sizeCanvas(windowedWidth, windowedHeight);
    }
}

DisplayMode WebOperatingSystem::currentDisplayMode() {
    const int width = velmoraScreenWidth();
    const int height = velmoraScreenHeight();
    return {width, height, 0};
}

void WebOperatingSystem::restoreDisplaySettings() {
    // Full screen is the browser's, at the display's own mode: nothing to restore.
}

void WebOperatingSystem::setWindowText(WindowHandle window, const char* text) {
    if (!isWindow(window)) {
        return;
    }
    velmoraSetTitle(text == nullptr ? "" : text);
}

void WebOperatingSystem::messageBox(const char* text, const char* caption) {
    const char* body = text == nullptr ? "" : text;
    const char* title = caption == nullptr ? "" : caption;
    std::fprintf(stderr, "%s: %s\n", title, body);
    velmoraShowMessage(body, title);
}

std::int16_t WebOperatingSystem::getAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= kVirtualKeyCount) {
        return 0;
    }
    // The program quits on Escape, but in a page Escape is how the user takes the pointer back
    // from mouse look and leaves full screen (the browser's own use of it, which the page
    // cannot refuse), and a page that quit would stop dead in its tab: it never reads as held.
    if (virtualKey == VK_ESCAPE) {
        return 0;
    }
    return keyboard.held(virtualKey) ? kKeyHeld : 0;
}

Point WebOperatingSystem::getCursorPos() {
    return {pointer.x + offset.x, pointer.y + offset.y};
}

void WebOperatingSystem::setCursorPos(std::int32_t x, std::int32_t y) {
    // The page's pointer cannot be moved: the cursor the program sees is put there instead,
    // and moves on with the pointer's motion from there.
    offset = Point{x - pointer.x, y - pointer.y};
}

bool WebOperatingSystem::queryPerformanceFrequency(std::int64_t& frequency) {
    frequency = 1'000'000;
    return true;
}

bool WebOperatingSystem::queryPerformanceCounter(std::int64_t& count) {
    // emscripten_get_now is performance.now(): milliseconds, fractional, coarsened by some
    // browsers; kept from going back all the same, for the frame timer's sake.
    const auto now = static_cast<std::int64_t>(std::llround(emscripten_get_now() * 1000.0));
    lastCount = std::max(lastCount, now);
    count = lastCount;
    return true;
}

}  // namespace velmora

extern "C" EMSCRIPTEN_KEEPALIVE void velmoraFileDropped(void* os, const char* path) {
    if (os != nullptr && path != nullptr) {
        static_cast<velmora::WebOperatingSystem*>(os)->fileDropped(path);
    }
}
