// The overlay on the headless device: what it draws (read back from the glyphs' texture
// coordinates), where it puts its parts, and that the scene's device states survive it.
#include <gtest/gtest.h>
#include <imgui.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "app/Controls.h"
#include "overlay/HelpPicture.h"
#include "overlay/Overlay.h"
#include "render/Image.h"
#include "render/Texture.h"
#include "tests/overlay/OverlayText.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

bool contains(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

class OverlayTest : public HeadlessRenderer {
  protected:
    void SetUp() override {
        HeadlessRenderer::SetUp();
        os.setWindowPos(window, 100, 50, 800, 600);  // client pixels differ from screen ones
        ASSERT_TRUE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
        gRenderer->setEffect(effect.get());
        ASSERT_TRUE(overlay.attach(*gRenderer->device, sourcePath("assets/min.fx").c_str()));
        overlay.setHelp(helpRows());
    }
    void TearDown() override {
        overlay.detach();
        effect.reset();
        HeadlessRenderer::TearDown();
    }

    /// The input (F1 or F2 going down, if pressed names it) and layout of a pass.
    void layOut(const OverlayStatus& status = {}, int pressed = 0) {
        OverlayInput input;
        input.helpPressed = pressed == VK_F1;
        input.panelPressed = pressed == VK_F1 + 1;
        input.client = os.getClientRect(window);
        input.cursor = os.screenToClient(window, os.cursor);
        overlay.newFrame(input, 1.0f / 60.0f);
        overlay.build(status);
    }
    /// A whole pass: layOut and a frame that draws it.
    void pass(const OverlayStatus& status = {}, int pressed = 0) {
        layOut(status, pressed);
        gRenderer->beginScene();
        overlay.render();
        gRenderer->endSceneAndPresent();
    }
    /// Presses a key in one pass and lets it go in the next.
    void tap(int key) {
        pass({}, key);
        pass();
    }
    std::unique_ptr<Effect> effect;
    Overlay overlay;
};

TEST_F(OverlayTest, MessagesExpireAndTheStatusCornerNeverCoversTheCentre) {
    // A message stays about two seconds; a part shows from its second frame, once measured.
    overlay.showMessage("select a second particle to link");
    pass();
    pass();
    EXPECT_NE(drawnText(overlay).find("selectasecondparticletolink"), std::string::npos);
    for (int i = 0; i < 100; ++i)  // 1.7 s in all
        pass();
    EXPECT_GT(overlay.layout().message.width(), 0);
    for (int i = 0; i < 30; ++i)
        pass();
    EXPECT_EQ(overlay.layout().message, Rect{});
    EXPECT_EQ(drawnText(overlay).find("select"), std::string::npos);

    // The spawn point is the client area's centre, whatever its size.
    OverlayStatus status;
    status.particles = 27;
    for (const auto& [width, height] : {std::pair{800, 600}, {1920, 1080}, {300, 160}}) {
        os.setWindowPos(window, 100, 50, width, height);
        pass(status);
        pass(status);
        const Rect corner = overlay.layout().status;
        EXPECT_GT(corner.width(), 0);
        EXPECT_FALSE(contains(corner, {width / 2, height / 2}))
            << width << " x " << height << ": " << corner.right << ", " << corner.bottom;
        // A slow machine's figures and a fast one's leave the corner where it was.
        for (const auto& [fps, ms] : {std::pair{3.0f, 812.5f}, {25000.0f, 0.004f}, {3.0f, 9.0f}}) {
            OverlayStatus figures = status;
            std::tie(figures.framesPerSecond, figures.physicsMilliseconds) = std::pair{fps, ms};
            pass(figures);
            pass(figures);
            EXPECT_EQ(overlay.layout().status, corner) << fps;
        }
    }
}

TEST_F(OverlayTest, HelpAndPanelDrawBlendedAndClippedAndPutBackEveryStateTheSceneUses) {
    tap(VK_F1);
    tap(VK_F1 + 1);
    // The scene's states: wireframe, a geometry with all its streams, a scissor rectangle.
    Image white("no-such-picture.bmp");
    Texture texture(white, false);
    GeometryData data(3);
    const std::uint32_t indices[3] = {0, 1, 2};
    D3DGeometryBuffer geometry;
    geometry.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr,
                    nullptr, nullptr, indices, 3, 3, data.blend.data(), data.blend.data(),
                    data.texCoords2.data());
    gRenderer->toggleWireframe();
    gRenderer->setTexture(0, &texture);
    gRenderer->drawGeometry(&geometry, Triangles);
    ASSERT_EQ(device().setScissorRect({1, 2, 300, 400}), D3D_OK);

    layOut();
    const DeviceState before = device().state;
    const std::size_t first = device().draws.size();
    overlay.render();
    EXPECT_TRUE(device().state == before);

    ASSERT_GT(device().draws.size(), first);
    std::vector<const RecordedDraw*> pictures;
    for (std::size_t i = first; i < device().draws.size(); ++i) {
        const RecordedDraw& d = device().draws[i];
        // Glyphs and shapes from the font atlas are blended, the help's picture is opaque;
        // the panel's buttons come after the picture.
        const bool fromAtlas = d.textures[0] == ImGui::GetIO().Fonts->TexID;
        if (!fromAtlas)
            pictures.push_back(&d);
        EXPECT_EQ(d.blending, fromAtlas);
        EXPECT_TRUE(d.sourceBlend == D3DBLEND_SRCALPHA && d.destBlend == D3DBLEND_INVSRCALPHA);
        EXPECT_FALSE(d.depthTest);
        EXPECT_EQ(d.cullMode, D3DCULL_NONE);
        EXPECT_EQ(d.fillMode, D3DFILL_SOLID);
        EXPECT_TRUE(d.scissorTest);
    }
    EXPECT_TRUE(device().draws.back().blending);
    // ImGui's 0xAABBGGRR colours reach the device as 0xAARRGGBB (the buttons are blue).
    const ImVec4 c = ImGui::GetStyle().Colors[ImGuiCol_Button];
    const auto byte = [](float v) { return static_cast<std::uint32_t>(v * 255.0f + 0.5f); };
    const std::uint32_t button = byte(c.w) << 24 | byte(c.x) << 16 | byte(c.y) << 8 | byte(c.z);
    const auto colors =
        contents<std::uint32_t>(overlay.renderer().colorStream(), overlay.renderer().vertexCount());
    EXPECT_NE(std::find(colors.begin(), colors.end(), button), colors.end());

    // The help below the status corner, in the window, is one quad of its picture, texel for
    // pixel, which is the layout painted: every row of both tables.
    const Rect help = overlay.layout().help;
    EXPECT_TRUE(help.right == 790 && help.top >= overlay.layout().status.bottom &&
                help.bottom <= 590)
        << help.top << " " << help.bottom << " " << overlay.layout().status.bottom;
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0]->primitiveCount, 2u);
    const auto& level = dynamic_cast<HeadlessTexture&>(*pictures[0]->textures[0]).store.levels[0];
    EXPECT_EQ(level.width, static_cast<std::uint32_t>(help.width()));
    EXPECT_EQ(level.height, static_cast<std::uint32_t>(help.height()));
    ImDrawList list(ImGui::GetDrawListSharedData());
    ASSERT_EQ(layOutHelp(static_cast<float>(help.width()), helpRows(), list), help.height());
    HelpPicture picture;
    EXPECT_TRUE(paintQuads(list, *ImGui::GetIO().Fonts, help.width(), help.height(), picture))
        << "Dear ImGui " IMGUI_VERSION " writes quads otherwise than 1.86: the help shows nothing";
    std::vector<float> uv;
    for (const ImDrawVert& v : list.VtxBuffer)
        uv.insert(uv.end(), {v.uv.x, v.uv.y});
    const std::string text = glyphText(uv);
    const auto shows = [&](const char* part) {
        return text.find(withoutSpaces(part)) != std::string::npos;
    };
    EXPECT_TRUE(shows("Help (F1 closes it)")) << text;
    for (const ControlRow& row : controlsTable())
        EXPECT_TRUE(shows(row.input) && shows(row.effect)) << row.input;
    for (const OptionRow& row : optionsTable())
        EXPECT_TRUE(shows(row.form) && shows(row.effect)) << row.form;
    // A wider window gets a picture laid out for its width.
    os.setWindowPos(window, 100, 50, 1280, 800);
    pass();
    pass();
    EXPECT_EQ(overlay.layout().help.width(), 1000);
    const auto wide = std::find_if(device().draws.rbegin(), device().draws.rend(), [](auto& d) {
        return d.textures[0] != ImGui::GetIO().Fonts->TexID;
    });
    EXPECT_EQ(dynamic_cast<HeadlessTexture&>(*wide->textures[0]).store.levels[0].width, 1000u);
}

