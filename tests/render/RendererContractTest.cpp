// The device contract seen through the renderer: one typed suite, built twice, once on the
// recording device (everywhere) and once on the OpenGL device (under Xvfb).
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "platform/GlDevice.h"
#include "platform/GlEffect.h"
#include "platform/RecordingDevice.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

/// A draw as the device saw it.
struct DrawSeen {
    D3DPRIMITIVETYPE type;
    std::uint32_t primitives;
    std::uint32_t streamMask;  ///< streams with a buffer (GL: enabled attribute locations)
};

/// The scissor test and rectangle, back-buffer pixels from the top.
struct ScissorSeen {
    bool enabled = false;
    Rect rect;
    bool operator==(const ScissorSeen&) const = default;
};

struct RecordingBackend {
    RecordingBackend() { window = open800x600(os); }
    static Direct3DCreateFn factory() { return recordingDirect3DCreate; }
    static RecordingDevice& device() { return dynamic_cast<RecordingDevice&>(*gRenderer->device); }
    DeviceState& state() { return device().state; }
    std::uint32_t fillMode() { return state().renderState(D3DRS_FILLMODE); }
    bool blending() { return state().renderState(D3DRS_ALPHABLENDENABLE) != 0; }
    std::optional<DrawSeen> lastDraw() {
        if (device().draws.empty())
            return std::nullopt;
        const RecordedDraw& d = device().draws.back();
        return DrawSeen{d.type, d.primitiveCount, d.streamMask};
    }
    Matrix4 wvpInForce(Effect*) { return device().draws.back().wvp; }
    std::array<std::int32_t, 4> viewport() {
        const auto& p = device().presentParameters;
        return {0, 0, static_cast<std::int32_t>(p.BackBufferWidth),
                static_cast<std::int32_t>(p.BackBufferHeight)};
    }
    ScissorSeen scissorOfLastDraw() {
        const RecordedDraw& d = device().draws.back();
        return {d.scissorTest, d.scissorRect};
    }
    ScissorSeen scissorInForce() {
        return {state().renderState(D3DRS_SCISSORTESTENABLE) != 0, state().scissorRect};
    }

    ScriptedOperatingSystem os;
    WindowHandle window = nullptr;
};

struct GlBackend {
    GlBackend() { window = open800x600(os); }
    static Direct3DCreateFn factory() { return glDirect3DCreate; }
    static GlDevice& device() { return dynamic_cast<GlDevice&>(*gRenderer->device); }
    DeviceState& state() { return device().state; }
    std::uint32_t fillMode() { return device().queryFillMode(); }
    bool blending() { return device().queryBlendEnabled(); }
    std::optional<DrawSeen> lastDraw() {
        const GlDevice::DrawCall& d = device().lastDraw;
        if (device().drawCalls == 0)
            return std::nullopt;
        // Back from what GL was handed to the Direct3D type and primitive count.
        switch (d.glMode) {
            case GL_POINTS:
                return DrawSeen{D3DPT_POINTLIST, d.glCount, mask()};
            case GL_LINES:
                return DrawSeen{D3DPT_LINELIST, d.glCount / 2, mask()};
            case GL_LINE_STRIP:
                return DrawSeen{D3DPT_LINESTRIP, d.glCount == 0 ? 0 : d.glCount - 1, mask()};
            case GL_TRIANGLE_STRIP:
                return DrawSeen{D3DPT_TRIANGLESTRIP, d.glCount == 0 ? 0 : d.glCount - 2, mask()};
            default:
                return DrawSeen{D3DPT_TRIANGLELIST, d.glCount / 3, mask()};
        }
    }
    std::uint32_t mask() { return device().queryEnabledAttributes(); }
    /// The matrix the pass program holds, read back from GL.
    Matrix4 wvpInForce(Effect* effect) {
        const GlEffect::Program& program = dynamic_cast<GlEffect&>(*effect).programs[0][0];
        Matrix4 m;
        glGetUniformfv(program.name, program.wvp, m.data());
        return m;
    }
    std::array<std::int32_t, 4> viewport() { return device().queryViewport(); }
    /// GL's scissor box, whose rows count from the bottom, turned back into a rectangle.
    ScissorSeen scissorInForce() {
        const auto box = device().queryScissorBox();
        const auto height = static_cast<std::int32_t>(device().presentParameters.BackBufferHeight);
        return {device().queryScissorEnabled(),
                {box[0], height - box[1] - box[3], box[0] + box[2], height - box[1]}};
    }
    ScissorSeen scissorOfLastDraw() { return scissorInForce(); }

