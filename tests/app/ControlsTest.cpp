// Every control held over several passes: held ones act on each pass, pressed ones once.
#include <cstdlib>

#include "app/EnergyHistory.h"
#include "app/Inspector.h"
#include "physics/Particle.h"
#include "physics/StateSummary.h"
#include "render/StrainColour.h"
#include "tests/app/ApplicationFixture.h"
#include "tests/math/ApproxEqual.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora {
namespace {

class ControlsTest : public ApplicationTest {
  protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        start();
        timer->fixedDeltaTime = 0.01f;
        while (os.pendingMessages() > 0)
            ASSERT_TRUE(app->runPass());
    }
};

TEST_F(ControlsTest, EachThrustPushesItsWayOnEveryHeldPass) {
    // From the starting pose forward is about -z and right is +x.
    struct Thrust {
        int key;
        Vec3 direction;
    };
    for (const Thrust t :
         {Thrust{'W', {0, 0, -1}}, Thrust{'S', {0, 0, 1}}, Thrust{'D', {1, 0, 0}},
          Thrust{'A', {-1, 0, 0}}, Thrust{VK_SPACE, {0, 1, 0}}, Thrust{VK_CONTROL, {0, -1, 0}}}) {
        const auto speedAfter = [&](std::initializer_list<int> keys, int passes) {
            placeMainCamera(app->scene, CameraPose{});
            app->cameraVelocity = Vec3();
            hold(keys, passes);
            return dot(app->cameraVelocity, t.direction);
        };
        // 600 units/s² less the drag, each pass; Shift triples it on every pass it is held.
        EXPECT_NEAR(speedAfter({t.key}, 1), 6.0f, 0.01f) << t.key;
        const float three = speedAfter({t.key}, 3);
        EXPECT_NEAR(three, 6.0f * (1 + 0.95f + 0.95f * 0.95f), 0.05f) << t.key;
        EXPECT_NEAR(speedAfter({t.key, VK_SHIFT}, 3), 3.0f * three, 0.1f) << t.key;
        app->runPass();
    }
}

TEST_F(ControlsTest, TheWheelHalvesAndDoublesTheThrustBetweenASixteenthAndTheWhole) {
    const auto notches = [&](int count) {  // away from the user positive, 120 a notch
        for (int i = 0; i < std::abs(count); ++i) {
            os.pushWindowMessage(WM_MOUSEWHEEL, (count > 0 ? 120u : 0xFF88u) << 16);
            app->runPass();
        }
    };
    const auto tap = [&] {  // a pass of W from rest: 600 units/s² a second, scaled
        app->cameraVelocity = Vec3();
        hold({'W'}, 1);
        return -app->cameraVelocity.z;
    };
    EXPECT_NEAR(tap(), 6.0f, 0.01f);
    notches(-2);
    EXPECT_NEAR(tap(), 6.0f / 4, 0.01f);
    notches(-9);  // no slower than a sixteenth
    EXPECT_NEAR(tap(), 6.0f / 16, 0.002f);
    notches(+9);  // and no faster than the whole
    EXPECT_NEAR(tap(), 6.0f, 0.01f);
}

TEST_F(ControlsTest, CColoursTheLinksByStrainAndBackToWhite) {
    // Hand-computed: strain -0.25 is half way from white to 0x3060FF, +0.5 and beyond red.
    EXPECT_EQ(strainColour(0.75f, 1.0f), 0xFF98B0FFu);
    EXPECT_EQ(strainColour(1.0f, 1.0f), 0xFFFFFFFFu);
    EXPECT_EQ(strainColour(1.5f, 1.0f), 0xFFFF3030u);
    EXPECT_EQ(strainColour(4.0f, 0.0f), 0xFFFF3030u);  // a link of rest 0 pulled apart
    SceneDescription pair;
    pair.particles = {{{0, 0, 0}, {}, true},
                      {{0.75f, 0, 0}, {}, true},
                      {{0, 5, 0}, {}, true},
                      {{1.5f, 5, 0}, {}, true}};
    pair.links = {{0, 1, 1.0f}, {2, 3, 1.0f}};
    app->startingScene = pair;
    app->resetScene();
    const auto colours = [&] {
        return test::contents<std::uint32_t>(app->scene.linkLines.mesh.geometry->colorBuffer(), 4);
    };
    app->runPass();
    EXPECT_EQ(colours(), std::vector<std::uint32_t>(4, 0xFFFFFFFF));  // off by default
    hold({'C'}, 3);
    EXPECT_EQ(colours(),
              (std::vector<std::uint32_t>{0xFF98B0FF, 0xFF98B0FF, 0xFFFF3030, 0xFFFF3030}));
    // The energy plot's newest sample is the energy the run report gives.
    EXPECT_NEAR(app->energyHistory.latest(EnergyHistory::Total), totalEnergy(app->particles), 1e-4);
    app->runPass();  // let go
    hold({'C'}, 2);
    EXPECT_EQ(colours(), std::vector<std::uint32_t>(4, 0xFFFFFFFF));
}

