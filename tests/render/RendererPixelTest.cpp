// The renderer on the OpenGL device, judged by the pixels of presented frames (Xvfb), and
// effect files that fail in the GLSL compiler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/GlDevice.h"
#include "render/Image.h"
#include "render/Texture.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

class RendererPixels : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRendererToConstructedState();
        window = open800x600(os);
        ASSERT_NE(window, nullptr);
        gRenderer->usePlatform(os, glDirect3DCreate);
        ASSERT_TRUE(gRenderer->init(window, false, false));
        ASSERT_TRUE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
        gRenderer->setEffect(effect.get());
        gRenderer->setProjection(90.0f, 1.0f, 100.0f, 800.0f / 600.0f);
        gRenderer->setView({0, 0, 5}, {0, 0, 0});
    }
    void TearDown() override {
        geometries.clear();
        textures.clear();
        effect.reset();
        resetRendererToConstructedState();
    }

    /// A 1 x 1 texture of one 0xAARRGGBB colour.
    Texture& texture(std::uint32_t argb) {
        Image image("no-such-picture.bmp");
        image.pixels = {static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 8),
                        static_cast<std::uint8_t>(argb >> 16),
                        static_cast<std::uint8_t>(argb >> 24)};
        textures.push_back(std::make_unique<Texture>(image, false));
        return *textures.back();
    }

    /// One triangle of the given corners (in this order) and vertex colour.
    D3DGeometryBuffer& triangle(Vec3 a, Vec3 b, Vec3 c, std::uint32_t color = 0xFFFFFFFF) {
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
        std::vector<std::uint32_t> pixels;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        EXPECT_EQ(gRenderer->device->getFrontBufferData(pixels, width, height), D3D_OK);
        EXPECT_EQ(width, 800u);
        EXPECT_EQ(height, 600u);
        pixels.resize(800 * 600);
        return pixels;
    }
    static std::uint32_t at(const std::vector<std::uint32_t>& pixels, std::pair<int, int> p) {
        return pixels[static_cast<std::size_t>(p.second) * 800 + p.first];
    }

    void startFrame(std::uint32_t background) {
        gRenderer->beginScene();
        gRenderer->clear(background, 1.0f);
        gRenderer->setTexture(0, &texture(0xFFFFFFFF));
    }

    BoxKeepingSdl os;
    WindowHandle window = nullptr;
    std::unique_ptr<Effect> effect;
    std::vector<std::unique_ptr<D3DGeometryBuffer>> geometries;
    std::vector<std::unique_ptr<Texture>> textures;
};

TEST_F(RendererPixels, ClearFillsTheFrameWithTheColourGiven) {
    std::vector<std::uint32_t> none;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    EXPECT_EQ(gRenderer->device->getFrontBufferData(none, width, height), D3DERR_NOTAVAILABLE);

    gRenderer->beginScene();
    gRenderer->clear(0xFF000000, 1.0f);
    const auto black = present();
    EXPECT_EQ(std::count(black.begin(), black.end(), 0xFF000000u), 800 * 600);

    // Channel order survives the trip: red, green and blue stay apart.
    gRenderer->beginScene();
    gRenderer->clear(0xFF336699, 1.0f);
    const auto blue = present();
    EXPECT_EQ(at(blue, {0, 0}), 0xFF336699u);
    EXPECT_EQ(at(blue, {799, 599}), 0xFF336699u);
}

TEST_F(RendererPixels, TriangleLandsWhereTheMatricesSayAndShowsItsTexture) {
    startFrame(0xFF000000);
    gRenderer->setTexture(0, &texture(0xFF2080C0));
    gRenderer->setWorld(translation({1.5f, 1.0f, 0.0f}));
    // Counter-clockwise as seen from the eye at +z.
    gRenderer->drawGeometry(&triangle({-0.4f, -0.4f, 0}, {0.4f, -0.4f, 0}, {0, 0.4f, 0}),
                            Triangles);
    const auto centre = screenOf({0, -0.13f, 0});
    const auto pixels = present();
    EXPECT_GT(centre.first, 400);  // right of centre and above it, as x and y say
    EXPECT_LT(centre.second, 300);
    const std::uint32_t seen = at(pixels, centre);
    EXPECT_NEAR(static_cast<int>((seen >> 16) & 0xFF), 0x20, 2);
    EXPECT_NEAR(static_cast<int>((seen >> 8) & 0xFF), 0x80, 2);
    EXPECT_NEAR(static_cast<int>(seen & 0xFF), 0xC0, 2);
    EXPECT_EQ(at(pixels, {800 - centre.first, centre.second}), 0xFF000000u);
    EXPECT_EQ(at(pixels, {centre.first, 600 - centre.second}), 0xFF000000u);
}