    BoxKeepingSdl os;
    WindowHandle window = nullptr;
};

template <typename Backend>
class RendererContract : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRendererToConstructedState();
        ASSERT_NE(backend.window, nullptr);
        gRenderer->usePlatform(backend.os, Backend::factory());
        ASSERT_TRUE(gRenderer->init(backend.window, false, true));
        ASSERT_TRUE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
        gRenderer->setEffect(effect.get());
        gRenderer->setProjection(60.0f, 1.0f, 100.0f, 800.0f / 600.0f);
        gRenderer->setView({0, 0, 10}, {0, 0, 0});
    }
    void TearDown() override {
        geometries.clear();
        effect.reset();
        resetRendererToConstructedState();
    }

    /// A geometry of `vertexCount` vertices, indices 0..indexCount-1 (mod vertexCount).
    D3DGeometryBuffer& make(std::uint32_t vertexCount, std::uint32_t indexCount,
                            bool texCoords2 = false, bool blendIndices = false,
                            bool blendWeights = false) {
        GeometryData data(vertexCount);
        std::vector<std::uint32_t> indices;
        for (std::uint32_t i = 0; i < indexCount; ++i)
            indices.push_back(i % vertexCount);
        geometries.push_back(std::make_unique<D3DGeometryBuffer>());
        geometries.back()->create(data.positions.data(), data.colors.data(), data.texCoords.data(),
                                  nullptr, nullptr, nullptr, indices.data(), vertexCount,
                                  indexCount, blendIndices ? data.blend.data() : nullptr,
                                  blendWeights ? data.blend.data() : nullptr,
                                  texCoords2 ? data.texCoords2.data() : nullptr);
        return *geometries.back();
    }

    Backend backend;
    std::unique_ptr<Effect> effect;
    std::vector<std::unique_ptr<D3DGeometryBuffer>> geometries;
};

#ifdef VELMORA_CONTRACT_ON_GL
using Backends = ::testing::Types<GlBackend>;
#else
using Backends = ::testing::Types<RecordingBackend>;
#endif
TYPED_TEST_SUITE(RendererContract, Backends);

TYPED_TEST(RendererContract, DrawsFollowTheModeTheIndexCountAndTheStreamsMade) {
    D3DGeometryBuffer& seven = this->make(7, 7);
    for (const auto& [mode, type, primitives] : {std::tuple{Triangles, D3DPT_TRIANGLELIST, 2u},
                                                 {PrimitiveMode(0), D3DPT_TRIANGLELIST, 2u},
                                                 {PrimitiveMode(0x40), D3DPT_TRIANGLELIST, 2u},
                                                 {Lines, D3DPT_LINELIST, 3u},
                                                 {Points, D3DPT_POINTLIST, 7u},
                                                 {LineStrip, D3DPT_LINESTRIP, 6u},
                                                 {TriangleStrip, D3DPT_TRIANGLESTRIP, 5u}}) {
        gRenderer->drawGeometry(&seven, mode);
        const auto seen = this->backend.lastDraw();
        ASSERT_TRUE(seen.has_value()) << "mode " << mode;
        EXPECT_EQ(seen->type, type) << "mode " << mode;
        EXPECT_EQ(seen->primitives, primitives) << "mode " << mode;
    }
    // Too few indices for one strip primitive draws none (no unsigned wrap-around).
    gRenderer->drawGeometry(&this->make(2, 1), LineStrip);
    EXPECT_EQ(this->backend.lastDraw()->primitives, 0u);
    gRenderer->drawGeometry(&this->make(2, 2), TriangleStrip);
    EXPECT_EQ(this->backend.lastDraw()->primitives, 0u);

    // The effect receives world x view x projection; blending is off after every draw, and a
    // null geometry changes nothing.
    Matrix4 world = translation({1, 2, 3});
    gRenderer->setWorld(world);
    gRenderer->setBlending(true);
    gRenderer->drawGeometry(&seven, Triangles);
    const Matrix4 expected = world * gRenderer->view * gRenderer->projection;
    EXPECT_EQ(this->backend.wvpInForce(this->effect.get()), expected);
    EXPECT_FALSE(this->backend.blending());
    gRenderer->setBlending(true);
    gRenderer->drawGeometry(nullptr, Triangles);
    EXPECT_TRUE(this->backend.blending());

    // Optional streams are bound only when made; nothing stays bound from before, and blend
    // indices without weights make neither stream.
    gRenderer->drawGeometry(&this->make(3, 3, true, true, true), Triangles);
    EXPECT_EQ(this->backend.lastDraw()->streamMask, 0x1FFu);
    gRenderer->drawGeometry(&this->make(3, 3, false, true, false), Triangles);
    EXPECT_EQ(this->backend.lastDraw()->streamMask, 0x03Fu);
}

