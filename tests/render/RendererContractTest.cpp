// The device contract seen through the renderer: one typed suite, built twice, once on the
// recording device (everywhere) and once on the OpenGL device (under Xvfb).
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <optional>

#include "platform/GlDevice.h"
#include "platform/GlEffect.h"
#include "platform/RecordingDevice.h"
#include "render/Image.h"
#include "render/Texture.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

/// A draw as the device saw it.
struct DrawSeen {
    D3DPRIMITIVETYPE type;
    std::uint32_t primitives;
    std::uint32_t streamMask;  ///< streams with a buffer (GL: enabled attribute locations)
};

struct RecordingBackend {
    RecordingBackend() { window = open800x600(os); }
    static Direct3DCreateFn factory() { return recordingDirect3DCreate; }
    static RecordingDevice& device() { return dynamic_cast<RecordingDevice&>(*gRenderer->device); }
    std::vector<ScriptedOperatingSystem::Box>& boxes() { return os.messageBoxes; }
    DeviceState& state() { return device().state; }
    std::uint32_t fillMode() { return state().renderState(D3DRS_FILLMODE); }
    bool blending() { return state().renderState(D3DRS_ALPHABLENDENABLE) != 0; }
    bool textureBound(std::uint32_t stage) { return state().textures[stage] != nullptr; }
    std::optional<DrawSeen> lastDraw() {
        if (device().draws.empty())
            return std::nullopt;
        const RecordedDraw& d = device().draws.back();
        return DrawSeen{d.type, d.primitiveCount, d.streamMask};
    }
    std::optional<Matrix4> wvpInForce(Effect*) {
        if (device().draws.empty())
            return std::nullopt;
        return device().draws.back().wvp;
    }
    static DeviceTexture* effectTexture(Effect* effect, int stage) {
        return dynamic_cast<RecordingEffect&>(*effect).core.textures[stage];
    }
    std::array<std::int32_t, 4> viewport() {
        const auto& p = device().presentParameters;
        return {0, 0, static_cast<std::int32_t>(p.BackBufferWidth),
                static_cast<std::int32_t>(p.BackBufferHeight)};
    }
    int swapInterval() { return device().swapInterval; }
    DisplayMode desktop() { return os.currentDisplayMode(); }

    ScriptedOperatingSystem os;
    WindowHandle window = nullptr;
};

struct GlBackend {
    GlBackend() { window = open800x600(os); }
    static Direct3DCreateFn factory() { return glDirect3DCreate; }
    static GlDevice& device() { return dynamic_cast<GlDevice&>(*gRenderer->device); }
    std::vector<BoxKeepingSdl::Box>& boxes() { return os.messageBoxes; }
    DeviceState& state() { return device().state; }
    std::uint32_t fillMode() { return device().queryFillMode(); }
    bool blending() { return device().queryBlendEnabled(); }
    bool textureBound(std::uint32_t stage) { return device().queryTextureBinding(stage) != 0; }
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
    std::optional<Matrix4> wvpInForce(Effect* effect) {
        const GlEffect::Program& program = dynamic_cast<GlEffect&>(*effect).programs[0][0];
        Matrix4 m;
        glGetUniformfv(program.name, program.wvp, m.data());
        return m;
    }
    static DeviceTexture* effectTexture(Effect* effect, int stage) {
        return dynamic_cast<GlEffect&>(*effect).core.textures[stage];
    }
    std::array<std::int32_t, 4> viewport() { return device().queryViewport(); }
    int swapInterval() { return device().swapInterval; }
    DisplayMode desktop() { return os.currentDisplayMode(); }

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
        textures.clear();
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

    Texture& whiteTexture() {
        Image image("no-such-picture.bmp");  // the 1 x 1 opaque white fallback
        textures.push_back(std::make_unique<Texture>(image, false));
        return *textures.back();
    }

    Backend backend;
    std::unique_ptr<Effect> effect;
    std::vector<std::unique_ptr<D3DGeometryBuffer>> geometries;
    std::vector<std::unique_ptr<Texture>> textures;
};

struct BackendName {
    template <typename T>
    static std::string GetName(int) {
        return std::is_same_v<T, GlBackend> ? "OpenGL" : "Recording";
    }
};
#ifdef VELMORA_CONTRACT_ON_GL
using Backends = ::testing::Types<GlBackend>;
#else
using Backends = ::testing::Types<RecordingBackend>;
#endif
TYPED_TEST_SUITE(RendererContract, Backends, BackendName);

