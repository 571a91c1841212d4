// The real loop on the scripted operating system and the headless device.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <regex>

#include "app/CameraMotion.h"
#include "physics/StateSummary.h"
#include "platform/ForwardingOperatingSystem.h"
#include "scenes/SceneFile.h"
#include "scenes/StressScenes.h"
#include "tests/app/ApplicationFixture.h"
#include "tests/math/ApproxEqual.h"
#include "tests/render/PictureFiles.h"

namespace velmora {
namespace {

TEST_F(ApplicationTest, APassDrawsTheRoomWhereItStandsAndEveryLinkOnce) {
    start();
    ASSERT_TRUE(app->runPass());
    ASSERT_EQ(device().draws.size(), 9u);
    EXPECT_TRUE(device().draws[8].type == D3DPT_LINELIST && device().draws[8].primitiveCount == 30);
    // Floor, ceiling, side walls (a quarter about z), 10 from the centre; the back wall's
    // quad turned so that its face looks along +z, at the camera, written out.
    const float quarter = 3.14159f * 0.5f;
    const Matrix4 viewProjection =
        lookAt({0, 0, 25}, {0, 0.1f, 0}) * perspectiveFov(60, 0.01f, 2000, 1.3333334f);
    const Matrix4 panels[5] = {
        translation({0, -10, 0}), translation({0, 10, 0}),
        rotationZ(quarter) * translation({-10, 0, 0}), rotationZ(quarter) * translation({10, 0, 0}),
        Matrix4{{{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, -10, 1}}}};
    for (int i = 0; i < 5; ++i)
        EXPECT_MATRIX4_NEAR(device().draws[1 + i].wvp, panels[i] * viewProjection, 1e-4f) << i;
}

TEST_F(ApplicationTest, TimeSpentStartingUpDoesNotReachTheFirstPass) {
    // A window that takes five seconds to appear; the first pass still measures one frame.
    struct SlowWindows final : ForwardingOperatingSystem {
        ScriptedOperatingSystem& scripted;
        explicit SlowWindows(ScriptedOperatingSystem& s)
            : ForwardingOperatingSystem(s), scripted(s) {}
        WindowHandle createWindow(const char* c, const char* t, std::uint32_t s, std::int32_t x,
                                  std::int32_t y, std::int32_t w, std::int32_t h) override {
            scripted.counter += 5'000'000;
            return inner.createWindow(c, t, s, x, y, w, h);
        }
    } slow(os);
    os.counterStep = 10'000;
    app = std::make_unique<Application>(slow, headlessDirect3DCreate);
    ASSERT_FALSE(app->startUp(SW_SHOWNORMAL).has_value());
    app->runPass();
    EXPECT_FLOAT_EQ(app->passDt, 0.01f);
}

TEST(CameraGlide, AfterAStallTheCameraGlidesOnlyAsFarAsHalfASecondAllows) {
    // Let go at a thrust's top speed, 120 units/s: each 0.017 s step keeps 0.915 of it, so the
    // 30 steps of 0.51 s carry the camera 120 * 0.017 * 0.915 (1 - 0.915^30) / 0.085 = 20.432
    // and leave it 120 * 0.915^30 = 8.352 units/s, however long the stall.
    for (const float stall : {1.0f, 3.0f}) {
        Camera camera(CameraMode::FreeLook);
        camera.setEye(0, 0, 25);
        camera.setTarget(0, 0.1f, 0);
        Vec3 velocity(120, 0, 0);
        glideCamera(camera, velocity, CameraKeys{}, stall);
        EXPECT_VEC3_NEAR(camera.getEye(), Vec3(20.432f, 0, 25), 1e-3f) << stall;
        EXPECT_VEC3_NEAR(velocity, Vec3(8.352f, 0, 0), 1e-3f) << stall;
    }
    // A 60 Hz frame time in a few digits, 0.0166667 s, is one step: 120 (1 - 5 * 0.0166667)
    // = 110.000, where two steps of half that would leave 110.208.
    Camera camera(CameraMode::FreeLook);
    Vec3 velocity(120, 0, 0);
    glideCamera(camera, velocity, CameraKeys{}, 0.0166667f);
    EXPECT_NEAR(velocity.x, 110.0f, 1e-3f);
}

TEST_F(ApplicationTest, ResetSingleStepAndHomeActOncePerPress) {
    // The starting structure's state hash, and after one pass of 1/60 s, from the rules.
    constexpr std::uint64_t kStartState = 0x14432ef888b2746aull;
    constexpr std::uint64_t kOneSixtieth = 0x50541da6a0c03aedull;
    start();
    const auto setDt = [](float dt) { timer->fixedDeltaTime = dt; };
    setDt(0.01f);
    hold({'W'}, 20);
    app->editing.joinSel = app->particles[0].get();
    ASSERT_NE(stateHash(app->particles), kStartState);

    // R restores particles, camera, run state and selection; held, it does not reset again.
    setDt(0.0f);
    os.setKey('R', true);
    app->runPass();
    EXPECT_EQ(stateHash(app->particles), kStartState);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getEye(), Vec3(0, 0, 25), 0.0f);
    EXPECT_VEC3_NEAR(app->cameraVelocity, Vec3(), 0.0f);
    EXPECT_TRUE(app->running);
    EXPECT_EQ(app->editing.joinSel, nullptr);
    setDt(0.01f);
    app->runPass();
    const std::uint64_t afterOnePass = stateHash(app->particles);
    hold({'R'});
    EXPECT_NE(afterOnePass, kStartState);
    EXPECT_NE(stateHash(app->particles), afterOnePass);
    setDt(0.0f);
    app->runPass();
    hold({'R'});
    hold({VK_TAB});