TEST_F(OverlayTest, TheEnergyPlotScalesToWhatItShowsAndDrawsBlownUpValuesAtItsEdges) {
    // Kinetic climbs to 4, the loss goes below zero (energy gained), a blown-up run's
    // gravitational energy is not finite: the scale runs from the loss to 4 and every line
    // stays in the window.
    std::array<std::array<float, 4>, 5> values{{{0, 1, 2, 4},
                                                {1, NAN, INFINITY, -INFINITY},
                                                {0.5f, 0.5f, 0.5f, 0.5f},
                                                {2, 3, 4, 3},
                                                {0, -1, -3, -2}}};
    EnergyPlot plot;
    const char* names[] = {"kinetic", "gravitational", "elastic", "total", "lost"};
    for (std::size_t s = 0; s < values.size(); ++s)
        plot.series[s] = {names[s], values[s].data(), 4, 1, values[s][0]};
    plot.rising = true;
    OverlayStatus status;
    status.energy = &plot;
    pass(status);
    pass(status);
    const std::string text = drawnText(overlay);
    for (const char* shown : {"energy(J),thelast20s", "-3", "top4", "kinetic0.000", "lost0.000",
                              "risingwithnothingedited"})
        EXPECT_NE(text.find(shown), std::string::npos) << shown << " in " << text;
    const OverlayRenderer& renderer = overlay.renderer();
    const auto positions = contents<float>(renderer.positionStream(), renderer.vertexCount() * 2u);
    ASSERT_FALSE(positions.empty());
    for (std::size_t i = 0; i < positions.size(); i += 2) {
        ASSERT_TRUE(positions[i] >= 0.0f && positions[i] <= 800.0f) << i;
        ASSERT_TRUE(positions[i + 1] >= 0.0f && positions[i + 1] <= 600.0f) << i;
    }
}

}  // namespace
}  // namespace velmora::test
