#pragma once
// The one renderer on a recording device over a scripted window, emptied again after each
// test together with the texture manager.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/RecordingDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "render/D3DRenderer.h"
#include "render/GeometryBuffer.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "tests/render/PictureFiles.h"

namespace velmora::testing {

inline const ManagedTexels& texels(Texture* texture) {
    return static_cast<RecordingTexture*>(texture->nativeTexture())->store;
}

/// A recording vertex buffer's bytes as an array of T.
template <typename T>
std::vector<T> contents(VertexBuffer* buffer) {
    const Bytes& bytes = static_cast<RecordingVertexBuffer*>(buffer)->store.bytes;
    std::vector<T> out(bytes.size() / sizeof(T));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
    return out;
}

inline std::vector<std::uint32_t> indices(GeometryBuffer& geometry) {
    const Bytes& bytes = static_cast<RecordingIndexBuffer*>(geometry.indexBuffer())->store.bytes;
    std::vector<std::uint32_t> out(bytes.size() / 4);
    std::memcpy(out.data(), bytes.data(), out.size() * 4);
    return out;
}

class RecordingRenderer : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRendererToConstructedState();
        gTextureManager->clear();
        WindowClass windowClass;
        windowClass.windowProc = [](WindowHandle, std::uint32_t, std::uintptr_t,
                                    std::intptr_t) -> std::intptr_t { return 0; };
        windowClass.instance = &os;
        windowClass.className = "renderer";
        os.registerClass(windowClass);
        gRenderer->usePlatform(os, recordingDirect3DCreate);
        ASSERT_TRUE(gRenderer->init(os.createWindow("renderer", "Velmora", 0, 0, 0, 800, 600),
                                    false, false));
    }
    void TearDown() override {
        gTextureManager->clear();
        resetRendererToConstructedState();
    }

    RecordingDevice& device() { return static_cast<RecordingDevice&>(*gRenderer->device); }

    ScriptedOperatingSystem os;
    TempFolder dir;
};

}  // namespace velmora::testing