    // N while paused: one step of 1/60 s per press, however long it is held.
    hold({'N'}, 3);
    EXPECT_EQ(stateHash(app->particles), kOneSixtieth);
    // N while running (dt 0 here, so running moves nothing): no step.
    hold({VK_TAB});
    ASSERT_TRUE(app->running);
    hold({'N'});
    EXPECT_EQ(stateHash(app->particles), kOneSixtieth);

    // Home puts the view back without touching the simulation.
    setDt(0.01f);
    hold({VK_TAB});
    hold({'S'}, 2);
    ASSERT_GT(app->scene.mainCamera.getEye().z, 25.0f);
    hold({VK_HOME}, 2);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getEye(), Vec3(0, 0, 25), 0.0f);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getTarget(), Vec3(0, 0.1f, 0), 0.0f);
    EXPECT_EQ(stateHash(app->particles), kOneSixtieth);
}

TEST_F(ApplicationTest, RForgetsThatTheSceneItThrewAwayWasGainingEnergy) {
    // A taut string gains energy under the described step until the stepper damps it; the
    // scene R brings back steps as described again.
    start(1.0f / 60.0f);
    app->startingScene = tautStringScene(10, 0.5f);
    hold({'R'});
    for (int pass = 0; pass < 900 && !app->stepper.dampsSideways(); ++pass) {
        app->runPass();
    }
    ASSERT_TRUE(app->stepper.dampsSideways());
    hold({'R'});
    EXPECT_FALSE(app->stepper.dampsSideways());
}

TEST_F(ApplicationTest, AltThenEnterSwitchesToFullScreenWhereTheCentreClickPicksTheSamePoint) {
    start();
    const auto holdInOrder = [&](int first, int second) {
        os.setKey(first, true);
        app->runPass();
        os.setKey(second, true);
        app->runPass();
        os.setKey(first, false);
        os.setKey(second, false);
        app->runPass();
    };
    // A display mode without area: the window, the device and fullScreen stay as they are.
    os.displayMode = {1280, 0, 60};
    const Rect windowed = os.getWindowRect(windowHandle);
    holdInOrder(VK_MENU, VK_RETURN);
    EXPECT_FALSE(fullScreen);
    EXPECT_EQ(os.getWindowRect(windowHandle), windowed);
    EXPECT_EQ(device().resetCount, 0u);

    os.displayMode = {1280, 800, 60};
    holdInOrder(VK_RETURN, VK_MENU);
    EXPECT_FALSE(fullScreen);
    // A round trip in wireframe comes back to the window's picture, still in wireframe.
    hold({'Q'});
    holdInOrder(VK_MENU, VK_RETURN);
    holdInOrder(VK_MENU, VK_RETURN);
    EXPECT_FALSE(fullScreen);
    EXPECT_MATRIX4_NEAR(gRenderer->projection, perspectiveFov(60, 0.01f, 2000, 800.0f / 600),
                        1e-6f);
    EXPECT_EQ(device().state.renderState(D3DRS_FILLMODE), D3DFILL_WIREFRAME);
    hold({'Q'});
    holdInOrder(VK_MENU, VK_RETURN);
    EXPECT_TRUE(fullScreen);
    EXPECT_EQ(device().state.renderState(D3DRS_FILLMODE), D3DFILL_SOLID);
    EXPECT_EQ(device().presentParameters.BackBufferWidth, 1280u);
    EXPECT_MATRIX4_NEAR(gRenderer->projection, perspectiveFov(60, 0.01f, 2000, 1.6f), 1e-6f);
    // The viewport is the whole display: its centre picks what the window's centre did.
    hold({VK_TAB});
    app->particles.clear();
    os.cursor = {640, 400};
    hold({VK_MBUTTON});
    ASSERT_EQ(app->particles.size(), 1u);
    EXPECT_VEC3_NEAR(app->particles[0]->current.position, Vec3(0, 0.1f, 0), 1e-3f);
    app->shutDown();  // ending in full screen gives the display its settings back
    EXPECT_EQ(os.displaySettingsRestores, 1);
}

