// The overlay on the recording device: what it draws (read back from the glyphs' texture
// coordinates), when it takes the mouse, and that the scene's device states survive it.
#include <gtest/gtest.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "app/Controls.h"
#include "app/HelpPicture.h"
#include "app/Overlay.h"
#include "physics/StateSummary.h"
#include "platform/RecordingDevice.h"
#include "render/Image.h"
#include "render/Texture.h"
#include "tests/app/ApplicationFixture.h"
#include "tests/math/ApproxEqual.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

std::string withoutSpaces(std::string text) {
    std::erase(text, ' ');
    return text;
}

/// The text of (u, v) pairs, a character per glyph quad found (spaces have none), in order.
std::string glyphText(const std::vector<float>& uv) {
    const ImFont& font = *ImGui::GetIO().Fonts->Fonts[0];
    std::map<std::pair<float, float>, const ImFontGlyph*> byCorner;
    for (char c = '!'; c <= '~'; ++c) {
        const ImFontGlyph* glyph = font.FindGlyphNoFallback(static_cast<ImWchar>(c));
        if (glyph != nullptr)
            byCorner[{glyph->U0, glyph->V0}] = glyph;
    }
    std::string text;
    // A glyph is four vertices: top left (U0, V0), top right, bottom right (U1, V1), bottom left.
    for (std::size_t v = 0; v + 3 < uv.size() / 2;) {
        const auto found = byCorner.find({uv[2 * v], uv[2 * v + 1]});
        if (found != byCorner.end() && uv[2 * v + 4] == found->second->U1 &&
            uv[2 * v + 5] == found->second->V1) {
            text += static_cast<char>(found->second->Codepoint);
            v += 4;
        } else {
            ++v;
        }
    }
    return text;
}

/// The text the overlay's last render put in the device's buffers.
std::string drawnText(const Overlay& overlay) {
    ImGui::SetCurrentContext(overlay.context());
    const OverlayRenderer& renderer = overlay.renderer();
    return glyphText(contents<float>(renderer.texCoordStream(), renderer.vertexCount() * 2u));
}

bool contains(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

class OverlayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRendererToConstructedState();
        window = open800x600(os);
        os.setWindowPos(window, 100, 50, 800, 600);  // client pixels differ from screen ones
        gRenderer->usePlatform(os, recordingDirect3DCreate);
        ASSERT_TRUE(gRenderer->init(window, false, true));
        ASSERT_TRUE(gRenderer->loadEffect(sourcePath("assets/min.fx").c_str(), effect));
        gRenderer->setEffect(effect.get());
        ASSERT_TRUE(overlay.attach(*gRenderer->device, sourcePath("assets/min.fx").c_str()));
    }
    void TearDown() override {
        overlay.detach();
        effect.reset();
        resetRendererToConstructedState();
    }

    /// One pass of the overlay: input, layout, and a frame that draws it.
    void pass(const OverlayStatus& status = {}) {
        input.update();
        overlay.newFrame(input, window, 1.0f / 60.0f);
        overlay.build(status);
        gRenderer->beginScene();
        overlay.render();
        gRenderer->endSceneAndPresent();
    }
    /// Presses a key in one pass and lets it go in the next.
    void tap(int key) {
        os.setKey(key, true);
        pass();
        os.setKey(key, false);
        pass();
    }
    RecordingDevice& device() { return dynamic_cast<RecordingDevice&>(*gRenderer->device); }

    ScriptedOperatingSystem os;
    WindowHandle window = nullptr;
    std::unique_ptr<Effect> effect;
    InputState input{os};
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

    input.update();
    overlay.newFrame(input, window, 1.0f / 60.0f);
    overlay.build({});
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
                help.bottom <= 590);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0]->primitiveCount, 2u);
    const auto& level = dynamic_cast<RecordingTexture&>(*pictures[0]->textures[0]).store.levels[0];
    EXPECT_EQ(level.width, static_cast<std::uint32_t>(help.width()));
    EXPECT_EQ(level.height, static_cast<std::uint32_t>(help.height()));
    ImDrawList list(ImGui::GetDrawListSharedData());
    ASSERT_EQ(layOutHelp(static_cast<float>(help.width()), list), help.height());
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
    EXPECT_EQ(dynamic_cast<RecordingTexture&>(*wide->textures[0]).store.levels[0].width, 1000u);
}

