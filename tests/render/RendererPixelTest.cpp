// The renderer and the OpenGL device judged by the pixels they present (Xvfb): matrices,
// culling, depth, texture formats, uploads across a reset, draws refused before they read past
// a buffer, objects outliving the device, the scissor, and GLSL compiler errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

#include "platform/GlDevice.h"
#include "platform/GlEffect.h"
#include "render/Image.h"
#include "render/Mesh.h"
#include "tests/render/RendererTestSupport.h"
#include "tools/Pictures.h"

namespace velmora::test {
namespace {

using namespace std::string_literals;

class RendererPixels : public GlRenderer {
  protected:
    void SetUp() override {
        GlRenderer::SetUp();
        gRenderer->setProjection(90.0f, 1.0f, 100.0f, 800.0f / 600.0f);
        gRenderer->setView({0, 0, 5}, {0, 0, 0});
    }
    void TearDown() override {
        geometries.clear();
        GlRenderer::TearDown();
    }

    void startFrame() {
        gRenderer->beginScene();
        gRenderer->clear(0xFF000000, 1.0f);
    }

    /// One triangle of the given corners (in this order) and vertex colour.
    D3DGeometryBuffer& triangle(Vec3 a, Vec3 b, Vec3 c, std::uint32_t color) {
        const Vec3 positions[3] = {a, b, c};
        const std::uint32_t colors[3] = {color, color, color};
        const float texCoords[6] = {};
        const std::uint32_t indices[3] = {0, 1, 2};
        geometries.push_back(std::make_unique<D3DGeometryBuffer>());
        geometries.back()->create(positions, colors, texCoords, nullptr, nullptr, nullptr, indices,
                                  3, 3, nullptr, nullptr, nullptr);
        return *geometries.back();
    }

    /// Where a world point lands on the 800 x 600 screen under the renderer's matrices.
    static std::pair<int, int> screenOf(Vec3 p) {
        const Matrix4 m = gRenderer->world * gRenderer->view * gRenderer->projection;
        float clip[4];
        for (int c = 0; c < 4; ++c) {
            clip[c] = p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c] + m.m[3][c];
        }
        return {static_cast<int>(std::lround((clip[0] / clip[3] + 1.0f) * 400.0f)),
                static_cast<int>(std::lround((1.0f - clip[1] / clip[3]) * 300.0f))};
    }

    /// Presents and returns the frame.
    std::vector<std::uint32_t> present() {
        gRenderer->endSceneAndPresent();
        return presented();
    }
    static std::uint32_t at(const std::vector<std::uint32_t>& pixels, std::pair<int, int> p) {
        return pixels[static_cast<std::size_t>(p.second) * 800 + p.first];
    }

