// The real loop on the scripted operating system and the recording device, run from the
// build folder so bin/min.fx and the pictures are found as the program finds them.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <tuple>

#include "app/CameraMotion.h"
#include "physics/StateSummary.h"
#include "platform/ForwardingOperatingSystem.h"
#include "render/TextureManager.h"
#include "scenes/BuiltInScenes.h"
#include "scenes/SceneFile.h"
#include "tests/app/ApplicationFixture.h"
#include "tests/math/ApproxEqual.h"
#include "tests/render/PictureFiles.h"

namespace velmora {
namespace {

std::unique_ptr<Direct3D> deviceThatFails(OperatingSystem& os) {
    auto direct3d = std::make_unique<RecordingDirect3D>(os);
    direct3d->faults().failOn(RecordingCall::CreateDevice, 1);
    return direct3d;
}

std::unique_ptr<Direct3D> effectThatDoesNotCompile(OperatingSystem& os) {
    auto direct3d = std::make_unique<RecordingDirect3D>(os);
    direct3d->faults().failEffectLoad(1, "min.fx(3): error: undeclared identifier");
    return direct3d;
}

TEST_F(ApplicationTest, StartUpFailuresGiveTheirExitCodes) {
    // A start-up on its own operating system: the result and the boxes shown.
    const auto startUpWith = [](Direct3DCreateFn create, bool windowFails) {
        ScriptedOperatingSystem os;
        os.createWindowFails = windowFails;
        const std::optional<int> code = Application(os, create).startUp(SW_SHOWNORMAL);
        resetGlobals();
        return std::pair(code, os.messageBoxes);
    };
    auto [code, boxes] = startUpWith(recordingDirect3DCreate, true);
    EXPECT_EQ(code, 1);
    std::tie(code, boxes) = startUpWith(deviceThatFails, false);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(boxes.empty());
    std::tie(code, boxes) = startUpWith(effectThatDoesNotCompile, false);
    EXPECT_EQ(code, -1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "FX File Load Error");
    EXPECT_NE(boxes[0].text.find("undeclared identifier"), std::string::npos);
}

TEST_F(ApplicationTest, StartUpBuildsTheSceneAndTheFirstPassDrawsItInOrder) {
    start();
    EXPECT_FLOAT_EQ(aspectRatio, 1.3333334f);
    ASSERT_EQ(app->particles.size(), 10u);
    std::size_t records = 0;
    for (std::size_t i = 0; i < app->particles.size(); ++i) {
        records += app->particles[i]->links.size();
        EXPECT_EQ(app->particles[i]->pinned, i == 5) << i;
    }
    EXPECT_EQ(records, 60u);
    // The cursor sits at the client centre and the snapshot measures motion from there.
    const Point home = app->cursorHomeOnScreen();
    EXPECT_EQ(os.cursor, home);
    EXPECT_EQ(input->cursor, home);
    EXPECT_EQ(os.screenToClient(windowHandle, home), (Point{400, 300}));
    // The view is the main camera's.
    EXPECT_MATRIX4_NEAR(gRenderer->view, lookAt({0, 0, 25}, {0, 0.1f, 0}), 0.0f);

    // One pass draws sky, room, the nine free particles' spheres in one draw and the pinned
    // one's in another, then the 30 links in one line list.
    ASSERT_TRUE(app->runPass());
    const auto texture = [](const char* name, bool mips) {
        return gTextureManager->load(name, mips)->nativeTexture();
    };
    using Draw = std::tuple<D3DPRIMITIVETYPE, std::uint32_t, DeviceTexture*>;
    std::vector<Draw> expected{{D3DPT_TRIANGLELIST, 12, texture("bin/grid.bmp", false)}};
    expected.insert(expected.end(), 5, {D3DPT_TRIANGLELIST, 4, texture("bin/woodgrain.bmp", true)});
    expected.emplace_back(D3DPT_TRIANGLELIST, 9 * 128, texture("bin/orange.bmp", true));
    expected.emplace_back(D3DPT_TRIANGLELIST, 128, texture("bin/noise.bmp", true));
    expected.emplace_back(D3DPT_LINELIST, 30, texture("bin/def.bmp", false));
    std::vector<Draw> seen;
    for (const RecordedDraw& d : device().draws)
        seen.emplace_back(d.type, d.primitiveCount, d.textures[0]);
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], expected[i]) << "draw " << i;
    // The room: floor, ceiling, the two side walls turned a quarter about z, the back wall a
    // quarter about x, each moved 10 out from the centre.
    const float quarter = 3.14159f * 0.5f;
    const Matrix4 viewProjection =
        lookAt({0, 0, 25}, {0, 0.1f, 0}) * perspectiveFov(60, 0.01f, 2000, 1.3333334f);
    const Matrix4 panels[5] = {translation({0, -10, 0}), translation({0, 10, 0}),
                               rotationZ(quarter) * translation({-10, 0, 0}),
                               rotationZ(quarter) * translation({10, 0, 0}),
                               rotationX(quarter) * translation({0, 0, -10})};
    for (int i = 0; i < 5; ++i)
        EXPECT_MATRIX4_NEAR(device().draws[1 + i].wvp, panels[i] * viewProjection, 1e-4f) << i;
    // Colour and depth cleared first, then depth alone after the sky.
    ASSERT_EQ(device().clears.size(), 2u);
    EXPECT_EQ(device().clears[0].flags, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    EXPECT_EQ(device().clears[0].color, 0xff000000u);
    EXPECT_EQ(device().clears[1].flags, static_cast<std::uint32_t>(D3DCLEAR_ZBUFFER));
    EXPECT_EQ(device().presentCount, 1u);
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
    app = std::make_unique<Application>(slow, recordingDirect3DCreate);
    ASSERT_FALSE(app->startUp(SW_SHOWNORMAL).has_value());
    app->runPass();
    EXPECT_FLOAT_EQ(app->passDt, 0.01f);
}

TEST_F(ApplicationTest, EscapeAndCloseEndTheLoopAtTheQuitMessage) {
    start();
    os.pushWindowMessage(WM_KILLFOCUS);
    os.pushWindowMessage(WM_SETFOCUS);
    const std::size_t before = device().presentCount;
    // The pass that sees Escape is completed and drawn.
    EXPECT_TRUE(passHolding({VK_ESCAPE}));
    EXPECT_EQ(device().presentCount, before + 1);
    EXPECT_EQ(os.postedQuits, std::vector<int>{0});
    // Messages waiting before the quit are taken first, one a pass.
    EXPECT_TRUE(app->runPass());
    EXPECT_TRUE(app->runPass());
    EXPECT_FALSE(app->runPass());
    EXPECT_EQ(app->shutDown(), 0);
    EXPECT_EQ(gRenderer->device, nullptr);
    EXPECT_EQ(os.unregisteredClasses, std::vector<std::string>{"renderer"});
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(timer, nullptr);
}

TEST_F(ApplicationTest, ClosingTheWindowQuitsWithZeroAndKeepsTheWindow) {
    start();
    takeWaitingMessages();
    os.pushWindowMessage(WM_CLOSE);
    EXPECT_TRUE(app->runPass());
    EXPECT_TRUE(os.isVisible(windowHandle));
    EXPECT_FALSE(app->runPass());
    EXPECT_EQ(app->shutDown(), 0);
}

TEST_F(ApplicationTest, CameraThrustCancelsAndGlidesToRest) {
    start(0.01f);
    app->runPass();  // the first pass after start-up measures no time
    const Vec3 eye = app->scene.mainCamera.getEye();
    passHolding({'W', 'S'});
    EXPECT_VEC3_NEAR(app->cameraVelocity, Vec3(), 1e-4f);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getEye(), eye, 1e-4f);
    // No key: a pass of at most 1/60 s multiplies the velocity by 1 - 5 dt.
    app->cameraVelocity = {10, 0, 0};
    app->runPass();
    EXPECT_VEC3_NEAR(app->cameraVelocity, Vec3(9.5f, 0, 0), 1e-4f);
    EXPECT_NEAR(app->scene.mainCamera.getEye().x, eye.x + 0.095f, 1e-5f);
}