TYPED_TEST(RendererContract, AResetDrawsSolidOnABackBufferOfTheClientAreaOrTheDisplay) {
    const D3DPRESENT_PARAMETERS& p = TypeParam::device().presentParameters;
    EXPECT_TRUE(p.Windowed);
    EXPECT_EQ(this->backend.viewport(), (std::array<std::int32_t, 4>{0, 0, 800, 600}));
    gRenderer->toggleWireframe();
    EXPECT_EQ(this->backend.fillMode(), D3DFILL_WIREFRAME);

    EXPECT_TRUE(gRenderer->reset(this->backend.window, true, false));
    EXPECT_TRUE(gRenderer->wireframe);  // the flag stays, the device's default fill is back
    EXPECT_EQ(this->backend.fillMode(), D3DFILL_SOLID);
    EXPECT_EQ(this->backend.state().renderState(D3DRS_CULLMODE), D3DCULL_CW);
    const DisplayMode desktop = this->backend.os.currentDisplayMode();
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_FALSE(p.Windowed);
    EXPECT_EQ(this->backend.viewport(),
              (std::array<std::int32_t, 4>{0, 0, desktop.width, desktop.height}));
}

TYPED_TEST(RendererContract, ScissorReachesTheDrawAndTheGettersReportWhatWasSet) {
    Device& device = *gRenderer->device;
    const ScissorSeen whole{false, {0, 0, 800, 600}};
    EXPECT_EQ(this->backend.scissorInForce(), whole);

    D3DGeometryBuffer& triangle = this->make(3, 3, true);
    ASSERT_EQ(device.setScissorRect({10, 20, 110, 70}), D3D_OK);
    device.setRenderState(D3DRS_SCISSORTESTENABLE, 1);
    gRenderer->drawGeometry(&triangle, Triangles);
    EXPECT_EQ(this->backend.scissorOfLastDraw(), (ScissorSeen{true, {10, 20, 110, 70}}));
    // Refused rectangles leave the one in force.
    EXPECT_EQ(device.setScissorRect({-1, 0, 10, 10}), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.setScissorRect({50, 0, 40, 10}), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.setScissorRect({0, 50, 10, 40}), D3DERR_INVALIDCALL);
    EXPECT_EQ(this->backend.scissorInForce(), (ScissorSeen{true, {10, 20, 110, 70}}));

    std::uint32_t value = 0;
    EXPECT_EQ(device.getRenderState(D3DRS_CULLMODE, value), D3D_OK);
    EXPECT_EQ(value, D3DCULL_CW);
    EXPECT_EQ(device.getSamplerState(0, D3DSAMP_MIPFILTER, value), D3D_OK);
    EXPECT_EQ(value, D3DTEXF_LINEAR);
    EXPECT_EQ(device.getSamplerState(kDeviceTextureStages, D3DSAMP_MIPFILTER, value),
              D3DERR_INVALIDCALL);
    VertexBuffer* buffer = nullptr;
    std::uint32_t offset = 1;
    std::uint32_t stride = 0;
    EXPECT_EQ(device.getStreamSource(8, buffer, offset, stride), D3D_OK);
    EXPECT_EQ(buffer, triangle.texCoord2Buffer());
    EXPECT_EQ(offset, 0u);
    EXPECT_EQ(stride, 8u);
    Rect rect;
    device.getScissorRect(rect);
    EXPECT_EQ(rect, (Rect{10, 20, 110, 70}));

    // A reset opens the whole back buffer again and switches the test off.
    gRenderer->reset(this->backend.window, false, true);
    EXPECT_EQ(this->backend.scissorInForce(), whole);
}

}  // namespace
}  // namespace velmora::test