/// The overlay in the real loop: the status corner, the clicks it keeps, the selection rings.
class OverlayInTheLoop : public ApplicationTest {
  protected:
    /// The last pass's draws with the scene's effect: type, primitive count, texture.
    std::vector<std::tuple<D3DPRIMITIVETYPE, std::uint32_t, DeviceTexture*>> sceneDraws() {
        std::vector<std::tuple<D3DPRIMITIVETYPE, std::uint32_t, DeviceTexture*>> draws;
        for (std::size_t i = drawsBefore; i < device().draws.size(); ++i) {
            const RecordedDraw& d = device().draws[i];
            if (d.effect == app->loadedEffect.get())
                draws.emplace_back(d.type, d.primitiveCount, d.textures[0]);
        }
        return draws;
    }
    /// Passes holding the keys; the draws before the last are forgotten.
    void pass(std::initializer_list<int> keys = {}, int passes = 1) {
        hold(keys, passes - 1);
        drawsBefore = device().draws.size();
        hold(keys);
    }
    std::string shown() { return drawnText(app->overlay); }
    bool shows(const std::string& text) {
        return shown().find(withoutSpaces(text)) != std::string::npos;
    }
    /// Puts the cursor on the particle's centre as the last frame showed it.
    void cursorOn(const Particle* particle) {
        const Vec3 p = particle->current.position;
        const Matrix4 m = gRenderer->view * gRenderer->projection;
        const float w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
        const Vec3 clip = transformRow(p, m);
        cursorAtClient(static_cast<int>(std::lround((clip.x / w + 1.0f) * 400.0f)),
                       static_cast<int>(std::lround((1.0f - clip.y / w) * 300.0f)));
    }
    std::size_t drawsBefore = 0;
};

TEST_F(OverlayInTheLoop, StatusCornerShowsRunStateCountsAndTheFrameRateOfHalfASecond) {
    start();
    pass();
    pass();
    EXPECT_TRUE(shows("Running") && shows("10 particles, 30 links")) << shown();
    pass({VK_TAB});
    EXPECT_TRUE(shows("Paused") && !shows("Running")) << shown();
    cursorAtClient(200, 450);
    pass({VK_MBUTTON});
    EXPECT_TRUE(shows("11 particles, 30 links")) << shown();
    // Passes of 0.2 and 0.4 s: every half second of them is two passes in 0.6 s, 3.33 a
    // second; a single pass would say 5 or 2.5.
    for (int i = 0; i < 8; ++i) {
        setDt(i % 2 == 0 ? 0.2f : 0.4f);
        pass();
        if (i > 4) {
            EXPECT_TRUE(shows("3 fps, physics")) << i << ": " << shown();
        }
    }
    // Held over four passes, F1 and F2 open the help and the panel once; neither pauses,
    // steps, resets or spawns.
    pass({VK_F1, VK_F1 + 1}, 4);
    EXPECT_TRUE(app->overlay.helpOpen() && app->overlay.panelOpen());
    EXPECT_GT(app->overlay.layout().help.height(), 0);
    EXPECT_TRUE(shows("Panel (F2)")) << shown();
    EXPECT_FALSE(app->running);
    EXPECT_EQ(app->particles.size(), 11u);
}

TEST_F(OverlayInTheLoop, APressOnAPanelStaysThereAndBesideItReachesTheTools) {
    start();
    pass({VK_F1 + 1});
    pass();
    pass();
    const Rect panel = app->overlay.layout().panel;
    ASSERT_GT(panel.width(), 0);
    const int middleY = (panel.top + panel.bottom) / 2;
    cursorAtClient((panel.left + panel.right) / 2, middleY);
    pass({VK_MBUTTON});
    pass({VK_RBUTTON});
    pass();
    EXPECT_EQ(app->particles.size(), 10u);
    EXPECT_FALSE(shows("right click")) << shown();
    cursorAtClient(panel.right + 20, middleY);
    pass({VK_MBUTTON});
    EXPECT_EQ(app->particles.size(), 11u);
    // Running, a right click beside the panel selects nothing and says how to use it.
    pass({VK_RBUTTON});
    EXPECT_EQ(app->editing.joinSel, nullptr);
    pass();
    EXPECT_TRUE(shows("right click works while paused (Tab)")) << shown();

    // The panel's buttons, from the top: run / pause, step, reset. A click is the panel's
    // (a left press in the scene would drop the selection); the pass after its release acts.
    const ImGuiStyle& style = ImGui::GetStyle();
    const auto click = [&](int button) {
        const float y = static_cast<float>(panel.top) + ImGui::GetFrameHeight() +
                        style.WindowPadding.y + ImGui::GetFrameHeightWithSpacing() * button;
        cursorAtClient(panel.left + 20, static_cast<int>(y) + 8);
        pass({VK_LBUTTON});
        pass();
        pass();
    };
    app->editing.joinSel = app->particles[0].get();
    cursorAtClient(panel.left + 20, panel.top + static_cast<int>(ImGui::GetFrameHeight()) + 14);
    pass({VK_LBUTTON});
    EXPECT_EQ(app->editing.joinSel, app->particles[0].get());
    pass();  // released over the button: the panel asks
    EXPECT_TRUE(app->running);
    pass();
    EXPECT_FALSE(app->running);
    const std::uint64_t paused = stateHash(app->particles);
    click(1);
    const std::uint64_t stepped = stateHash(app->particles);
    EXPECT_NE(stepped, paused);
    pass();
    EXPECT_EQ(stateHash(app->particles), stepped);  // one step per click
    click(2);
    EXPECT_EQ(app->particles.size(), 10u);
    EXPECT_TRUE(app->running);
}