TEST(CameraGlide, AStallMovesTheCameraNoFartherThanSixtyHertzFrames) {
    const auto glide = [](const std::vector<float>& frames) {
        Camera camera(CameraMode::FreeLook);
        camera.setEye(0, 0, 25);
        camera.setTarget(0, 0.1f, 0);
        Vec3 velocity(120, 0, 0);
        for (float dt : frames) {
            glideCamera(camera, velocity, CameraKeys{}, dt);
        }
        return std::pair(camera.getEye().x, velocity.x);
    };
    const auto [stalled, stalledSpeed] = glide({2.0f});
    const auto [smooth, smoothSpeed] = glide(std::vector<float>(120, 1.0f / 60.0f));
    EXPECT_GT(stalled, 0.0f);
    EXPECT_LE(stalled, smooth);
    EXPECT_GE(stalledSpeed, 0.0f);
    EXPECT_LT(stalledSpeed, 120.0f);
}

TEST_F(ApplicationTest, ResetSingleStepAndHomeActOncePerPress) {
    // The starting structure's state hash, and the same after one pass of 1/60 s, from the
    // rules.
    constexpr std::uint64_t kStartState = 0x14432ef888b2746aull;
    constexpr std::uint64_t kOneSixtieth = 0x50541da6a0c03aedull;
    start();
    const auto setDt = [](float dt) { timer->fixedDeltaTime = dt; };
    setDt(0.01f);
    os.setKey('W', true);
    for (int pass = 0; pass < 20; ++pass) {
        app->runPass();
    }
    os.setKey('W', false);
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
    app->runPass();
    EXPECT_NE(afterOnePass, kStartState);
    EXPECT_NE(stateHash(app->particles), afterOnePass);
    os.setKey('R', false);
    setDt(0.0f);
    app->runPass();
    passHolding({'R'});
    passHolding({VK_TAB});

    // N while paused: one step of 1/60 s per press, however long it is held.
    os.setKey('N', true);
    for (int pass = 0; pass < 3; ++pass) {
        app->runPass();
        EXPECT_EQ(stateHash(app->particles), kOneSixtieth) << pass;
    }
    os.setKey('N', false);
    // N while running (dt 0 here, so running moves nothing): no step.
    passHolding({VK_TAB});
    ASSERT_TRUE(app->running);
    passHolding({'N'});
    EXPECT_EQ(stateHash(app->particles), kOneSixtieth);

    // Home puts the view back without touching the simulation.
    setDt(0.01f);
    passHolding({VK_TAB});
    os.setKey('S', true);
    app->runPass();
    app->runPass();
    os.setKey('S', false);
    ASSERT_GT(app->scene.mainCamera.getEye().z, 25.0f);
    os.setKey(VK_HOME, true);
    app->runPass();
    app->runPass();
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getEye(), Vec3(0, 0, 25), 0.0f);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getTarget(), Vec3(0, 0.1f, 0), 0.0f);
    EXPECT_EQ(stateHash(app->particles), kOneSixtieth);
}

