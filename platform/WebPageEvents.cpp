// The page's events into the page's operating system: keys, buttons, motion, the wheel, focus,
// pointer lock and full screen, each turned into what the program polls or takes as a message.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

#include "platform/WebOperatingSystem.h"

namespace velmora {

namespace {

/// The program's mouse-look key: held, it recentres the cursor each pass (Application).
constexpr int kLookKey = 'E';

/// The canvas's id, for the events that name their element by id.
const char* canvasId() {
    return WebOperatingSystem::kCanvasSelector + 1;
}

WebOperatingSystem& osOf(void* userData) {
    return *static_cast<WebOperatingSystem*>(userData);
}

}  // namespace

struct WebOperatingSystem::Events {
    static EM_BOOL key(int type, const EmscriptenKeyboardEvent* event, void* userData) {
        return osOf(userData).onKey(virtualKeyFromDomCode(event->code),
                                    type == EMSCRIPTEN_EVENT_KEYDOWN, event->ctrlKey != 0);
    }
    static EM_BOOL mouseButton(int type, const EmscriptenMouseEvent* event, void* userData) {
        // A press says where it is too: a tool acts where the button went down, even when no
        // move came before it (a touch screen's tap, a scripted click).
        osOf(userData).onMouseMove(Point{static_cast<std::int32_t>(event->clientX),
                                         static_cast<std::int32_t>(event->clientY)},
                                   Point{});
        return osOf(userData).onMouseButton(event->button, type == EMSCRIPTEN_EVENT_MOUSEDOWN);
    }
    static EM_BOOL mouseMove(int, const EmscriptenMouseEvent* event, void* userData) {
        // clientX and clientY count from the viewport's corner, as the canvas's bounding
        // rectangle does, so the two subtract to canvas pixels.
        osOf(userData).onMouseMove(Point{static_cast<std::int32_t>(event->clientX),
                                         static_cast<std::int32_t>(event->clientY)},
                                   Point{static_cast<std::int32_t>(event->movementX),
                                         static_cast<std::int32_t>(event->movementY)});
        return false;
    }
    static EM_BOOL wheel(int, const EmscriptenWheelEvent* event, void* userData) {
        return osOf(userData).onWheel(event->deltaY, static_cast<unsigned>(event->deltaMode),
                                      event->mouse.ctrlKey != 0);
    }
    static EM_BOOL focus(int type, const EmscriptenFocusEvent*, void* userData) {
        osOf(userData).onFocus(type == EMSCRIPTEN_EVENT_FOCUS);
        return false;
    }
    static EM_BOOL pointerLock(int, const EmscriptenPointerlockChangeEvent* event, void* userData) {
        osOf(userData).onPointerLock(event->isActive && std::strcmp(event->id, canvasId()) == 0);
        return false;
    }
    static EM_BOOL fullScreen(int, const EmscriptenFullscreenChangeEvent* event, void* userData) {
        osOf(userData).onFullScreen(event->isFullscreen && std::strcmp(event->id, canvasId()) == 0,
                                    event->screenWidth, event->screenHeight);
        return false;
    }
};

void WebOperatingSystem::listen(bool on) {
    void* self = on ? this : nullptr;
    const char* canvas = kCanvasSelector;
    const char* page = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    const char* document = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    // Keys wherever the page has the keyboard; the canvas has it only once focused.
    emscripten_set_keydown_callback(page, self, true, on ? Events::key : nullptr);
    emscripten_set_keyup_callback(page, self, true, on ? Events::key : nullptr);
    // Presses on the canvas alone, so that the page's other elements stay usable; releases
    // and motion anywhere, so that a drag leaving the canvas neither sticks nor stops.
    emscripten_set_mousedown_callback(canvas, self, false, on ? Events::mouseButton : nullptr);
    emscripten_set_mouseup_callback(page, self, true, on ? Events::mouseButton : nullptr);
    emscripten_set_mousemove_callback(page, self, true, on ? Events::mouseMove : nullptr);
    emscripten_set_wheel_callback(canvas, self, false, on ? Events::wheel : nullptr);
    // Not capturing: the page's own elements gaining and losing focus would pass through too.
    emscripten_set_focus_callback(page, self, false, on ? Events::focus : nullptr);
    emscripten_set_blur_callback(page, self, false, on ? Events::focus : nullptr);
    emscripten_set_pointerlockchange_callback(document, self, false,
                                              on ? Events::pointerLock : nullptr);
    emscripten_set_fullscreenchange_callback(document, self, false,
                                             on ? Events::fullScreen : nullptr);
}

bool WebOperatingSystem::onKey(int virtualKey, bool down, bool ctrlHeld) {
    if (virtualKey == 0) {
        return false;
    }
    if (down) {
        if (virtualKey == kLookKey && !keyboard.held(kLookKey)) {
            // A page may lock the pointer only while the user acts: now, in the key's event.
            emscripten_request_pointerlock(kCanvasSelector, true);
        }
        keyboard.press(virtualKey);
    } else {
        keyboard.release(virtualKey);
        if (virtualKey == kLookKey) {
            endLook();
        }
    }
    return pageKeepsKey(virtualKey, ctrlHeld);
}

bool WebOperatingSystem::onMouseButton(int button, bool down) {
    const int virtualKey = virtualKeyFromMouseButton(button);
    if (down) {
        keyboard.press(virtualKey);
        // On the canvas: no text selection while dragging, no middle-button autoscroll.
        return true;
    }
    keyboard.release(virtualKey);
    return false;
}

void WebOperatingSystem::onMouseMove(Point position, Point movement) {
    if (pointerLocked) {
        // A locked pointer stays where it was; only its motion comes.
        offset.x += movement.x;
        offset.y += movement.y;
        return;
    }
    pointer = position;
    if (!keyboard.held(kLookKey)) {
        offset = Point{};
    }
}

bool WebOperatingSystem::onWheel(double deltaY, unsigned deltaMode, bool ctrlHeld) {
    if (ctrlHeld) {
        return false;  // the page's zoom, and a trackpad's pinch, which browsers send so
    }
    const int amount = wheel.amount(deltaY, deltaMode);
    if (amount != 0) {
        queue.post(Message{handle(), WM_MOUSEWHEEL, wheelWParam(amount), 0});
    }
    return true;  // the page does not scroll under the canvas
}

void WebOperatingSystem::onFocus(bool gained) {
    if (!gained) {
        keyboard.releaseAll();
        endLook();
    }
    queue.post(
        Message{handle(), gained ? std::uint32_t{WM_SETFOCUS} : std::uint32_t{WM_KILLFOCUS}, 0, 0});
}

void WebOperatingSystem::onPointerLock(bool canvasLocked) {
    pointerLocked = canvasLocked;
}

void WebOperatingSystem::onFullScreen(bool canvasFull, std::int32_t screenWidth,
                                      std::int32_t screenHeight) {
    if (canvasFull) {
        canvasFullScreen = true;
        sizeCanvas(screenWidth, screenHeight);
    } else if (canvasFullScreen) {
        // Left by the program or by the user's Escape: back to the windowed size either way.
        canvasFullScreen = false;
        sizeCanvas(windowedWidth, windowedHeight);
    }
}

void WebOperatingSystem::endLook() {
    offset = Point{};
    emscripten_exit_pointerlock();
}

}  // namespace velmora
