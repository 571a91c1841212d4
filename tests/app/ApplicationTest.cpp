// The real loop on the scripted operating system and the recording device, run from the
// build folder so bin/min.fx and the pictures are found as the program finds them.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "app/CameraMotion.h"
#include "physics/StateSummary.h"
#include "render/TextureManager.h"
#include "tests/app/ApplicationFixture.h"
#include "tests/math/ApproxEqual.h"

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
    // Colour and depth cleared first, then depth alone after the sky.
    ASSERT_EQ(device().clears.size(), 2u);
    EXPECT_EQ(device().clears[0].flags, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    EXPECT_EQ(device().clears[0].color, 0xff000000u);
    EXPECT_EQ(device().clears[1].flags, static_cast<std::uint32_t>(D3DCLEAR_ZBUFFER));
    EXPECT_EQ(device().presentCount, 1u);
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

}  // namespace
}  // namespace velmora
