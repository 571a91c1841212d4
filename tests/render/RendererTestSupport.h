#pragma once
// Shared by the renderer tests: an SDL system that keeps its warning boxes, an 800 x 600
// window, geometry data, and the one renderer on a headless device with what its buffers hold
// or on the OpenGL device with the pixels it presents.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ForwardingOperatingSystem.h"
#include "platform/GlDevice.h"
#include "platform/HeadlessDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "platform/SdlOperatingSystem.h"
#include "render/D3DGeometryBuffer.h"
#include "render/D3DRenderer.h"
#include "render/Image.h"
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

/// A headless buffer's bytes as an array of T, at most count of them.
template <typename T, typename Buffer>
std::vector<T> contents(Buffer* buffer, std::size_t count = SIZE_MAX) {
    const auto& bytes = dynamic_cast<HeadlessBuffer<Buffer>&>(*buffer).store.bytes;
    std::vector<T> out(std::min(count, bytes.size() / sizeof(T)));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
    return out;
}

inline const ManagedTexels& texels(Texture* texture) {
    return static_cast<HeadlessTexture*>(texture->nativeTexture())->store;
}

/// The one renderer, initialised on a device of the system's kind over an 800 x 600 window;
/// emptied again after each test together with the texture manager.
template <typename System>
class RendererOn : public ::testing::Test {
  protected:
    void start(Direct3DCreateFn create, bool verticalSync) {
        resetRendererToConstructedState();
        gTextureManager->clear();
        window = open800x600(os);
        ASSERT_NE(window, nullptr);
        gRenderer->usePlatform(os, create);
        ASSERT_TRUE(gRenderer->init(window, false, verticalSync));
    }
    void TearDown() override {
        gTextureManager->clear();
        resetRendererToConstructedState();
    }

    System os;
    WindowHandle window = nullptr;
};

/// On a headless device over a scripted window.
class HeadlessRenderer : public RendererOn<ScriptedOperatingSystem> {
  protected:
    void SetUp() override { start(headlessDirect3DCreate, true); }
    HeadlessDevice& device() { return static_cast<HeadlessDevice&>(*gRenderer->device); }

    velmora::testing::TempFolder dir;
};

/// On the OpenGL device over an SDL window, with the effect file (needs a display).
class GlRenderer : public RendererOn<BoxKeepingSdl> {
  protected:
    void SetUp() override {
        start(glDirect3DCreate, false);
        ASSERT_TRUE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
        gRenderer->setEffect(effect.get());
    }
    void TearDown() override {
        if (gRenderer->device != nullptr) {
            EXPECT_EQ(static_cast<GlDevice&>(*gRenderer->device).takeGlError(), 0u);
        }
        textures.clear();
        effect.reset();
        RendererOn::TearDown();
    }

    /// A 1 x 1 texture of one 0xAARRGGBB colour, 32-bit or (alpha dropped) 24-bit.
    Texture* texture(std::uint32_t argb, int bits = 32) {
        Image image("no-such-picture.bmp");
        image.bitsPerPixel = bits;
        std::memcpy(image.pixels.data(), &argb, 4);
        textures.push_back(std::make_unique<Texture>(image, false));
        return textures.back().get();
    }
    /// The frame last presented, 800 x 600.
    static std::vector<std::uint32_t> presented() {
        std::vector<std::uint32_t> pixels;
        std::uint32_t width = 0, height = 0;
        EXPECT_EQ(gRenderer->device->getFrontBufferData(pixels, width, height), D3D_OK);
        EXPECT_TRUE(width == 800 && height == 600) << width << " x " << height;
        pixels.resize(800 * 600);
        return pixels;
    }

    std::unique_ptr<Effect> effect;
    std::vector<std::unique_ptr<Texture>> textures;
};

}  // namespace velmora::test
