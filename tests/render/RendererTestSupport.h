#pragma once
// Shared by the renderer tests: an SDL system that keeps its warning boxes, an 800 x 600
// window, geometry data, and the one renderer on a recording device with what its buffers hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ForwardingOperatingSystem.h"
#include "platform/RecordingDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "platform/SdlOperatingSystem.h"
#include "render/D3DGeometryBuffer.h"
#include "render/D3DRenderer.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "tests/render/PictureFiles.h"

namespace velmora::test {

inline std::string sourcePath(const char* relative) {
    return std::string(VELMORA_SOURCE_DIR) + "/" + relative;
}

/// The SDL system keeping warning boxes in a list: a real one would wait for a click forever.
class BoxKeepingSdl final : public ForwardingOperatingSystem {
  public:
    BoxKeepingSdl() : ForwardingOperatingSystem(sdl) {}
    void messageBox(const char* text, const char* caption) override {
        messageBoxes.push_back({text, caption});
    }

    SdlOperatingSystem sdl;
    std::vector<ScriptedOperatingSystem::Box> messageBoxes;
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

/// A recording buffer's bytes as an array of T, at most `count` of them.
template <typename T, typename Buffer>
std::vector<T> contents(Buffer* buffer, std::size_t count = SIZE_MAX) {
    const auto& bytes = static_cast<RecordingBuffer<Buffer>*>(buffer)->store.bytes;
    std::vector<T> out(std::min(count, bytes.size() / sizeof(T)));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
    return out;
}

inline const ManagedTexels& texels(Texture* texture) {
    return static_cast<RecordingTexture*>(texture->nativeTexture())->store;
}

/// The one renderer on a recording device over a scripted window, emptied again after each
/// test together with the texture manager.
class RecordingRenderer : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRendererToConstructedState();
        gTextureManager->clear();
        window = open800x600(os);
        gRenderer->usePlatform(os, recordingDirect3DCreate);
        ASSERT_TRUE(gRenderer->init(window, false, true));
    }
    void TearDown() override {
        gTextureManager->clear();
        resetRendererToConstructedState();
    }
    RecordingDevice& device() { return static_cast<RecordingDevice&>(*gRenderer->device); }

    ScriptedOperatingSystem os;
    WindowHandle window = nullptr;
    velmora::testing::TempFolder dir;
};

}  // namespace velmora::test
