// The renderer on the recording device: operations before init and after shutdown, the states
// a draw relies on, effects that fail to begin, and geometry: what creation copies, failing
// steps that leave the counts at 0, and locks and draws the device refuses.
#include <gtest/gtest.h>

#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

class RendererRecording : public RecordingRenderer {
  protected:
    /// Creates `geometry` with every optional stream.
    void createFull(D3DGeometryBuffer& geometry) {
        geometry.create(data.positions.data(), data.colors.data(), data.texCoords.data(), tangents,
                        tangents, scalars, indices, 3, 3, data.blend.data(), data.blend.data(),
                        data.texCoords2.data());
    }

    void useEffect() {
        ASSERT_TRUE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
        gRenderer->setEffect(effect.get());
    }

    std::unique_ptr<Effect> effect;
    GeometryData data{3, 0x80FF0000};
    const std::uint32_t indices[3] = {2, 1, 0};
    const Vec3 tangents[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const float scalars[3] = {0.5f, 1.5f, 2.5f};
};

TEST_F(RendererRecording, OperationsAreSafeBeforeInitWithoutEffectAndAfterShutdown) {
    D3DGeometryBuffer geometry;
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
    gRenderer->usePlatform(os, [](OperatingSystem&) { return std::unique_ptr<Direct3D>(); });
    EXPECT_FALSE(gRenderer->init(window, false, true));  // no Direct3D: no box either
    EXPECT_TRUE(os.messageBoxes.empty());
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

TEST_F(RendererRecording, BeginFailuresShowTheirBoxAndTheNextFrameDraws) {
    useEffect();
    D3DGeometryBuffer triangle;
    createFull(triangle);
    device().faults().failOn(RecordingCall::BeginTechnique, 1);
    gRenderer->setBlending(true);
    gRenderer->drawGeometry(&triangle, Triangles);
    EXPECT_EQ(device().state.renderState(D3DRS_ALPHABLENDENABLE), 0u);
    device().faults().failOn(RecordingCall::BeginPass, 1);
    gRenderer->drawGeometry(&triangle, Triangles);
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_EQ(os.messageBoxes[0].text, "Begin technique failed");
    EXPECT_EQ(os.messageBoxes[0].caption, "FX Failure");
    EXPECT_EQ(os.messageBoxes[1].text, "Begin pass failed");
    EXPECT_TRUE(device().draws.empty());
    gRenderer->drawGeometry(&triangle, Triangles);  // the effect was ended properly
    EXPECT_EQ(device().draws.size(), 1u);
}

TEST_F(RendererRecording, GeometryCopiesWhatItIsGivenAndAnyFailingStepLeavesCountsZero) {
    D3DGeometryBuffer plain;
    // Tangents and scalars without normals are not read: all three streams stay zero.
    plain.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr,
                 tangents, scalars, indices, 3, 3, data.blend.data(), nullptr, nullptr);
    EXPECT_EQ(contents<std::uint32_t>(plain.colorBuffer())[2], 0x80FF0000u);
    EXPECT_EQ(contents<float>(plain.tangentBuffer()), std::vector<float>(9, 0.0f));
    EXPECT_EQ(contents<float>(plain.scalarBuffer()), std::vector<float>(3, 0.0f));
    EXPECT_EQ(contents<std::uint32_t>(plain.indexBuffer()), (std::vector<std::uint32_t>{2, 1, 0}));

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

TEST_F(RendererRecording, LocksAndDrawsStayInsideTheirBuffersAndDestroyedOnesAreUnbound) {
    useEffect();
    // Three vertices and the indices {0, 1, 2, 3}: index 3 names a vertex the buffers lack.
    auto geometry = std::make_unique<D3DGeometryBuffer>();
    const std::uint32_t order[4] = {0, 1, 2, 3};
    geometry->create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr,
                     nullptr, nullptr, order, 3, 4, nullptr, nullptr, nullptr);
    gRenderer->drawGeometry(geometry.get(), Triangles);  // binds every stream it has
    Device& d = device();
    EXPECT_EQ(d.drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 1, 1), 0);
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_LINELIST, 0, 0, 3, 2, 2), 0);  // 5th index
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_POINTLIST, -1, 0, 3, 0, 1), 0);
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_POINTLIST, 1, 0, 3, 1, 2), 0);  // base + 2
    EXPECT_EQ(d.drawIndexedPrimitive(D3DPT_POINTLIST, 1, 0, 3, 0, 2), D3D_OK);
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0xFFFFFFFFu, 1), 0);
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 0x7FFFFFFF), 0);

    VertexBuffer& vertices = *geometry->positionBuffer();
    void* bytes = nullptr;
    EXPECT_LT(vertices.unlock(), 0);
    EXPECT_LT(vertices.lock(30, 12, &bytes, 0), 0);
    EXPECT_LT(vertices.lock(0xFFFFFFF0u, 0x20, &bytes, 0), 0);  // wraps in 32 bits
    ASSERT_EQ(vertices.lock(8, 8, &bytes, 0), D3D_OK);
    EXPECT_LT(vertices.lock(0, 0, &bytes, 0), 0);  // already locked
    std::memset(bytes, 0xAB, 8);
    EXPECT_EQ(vertices.unlock(), D3D_OK);
    EXPECT_EQ(contents<std::uint32_t>(&vertices)[1], 0u);
    EXPECT_EQ(contents<std::uint32_t>(&vertices)[2], 0xABABABABu);
    std::unique_ptr<VertexBuffer> huge;  // refused before anything is allocated
    EXPECT_LT(d.createVertexBuffer(0xFFFFFFFFu, 0, 0, D3DPOOL_MANAGED, huge), 0);
    std::unique_ptr<DeviceTexture> texture;
    ASSERT_EQ(d.createTexture(4, 2, 0, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, texture), D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_LT(texture->lockRect(texture->levelCount(), locked), 0);

    d.setTexture(3, texture.get());
    D3DGeometryBuffer survivor;
    createFull(survivor);
    geometry.reset();
    texture.reset();
    EXPECT_EQ(device().state.streams[0].buffer, nullptr);
    EXPECT_EQ(device().state.indices, nullptr);
    EXPECT_EQ(device().state.textures[3], nullptr);
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), 0);
    resetRendererToConstructedState();  // the survivor outlives its device
}

}  // namespace
}  // namespace velmora::test
