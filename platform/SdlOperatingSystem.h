#pragma once
// The real operating system, on SDL2.
// Implements: the message queue, fed from SDL window events (close request -> WM_CLOSE,
// focus gained -> WM_SETFOCUS, focus lost -> WM_KILLFOCUS, the wheel -> WM_MOUSEWHEEL, a file
// dropped on the window -> WM_DROPFILES, whose path droppedFile gives) plus the posted quit, and
// nothing else; window classes by name; OpenGL windows whose WindowHandle is the SDL_Window*
// itself; framed (bordered, resizable only with WS_THICKFRAME) and pop-up (borderless) styles, with
// outer rectangles grown by the frame the window manager reports and the window manager told which
// boxes and functions the style has; keys by Windows virtual-key code; mouse buttons and cursor as
// the window's own pointer events left them (buttons only while it has the focus), cursor warp; the
// primary display's current mode; title; warning box; SDL's performance counter. Leaves out:
// WM_DESTROY never arrives, because the system never destroys its window while it runs (windows go
// with this object); display modes are never changed, so there is nothing to restore; keys count
// only while one of its windows has the keyboard focus, because SDL keeps no global keyboard state.
// Depends on: SDL2 (video), platform/SdlGlAttributes, platform/SdlKeyMap,
// platform/SdlWindowAttributes. Nothing else may take events from SDL's queue, or close
// requests, focus changes and pointer events would be lost.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/OperatingSystem.h"
#include "platform/OsWindowRules.h"
#include "platform/VirtualKeys.h"

struct SDL_Window;

namespace velmora {

class SdlOperatingSystem final : public OperatingSystem {
  public:
    /// Starts SDL's video subsystem; see videoReady.
    SdlOperatingSystem();
    /// Destroys the windows still open and stops the video subsystem.
    ~SdlOperatingSystem() override;
    SdlOperatingSystem(const SdlOperatingSystem&) = delete;
    SdlOperatingSystem& operator=(const SdlOperatingSystem&) = delete;

    /// False when SDL's video could not start (no display); createWindow then fails.
    bool videoReady() const { return videoStarted; }

    static SDL_Window* sdlWindow(WindowHandle window) {
        return reinterpret_cast<SDL_Window*>(window);
    }
    static WindowHandle handleOf(SDL_Window* window) {
        return reinterpret_cast<WindowHandle>(window);
    }

    bool peekMessage(Message& out) override;
    void translateMessage(const Message& message) override;
    std::intptr_t dispatchMessage(const Message& message) override;
    void postQuitMessage(int exitCode) override;
    std::intptr_t defWindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override;

    bool registerClass(const WindowClass& windowClass) override;
    bool unregisterClass(const char* className) override;
    Rect adjustWindowRect(const Rect& client, std::uint32_t style) override;
    WindowHandle createWindow(const char* className, const char* title, std::uint32_t style,
                              std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) override;
    void showWindow(WindowHandle window, int showCommand) override;
    void updateWindow(WindowHandle window) override;
    void setFocus(WindowHandle window) override;
    Rect getWindowRect(WindowHandle window) override;
    Rect getClientRect(WindowHandle window) override;
    Point screenToClient(WindowHandle window, Point screen) override;
    void setWindowStyle(WindowHandle window, std::uint32_t style) override;
    std::uint32_t getWindowStyle(WindowHandle window) override;
    void setWindowPos(WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height) override;
    DisplayMode currentDisplayMode() override;
    void restoreDisplaySettings() override;
    void setWindowText(WindowHandle window, const char* text) override;
    void messageBox(const char* text, const char* caption) override;

    std::int16_t getAsyncKeyState(int virtualKey) override;
    Point getCursorPos() override;
    void setCursorPos(std::int32_t x, std::int32_t y) override;

    bool queryPerformanceFrequency(std::int64_t& frequency) override;
    bool queryPerformanceCounter(std::int64_t& count) override;
    bool droppedFile(std::uintptr_t drop, std::string& path) override;

  private:
    struct WindowRecord {
        WindowProc windowProc = nullptr;
        std::uint32_t style = 0;
    };

    /// Moves SDL's pending events into the queue (only the four kinds that belong there)
    /// and brings SDL's keyboard state up to date.
    void pumpEvents();
    WindowRecord* find(WindowHandle window);
    /// The frame around the window as its style stands now.
    FrameSize frameOf(WindowHandle window);
    /// Waits, briefly and boundedly, until SDL has heard of the frame a restyle gave.
    void awaitFrame(WindowHandle window, bool framed);
    /// Keeps a dropped file's path (SDL's, which this frees) and queues its WM_DROPFILES.
    void takeDrop(std::uint32_t windowId, char* file);

    bool videoStarted = false;
    WindowClassTable classes;
    std::map<WindowHandle, WindowRecord> windows;
    WindowMessageQueue queue;
    /// The last non-empty frame the window manager reported around a framed window. Frames
    /// are reported only after a window is shown, and late after a restyle, so framed
    /// windows use this one throughout; zero without a window manager.
    FrameSize knownFrame;
    /// A framed window has been shown and the frame report waited for.
    bool frameProbed = false;
    /// The key code getAsyncKeyState was asked last; events are pumped when a query does not
    /// go above it.
    int lastKeyAsked = kVirtualKeyCount;
    /// Dropped files not asked about yet, by the number their WM_DROPFILES carries.
    std::vector<std::pair<std::uintptr_t, std::string>> drops;
    std::uintptr_t lastDrop = 0;
    static constexpr std::size_t kKeptDrops = 8;
};

}  // namespace velmora
