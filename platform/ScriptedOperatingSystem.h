#pragma once
// A scripted operating system: no window system, no display. Implements every call of the
// seam from state the caller sets (held keys and buttons, cursor, counter and frequency,
// display mode, queued messages) and records what the system did (titles, styles, warning
// boxes, posted quits). It follows the SDL one wherever the system could tell them apart:
// the same queue order, the same rectangle arithmetic (framed styles grow by `frame`, zero by
// default as under X without a window manager), CW_USEDEFAULT centres the client area on the
// display, setFocus queues WM_SETFOCUS when the focus moves, setCursorPos moves the cursor.
// Unlike SDL it leaves held keys as the caller set them when the focus is lost.
// Depends on the standard library only; usable with or without a test framework.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/OperatingSystem.h"
#include "platform/OsWindowRules.h"
#include "platform/VirtualKeys.h"

namespace velmora {

class ScriptedOperatingSystem final : public OperatingSystem {
  public:
    // What the caller feeds.
    /// Held virtual keys and mouse buttons (1 left, 2 right, 4 middle). VK_SHIFT,
    /// VK_CONTROL and VK_MENU also read as held while one of their left or right keys is.
    std::array<bool, kVirtualKeyCount> keys{};
    Point cursor;              ///< screen pixels
    std::int64_t counter = 0;  ///< the performance counter's value
    /// Added to `counter` after each read, for a clock that runs by itself (headless runs).
    std::int64_t counterStep = 0;
    std::int64_t frequency = 1'000'000;  ///< counts per second
    bool counterFails = false;
    DisplayMode displayMode{1280, 800, 60};
    /// Frame around windows of a framed style.
    FrameSize frame;

    void setKey(int virtualKey, bool held);
    /// Queues a message for the window created last.
    void pushWindowMessage(std::uint32_t message, std::uintptr_t wParam = 0);
    /// The window loses the keyboard focus (WM_KILLFOCUS is queued if it had it).
    void loseFocus();
    /// A file dropped on the window created last: WM_DROPFILES is queued.
    void dropFile(const std::string& path);

    /// Whether the lists below grow. A long headless run turns this off so its memory stays
    /// flat; the window state, the queue and the counters work either way.
    bool keepHistory = true;

    // What the caller reads back.
    struct Box {
        std::string text;
        std::string caption;
    };
    std::vector<std::string> titles;    ///< every title set, in order
    std::vector<std::uint32_t> styles;  ///< every setWindowStyle, in order
    std::vector<Box> messageBoxes;
    std::vector<int> postedQuits;
    int displaySettingsRestores = 0;

    std::size_t pendingMessages() const { return queue.size(); }

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
    template <class T, class Value>
    void remember(std::vector<T>& history, Value&& value) {
        if (keepHistory) {
            history.emplace_back(std::forward<Value>(value));
        }
    }

    struct Window {
        WindowProc windowProc = nullptr;
        std::uint32_t style = 0;
        Rect outer;  ///< screen pixels
    };

    /// The window created last, null before the first.
    WindowHandle lastWindow() const;
    Window* find(WindowHandle window);
    const Window* find(WindowHandle window) const;
    FrameSize frameFor(std::uint32_t style) const {
        return styleHasFrame(style) ? frame : FrameSize{};
    }

    WindowClassTable classes;
    std::vector<std::unique_ptr<Window>> windows;
    WindowMessageQueue queue;
    WindowHandle focus = nullptr;
    std::vector<std::string> drops;  ///< every dropped path; a drop's number is its index + 1
};

}  // namespace velmora
