#pragma once
// An operating system that hands every call to another one. Session recording and replay
// derive from it and take over the few calls they observe or answer themselves; it keeps the
// window made through it, the program's one window, for them.
// Standard library only.
#include "platform/OperatingSystem.h"

namespace velmora {

class ForwardingOperatingSystem : public OperatingSystem {
  public:
    explicit ForwardingOperatingSystem(OperatingSystem& inner_) : inner(inner_) {}

    bool peekMessage(Message& out) override { return inner.peekMessage(out); }
    void translateMessage(const Message& message) override { inner.translateMessage(message); }
    std::intptr_t dispatchMessage(const Message& message) override {
        return inner.dispatchMessage(message);
    }
    void postQuitMessage(int exitCode) override { inner.postQuitMessage(exitCode); }
    std::intptr_t defWindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override {
        return inner.defWindowProc(window, message, wParam, lParam);
    }
    bool registerClass(const WindowClass& windowClass) override {
        return inner.registerClass(windowClass);
    }
    bool unregisterClass(const char* className) override {
        return inner.unregisterClass(className);
    }
    Rect adjustWindowRect(const Rect& client, std::uint32_t style) override {
        return inner.adjustWindowRect(client, style);
    }
    WindowHandle createWindow(const char* className, const char* title, std::uint32_t style,
                              std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) override {
        window = inner.createWindow(className, title, style, x, y, width, height);
        return window;
    }
    void showWindow(WindowHandle window, int showCommand) override {
        inner.showWindow(window, showCommand);
    }
    void updateWindow(WindowHandle window) override { inner.updateWindow(window); }
    void setFocus(WindowHandle window) override { inner.setFocus(window); }
    Rect getWindowRect(WindowHandle window) override { return inner.getWindowRect(window); }
    Rect getClientRect(WindowHandle window) override { return inner.getClientRect(window); }
    Point screenToClient(WindowHandle window, Point screen) override {
        return inner.screenToClient(window, screen);
    }
    Point clientToScreen(WindowHandle window, Point client) override {
        return inner.clientToScreen(window, client);
    }
    void setWindowStyle(WindowHandle window, std::uint32_t style) override {
        inner.setWindowStyle(window, style);
    }
    std::uint32_t getWindowStyle(WindowHandle window) override {
        return inner.getWindowStyle(window);
    }
    void setWindowPos(WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height) override {
        inner.setWindowPos(window, x, y, width, height);
    }
    DisplayMode currentDisplayMode() override { return inner.currentDisplayMode(); }
    void restoreDisplaySettings() override { inner.restoreDisplaySettings(); }
    void setWindowText(WindowHandle window, const char* text) override {
        inner.setWindowText(window, text);
    }
    void messageBox(const char* text, const char* caption) override {
        inner.messageBox(text, caption);
    }
    std::int16_t getAsyncKeyState(int virtualKey) override {
        return inner.getAsyncKeyState(virtualKey);
    }
    Point getCursorPos() override { return inner.getCursorPos(); }
    void setCursorPos(std::int32_t x, std::int32_t y) override { inner.setCursorPos(x, y); }
    bool queryPerformanceFrequency(std::int64_t& frequency) override {
        return inner.queryPerformanceFrequency(frequency);
    }
    bool queryPerformanceCounter(std::int64_t& count) override {
        return inner.queryPerformanceCounter(count);
    }
    std::vector<std::string> findSceneFiles(const std::string& folder, std::size_t most) override {
        return inner.findSceneFiles(folder, most);
    }
    bool readWholeFile(const std::string& path, std::uint64_t maxBytes, std::string& text,
                       std::string& error) override {
        return inner.readWholeFile(path, maxBytes, text, error);
    }
    bool droppedFile(std::uintptr_t drop, std::string& path) override {
        return inner.droppedFile(drop, path);
    }

    OperatingSystem& inner;
    /// The window made through this system last; null before.
    WindowHandle window = nullptr;
};

}  // namespace velmora
