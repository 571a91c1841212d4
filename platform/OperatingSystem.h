#pragma once
// The operating-system seam: the Win32 and kernel32 calls the system makes, under their own
// names, as one interface. Two implementations: SdlOperatingSystem (the real window, SDL2)
// and ScriptedOperatingSystem (keys, cursor, clock and messages fed by a test or by the
// headless run). Nothing outside platform/ sees SDL.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

/// The longest file name findSceneFiles gives, bytes (Linux's own limit).
inline constexpr std::size_t kLongestListedName = 255;

/// Opaque handle of the one window; null when there is none.
using WindowHandle = struct WindowHandleTag*;

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Point&) const = default;
};

/// Screen or client pixels, right and bottom exclusive.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

/// The window messages the system acts on, with their Windows codes.
enum : std::uint32_t {
    WM_DESTROY = 0x0002,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_MOUSEWHEEL = 0x020A,  ///< wParam's high word: signed, 120 a notch away from the user
    WM_DROPFILES = 0x0233,   ///< wParam: the drop, for droppedFile
};

struct Message {
    WindowHandle window = nullptr;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

using WindowProc = std::intptr_t (*)(WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam);

/// Window styles, Windows values.
enum : std::uint32_t {
    WS_POPUP = 0x80000000u,
    WS_CLIPSIBLINGS = 0x04000000u,
    WS_CLIPCHILDREN = 0x02000000u,
    WS_CAPTION = 0x00C00000u,
    WS_SYSMENU = 0x00080000u,
    WS_THICKFRAME = 0x00040000u,
    WS_MINIMIZEBOX = 0x00020000u,
    WS_MAXIMIZEBOX = 0x00010000u,
};
/// Class styles.
enum : std::uint32_t { CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002 };
/// Where the platform may choose the window position.
inline constexpr std::int32_t CW_USEDEFAULT = static_cast<std::int32_t>(0x80000000u);
/// Show commands.
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1 };

class OperatingSystem;

/// What RegisterClassA is given. Icon, background brush, menu and the extra bytes are
/// always none in this system and so are not represented.
struct WindowClass {
    std::uint32_t style = 0;
    WindowProc windowProc = nullptr;
    OperatingSystem* instance = nullptr;
    bool arrowCursor = false;  ///< LoadCursorA(IDC_ARROW)
    const char* className = nullptr;
};

/// The current mode of the primary display (EnumDisplaySettingsA, ENUM_CURRENT_SETTINGS).
struct DisplayMode {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t refreshRate = 0;  ///< hertz, 0 when unknown
};

class OperatingSystem {
  public:
    virtual ~OperatingSystem() = default;

    // Message queue. Only close, destroy, focus gained and focus lost reach it, plus the
    // posted quit; nothing else may take a pass's one message.
    /// PeekMessageA with PM_REMOVE: takes one message if there is one, never waits.
    virtual bool peekMessage(Message& out) = 0;
    virtual void translateMessage(const Message& message) = 0;
    /// Calls the procedure of the window's class; a message without window gives 0.
    virtual std::intptr_t dispatchMessage(const Message& message) = 0;
    virtual void postQuitMessage(int exitCode) = 0;
    virtual std::intptr_t defWindowProc(WindowHandle window, std::uint32_t message,
                                        std::uintptr_t wParam, std::intptr_t lParam) = 0;

    // Windows.
    virtual bool registerClass(const WindowClass& windowClass) = 0;
    virtual bool unregisterClass(const char* className) = 0;
    /// AdjustWindowRect without menu: the outer rectangle around the given client one.
    virtual Rect adjustWindowRect(const Rect& client, std::uint32_t style) = 0;
    /// CreateWindowExA without extended style, parent, menu or creation data.
    virtual WindowHandle createWindow(const char* className, const char* title, std::uint32_t style,
                                      std::int32_t x, std::int32_t y, std::int32_t width,
                                      std::int32_t height) = 0;
    virtual void showWindow(WindowHandle window, int showCommand) = 0;
    virtual void updateWindow(WindowHandle window) = 0;
    virtual void setFocus(WindowHandle window) = 0;
    /// Outer rectangle in screen pixels.
    virtual Rect getWindowRect(WindowHandle window) = 0;
    /// Client rectangle: left and top 0, right and bottom the client size.
    virtual Rect getClientRect(WindowHandle window) = 0;
    virtual Point screenToClient(WindowHandle window, Point screen) = 0;
    /// ClientToScreen: the inverse of screenToClient.
    virtual Point clientToScreen(WindowHandle window, Point client) {
        const Point origin = screenToClient(window, Point{0, 0});
        return {client.x - origin.x, client.y - origin.y};
    }
    /// SetWindowLongA(GWL_STYLE).
    virtual void setWindowStyle(WindowHandle window, std::uint32_t style) = 0;
    virtual std::uint32_t getWindowStyle(WindowHandle window) = 0;
    /// SetWindowPos(HWND_NOTOPMOST, x, y, w, h, SWP_SHOWWINDOW) with an outer size.
    virtual void setWindowPos(WindowHandle window, std::int32_t x, std::int32_t y,
                              std::int32_t width, std::int32_t height) = 0;
    virtual DisplayMode currentDisplayMode() = 0;
    /// ChangeDisplaySettingsA(NULL, 0).
    virtual void restoreDisplaySettings() = 0;
    virtual void setWindowText(WindowHandle window, const char* text) = 0;
    /// MessageBoxA(no owner, text, caption, MB_ICONWARNING); modal.
    virtual void messageBox(const char* text, const char* caption) = 0;

    // Input, polled.
    /// GetAsyncKeyState: bit 0x8000 set while the virtual key (or mouse button 1, 2, 4)
    /// is held.
    virtual std::int16_t getAsyncKeyState(int virtualKey) = 0;
    /// Cursor in screen pixels.
    virtual Point getCursorPos() = 0;
    virtual void setCursorPos(std::int32_t x, std::int32_t y) = 0;

    // High-resolution counter.
    virtual bool queryPerformanceFrequency(std::int64_t& frequency) = 0;
    virtual bool queryPerformanceCounter(std::int64_t& count) = 0;

    // Files the user opens while the program runs: what they hold comes from outside, as input
    // does, so it passes here, where a recording can keep it. Both read the disk by default.
    /// FindFirstFile over folder/*.json: the names of the regular files, newest first, at most
    /// `most`; none when the folder cannot be listed. Names of more than kLongestListedName
    /// bytes or that are not plain text (platform/Utf8.h) are left out.
    virtual std::vector<std::string> findSceneFiles(const std::string& folder, std::size_t most);
    /// ReadFile of a whole regular file of at most maxBytes (see BoundedFile): its text, or
    /// false with the reason in error.
    virtual bool readWholeFile(const std::string& path, std::uint64_t maxBytes, std::string& text,
                               std::string& error);
    /// DragQueryFile and DragFinish of a WM_DROPFILES: the dropped file's path, once; false
    /// for a drop it does not know. A system without drops knows none.
    virtual bool droppedFile(std::uintptr_t drop, std::string& path);
};

}  // namespace velmora