TEST_F(ApplicationTest, AltThenEnterSwitchesTheDisplayModeButEnterThenAltDoesNot) {
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
    holdInOrder(VK_MENU, VK_RETURN);
    EXPECT_TRUE(fullScreen);
    EXPECT_EQ(device().presentParameters.BackBufferWidth, 1280u);
    EXPECT_MATRIX4_NEAR(gRenderer->projection, perspectiveFov(60, 0.01f, 2000, 1.6f), 1e-6f);
    holdInOrder(VK_RETURN, VK_MENU);
    EXPECT_TRUE(fullScreen);
    EXPECT_EQ(device().resetCount, 1u);
    app->shutDown();  // ending in full screen gives the display its settings back
    EXPECT_EQ(os.displaySettingsRestores, 1);
}

TEST_F(ApplicationTest, TitleChangesOnlyWhenFIsPressed) {
    start(0.015f);
    const std::size_t titles = os.titles.size();
    app->runPass();
    EXPECT_EQ(os.titles.size(), titles);
    passHolding({'F'});
    ASSERT_EQ(os.titles.size(), titles + 1);
    // 1 / 0.015 is 66.67: the rate is truncated.
    EXPECT_EQ(os.titles.back(), "Velmora - Using Direct3D - FPS: 66 - DT: 0.015000");
    passHolding({'F'});  // held: no new edge, no new title
    EXPECT_EQ(os.titles.size(), titles + 1);
    // A pass that measured no time shows a frame rate of 0.
    setDt(0.0f);
    app->runPass();
    passHolding({'F'});
    EXPECT_EQ(os.titles.back(), "Velmora - Using Direct3D - FPS: 0 - DT: 0.000000");
}