TEST_F(RendererPixels, CounterClockwiseAsSeenIsDrawnAndClockwiseIsCulled) {
    startFrame(0xFF000000);
    const Vec3 a{-0.4f, -0.4f, 0}, b{0.4f, -0.4f, 0}, c{0, 0.4f, 0};
    gRenderer->setWorld(translation({-1.5f, 0, 0}));
    gRenderer->drawGeometry(&triangle(a, b, c, 0xFFFF0000), Triangles);
    const auto left = screenOf({0, -0.13f, 0});
    gRenderer->setWorld(translation({1.5f, 0, 0}));
    gRenderer->drawGeometry(&triangle(a, c, b, 0xFFFF0000), Triangles);
    const auto right = screenOf({0, -0.13f, 0});
    const auto pixels = present();
    EXPECT_EQ(at(pixels, left), 0xFFFF0000u);
    EXPECT_EQ(at(pixels, right), 0xFF000000u);
}

TEST_F(RendererPixels, DepthKeepsTheNearerSurfaceWhicheverIsDrawnFirst) {
    startFrame(0xFF000000);
    const Vec3 a{-1, -1, 0}, b{1, -1, 0}, c{0, 1, 0};
    gRenderer->setWorld(translation({-1.5f, 0, 1}));  // near (green), then far (red)
    gRenderer->drawGeometry(&triangle(a, b, c, 0xFF00FF00), Triangles);
    gRenderer->setWorld(translation({-1.5f, 0, -1}));
    gRenderer->drawGeometry(&triangle(a, b, c, 0xFFFF0000), Triangles);
    gRenderer->setWorld(translation({1.5f, 0, -1}));  // far (red), then near (green)
    gRenderer->drawGeometry(&triangle(a, b, c, 0xFFFF0000), Triangles);
    gRenderer->setWorld(translation({1.5f, 0, 1}));
    gRenderer->drawGeometry(&triangle(a, b, c, 0xFF00FF00), Triangles);
    gRenderer->setWorld(Matrix4{});
    const auto pixels = present();
    EXPECT_EQ(at(pixels, screenOf({-1.5f, -0.2f, 1})), 0xFF00FF00u);
    EXPECT_EQ(at(pixels, screenOf({1.5f, -0.2f, 1})), 0xFF00FF00u);
}

TEST_F(RendererPixels, CompilerErrorsReachTheBoxAndAMissingFileShowsNothing) {
    std::unique_ptr<Effect> failed;
    EXPECT_FALSE(gRenderer->loadEffect("no/such/effect.fx", failed));
    EXPECT_TRUE(os.messageBoxes.empty());

    const std::string path = writeTempFile("glsl-error.fx",
                                           "@technique MyEffect\n@pass P0\n@vertex\n"
                                           "#version 330 core\n"
                                           "void main() { gl_Position = undeclaredThing; }\n"
                                           "@end\n@fragment\n#version 330 core\n"
                                           "out vec4 c;\nvoid main() { c = vec4(1); }\n"
                                           "@end\n@end\n@end\n");
    EXPECT_FALSE(gRenderer->loadEffect(path.c_str(), failed));
    EXPECT_EQ(failed, nullptr);
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].caption, "FX File Load Error");
    EXPECT_NE(os.messageBoxes[0].text.find("undeclaredThing"), std::string::npos)
        << os.messageBoxes[0].text;
    EXPECT_NE(os.messageBoxes[0].text.find("vertex stage"), std::string::npos);
}

}  // namespace
}  // namespace velmora::test
