// The overlay on the recording device and the scripted operating system: what it draws (read
// back from the glyphs' texture coordinates), when it takes the mouse, and that the scene's
// device states survive it.
#include <gtest/gtest.h>
#include <imgui.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "app/Controls.h"
#include "app/Overlay.h"
#include "platform/RecordingDevice.h"
#include "render/Image.h"
#include "render/Texture.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

std::string withoutSpaces(std::string_view text) {
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [](char c) { return c != ' '; });
    return out;
}

template <typename T>
std::vector<T> contents(VertexBuffer* buffer, std::size_t count) {
    const auto& bytes = dynamic_cast<RecordingVertexBuffer&>(*buffer).store.bytes;
    std::vector<T> out(std::min(count, bytes.size() / sizeof(T)));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
    return out;
}

/// The text the overlay's last render put in the device's buffers, one character per glyph
/// quad found in the texture-coordinate stream, in drawing order. Spaces have no glyph.
std::string drawnText(const Overlay& overlay) {
    ImGui::SetCurrentContext(overlay.context());
    const ImFont& font = *ImGui::GetIO().Fonts->Fonts[0];
    std::map<std::pair<float, float>, const ImFontGlyph*> byCorner;
    for (char c = '!'; c <= '~'; ++c) {
        const ImFontGlyph* glyph = font.FindGlyphNoFallback(static_cast<ImWchar>(c));
        if (glyph != nullptr)
            byCorner[{glyph->U0, glyph->V0}] = glyph;
    }
    const OverlayRenderer& renderer = overlay.renderer();
    const auto uv = contents<float>(renderer.texCoordStream(), renderer.vertexCount() * 2u);
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
        actions = overlay.build(status);
        const std::size_t before = device().draws.size();
        gRenderer->beginScene();
        overlay.render();
        gRenderer->endSceneAndPresent();
        overlayDraws = device().draws.size() - before;
    }
    /// Presses a key in one pass and lets it go in the next.
    void tap(int key) {
        os.setKey(key, true);
        pass();
        os.setKey(key, false);
        pass();
    }
    void cursorAtClient(int x, int y) { os.cursor = os.clientToScreen(window, {x, y}); }
    RecordingDevice& device() { return dynamic_cast<RecordingDevice&>(*gRenderer->device); }

    ScriptedOperatingSystem os;
    WindowHandle window = nullptr;
    std::unique_ptr<Effect> effect;
    InputState input{os};
    Overlay overlay;
    OverlayActions actions;
    std::size_t overlayDraws = 0;
};

TEST_F(OverlayTest, F1TogglesTheHelpPanelOnItsPressedEdgeAndThePanelListsEveryRow) {
    pass();
    pass();
    const std::size_t closedDraws = overlayDraws;
    const std::uint32_t closedVertices = overlay.renderer().vertexCount();
    ASSERT_GT(closedDraws, 0u);
    EXPECT_EQ(drawnText(overlay).find("Help(F1)"), std::string::npos);

    os.setKey(VK_F1, true);
    for (int held = 0; held < 3; ++held) {
        pass();
        EXPECT_TRUE(overlay.helpOpen()) << "pass " << held << " with F1 held";
    }
    os.setKey(VK_F1, false);
    pass();
    EXPECT_GT(overlayDraws, closedDraws);
    EXPECT_GT(overlay.renderer().vertexCount(), closedVertices + 2000);
    const std::string text = drawnText(overlay);
    EXPECT_NE(text.find("Help(F1)"), std::string::npos) << text;
    for (const ControlRow& row : controlsTable()) {
        EXPECT_NE(text.find(withoutSpaces(row.input)), std::string::npos) << row.input;
        EXPECT_NE(text.find(withoutSpaces(row.effect)), std::string::npos) << row.effect;
    }
    for (const OptionRow& row : optionsTable()) {
        EXPECT_NE(text.find(withoutSpaces(row.form)), std::string::npos) << row.form;
        EXPECT_NE(text.find(withoutSpaces(row.effect)), std::string::npos) << row.effect;
    }
    EXPECT_FALSE(overlay.layout().help == Rect{});

    tap(VK_F1);
    EXPECT_FALSE(overlay.helpOpen());
    EXPECT_EQ(overlayDraws, closedDraws);
    EXPECT_EQ(overlay.renderer().vertexCount(), closedVertices);
    EXPECT_EQ(overlay.layout().help, Rect{});
}