TYPED_TEST(RendererContract, PrimitiveTypeAndCountFollowTheModeAndIndexCount) {
    D3DGeometryBuffer& seven = this->make(7, 7);
    struct Case {
        std::uint32_t mode;
        D3DPRIMITIVETYPE type;
        std::uint32_t primitives;
    };
    const Case cases[] = {
        {Triangles, D3DPT_TRIANGLELIST, 2}, {0, D3DPT_TRIANGLELIST, 2},
        {3, D3DPT_TRIANGLELIST, 2},         {0x40, D3DPT_TRIANGLELIST, 2},
        {Lines, D3DPT_LINELIST, 3},         {Points, D3DPT_POINTLIST, 7},
        {LineStrip, D3DPT_LINESTRIP, 6},    {TriangleStrip, D3DPT_TRIANGLESTRIP, 5},
    };
    for (const Case& c : cases) {
        gRenderer->drawGeometry(&seven, static_cast<PrimitiveMode>(c.mode));
        const auto seen = this->backend.lastDraw();
        ASSERT_TRUE(seen.has_value()) << "mode " << c.mode;
        EXPECT_EQ(seen->type, c.type) << "mode " << c.mode;
        EXPECT_EQ(seen->primitives, c.primitives) << "mode " << c.mode;
    }
    // Too few indices for one strip primitive draws none (no unsigned wrap-around).
    gRenderer->drawGeometry(&this->make(2, 1), LineStrip);
    EXPECT_EQ(this->backend.lastDraw()->primitives, 0u);
    gRenderer->drawGeometry(&this->make(2, 2), TriangleStrip);
    EXPECT_EQ(this->backend.lastDraw()->primitives, 0u);

    // The effect receives world x view x projection.
    Matrix4 world = translation({1, 2, 3});
    gRenderer->setWorld(world);
    gRenderer->drawGeometry(&seven, Triangles);
    const Matrix4 expected = world * gRenderer->view * gRenderer->projection;
    EXPECT_EQ(gRenderer->worldViewProjection, expected);
    EXPECT_EQ(this->backend.wvpInForce(this->effect.get()), expected);
}

TYPED_TEST(RendererContract, NullGeometryChangesNothing) {
    gRenderer->setBlending(true);
    gRenderer->drawGeometry(nullptr, Triangles);
    EXPECT_TRUE(this->backend.blending());
    EXPECT_FALSE(this->backend.lastDraw().has_value());
}

TYPED_TEST(RendererContract, OptionalStreamsAreBoundOnlyWhenMade) {
    gRenderer->drawGeometry(&this->make(3, 3), Triangles);
    EXPECT_EQ(this->backend.lastDraw()->streamMask, 0x03Fu);
    gRenderer->drawGeometry(&this->make(3, 3, true, true, true), Triangles);
    EXPECT_EQ(this->backend.lastDraw()->streamMask, 0x1FFu);
    // Blend indices without weights make neither stream; nothing stays bound from before.
    gRenderer->drawGeometry(&this->make(3, 3, false, true, false), Triangles);
    EXPECT_EQ(this->backend.lastDraw()->streamMask, 0x03Fu);
    gRenderer->drawGeometry(&this->make(3, 3, true), Triangles);
    EXPECT_EQ(this->backend.lastDraw()->streamMask, 0x13Fu);
}

TYPED_TEST(RendererContract, BlendingIsOffAfterEveryDraw) {
    gRenderer->setBlending(true);
    EXPECT_TRUE(this->backend.blending());
    EXPECT_EQ(this->backend.state().renderState(D3DRS_SRCBLEND), D3DBLEND_SRCALPHA);
    EXPECT_EQ(this->backend.state().renderState(D3DRS_DESTBLEND), D3DBLEND_INVSRCALPHA);
    gRenderer->drawGeometry(&this->make(3, 3), Triangles);
    EXPECT_FALSE(this->backend.blending());
}

TYPED_TEST(RendererContract, BeginFailuresShowTheirBoxAndTheFrameGoesOn) {
    D3DGeometryBuffer& triangle = this->make(3, 3);
    FaultyEffect faulty(*this->effect);
    gRenderer->setEffect(&faulty);

    faulty.failBegin = true;
    gRenderer->setBlending(true);
    gRenderer->drawGeometry(&triangle, Triangles);
    ASSERT_EQ(this->backend.boxes().size(), 1u);
    EXPECT_EQ(this->backend.boxes()[0].text, "Begin technique failed");
    EXPECT_EQ(this->backend.boxes()[0].caption, "FX Failure");
    EXPECT_EQ(faulty.ends, 0);
    EXPECT_FALSE(this->backend.lastDraw().has_value());
    EXPECT_FALSE(this->backend.blending());

    faulty.failBegin = false;
    faulty.failBeginPass = true;
    gRenderer->drawGeometry(&triangle, Triangles);
    ASSERT_EQ(this->backend.boxes().size(), 2u);
    EXPECT_EQ(this->backend.boxes()[1].text, "Begin pass failed");
    EXPECT_EQ(this->backend.boxes()[1].caption, "FX Failure");
    EXPECT_EQ(faulty.ends, 1);
    EXPECT_FALSE(this->backend.lastDraw().has_value());

    // The effect was ended properly, so the next frame draws.
    faulty.failBeginPass = false;
    gRenderer->drawGeometry(&triangle, Triangles);
    EXPECT_EQ(this->backend.boxes().size(), 2u);
    ASSERT_TRUE(this->backend.lastDraw().has_value());
    EXPECT_EQ(this->backend.lastDraw()->primitives, 1u);
}

