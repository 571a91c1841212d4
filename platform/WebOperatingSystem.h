#pragma once
// The operating system of the web page, on emscripten's html5 API; the page's canvas
// ("#canvas") is the one window.
// Implements: the message queue, fed from the page's events (the browser window's focus gained
// -> WM_SETFOCUS, lost -> WM_KILLFOCUS, the wheel over the canvas -> WM_MOUSEWHEEL, a file the
// page hands over through fileDropped -> WM_DROPFILES, whose path droppedFile gives) plus the
// posted quit, and nothing else; window classes by name; one window, the canvas, whose client
// area is the canvas's size and whose screen is the page in CSS pixels (the outer rectangle is
// the canvas's bounding rectangle: a page draws no frame); keys by Windows virtual-key code from
// KeyboardEvent.code, mouse buttons pressed on the canvas, the cursor where the pointer is;
// full screen as the browser's full screen of the canvas; the screen's size as the display
// mode; the page's title; warnings in the page; a microsecond clock.
// Leaves out: WM_CLOSE and WM_DESTROY never arrive (closing the tab ends everything at once);
// Escape never reads as held (see getAsyncKeyState); browsers cannot move the pointer, so
// setCursorPos moves a cursor of this object's own, and the mouse-look key (E) locks the
// pointer to the canvas while held so that motion goes on past the canvas's edges; display
// modes are never changed; keys count only while the page has the keyboard, and all are let go
// when it loses it, since the page hears no releases then.
// Depends on: emscripten's html5.h and EM_JS (the web build alone compiles it; the page's
// events come in through platform/WebPageEvents.cpp), platform/WebKeyMap,
// platform/OsWindowRules; a page with <canvas id="canvas">. Its callbacks carry this object as
// their userData; the object must outlive the main loop.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/OperatingSystem.h"
#include "platform/OsWindowRules.h"
#include "platform/WebKeyMap.h"

namespace velmora {

class WebOperatingSystem final : public OperatingSystem {
  public:
    /// The CSS selector of the canvas that is the window.
    static constexpr const char* kCanvasSelector = "#canvas";

    WebOperatingSystem() = default;
    /// Takes its callbacks back from the page and lets the pointer go.
    ~WebOperatingSystem() override;
    WebOperatingSystem(const WebOperatingSystem&) = delete;
    WebOperatingSystem& operator=(const WebOperatingSystem&) = delete;

    /// A file dropped on the page, already written into the in-memory file system at `path`:
    /// kept for droppedFile and announced by WM_DROPFILES. Nothing happens before the window
    /// exists. The page's drop handler reaches it through velmoraFileDropped (below).
    void fileDropped(const std::string& path);
    /// The page's program has ended (or never started): its keys go back to the browser (F5
    /// reloads again), the pointer is let go and nothing more is queued.
    void stopListening();

    bool peekMessage(Message& out) override;
    void translateMessage(const Message& message) override;
    std::intptr_t dispatchMessage(const Message& message) override;
    void postQuitMessage(int exitCode) override;
    std::intptr_t defWindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override;

    bool registerClass(const WindowClass& windowClass) override;
    bool unregisterClass(const char* className) override;
    /// The client rectangle itself: a page draws no frame.
    Rect adjustWindowRect(const Rect& client, std::uint32_t style) override;
    /// The canvas, sized to width x height (its CSS size too), its position left to the page;
    /// null without a canvas, for a class not registered, or once the window exists. Leaves
    /// this object's address in the page's Module.velmoraOs for the drop handler.
    WindowHandle createWindow(const char* className, const char* title, std::uint32_t style,
                              std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) override;
    void showWindow(WindowHandle window, int showCommand) override;
    void updateWindow(WindowHandle window) override;
    void setFocus(WindowHandle window) override;
    Rect getWindowRect(WindowHandle window) override;
    /// The canvas's size as it is now: the browser resizes it on entering and leaving full
    /// screen, the user's Escape included.
    Rect getClientRect(WindowHandle window) override;
    Point screenToClient(WindowHandle window, Point screen) override;
    /// A framed style leaves the browser's full screen.
    void setWindowStyle(WindowHandle window, std::uint32_t style) override;
    std::uint32_t getWindowStyle(WindowHandle window) override;
    /// Without a frame and covering the display: asks the browser for full screen, which it
    /// grants at the next key or button event (a page may only ask while the user acts);
    /// otherwise the canvas's size. The position is the page's.
    void setWindowPos(WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height) override;
    /// screen.width x screen.height, rate unknown.
    DisplayMode currentDisplayMode() override;
    void restoreDisplaySettings() override;
    /// The page's title.
    void setWindowText(WindowHandle window, const char* text) override;
    /// Shows the warning in the page's element of id "message", made if missing, and on the
    /// console; never a modal alert, which would stop the page.
    void messageBox(const char* text, const char* caption) override;