TEST(Inspector, ReadsTheHeldParticleAndItsLinkToTheOneUnderTheCursor) {
    // Linked at rest 1 and 1.5 apart: strain +50 %, tension 100 * 0.5 = 50.
    SceneDescription pair;
    pair.particles = {
        {{1, 2, 3}, {0, 3, 4}, false}, {{1, 3.5f, 3}, {}, true}, {{9, 9, 9}, {}, false}};
    pair.links = {{0, 1, 1.0f}};
    ParticleList particles;
    buildScene(pair, particles);
    particles[0]->current.velocity = {0, 3, 4};
    std::string text;
    inspectorText(particles, *particles[0], nullptr, text);
    EXPECT_EQ(text, "particle 0\nat (1.00, 2.00, 3.00), speed 5.00, 1 link");
    inspectorText(particles, *particles[1], particles[0].get(), text);
    EXPECT_EQ(text,
              "particle 1, pinned\nat (1.00, 3.50, 3.00), speed 0.00, 1 link\nto particle 0: "
              "1.500 apart\nlinked: rest 1.000, strain +50.0%, tension 50.00");
    inspectorText(particles, *particles[2], particles[0].get(), text);
    EXPECT_EQ(text.substr(text.find("\nto")), "\nto particle 0: 12.207 apart");
}

TEST(EnergyPlot, PartsByHandAndTheLastSecondRisingOnlyWithoutEdits) {
    // Unit masses: 1/2 |(3, 4, 0)|^2 = 12.5 kinetic; 9.8 * (0.5 + 9.5) = 98 above the floor,
    // the other two on it; a link 1.5 long at rest 1 holds 100 * 0.5^2 / 2 = 12.5.
    SceneDescription scene;
    scene.particles = {
        {{0, 0.5f, 0}, {3, 4, 0}, false}, {{0, -9.5f, 0}, {}, true}, {{1.5f, -9.5f, 0}, {}, true}};
    scene.links = {{1, 2, 1.0f}};
    ParticleList particles;
    buildScene(scene, particles);
    const EnergyParts parts = energyParts(particles);
    EXPECT_DOUBLE_EQ(parts.kinetic, 12.5);
    EXPECT_NEAR(parts.gravitational, 98.0, 1e-5);
    EXPECT_DOUBLE_EQ(parts.elastic, 12.5);
    EXPECT_NEAR(parts.total(), totalEnergy(particles), 1e-9);

    EnergyHistory history;
    const auto run = [&](double total, int passes, bool edited = false) {
        for (int i = 0; i < passes; ++i)
            history.add({total, 0.0, 0.0}, 1.0f / 120.0f, edited && i == passes / 2);
    };
    run(100.0, 240);                  // two seconds at two passes a sample
    EXPECT_EQ(history.count(), 120);  // the first pass, then one every second pass
    EXPECT_FALSE(history.rising());
    run(90.0, 240);  // drag and bounces take 10 out
    EXPECT_FLOAT_EQ(history.latest(EnergyHistory::Lost), 10.0f);
    EXPECT_FALSE(history.rising());
    run(95.0, 60);  // up by 5 with nothing edited: a blow-up
    EXPECT_TRUE(history.rising());
    run(99.0, 60, true);  // an edit in the last second: not a warning, and the loss restarts
    EXPECT_FALSE(history.rising());
    EXPECT_FLOAT_EQ(history.latest(EnergyHistory::Lost), 0.0f);
    run(99.0, 4000);  // the ring holds 20 s
    EXPECT_EQ(history.count(), EnergyHistory::kSamples);

    // The plot's points: from the oldest sample kept to the newest, evenly, the ring's wrap
    // and all. Kinetic counts samples here, one a sample: the ring's oldest is 1300 - 1200.
    EnergyHistory counted;
    for (int i = 0; i < 1300; ++i)
        counted.add({static_cast<double>(i), 0.0, 0.0}, 1.0f / 60.0f, false);
    float points[150];
    ASSERT_EQ(counted.thinned(EnergyHistory::Kinetic, points, 150), 150);
    EXPECT_EQ(points[0], 100.0f);
    EXPECT_EQ(points[75], 100.0f + 75 * 1199 / 149);
    EXPECT_EQ(points[149], 1299.0f);
    std::vector<float> all(5000);
    EXPECT_EQ(counted.thinned(EnergyHistory::Kinetic, all.data(), 5000), EnergyHistory::kSamples);
    EXPECT_EQ(all[0], 100.0f);
    EXPECT_EQ(all[1199], 1299.0f);
}