TEST_F(ApplicationTest, MouseLookNeedsTheFocusAndE) {
    start();
    takeWaitingMessages();
    const Vec3 forward = app->scene.mainCamera.forward();
    const Point home = app->cursorHomeOnScreen();
    os.loseFocus();
    app->runPass();
    ASSERT_FALSE(hasFocus);
    os.cursor = {home.x + 50, home.y};
    passHolding({'E'});
    EXPECT_VEC3_NEAR(app->scene.mainCamera.forward(), forward, 0.0f);

    os.setFocus(windowHandle);
    app->runPass();
    ASSERT_TRUE(hasFocus);
    os.cursor = {home.x + 50, home.y + 20};
    app->runPass();  // the snapshot now measures from here
    os.cursor = {home.x + 100, home.y + 40};
    passHolding({'E'});
    // Moving right turns right, moving down looks down; the cursor goes home.
    EXPECT_GT(app->scene.mainCamera.forward().x, 0.2f);
    EXPECT_LT(app->scene.mainCamera.forward().y, forward.y);
    EXPECT_EQ(os.cursor, home);
    EXPECT_EQ(input->cursor, home);
}

TEST_F(ApplicationTest, CentreClickOnEmptySpaceSpawnsAtTheLookedAtPointInBothModes) {
    start();
    app->particles.clear();
    cursorAtClient(400, 300);
    passHolding({VK_MBUTTON});
    ASSERT_EQ(app->particles.size(), 1u);
    // Whatever step follows in the same pass moves it well under a millimetre.
    EXPECT_VEC3_NEAR(app->particles[0]->current.position, Vec3(0, 0.1f, 0), 2e-3f);

    // In full screen the viewport is the whole display: its centre picks the same point.
    os.setKey(VK_MENU, true);
    passHolding({VK_RETURN});
    os.setKey(VK_MENU, false);
    ASSERT_TRUE(fullScreen);
    passHolding({VK_TAB});
    app->particles.clear();
    os.cursor = {640, 400};
    passHolding({VK_MBUTTON});
    ASSERT_EQ(app->particles.size(), 1u);
    EXPECT_VEC3_NEAR(app->particles[0]->current.position, Vec3(0, 0.1f, 0), 2e-3f);
}

TEST_F(ApplicationTest, PausedRightClickSelectsTabDropsItAndShiftDragMovesAlongRight) {
    start();
    passHolding({VK_TAB});
    EXPECT_FALSE(app->running);
    Particle* corner = app->particles[6].get();  // the cube's corner nearest the eye
    cursorAtClient(400, 300);
    passHolding({VK_RBUTTON});
    EXPECT_EQ(app->editing.joinSel, corner);
    passHolding({VK_TAB});
    EXPECT_EQ(app->editing.joinSel, nullptr);
    EXPECT_TRUE(app->running);
    app->runPass();  // Tab let go, so the next hold is a new press
    passHolding({VK_TAB});

    // Paused, the drag writes next, which the same pass commits.
    const Vec3 before = corner->current.position;
    os.setKey(VK_SHIFT, true);
    os.setKey(VK_LBUTTON, true);
    app->runPass();
    ASSERT_EQ(app->editing.dragTarget, corner);
    EXPECT_VEC3_NEAR(corner->current.position, before, 0.0f);
    cursorAtClient(410, 300);
    app->runPass();
    EXPECT_VEC3_NEAR(corner->current.position - before, app->scene.mainCamera.right() * 0.5f,
                     1e-5f);
    EXPECT_EQ(os.screenToClient(windowHandle, os.cursor), (Point{400, 300}));  // sent home
    os.setKey(VK_LBUTTON, false);
    app->runPass();
    EXPECT_EQ(app->editing.dragTarget, nullptr);
}

constexpr int kF5 = VK_F1 + 4;