    std::int16_t getAsyncKeyState(int virtualKey) override;
    Point getCursorPos() override;
    void setCursorPos(std::int32_t x, std::int32_t y) override;

    /// Microseconds.
    bool queryPerformanceFrequency(std::int64_t& frequency) override;
    bool queryPerformanceCounter(std::int64_t& count) override;
    bool droppedFile(std::uintptr_t drop, std::string& path) override;

  private:
    /// The html5 callbacks, which reach this object through their userData.
    struct Events;

    WindowHandle handle() { return reinterpret_cast<WindowHandle>(this); }
    bool isWindow(WindowHandle window) { return windowMade && window == handle(); }
    /// Registers the page's callbacks, or with `on` false takes them back.
    void listen(bool on);
    /// Sets the canvas's size and CSS size, pixels.
    void sizeCanvas(std::int32_t width, std::int32_t height);
    /// The canvas's bounding rectangle in the page, CSS pixels.
    Rect canvasRect();
    /// The mouse-look key went up or the page lost the keyboard: the cursor is the pointer
    /// again and the pointer is free.
    void endLook();

    // What the events do; each returns whether the browser's own handling is prevented.
    bool onKey(int virtualKey, bool down, bool ctrlHeld);
    bool onMouseButton(int button, bool down);
    void onMouseMove(Point position, Point movement);
    bool onWheel(double deltaY, unsigned deltaMode, bool ctrlHeld);
    void onFocus(bool gained);
    void onPointerLock(bool canvasLocked);
    void onFullScreen(bool canvasFull, std::int32_t screenWidth, std::int32_t screenHeight);

    WindowClassTable classes;
    bool windowMade = false;
    bool stopped = false;  ///< stopListening has run
    WindowProc windowProc = nullptr;
    std::uint32_t style = 0;
    WindowMessageQueue queue;

    WebKeyboard keyboard;
    WheelNotches wheel;
    /// Where the page's pointer is, page pixels; it stays put while locked.
    Point pointer;
    /// From the pointer to the cursor the program sees: what setCursorPos moved it by, plus the
    /// motion while the pointer is locked. Zero once the pointer moves outside mouse look.
    Point offset;
    bool pointerLocked = false;
    /// The canvas is the browser's full-screen element.
    bool canvasFullScreen = false;
    /// The canvas's size out of full screen, pixels.
    std::int32_t windowedWidth = 0;
    std::int32_t windowedHeight = 0;

    std::int64_t lastCount = 0;

    /// Dropped files not asked about yet, by the number their WM_DROPFILES carries.
    std::vector<std::pair<std::uintptr_t, std::string>> drops;
    std::uintptr_t lastDrop = 0;
    static constexpr std::size_t kKeptDrops = 8;
};

}  // namespace velmora

extern "C" {
/// For the page's drop handler, once it has written the dropped file into the in-memory file
/// system: hands `path` to os->fileDropped, `os` being the WebOperatingSystem* the page got
/// from C++ (Module.velmoraOs). Null arguments are ignored. From JavaScript:
/// Module.ccall('velmoraFileDropped', null, ['number', 'string'], [Module.velmoraOs, path]).
void velmoraFileDropped(void* os, const char* path);
}
