#pragma once
// The one renderer on a recording device over a scripted window, emptied again after each
// test together with the texture manager, and what its buffers and textures hold.
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
#include "tests/render/RendererTestSupport.h"

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
        window = test::open800x600(os);
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
    TempFolder dir;
};

}  // namespace velmora::testing