TEST_F(ApplicationTest, F5HeldSavesWhatIsShownOnceAndNeverOverwrites) {
    velmora::testing::TempFolder dir;
    start();
    app->saveFolder = dir.path("");
    std::vector<std::string> taken;  // the names of this second and the next two
    for (std::time_t t = std::time(nullptr); taken.size() < 3; ++t) {
        std::tm local{};
        localtime_r(&t, &local);
        char name[64];
        std::strftime(name, sizeof name, "velmora-%Y%m%d-%H%M%S.json", &local);
        taken.push_back(dir.write(name, std::string("taken")));
    }
    for (int pass = 0; pass < 10; ++pass)
        app->runPass();
    const std::uint64_t shown = stateHash(app->particles);  // what the last frame showed
    hold({VK_F1 + 4}, 3);
    std::vector<std::string> saved;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path(""))) {
        if (std::find(taken.begin(), taken.end(), entry.path().string()) == taken.end())
            saved.push_back(entry.path().filename().string());
        else
            EXPECT_EQ(entry.file_size(), 5u) << entry.path();  // still "taken"
    }
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(std::regex_match(saved[0], std::regex("velmora-[0-9]{8}-[0-9]{6}-2\\.json")))
        << saved[0];
    EXPECT_NE(app->lastMessage.find(saved[0]), std::string::npos) << app->lastMessage;
    SceneDescription description;
    std::string error;
    ASSERT_TRUE(readSceneFile(dir.path(saved[0]), description, error)) << error;
    ParticleList rebuilt;
    buildScene(description, rebuilt);
    EXPECT_EQ(stateHash(rebuilt), shown);
    EXPECT_EQ(linkCount(rebuilt), 30u);
    ASSERT_TRUE(description.camera);
    EXPECT_VEC3_NEAR(description.camera->eye, Vec3(0, 0, 25), 0.0f);

    // A folder that cannot be made (a file stands in its way): the run goes on and says why.
    app->saveFolder = dir.write("file", std::string()) + "/missing";
    app->runPass();
    EXPECT_TRUE(hold({VK_F1 + 4}));
    EXPECT_TRUE(app->lastMessage.starts_with("cannot save")) << app->lastMessage;
}

TEST_F(ApplicationTest, AFailedLoadKeepsTheSceneAndRGoesBackToTheSceneAsLoaded) {
    velmora::testing::TempFolder dir;
    start();
    for (int pass = 0; pass < 10; ++pass)
        app->runPass();
    const std::uint64_t before = stateHash(app->particles);
    const std::string selfLink =
        dir.write("self.json", std::string(R"({"format": "velmora-scene", "version": 1,
            "particles": [{"position": [0, 0, 0]}], "links": [{"a": 0, "b": 0}]})"));
    for (const std::string& bad : {dir.path("missing.json"), selfLink, std::string("rope:11")}) {
        EXPECT_FALSE(app->loadScene(bad));
        EXPECT_NE(app->lastMessage.find(bad), std::string::npos) << app->lastMessage;
        EXPECT_EQ(stateHash(app->particles), before);
    }

    SceneDescription rope = ropeScene(3);
    rope.camera = CameraPose{{3, 4, 30}, {1, 1, 1}};
    std::string error;
    const std::string file = dir.path("rope.json");
    ASSERT_TRUE(writeSceneFile(file, rope, error)) << error;
    ASSERT_TRUE(app->loadScene(file));
    ParticleList expected;
    buildScene(rope, expected);
    const std::uint64_t loaded = stateHash(expected);
    EXPECT_EQ(stateHash(app->particles), loaded);

    // Moving, flying and a save later, R still returns to the file as it was loaded.
    hold({'W'}, 10);
    ASSERT_TRUE(app->saveScene(dir.path("later.json")));
    ASSERT_NE(stateHash(app->particles), loaded);
    timer->fixedDeltaTime = 0.0f;  // so the pass that resets moves nothing
    hold({'R'});
    EXPECT_EQ(stateHash(app->particles), loaded);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getEye(), Vec3(3, 4, 30), 0.0f);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getTarget(), Vec3(1, 1, 1), 0.0f);
}

}  // namespace
}  // namespace velmora