TEST_F(OverlayTest, StatusShowsRunStateAndCountsMessagesExpireAndNeitherCoversTheCentre) {
    OverlayStatus status;
    status.running = true;
    status.particles = 27;
    status.links = 60;
    status.framesPerSecond = 59.6f;
    status.physicsMilliseconds = 0.25f;
    pass(status);
    pass(status);
    std::string text = drawnText(overlay);
    for (const char* shown : {"Running", "27particles,60links", "60fps,physics0.25ms", "F1help"})
        EXPECT_NE(text.find(shown), std::string::npos) << shown << " in " << text;
    status.running = false;
    pass(status);
    text = drawnText(overlay);
    EXPECT_NE(text.find("Paused"), std::string::npos) << text;
    EXPECT_EQ(text.find("Running"), std::string::npos) << text;

    // A message stays about two seconds of pass time.
    overlay.showMessage("select a second particle to link");
    pass(status);  // a part appears from its second frame, once it has measured itself
    pass(status);
    EXPECT_NE(drawnText(overlay).find("selectasecondparticletolink"), std::string::npos);
    for (int i = 0; i < 100; ++i)  // 1.7 s in all
        pass(status);
    EXPECT_GT(overlay.layout().message.width(), 0);
    for (int i = 0; i < 30; ++i)
        pass(status);
    EXPECT_EQ(overlay.layout().message, Rect{});
    EXPECT_EQ(drawnText(overlay).find("select"), std::string::npos);

    // The spawn point is the client area's centre, whatever its size.
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

TEST_F(OverlayTest, TheMouseOverAPanelIsTheOverlaysAndBesideItTheScenes) {
    tap(VK_F1 + 1);  // F2: the panel of buttons
    pass();
    const Rect panel = overlay.layout().panel;
    ASSERT_GT(panel.width(), 0);
    const int middleY = (panel.top + panel.bottom) / 2;

    cursorAtClient((panel.left + panel.right) / 2, middleY);
    os.setKey(VK_MBUTTON, true);
    pass();
    EXPECT_TRUE(overlay.wantsMouse());
    os.setKey(VK_MBUTTON, false);
    cursorAtClient(panel.right + 30, middleY);
    pass();
    os.setKey(VK_MBUTTON, true);
    pass();
    EXPECT_FALSE(overlay.wantsMouse());
    os.setKey(VK_MBUTTON, false);
    pass();

    // The first button (run / pause) under a left click: taken, and asked for on release.
    const ImGuiStyle& style = ImGui::GetStyle();
    const float titleHeight = ImGui::GetFontSize() + 2 * style.FramePadding.y;
    cursorAtClient(panel.left + static_cast<int>(style.WindowPadding.x) + 6,
                   panel.top + static_cast<int>(titleHeight + style.WindowPadding.y) + 6);
    pass();
    os.setKey(VK_LBUTTON, true);
    pass();
    EXPECT_TRUE(overlay.wantsMouse());
    EXPECT_FALSE(actions.toggleRun);
    os.setKey(VK_LBUTTON, false);
    pass();
    EXPECT_TRUE(actions.toggleRun);
    EXPECT_FALSE(actions.reset || actions.singleStep || actions.toggleWireframe);

    // ImGui's 0xAABBGGRR colours reach the device as 0xAARRGGBB (the buttons are blue).
    const ImVec4 c = style.Colors[ImGuiCol_Button];
    const auto byte = [](float v) { return static_cast<std::uint32_t>(v * 255.0f + 0.5f); };
    const std::uint32_t button = byte(c.w) << 24 | byte(c.x) << 16 | byte(c.y) << 8 | byte(c.z);
    const auto colors =
        contents<std::uint32_t>(overlay.renderer().colorStream(), overlay.renderer().vertexCount());
    EXPECT_NE(std::find(colors.begin(), colors.end(), button), colors.end());
}

TEST_F(OverlayTest, DrawsAreBlendedAndClippedAndEveryStateTheSceneUsesIsPutBack) {
    tap(VK_F1);
    // The scene's states: wireframe, a textured geometry with all its streams, a scissor
    // rectangle of its own (test off).
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
    std::vector<Rect> scissors;
    for (std::size_t i = first; i < device().draws.size(); ++i) {
        const RecordedDraw& d = device().draws[i];
        EXPECT_EQ(d.result, D3D_OK);
        EXPECT_TRUE(d.blending && d.sourceBlend == D3DBLEND_SRCALPHA &&
                    d.destBlend == D3DBLEND_INVSRCALPHA);
        EXPECT_FALSE(d.depthTest);
        EXPECT_EQ(d.cullMode, D3DCULL_NONE);
        EXPECT_EQ(d.fillMode, D3DFILL_SOLID);
        EXPECT_NE(d.effect, effect.get());  // the scene's effect keeps its parameters
        EXPECT_EQ(d.textures[0], ImGui::GetIO().Fonts->TexID);  // the font atlas
        EXPECT_TRUE(d.scissorTest);
        scissors.push_back(d.scissorRect);
    }
    // Backgrounds may use the whole client area; each part's contents are clipped to it.
    for (const Rect& part : {overlay.layout().status, overlay.layout().help}) {
        const auto inPart = [&](const Rect& s) {
            return s.left >= part.left && s.top >= part.top && s.right <= part.right &&
                   s.bottom <= part.bottom && s.width() > 0 && s.height() > 0;
        };
        EXPECT_TRUE(std::any_of(scissors.begin(), scissors.end(), inPart));
    }
    for (const Rect& s : scissors)
        EXPECT_TRUE(s.left >= 0 && s.top >= 0 && s.right <= 800 && s.bottom <= 600);
    // The orthographic projection puts the client's corners at clip space's corners.
    const Matrix4& m = device().draws[first].wvp;
    EXPECT_FLOAT_EQ(0 * m.m[0][0] + m.m[3][0], -1.0f);
    EXPECT_FLOAT_EQ(800 * m.m[0][0] + m.m[3][0], 1.0f);
    EXPECT_FLOAT_EQ(0 * m.m[1][1] + m.m[3][1], 1.0f);
    EXPECT_FLOAT_EQ(600 * m.m[1][1] + m.m[3][1], -1.0f);
}

}  // namespace
}  // namespace velmora::test