TYPED_TEST(RendererContract, NullTextureUnbindsTheStageAndTheEffectParameter) {
    Texture& white = this->whiteTexture();
    ASSERT_NE(white.nativeTexture(), nullptr);
    gRenderer->setTexture(5, &white);
    EXPECT_TRUE(this->backend.textureBound(5));
    EXPECT_EQ(TypeParam::effectTexture(this->effect.get(), 5), white.nativeTexture());

    gRenderer->setTexture(5, nullptr);
    EXPECT_FALSE(this->backend.textureBound(5));
    EXPECT_EQ(TypeParam::effectTexture(this->effect.get(), 5), nullptr);
    const DeviceState& s = this->backend.state();
    EXPECT_EQ(s.samplerState(5, D3DSAMP_MINFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(s.samplerState(5, D3DSAMP_MAGFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(s.textureStageState(5, D3DTSS_COLOROP), D3DTOP_SELECTARG1);
    EXPECT_EQ(s.textureStageState(5, D3DTSS_COLORARG1), D3DTA_CURRENT);
    EXPECT_EQ(s.textureStageState(5, D3DTSS_ALPHAOP), D3DTOP_SELECTARG1);
    EXPECT_EQ(s.textureStageState(5, D3DTSS_ALPHAARG1), D3DTA_TEXTURE);
    // Stage 0 keeps the device's default operations.
    gRenderer->setTexture(0, &white);
    EXPECT_EQ(s.textureStageState(0, D3DTSS_COLOROP), D3DTOP_MODULATE);
}

TYPED_TEST(RendererContract, ResetAfterWireframeDrawsSolidWhileTheFlagStays) {
    gRenderer->toggleWireframe();
    EXPECT_TRUE(gRenderer->wireframe);
    EXPECT_EQ(this->backend.fillMode(), D3DFILL_WIREFRAME);

    EXPECT_TRUE(gRenderer->reset(this->backend.window, false, true));
    EXPECT_TRUE(gRenderer->wireframe);
    EXPECT_EQ(this->backend.fillMode(), D3DFILL_SOLID);
    EXPECT_EQ(this->backend.state().renderState(D3DRS_CULLMODE), D3DCULL_CW);
    EXPECT_EQ(this->backend.state().renderState(D3DRS_LIGHTING), 0u);

    gRenderer->toggleWireframe();
    EXPECT_FALSE(gRenderer->wireframe);
    EXPECT_EQ(this->backend.fillMode(), D3DFILL_SOLID);
}

TYPED_TEST(RendererContract, BackBufferFollowsTheClientAreaOrTheDisplay) {
    const D3DPRESENT_PARAMETERS& p = TypeParam::device().presentParameters;
    EXPECT_EQ(p.BackBufferWidth, 800u);
    EXPECT_EQ(p.BackBufferHeight, 600u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_UNKNOWN);
    EXPECT_TRUE(p.Windowed);
    EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_ONE);
    EXPECT_EQ(this->backend.viewport(), (std::array<std::int32_t, 4>{0, 0, 800, 600}));
    EXPECT_EQ(this->backend.swapInterval(), 1);

    gRenderer->reset(this->backend.window, true, false);
    const DisplayMode desktop = this->backend.desktop();
    const D3DPRESENT_PARAMETERS& full = TypeParam::device().presentParameters;
    EXPECT_EQ(full.BackBufferWidth, static_cast<std::uint32_t>(desktop.width));
    EXPECT_EQ(full.BackBufferHeight, static_cast<std::uint32_t>(desktop.height));
    EXPECT_EQ(full.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_FALSE(full.Windowed);
    EXPECT_EQ(full.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_EQ(this->backend.viewport()[2], desktop.width);
    EXPECT_EQ(this->backend.swapInterval(), 0);
}

TYPED_TEST(RendererContract, FailedBufferCreationLeavesCountsZeroAndDrawsNothing) {
    // No indices: the device refuses the empty index buffer after three vertex buffers.
    D3DGeometryBuffer& partial = this->make(3, 0);
    EXPECT_EQ(partial.vertexCount, 0u);
    EXPECT_EQ(partial.indexCount, 0u);
    EXPECT_NE(partial.texCoordBuffer(), nullptr);  // made before the failing call, kept
    EXPECT_EQ(partial.indexBuffer(), nullptr);
    EXPECT_EQ(partial.normalBuffer(), nullptr);
    EXPECT_EQ(partial.vertexDeclaration(), nullptr);

    gRenderer->drawGeometry(&partial, Triangles);
    const auto seen = this->backend.lastDraw();
    EXPECT_TRUE(!seen.has_value() || seen->primitives == 0);
    EXPECT_FALSE(this->backend.blending());
}

}  // namespace
}  // namespace velmora::test
