// The renderer on the headless device: the states and streams a draw relies on, the scissor
// and a reset, geometry whose failing steps leave nothing to draw, and locks and draws the
// device refuses.
#include <gtest/gtest.h>

#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

class RendererHeadless : public HeadlessRenderer {
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

TEST_F(RendererHeadless, BlendingMixesBySourceAlphaAndExtraStagesFollowTheirParity) {
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

TEST_F(RendererHeadless, DrawsNeverWrapTheirCountAndBindOnlyTheStreamsMade) {
    useEffect();
    const GeometryData seven(7);
    const std::uint32_t order[7] = {0, 1, 2, 3, 4, 5, 6};
    const auto made = [&](std::uint32_t indexCount, bool everyStream) {
        auto g = std::make_unique<D3DGeometryBuffer>();
        const auto* blend = everyStream ? seven.blend.data() : nullptr;
        g->create(seven.positions.data(), seven.colors.data(), seven.texCoords.data(), nullptr,
                  nullptr, nullptr, order, 7, indexCount, blend, blend,
                  everyStream ? seven.texCoords2.data() : nullptr);
        return g;
    };
    const auto plain = made(7, false);
    // Too few indices for one strip primitive draws none (no unsigned wrap-around).
    gRenderer->drawGeometry(made(1, false).get(), LineStrip);
    EXPECT_EQ(device().draws.back().primitiveCount, 0u);
    gRenderer->drawGeometry(made(2, false).get(), TriangleStrip);
    EXPECT_EQ(device().draws.back().primitiveCount, 0u);

    // The effect receives world x view x projection; blending is off after every draw, and a
    // null geometry changes nothing. Optional streams are bound only when made.
    gRenderer->setWorld(translation({1, 2, 3}));
    gRenderer->setView({0, 0, 10}, {0, 0, 0});
    gRenderer->setBlending(true);
    gRenderer->drawGeometry(made(3, true).get(), Triangles);
    EXPECT_EQ(device().draws.back().wvp,
              gRenderer->world * gRenderer->view * gRenderer->projection);
    EXPECT_EQ(device().draws.back().streamMask, 0x1FFu);
    EXPECT_EQ(device().state.renderState(D3DRS_ALPHABLENDENABLE), 0u);
    gRenderer->setBlending(true);
    gRenderer->drawGeometry(nullptr, Triangles);
    EXPECT_EQ(device().state.renderState(D3DRS_ALPHABLENDENABLE), 1u);
    gRenderer->drawGeometry(plain.get(), Triangles);
    EXPECT_EQ(device().draws.back().streamMask, 0x03Fu);
}

TEST_F(RendererHeadless, ScissorAndGettersReachTheDrawAndAResetPutsTheDefaultsBack) {
    useEffect();
    D3DGeometryBuffer triangle;
    createFull(triangle);
    Device& d = *gRenderer->device;
    ASSERT_EQ(d.setScissorRect({10, 20, 110, 70}), D3D_OK);
    d.setRenderState(D3DRS_SCISSORTESTENABLE, 1);
    EXPECT_EQ(d.setScissorRect({-1, 0, 10, 10}), D3DERR_INVALIDCALL);  // the one in force stays
    EXPECT_EQ(d.setScissorRect({50, 0, 40, 10}), D3DERR_INVALIDCALL);
    gRenderer->drawGeometry(&triangle, Triangles);
    EXPECT_TRUE(device().draws.back().scissorTest);
    EXPECT_EQ(device().draws.back().scissorRect, (Rect{10, 20, 110, 70}));
    std::uint32_t value = 0;
    EXPECT_EQ(d.getSamplerState(0, D3DSAMP_MIPFILTER, value), D3D_OK);
    EXPECT_EQ(value, D3DTEXF_LINEAR);
    EXPECT_EQ(d.getSamplerState(kDeviceTextureStages, D3DSAMP_MIPFILTER, value),
              D3DERR_INVALIDCALL);
    VertexBuffer* buffer = nullptr;
    std::uint32_t offset = 1, stride = 0;
    EXPECT_EQ(d.getStreamSource(8, buffer, offset, stride), D3D_OK);
    EXPECT_TRUE(buffer == triangle.texCoord2Buffer() && offset == 0 && stride == 8);

    // A reset after wireframe: still wireframe, no scissor test, the display's size.
    gRenderer->toggleWireframe();
    EXPECT_EQ(device().state.renderState(D3DRS_FILLMODE), D3DFILL_WIREFRAME);
    ASSERT_TRUE(gRenderer->reset(window, true, false));
    EXPECT_TRUE(gRenderer->wireframe);
    EXPECT_EQ(device().state.renderState(D3DRS_FILLMODE), D3DFILL_WIREFRAME);
    const DisplayMode desktop = os.currentDisplayMode();
    EXPECT_EQ(device().state.renderState(D3DRS_SCISSORTESTENABLE), 0u);
    EXPECT_EQ(device().state.scissorRect, (Rect{0, 0, desktop.width, desktop.height}));
    EXPECT_EQ(device().presentParameters.BackBufferWidth,
              static_cast<std::uint32_t>(desktop.width));
}

TEST_F(RendererHeadless, AnyFailingGeometryStepOrSizePastTheDevicesLeavesCountsZero) {
    // A buffer, a lock, an unlock or the declaration refused: nothing to draw, not a part.
    for (const HeadlessCall call :
         {HeadlessCall::CreateVertexBuffer, HeadlessCall::Lock, HeadlessCall::Unlock,
          HeadlessCall::CreateIndexBuffer, HeadlessCall::CreateVertexDeclaration}) {
        device().faults().failOn(call, 1);
        D3DGeometryBuffer geometry;
        createFull(geometry);
        EXPECT_TRUE(geometry.vertexCount == 0 && geometry.indexCount == 0) << int(call);
        device().faults().failOn(call, 0);
    }
    // 0x15555556 vertices take 4 GiB + 8 bytes: wrapped to 8, the copy would read far past.
    D3DGeometryBuffer huge;
    huge.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr, nullptr,
                nullptr, indices, 0x15555556u, 3, nullptr, nullptr, nullptr);
    EXPECT_EQ(huge.positionBuffer(), nullptr);
    huge.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr, nullptr,
                nullptr, indices, 3, 0x40000001u, nullptr, nullptr, nullptr);
    EXPECT_EQ(huge.indexCount, 0u);
    EXPECT_EQ(huge.indexBuffer(), nullptr);
}

TEST_F(RendererHeadless, LocksAndDrawsStayInsideTheirBuffersAndDestroyedOnesAreUnbound) {
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
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_POINTLIST, 1, 0, 3, 1, 2), 0);  // base + 2
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0xFFFFFFFFu, 1), 0);
    EXPECT_LT(d.drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 0x7FFFFFFF), 0);

    VertexBuffer& vertices = *geometry->positionBuffer();
    void* bytes = nullptr;
    EXPECT_LT(vertices.lock(30, 12, &bytes, 0), 0);
    EXPECT_LT(vertices.lock(0xFFFFFFF0u, 0x20, &bytes, 0), 0);  // wraps in 32 bits
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
