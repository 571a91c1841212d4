// The overlay in the real loop: the status corner, the clicks it keeps, the selection rings.
#include <gtest/gtest.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "physics/StateSummary.h"
#include "tests/app/ApplicationFixture.h"
#include "tests/math/ApproxEqual.h"
#include "tests/overlay/OverlayText.h"

namespace velmora::test {
namespace {

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
