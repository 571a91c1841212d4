// The overlay on the OpenGL device (Xvfb), judged by the pixels of presented frames: it
// changes only the pixels of its parts, the help panel shows its picture exactly, the status
// background blends over the scene, and the scene drawn after it is the scene drawn before it.
#include <gtest/gtest.h>
#include <imgui.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/HelpPicture.h"
#include "app/Overlay.h"
#include "platform/GlDevice.h"
#include "render/Image.h"
#include "render/Texture.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

constexpr std::uint32_t kSceneClear = 0xFF4080C0u;

using Pixels = std::vector<std::uint32_t>;

class OverlayGl : public ::testing::Test {
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
        Image white("no-such-picture.bmp");
        texture = std::make_unique<Texture>(white, false);
        ASSERT_TRUE(overlay.attach(*gRenderer->device, sourcePath("assets/min.fx").c_str()));
        input.cursor = {-1000, -1000};  // off the window: nothing hovered
    }
    void TearDown() override {
        overlay.detach();
        geometries.clear();
        texture.reset();
        effect.reset();
        resetRendererToConstructedState();
    }

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

    /// A scene that shows lost states: a triangle only culling removes, and a far red
    /// triangle drawn after a near green one that only the depth test keeps behind it.
    void drawScene() {
        gRenderer->setTexture(0, texture.get());
        const Vec3 a{-0.8f, -0.8f, 0}, b{0.8f, -0.8f, 0}, c{0, 0.8f, 0};
        gRenderer->setWorld(translation({-5.0f, 0, 0}));
        gRenderer->drawGeometry(&triangle(a, c, b, 0xFFFFFF00u), Triangles);  // clockwise
        gRenderer->setWorld(translation({-3.5f, -2.5f, 1}));
        gRenderer->drawGeometry(&triangle(a, b, c, 0xFF00FF00u), Triangles);
        gRenderer->setWorld(translation({-3.2f, -2.5f, -1}));
        gRenderer->drawGeometry(&triangle(a, b, c, 0xFFFF0000u), Triangles);
        gRenderer->setWorld(Matrix4{});
    }

    /// One presented frame: the scene, and the overlay over it when asked.
    Pixels frame(bool withOverlay, bool pressF1 = false) {
        gRenderer->beginScene();
        gRenderer->clear(kSceneClear, 1.0f);
        drawScene();
        if (withOverlay) {
            input.pressed[VK_F1] = pressF1;
            overlay.newFrame(input, window, 1.0f / 60.0f);
            overlay.build(status);
            overlay.render();
        }
        gRenderer->endSceneAndPresent();
        Pixels pixels;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        EXPECT_EQ(gRenderer->device->getFrontBufferData(pixels, width, height), D3D_OK);
        EXPECT_TRUE(width == 800 && height == 600);
        pixels.resize(800 * 600);
        return pixels;
    }

    /// Pixels that differ, and whether all of them lie inside the rectangle.
    static std::pair<int, bool> changes(const Pixels& a, const Pixels& b, const Rect& inside) {
        int count = 0;
        bool allInside = true;
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                if (a[y * 800 + x] == b[y * 800 + x])
                    continue;
                ++count;
                allInside = allInside && x >= inside.left && x < inside.right && y >= inside.top &&
                            y < inside.bottom;
            }
        }
        return {count, allInside};
    }

    BoxKeepingSdl os;
    WindowHandle window = nullptr;
    std::unique_ptr<Effect> effect;
    std::unique_ptr<Texture> texture;
    std::vector<std::unique_ptr<D3DGeometryBuffer>> geometries;
    InputState input{os};
    Overlay overlay;
    OverlayStatus status;
};

int channel(std::uint32_t pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 0xFF);
}

TEST_F(OverlayGl, HelpPanelChangesOnlyItsOwnPixelsShowsTextAndTheSceneAfterItIsUnchanged) {
    status.particles = 27;
    status.links = 60;
    const Pixels scene = frame(false);
    frame(true);
    const Pixels withStatus = frame(true);
    const Rect corner = overlay.layout().status;
    const auto [statusChanged, statusInside] = changes(scene, withStatus, corner);
    EXPECT_GT(statusChanged, 1000);
    EXPECT_TRUE(statusInside);

    // The status background is ImGui's window colour at 60 % over the scene.
    const ImVec4 bg = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
    const std::uint32_t seen = withStatus[(corner.top + 4) * 800 + corner.left + 4];
    const float weights[3] = {bg.x, bg.y, bg.z};
    const int shifts[3] = {16, 8, 0};
    for (int i = 0; i < 3; ++i) {
        const float expected =
            weights[i] * 255.0f * 0.6f + static_cast<float>(channel(kSceneClear, shifts[i])) * 0.4f;
        EXPECT_NEAR(channel(seen, shifts[i]), expected, 2.0) << "channel " << shifts[i];
    }

    frame(true, true);  // F1; the panel's table settles its layout over a few frames
    frame(true);
    frame(true);
    const Pixels withHelp = frame(true);
    ASSERT_TRUE(overlay.helpOpen());
    const Rect help = overlay.layout().help;
    const auto [helpChanged, helpInside] = changes(withStatus, withHelp, help);
    EXPECT_GT(helpChanged, help.width() * help.height() / 2);
    EXPECT_TRUE(helpInside);
    // The panel is its picture texel for pixel: not filtered, not blended, channels in order.
    ImDrawList list(ImGui::GetDrawListSharedData());
    const int height = layOutHelp(static_cast<float>(help.width()), list);
    ASSERT_EQ(height, help.height());
    HelpPicture picture;
    ASSERT_TRUE(paintQuads(list, *ImGui::GetIO().Fonts, help.width(), height, picture));
    int differing = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < help.width(); ++x) {
            const std::uint32_t seen = withHelp[(help.top + y) * 800 + help.left + x];
            differing += ((seen ^ picture.pixels[y * help.width() + x]) & 0xFFFFFFu) != 0;
        }
    }
    EXPECT_EQ(differing, 0);

    // The scene drawn after the overlay: every state it relies on is back.
    EXPECT_EQ(changes(scene, frame(false), Rect{}).first, 0);
}

}  // namespace
}  // namespace velmora::test
