// The renderer and geometry buffers on the recording device: start-up failure, operations
// before init and after shutdown, what geometry creation copies, and how each failing step
// leaves the counts at 0.
#include <gtest/gtest.h>

#include "platform/RecordingDevice.h"
#include "tests/render/RecordingRenderer.h"

namespace velmora::test {
namespace {

using velmora::testing::contents;

class RendererRecording : public velmora::testing::RecordingRenderer {
  protected:
    /// Creates `geometry` with every optional stream.
    void createFull(D3DGeometryBuffer& geometry) {
        geometry.create(data.positions.data(), data.colors.data(), data.texCoords.data(), tangents,
                        tangents, scalars, indices, 3, 3, data.blend.data(), data.blend.data(),
                        data.texCoords2.data());
    }

    GeometryData data{3, 0x80FF0000};
    const std::uint32_t indices[3] = {2, 1, 0};
    const Vec3 tangents[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const float scalars[3] = {0.5f, 1.5f, 2.5f};
};

TEST_F(RendererRecording, InitFailsWithoutDirect3DAndShowsNothing) {
    resetRendererToConstructedState();
    gRenderer->usePlatform(os, [](OperatingSystem&) { return std::unique_ptr<Direct3D>(); });
    EXPECT_FALSE(gRenderer->init(window, false, true));
    EXPECT_EQ(gRenderer->direct3d, nullptr);
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(RendererRecording, OperationsAreSafeBeforeInitWithoutEffectAndAfterShutdown) {
    D3DGeometryBuffer geometry;
    std::unique_ptr<Effect> effect;
    auto everything = [&] {
        gRenderer->setProjection(60.0f, 1.0f, 100.0f, 4.0f / 3.0f);
        gRenderer->setView({0, 0, 10}, {0, 0, 0});
        gRenderer->setWorld(translation({1, 2, 3}));
        gRenderer->beginScene();
        gRenderer->clear(0xFF000000, 1.0f);
        gRenderer->clearDepth(1.0f);
        gRenderer->setTexture(3, nullptr);
        gRenderer->setBlending(true);
        gRenderer->drawGeometry(&geometry, Triangles);
        gRenderer->toggleWireframe();
        gRenderer->endSceneAndPresent();
        EXPECT_TRUE(gRenderer->reset(window, false, true));
        EXPECT_FALSE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
    };
    resetRendererToConstructedState();
    everything();  // before init
    EXPECT_EQ(gRenderer->world, translation({1, 2, 3}));
    EXPECT_EQ(gRenderer->view, lookAt({0, 0, 10}, {0, 0, 0}));

    gRenderer->usePlatform(os, recordingDirect3DCreate);
    ASSERT_TRUE(gRenderer->init(window, false, true));
    createFull(geometry);
    gRenderer->setBlending(true);
    gRenderer->setTexture(0, nullptr);  // no effect set yet
    gRenderer->drawGeometry(&geometry, Triangles);
    EXPECT_TRUE(device().draws.empty());
    EXPECT_EQ(device().state.renderState(D3DRS_ALPHABLENDENABLE), 0u);

    gRenderer->shutdown();
    EXPECT_EQ(gRenderer->device, nullptr);
    everything();  // after shutdown
}

TEST_F(RendererRecording, BlendingMixesBySourceAlphaAndExtraStagesFollowTheirParity) {
    const DeviceState& state = device().state;
    gRenderer->setBlending(true);
    EXPECT_EQ(state.renderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(state.renderState(D3DRS_SRCBLEND), static_cast<std::uint32_t>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(state.renderState(D3DRS_DESTBLEND), static_cast<std::uint32_t>(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(state.textureStageState(0, D3DTSS_ALPHAOP),
              static_cast<std::uint32_t>(D3DTOP_MODULATE));
    // Stages past the first: an even one takes its texture's colour, an odd one keeps the
    // colour so far and takes its texture's alpha; every stage filters linearly.
    for (std::uint32_t stage = 1; stage < 5; ++stage) {
        gRenderer->setTexture(stage, nullptr);
        const bool odd = stage % 2 == 1;
        EXPECT_EQ(state.textureStageState(stage, D3DTSS_COLORARG1),
                  odd ? static_cast<std::uint32_t>(D3DTA_CURRENT) : D3DTA_TEXTURE)
            << stage;
        EXPECT_EQ(state.textureStageState(stage, D3DTSS_ALPHAOP) == D3DTOP_SELECTARG1, odd)
            << stage;
        EXPECT_EQ(state.samplerState(stage, D3DSAMP_MINFILTER),
                  static_cast<std::uint32_t>(D3DTEXF_LINEAR));
    }
}

TEST_F(RendererRecording, GeometryMakesOptionalStreamsOnlyFromWhatItIsGiven) {
    D3DGeometryBuffer plain;
    // Tangents and scalars without normals are not read: all three streams stay zero.
    plain.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr,
                 tangents, scalars, indices, 3, 3, data.blend.data(), nullptr, nullptr);
    EXPECT_EQ(contents<std::uint32_t>(plain.colorBuffer())[2], 0x80FF0000u);
    EXPECT_EQ(contents<float>(plain.tangentBuffer()), std::vector<float>(9, 0.0f));
    EXPECT_EQ(contents<float>(plain.scalarBuffer()), std::vector<float>(3, 0.0f));
    EXPECT_EQ(velmora::testing::indices(plain), (std::vector<std::uint32_t>{2, 1, 0}));
    D3DGeometryBuffer full;
    createFull(full);
    EXPECT_EQ(contents<float>(full.scalarBuffer())[2], 2.5f);
}

TEST_F(RendererRecording, EveryFailingGeometryStepLeavesTheCountsZero) {
    // With every optional stream: 9 vertex buffers, 10 locks and unlocks, 1 index buffer,
    // 1 declaration. Failing any one of them leaves the counts at 0.
    const std::pair<RecordingCall, std::uint32_t> calls[] = {
        {RecordingCall::CreateVertexBuffer, 9},
        {RecordingCall::Lock, 10},
        {RecordingCall::Unlock, 10},
        {RecordingCall::CreateIndexBuffer, 1},
        {RecordingCall::CreateVertexDeclaration, 1}};
    for (const auto& [call, made] : calls) {
        for (std::uint32_t nth = 1; nth <= made + 1; ++nth) {
            device().faults().failOn(call, nth);
            D3DGeometryBuffer geometry;
            createFull(geometry);
            const std::uint32_t expected = nth <= made ? 0 : 3;
            EXPECT_EQ(geometry.vertexCount, expected) << int(call) << " " << nth;
            EXPECT_EQ(geometry.indexCount, expected) << int(call) << " " << nth;
            device().faults().failOn(call, 0);
        }
    }
    // 0x15555556 vertices are 4 GiB + 8 bytes of positions: a wrapped size would be 8 bytes
    // and the copy would read the caller's arrays far past their end.
    D3DGeometryBuffer huge;
    huge.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr, nullptr,
                nullptr, indices, 0x15555556u, 3, nullptr, nullptr, nullptr);
    EXPECT_EQ(huge.positionBuffer(), nullptr);
    huge.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr, nullptr,
                nullptr, indices, 3, 0x40000001u, nullptr, nullptr, nullptr);
    EXPECT_EQ(huge.indexCount, 0u);
    EXPECT_EQ(huge.indexBuffer(), nullptr);
}

}  // namespace
}  // namespace velmora::test
