#pragma once
// Shared by the renderer tests: an effect decorator that fails on purpose, an operating system that
// keeps warning boxes instead of showing them, and geometry data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/GpuDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "platform/SdlOperatingSystem.h"
#include "render/D3DGeometryBuffer.h"
#include "render/D3DRenderer.h"

namespace velmora::test {

inline std::string sourcePath(const char* relative) {
    return std::string(VELMORA_SOURCE_DIR) + "/" + relative;
}

/// An effect that forwards to another one, fails begin or beginPass when told, and counts
/// the ends.
class FaultyEffect final : public Effect {
  public:
    explicit FaultyEffect(Effect& inner) : inner_(inner) {}
    HRESULT setMatrix(const char* name, const Matrix4& value) override {
        return inner_.setMatrix(name, value);
    }
    HRESULT setTexture(const char* name, DeviceTexture* texture) override {
        return inner_.setTexture(name, texture);
    }
    HRESULT setTechnique(const char* name) override { return inner_.setTechnique(name); }
    HRESULT begin(std::uint32_t* passCount, std::uint32_t flags) override {
        return failBegin ? E_FAIL : inner_.begin(passCount, flags);
    }
    HRESULT beginPass(std::uint32_t pass) override {
        return failBeginPass ? E_FAIL : inner_.beginPass(pass);
    }
    HRESULT endPass() override { return inner_.endPass(); }
    HRESULT end() override {
        ++ends;
        return inner_.end();
    }

    bool failBegin = false;
    bool failBeginPass = false;
    int ends = 0;

  private:
    Effect& inner_;
};

/// The SDL operating system with warning boxes kept in a list: a real box would wait for a
/// click that never comes on a test display.
class BoxKeepingSdl final : public OperatingSystem {
  public:
    struct Box {
        std::string text;
        std::string caption;
    };
    bool peekMessage(Message& out) override { return sdl.peekMessage(out); }
    void translateMessage(const Message& m) override { sdl.translateMessage(m); }
    std::intptr_t dispatchMessage(const Message& m) override { return sdl.dispatchMessage(m); }
    void postQuitMessage(int code) override { sdl.postQuitMessage(code); }
    std::intptr_t defWindowProc(WindowHandle w, std::uint32_t m, std::uintptr_t wp,
                                std::intptr_t lp) override {
        return sdl.defWindowProc(w, m, wp, lp);
    }
    bool registerClass(const WindowClass& c) override { return sdl.registerClass(c); }
    bool unregisterClass(const char* name) override { return sdl.unregisterClass(name); }
    Rect adjustWindowRect(const Rect& client, std::uint32_t style) override {
        return sdl.adjustWindowRect(client, style);
    }
    WindowHandle createWindow(const char* className, const char* title, std::uint32_t style,
                              std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) override {
        return sdl.createWindow(className, title, style, x, y, width, height);
    }
    void showWindow(WindowHandle w, int command) override { sdl.showWindow(w, command); }
    void updateWindow(WindowHandle w) override { sdl.updateWindow(w); }
    void setFocus(WindowHandle w) override { sdl.setFocus(w); }
    Rect getWindowRect(WindowHandle w) override { return sdl.getWindowRect(w); }
    Rect getClientRect(WindowHandle w) override { return sdl.getClientRect(w); }
    Point screenToClient(WindowHandle w, Point p) override { return sdl.screenToClient(w, p); }
    void setWindowStyle(WindowHandle w, std::uint32_t style) override {
        sdl.setWindowStyle(w, style);
    }
    std::uint32_t getWindowStyle(WindowHandle w) override { return sdl.getWindowStyle(w); }
    void setWindowPos(WindowHandle w, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height) override {
        sdl.setWindowPos(w, x, y, width, height);
    }
    DisplayMode currentDisplayMode() override { return sdl.currentDisplayMode(); }
    void restoreDisplaySettings() override { sdl.restoreDisplaySettings(); }
    void setWindowText(WindowHandle w, const char* text) override { sdl.setWindowText(w, text); }
    void messageBox(const char* text, const char* caption) override {
        messageBoxes.push_back({text, caption});
    }
    std::int16_t getAsyncKeyState(int key) override { return sdl.getAsyncKeyState(key); }
    Point getCursorPos() override { return sdl.getCursorPos(); }
    void setCursorPos(std::int32_t x, std::int32_t y) override { sdl.setCursorPos(x, y); }
    bool queryPerformanceFrequency(std::int64_t& f) override {
        return sdl.queryPerformanceFrequency(f);
    }
    bool queryPerformanceCounter(std::int64_t& c) override {
        return sdl.queryPerformanceCounter(c);
    }

    SdlOperatingSystem sdl;
    std::vector<Box> messageBoxes;
};

/// Registers the class "renderer" and opens a shown window with an 800 x 600 client area.
inline WindowHandle open800x600(OperatingSystem& os) {
    WindowClass windowClass;
    windowClass.windowProc = [](WindowHandle, std::uint32_t, std::uintptr_t,
                                std::intptr_t) -> std::intptr_t { return 0; };
    windowClass.instance = &os;
    windowClass.className = "renderer";
    os.registerClass(windowClass);
    const std::uint32_t style = WS_CAPTION | WS_SYSMENU;
    const Rect outer = os.adjustWindowRect({0, 0, 800, 600}, style);
    WindowHandle window =
        os.createWindow("renderer", "Velmora", style, 0, 0, outer.width(), outer.height());
    os.showWindow(window, SW_SHOWNORMAL);
    return window;
}

/// Arrays for a geometry of `vertexCount` vertices in a row along x, all of one colour.
struct GeometryData {
    explicit GeometryData(std::uint32_t vertexCount, std::uint32_t color = 0xFFFFFFFF) {
        for (std::uint32_t i = 0; i < vertexCount; ++i) {
            positions.push_back({static_cast<float>(i), 0.0f, 0.0f});
            colors.push_back(color);
            texCoords.insert(texCoords.end(), {0.0f, 0.0f});
            texCoords2.insert(texCoords2.end(), {1.0f, 1.0f});
            blend.push_back(0x01020304);
        }
    }
    std::vector<Vec3> positions;
    std::vector<std::uint32_t> colors;
    std::vector<float> texCoords;
    std::vector<float> texCoords2;
    std::vector<std::uint32_t> blend;
};

}  // namespace velmora::test