TEST_F(ControlsTest, PressedControlsActOnceHoweverLongTheyAreHeld) {
    // Held over an even number of passes, a toggle read as held would end where it began; each
    // is let go for a pass before the next.
    const auto holdAndLetGo = [&](std::initializer_list<int> keys, int passes) {
        hold(keys, passes);
        app->runPass();
    };
    holdAndLetGo({VK_TAB}, 4);
    EXPECT_FALSE(app->running);
    holdAndLetGo({'Q'}, 4);
    EXPECT_TRUE(gRenderer->wireframe);
    // F: one title, its frame rate truncated (1 / 0.015 is 66.67), 0 when no time passed.
    for (const auto& [dt, title] :
         {std::pair{0.015f, "FPS: 66 - DT: 0.015000"}, std::pair{0.0f, "FPS: 0 - DT: 0.000000"}}) {
        const std::size_t titles = os.titles.size();
        timer->fixedDeltaTime = dt;
        holdAndLetGo({'F'}, 3);
        ASSERT_EQ(os.titles.size(), titles + 1);
        EXPECT_EQ(os.titles.back(), std::string("Velmora - Using OpenGL - ") + title);
    }
    timer->fixedDeltaTime = 0.01f;
    os.setKey(VK_MENU, true);
    holdAndLetGo({VK_RETURN}, 3);
    os.setKey(VK_MENU, false);
    EXPECT_TRUE(fullScreen);
    EXPECT_EQ(device().resetCount, 1u);
    // Mouse buttons: a held middle button spawns once; a held right button selects once, so
    // the selection survives instead of pinning the particle on the next pass.
    holdAndLetGo({VK_MENU, VK_RETURN}, 1);
    ASSERT_FALSE(fullScreen);
    cursorAtClient(250, 420);  // inside the room, clear of the structure
    const std::size_t count = app->particles.size();
    holdAndLetGo({VK_MBUTTON}, 3);
    ASSERT_EQ(app->particles.size(), count + 1);
    Particle* spawned = app->particles.back().get();  // appended, not put in front
    hold({VK_RBUTTON}, 2);
    EXPECT_EQ(app->editing.joinSel, spawned);
    EXPECT_FALSE(spawned->pinned);
    // The inspector reads the selected particle, itself under the cursor.
    EXPECT_TRUE(app->inspector.starts_with("particle " + std::to_string(count) + "\n"))
        << app->inspector;
    EXPECT_EQ(app->inspector.find("apart"), std::string::npos);
    // Tab there and back, or a left grab and release, abandon the selection and hold nothing:
    // the next right click on the particle selects it again instead of pinning it.
    for (const auto& abandon : std::vector<std::vector<int>>{{VK_TAB, VK_TAB}, {VK_LBUTTON}}) {
        app->runPass();
        for (const int key : abandon)
            holdAndLetGo({key}, 2);
        EXPECT_TRUE(app->editing.joinSel == nullptr && app->editing.dragTarget == nullptr);
        EXPECT_EQ(app->inspector, "");
        cursorAtClient(250, 420);  // a drag puts the cursor home
        hold({VK_RBUTTON}, 2);
        ASSERT_EQ(app->editing.joinSel, spawned);
        EXPECT_FALSE(spawned->pinned) << abandon.size();
    }
    // Messages waiting ahead of the quit keep the loop going for two passes of held Escape.
    os.pushWindowMessage(WM_SETFOCUS);
    os.pushWindowMessage(WM_SETFOCUS);
    holdAndLetGo({VK_ESCAPE}, 2);
    EXPECT_EQ(os.postedQuits, std::vector<int>{0});
}

TEST_F(ControlsTest, MouseLookTurnsOnEveryPassWhileEIsHeldAndOnlyWithTheFocus) {
    const Point home = app->cursorHomeOnScreen();
    const Vec3 forward = app->scene.mainCamera.forward();
    os.loseFocus();
    app->runPass();
    os.cursor = {home.x + 50, home.y};
    hold({'E'}, 2);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.forward(), forward, 0.0f);

    os.setFocus(windowHandle);
    os.cursor = home;
    app->runPass();
    os.setKey('E', true);
    Vec3 last = forward;
    for (int i = 0; i < 3; ++i) {
        os.cursor = {home.x + 40, home.y + 10};  // right and down of home on every pass
        app->runPass();
        EXPECT_GT(app->scene.mainCamera.forward().x, last.x + 0.1f) << i;
        EXPECT_LT(app->scene.mainCamera.forward().y, last.y) << i;
        EXPECT_EQ(os.cursor, home);
        last = app->scene.mainCamera.forward();
    }
}

}  // namespace
}  // namespace velmora