TEST_F(OverlayInTheLoop, RingsShowTheHeldParticlesAndAShiftDragGoesFiveTimesAsFar) {
    start();
    pass({VK_TAB});
    pass();
    const auto plain = sceneDraws();
    ASSERT_EQ(plain.size(), 9u);  // sky, five panels, two sphere groups, the links
    Particle* corner = app->particles[6].get();
    Particle* top = app->particles[kStartingStructurePinned].get();
    /// The ring draw of the last pass, checked to circle the particle facing the camera.
    const auto expectRingAround = [&](const Particle* held) {
        const auto draws = sceneDraws();
        ASSERT_EQ(draws.size(), plain.size() + 1);
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), draws.begin()));
        const auto [type, segments, texture] = draws.back();
        EXPECT_EQ(type, D3DPT_LINELIST);
        ASSERT_EQ(segments, 2 * kSelectionRingSegments);
        const auto points =
            contents<Vec3>(app->scene.selectionRings.mesh.geometry->positionBuffer(), 2 * segments);
        const Vec3 forward = app->scene.mainCamera.forward();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const Vec3 d = points[i] - held->current.position;
            EXPECT_NEAR(length(d), kSelectionRingRadii[i < segments ? 0 : 1], 1e-4f) << i;
            EXPECT_NEAR(dot(d, forward), 0.0f, 1e-4f) << i;
        }
    };

    cursorOn(corner);
    pass({VK_RBUTTON});
    ASSERT_EQ(app->editing.joinSel, corner);
    expectRingAround(corner);
    pass();
    EXPECT_TRUE(shows("select a second particle to link")) << shown();
    cursorOn(top);
    pass({VK_RBUTTON});
    ASSERT_TRUE(corner->isLinkedTo(top));
    EXPECT_EQ(corner->links.back().restLength,
              length(corner->current.position - top->current.position));
    EXPECT_EQ(sceneDraws().size(), plain.size());
    pass();
    EXPECT_TRUE(shows("linked") && !shows("unlinked")) << shown();
    const auto rightClickOn = [&](const Particle* particle) {
        cursorOn(particle);
        pass({VK_RBUTTON});
        pass();
    };
    rightClickOn(corner);
    rightClickOn(top);
    EXPECT_FALSE(corner->isLinkedTo(top));
    EXPECT_TRUE(shows("unlinked")) << shown();
    // A click on empty space drops a selection: the next two on the top unpin it.
    rightClickOn(corner);
    cursorAtClient(700, 550);
    pass({VK_RBUTTON});
    pass();
    rightClickOn(top);
    rightClickOn(top);
    EXPECT_FALSE(top->pinned);
    EXPECT_TRUE(shows("unpinned")) << shown();
    rightClickOn(top);
    rightClickOn(top);
    EXPECT_TRUE(top->pinned);
    EXPECT_TRUE(shows("pinned") && !shows("unpinned")) << shown();
    EXPECT_EQ(sceneDraws(), plain);  // the same frame as before any selection

    // Held by the left button, a particle has its ring until let go; with Shift it goes five
    // times 0.01 per pixel along the camera's right, and the cursor goes home.
    cursorOn(corner);
    os.setKey(VK_SHIFT, true);
    pass({VK_LBUTTON});
    ASSERT_EQ(app->editing.dragTarget, corner);
    expectRingAround(corner);
    const Vec3 before = corner->current.position;
    cursorAtClient(410, 300);
    pass({VK_LBUTTON});
    EXPECT_VEC3_NEAR(corner->current.position - before, app->scene.mainCamera.right() * 0.5f,
                     1e-5f);
    EXPECT_EQ(os.screenToClient(windowHandle, os.cursor), (Point{400, 300}));
    os.setKey(VK_SHIFT, false);
    pass();
    EXPECT_EQ(sceneDraws(), plain);
}

}  // namespace
}  // namespace velmora::test