/// The files in a folder, by name.
std::vector<std::string> sceneFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ApplicationTest, F5SavesWhatIsShownOncePerPressAndNeverOverwrites) {
    velmora::testing::TempFolder dir;
    start();
    app->saveFolder = dir.path("");
    for (int pass = 0; pass < 10; ++pass) {
        app->runPass();
    }
    // Held over several passes, F5 saves once: the state the last frame showed.
    const std::uint64_t shown = stateHash(app->particles);
    os.setKey(kF5, true);
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_TRUE(app->runPass());
    }
    os.setKey(kF5, false);
    auto names = sceneFilesIn(dir.path(""));
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(names[0], std::regex("velmora-[0-9]{8}-[0-9]{6}\\.json")))
        << names[0];
    EXPECT_NE(app->lastMessage.find(names[0]), std::string::npos) << app->lastMessage;
    SceneDescription saved;
    std::string error;
    ASSERT_TRUE(readSceneFile(dir.path(names[0]), saved, error)) << error;
    ParticleList rebuilt;
    buildScene(saved, rebuilt);
    EXPECT_EQ(stateHash(rebuilt), shown);
    EXPECT_EQ(linkCount(rebuilt), 30u);
    ASSERT_TRUE(saved.camera);
    EXPECT_VEC3_NEAR(saved.camera->eye, Vec3(0, 0, 25), 0.0f);

    // With the names of this second and the next two taken, a second press takes a suffix
    // and overwrites nothing.
    std::vector<std::string> taken;
    for (std::time_t t = std::time(nullptr); taken.size() < 3; ++t) {
        std::tm local{};
        localtime_r(&t, &local);
        char name[64];
        std::strftime(name, sizeof name, "velmora-%Y%m%d-%H%M%S.json", &local);
        if (name != names[0]) {
            dir.write(name, std::string("taken"));
        }
        taken.push_back(name);
    }
    const std::string firstText = sceneText(saved);
    app->runPass();
    passHolding({kF5});
    const auto now = sceneFilesIn(dir.path(""));
    ASSERT_EQ(now.size(), names[0] == taken[0] ? 4u : 5u);
    for (const std::string& name : now) {
        if (std::find(taken.begin(), taken.end(), name) != taken.end() && name != names[0]) {
            std::ifstream placeholder(dir.path(name));
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(placeholder), {}), "taken");
        } else if (name != names[0]) {
            EXPECT_TRUE(std::regex_match(name, std::regex("velmora-[0-9]{8}-[0-9]{6}-2\\.json")))
                << name;
        }
    }
    SceneDescription first;
    ASSERT_TRUE(readSceneFile(dir.path(names[0]), first, error)) << error;
    EXPECT_EQ(sceneText(first), firstText);

    // A folder that cannot take the file: the run goes on and says why.
    app->saveFolder = dir.path("missing");
    app->runPass();
    EXPECT_TRUE(passHolding({kF5}));
    EXPECT_TRUE(app->lastMessage.starts_with("cannot save")) << app->lastMessage;
    EXPECT_EQ(app->particles.size(), 10u);
}

TEST_F(ApplicationTest, AFailedLoadKeepsTheSceneAndRGoesBackToTheSceneAsLoaded) {
    velmora::testing::TempFolder dir;
    start();
    for (int pass = 0; pass < 10; ++pass) {
        app->runPass();
    }
    const std::uint64_t before = stateHash(app->particles);
    const std::string selfLink =
        dir.write("self.json", std::string(R"({"format": "velmora-scene", "version": 1,
            "particles": [{"position": [0, 0, 0]}], "links": [{"a": 0, "b": 0}]})"));
    for (const std::string& bad : {dir.path("missing.json"), selfLink, std::string("rope:11")}) {
        EXPECT_FALSE(app->loadScene(bad));
        EXPECT_NE(app->lastMessage.find(bad), std::string::npos) << app->lastMessage;
        EXPECT_EQ(stateHash(app->particles), before);
        EXPECT_EQ(linkCount(app->particles), 30u);
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
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getEye(), Vec3(3, 4, 30), 0.0f);

    // Moving, flying and a save later, R still returns to the file as it was loaded.
    os.setKey('W', true);
    for (int pass = 0; pass < 10; ++pass) {
        app->runPass();
    }
    os.setKey('W', false);
    ASSERT_TRUE(app->saveScene(dir.path("later.json")));
    ASSERT_NE(stateHash(app->particles), loaded);
    timer->fixedDeltaTime = 0.0f;  // so the pass that resets moves nothing
    passHolding({'R'});
    EXPECT_EQ(app->particles.size(), 3u);
    EXPECT_EQ(stateHash(app->particles), loaded);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getEye(), Vec3(3, 4, 30), 0.0f);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getTarget(), Vec3(1, 1, 1), 0.0f);
}

}  // namespace
}  // namespace velmora