    std::vector<std::unique_ptr<D3DGeometryBuffer>> geometries;
};

TEST_F(RendererPixels, TrianglesLandWhereTheMatricesSayCulledAndDepthSorted) {
    std::vector<std::uint32_t> none;  // nothing presented yet
    std::uint32_t size = 0;
    EXPECT_EQ(gRenderer->device->getFrontBufferData(none, size, size), D3DERR_NOTAVAILABLE);
    startFrame();
    // Counter-clockwise as seen from the eye at +z, in a texture colour whose red, green and
    // blue must stay apart; then the same triangle clockwise, which is culled.
    const Vec3 a{-0.4f, -0.4f, 0}, b{0.4f, -0.4f, 0}, c{0, 0.4f, 0};
    gRenderer->setTexture(0, texture(0xFF2080C0));
    gRenderer->setWorld(translation({1.5f, 1.0f, 0.0f}));
    gRenderer->drawGeometry(&triangle(a, b, c, 0xFFFFFFFF), Triangles);
    const auto drawn = screenOf({0, -0.13f, 0});
    gRenderer->setTexture(0, texture(0xFFFFFFFF));
    gRenderer->setWorld(translation({4.5f, 0, 0}));
    gRenderer->drawGeometry(&triangle(a, c, b, 0xFFFF0000), Triangles);
    const auto culled = screenOf({0, -0.13f, 0});
    // Near (green) then far (red) on the left; far then near on the right.
    const Vec3 p{-1, -1, 0}, q{1, -1, 0}, r{0, 1, 0};
    for (const auto& [x, z, colour] : {std::tuple{-1.5f, 1.0f, 0xFF00FF00u},
                                       {-1.5f, -1.0f, 0xFFFF0000u},
                                       {1.5f, -1.0f, 0xFFFF0000u},
                                       {1.5f, 1.0f, 0xFF00FF00u}}) {
        gRenderer->setWorld(translation({x, -1.5f, z}));
        gRenderer->drawGeometry(&triangle(p, q, r, colour), Triangles);
    }
    gRenderer->setWorld(Matrix4{});
    const auto pixels = present();
    const std::uint32_t seen = at(pixels, drawn);
    EXPECT_NEAR(static_cast<int>((seen >> 16) & 0xFF), 0x20, 2);
    EXPECT_NEAR(static_cast<int>((seen >> 8) & 0xFF), 0x80, 2);
    EXPECT_NEAR(static_cast<int>(seen & 0xFF), 0xC0, 2);
    EXPECT_EQ(at(pixels, {800 - drawn.first, drawn.second}), 0xFF000000u);
    EXPECT_EQ(at(pixels, culled), 0xFF000000u);
    EXPECT_EQ(at(pixels, screenOf({-1.5f, -1.7f, 1})), 0xFF00FF00u);
    EXPECT_EQ(at(pixels, screenOf({1.5f, -1.7f, 1})), 0xFF00FF00u);
}

TEST_F(RendererPixels, TexturesAndLockedBytesReachTheGpuSurviveAResetAndAreNeverReadPast) {
    D3DGeometryBuffer& middle = triangle({-1, -1, 0}, {1, -1, 0}, {0, 1, 0}, 0xFFFFFFFF);
    Texture* opaque = texture(0x00FFFFFF, 24);
    Texture* clear = texture(0x00FFFFFF);
    const auto centre = screenOf({0, -0.3f, 0});
    const auto blendedCentre = [&](Texture* t) {
        startFrame();
        gRenderer->setTexture(0, t);
        gRenderer->setBlending(true);
        gRenderer->drawGeometry(&middle, Triangles);
        return at(present(), centre);
    };
    const auto write = [](auto* buffer, std::uint32_t offset, const void* bytes) {
        void* target = nullptr;
        ASSERT_EQ(buffer->lock(offset, 4, &target, 0), D3D_OK);
        std::memcpy(target, bytes, 4);
        ASSERT_EQ(buffer->unlock(), D3D_OK);
    };
    // A three-byte texture samples with alpha 1; a four-byte one keeps its alpha of 0.
    EXPECT_EQ(blendedCentre(opaque), 0xFFFFFFFFu);
    EXPECT_EQ(blendedCentre(clear), 0xFF000000u);
    // A lock of four bytes moves the third corner off the centre, and back again.
    const float off = 5.0f, back = 0.0f;
    write(middle.positionBuffer(), 24, &off);
    EXPECT_EQ(blendedCentre(opaque), 0xFF000000u);
    write(middle.positionBuffer(), 24, &back);
    EXPECT_EQ(blendedCentre(opaque), 0xFFFFFFFFu);
    // The managed copies survive a reset, which keeps wireframe: only the edges are drawn.
    gRenderer->toggleWireframe();
    ASSERT_TRUE(gRenderer->reset(window, false, false));
    EXPECT_EQ(blendedCentre(opaque), 0xFF000000u);
    gRenderer->toggleWireframe();
    EXPECT_EQ(blendedCentre(opaque), 0xFFFFFFFFu);
    // An index past the three vertices: the draw is refused, without a GL error.
    const std::uint32_t far = 1000;
    write(middle.indexBuffer(), 8, &far);
    EXPECT_EQ(blendedCentre(opaque), 0xFF000000u);

    // A texture destroyed while bound is unbound from its stage and from the effect.
    gRenderer->setTexture(0, clear);
    textures.back().reset();
    EXPECT_EQ(static_cast<GlDevice&>(*gRenderer->device).queryTextureBinding(0), 0u);
    EXPECT_EQ(dynamic_cast<GlEffect&>(*effect).core.textures[0], nullptr);
    // The geometry, the other texture and the effect outlive the device from here.
    EXPECT_EQ(static_cast<GlDevice&>(*gRenderer->device).takeGlError(), 0u);
    resetRendererToConstructedState();
}

TEST_F(RendererPixels, TheScissorCountsRowsFromTheTop) {
    D3DGeometryBuffer& all = triangle({-50, -50, 0}, {50, -50, 0}, {0, 50, 0}, 0xFFFFFFFF);
    gRenderer->setTexture(0, texture(0xFFFFFFFF));
    startFrame();
    ASSERT_EQ(gRenderer->device->setScissorRect({10, 20, 110, 70}), D3D_OK);
    gRenderer->device->setRenderState(D3DRS_SCISSORTESTENABLE, 1);
    gRenderer->drawGeometry(&all, Triangles);
    const auto pixels = present();
    EXPECT_EQ(at(pixels, {60, 45}), 0xFFFFFFFFu);
    EXPECT_EQ(at(pixels, {60, 15}), 0xFF000000u);
    EXPECT_EQ(at(pixels, {60, 75}), 0xFF000000u);
}

TEST_F(RendererPixels, AGeneratedPictureOnAQuadKeepsItsColoursTheRightWayUp) {
    velmora::testing::TempFolder dir;
    ASSERT_TRUE(pictures::writeScenePictures(dir.path("")));
    gRenderer->projection = Matrix4{};  // identity matrices: a 2 x 2 quad fills the screen
    gRenderer->view = Matrix4{};
    Mesh quad;
    quad.createQuad(2, 2, PlaneXY, 0xFFFFFFFFu);
    quad.loadTexture(dir.path("orange.bmp").c_str(), true, 0);
    startFrame();
    quad.draw();
    const auto pixels = present();
    // Channel c (16 red, 8 green, 0 blue) at a point given in fractions of the screen.
    auto channel = [&](double x, double y, int c) {
        return (at(pixels, {static_cast<int>(x * 800), static_cast<int>(y * 600)}) >> c) & 0xFF;
    };
    EXPECT_GT(channel(0.5, 0.5, 16), 180u);  // orange: much red, some green, little blue
    EXPECT_GT(channel(0.5, 0.5, 16), channel(0.5, 0.5, 8) + 60);
    EXPECT_GT(channel(0.5, 0.5, 8), channel(0.5, 0.5, 0) + 40);
    // The highlight sits up and to the left: mirrored either way it would be darker there.
    EXPECT_GT(channel(0.35, 0.3, 8), channel(0.35, 0.7, 8) + 40);
    EXPECT_GT(channel(0.35, 0.3, 8), channel(0.65, 0.3, 8) + 30);
}

TEST_F(RendererPixels, CompilerErrorsReachTheBox) {
    velmora::testing::TempFolder dir;
    const std::string path =
        dir.write("glsl-error.fx",
                  "@technique MyEffect\n@pass P0\n@vertex\n#version 330 core\n"
                  "void main() { gl_Position = undeclaredThing; }\n@end\n@fragment\n"
                  "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1); }\n"
                  "@end\n@end\n@end\n"s);
    std::unique_ptr<Effect> failed;
    EXPECT_FALSE(gRenderer->loadEffect(path.c_str(), failed));
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    const std::string& text = os.messageBoxes[0].text;
    EXPECT_TRUE(text.find("undeclaredThing") != text.npos && text.find("vertex stage") != text.npos)
        << text;
}

}  // namespace
}  // namespace velmora::test
