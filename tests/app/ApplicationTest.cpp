// Start-up, the pass order, the controls and shut-down of the real loop.
#include "ApplicationFixture.h"

#include <filesystem>

#include "tests/math/ApproxEqual.h"

namespace velmora::test {
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
    os.createWindowFails = true;
    app = std::make_unique<Application>(os, recordingDirect3DCreate);
    EXPECT_EQ(app->startUp(SW_SHOWNORMAL), 1);

    ScriptedOperatingSystem os2;
    Application noDevice(os2, deviceThatFails);
    EXPECT_EQ(noDevice.startUp(SW_SHOWNORMAL), 1);
    EXPECT_TRUE(os2.messageBoxes.empty());
    resetRendererToConstructedState();

    ScriptedOperatingSystem os3;
    Application badEffect(os3, effectThatDoesNotCompile);
    EXPECT_EQ(badEffect.startUp(SW_SHOWNORMAL), -1);
    ASSERT_EQ(os3.messageBoxes.size(), 1u);
    EXPECT_EQ(os3.messageBoxes[0].caption, "FX File Load Error");
    EXPECT_NE(os3.messageBoxes[0].text.find("undeclared identifier"), std::string::npos);
    resetRendererToConstructedState();

    // Without bin/min.fx there is no compiler text: -1 and no box, and a line that says why.
    const auto empty = std::filesystem::temp_directory_path() / "velmora-app-no-effect";
    std::filesystem::create_directories(empty);
    ASSERT_EQ(chdir(empty.c_str()), 0);
    ScriptedOperatingSystem os4;
    Application noEffect(os4, recordingDirect3DCreate);
    EXPECT_EQ(noEffect.startUp(SW_SHOWNORMAL), -1);
    EXPECT_TRUE(os4.messageBoxes.empty());
    EXPECT_NE(noEffect.failure.find("bin/min.fx"), std::string::npos);
}

TEST_F(ApplicationTest, StartUpBuildsTheSceneAndPutsTheCursorHome) {
    start();
    EXPECT_EQ(os.windowTitle(windowHandle), "Velmora");
    EXPECT_TRUE(os.classRegistered("renderer"));
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
    ASSERT_FALSE(os.cursorWarps.empty());
    EXPECT_EQ(os.cursorWarps.back(), home);
    EXPECT_EQ(input->cursor, home);
    EXPECT_EQ(os.screenToClient(windowHandle, home), (Point{400, 300}));
    // Nothing has been drawn before the first pass; the view is the main camera's.
    EXPECT_TRUE(device().draws.empty());
    EXPECT_MATRIX4_NEAR(gRenderer->view, lookAt({0, 0, 25}, {0, 0.1f, 0}), 0.0f);
}

TEST_F(ApplicationTest, OneFrameDrawsSkyRoomSpheresAndLinksInOrder) {
    start();
    ASSERT_TRUE(app->runPass());
    const auto& draws = device().draws;
    ASSERT_EQ(draws.size(), 1u + 5u + 10u + 60u);

    DeviceTexture* grid = gTextureManager->load("bin/grid.bmp", false)->nativeTexture();
    DeviceTexture* wood = gTextureManager->load("bin/woodgrain.bmp", true)->nativeTexture();
    DeviceTexture* def = gTextureManager->load("bin/def.bmp", false)->nativeTexture();
    DeviceTexture* orange = gTextureManager->load("bin/orange.bmp", true)->nativeTexture();
    DeviceTexture* noise = gTextureManager->load("bin/noise.bmp", true)->nativeTexture();

    EXPECT_EQ(draws[0].primitiveCount, 12u);  // sky box
    EXPECT_EQ(draws[0].textures[0], grid);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(draws[i].type, D3DPT_TRIANGLELIST);
        EXPECT_EQ(draws[i].primitiveCount, 4u) << i;  // both faces of a quad
        EXPECT_EQ(draws[i].textures[0], wood);
    }
    // Each particle's sphere, then one line per link record it holds.
    std::size_t at = 6;
    for (std::size_t p = 0; p < 10; ++p) {
        ASSERT_LT(at, draws.size());
        EXPECT_EQ(draws[at].primitiveCount, 128u) << p;
        EXPECT_EQ(draws[at].textures[0], p == 5 ? noise : orange) << p;
        ++at;
        for (std::size_t l = 0; l < app->particles[p]->links.size(); ++l, ++at) {
            EXPECT_EQ(draws[at].type, D3DPT_LINELIST);
            EXPECT_EQ(draws[at].primitiveCount, 1u);
            EXPECT_EQ(draws[at].textures[0], def);
        }
    }
    EXPECT_EQ(at, draws.size());
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
    while (os.pendingMessages() > 0) {
        ASSERT_TRUE(app->runPass());
    }
    os.pushWindowMessage(WM_CLOSE);
    EXPECT_TRUE(app->runPass());
    EXPECT_TRUE(os.isVisible(windowHandle));
    EXPECT_FALSE(app->runPass());
    EXPECT_EQ(app->shutDown(), 0);
}

TEST_F(ApplicationTest, CameraThrustCancelsAndGlidesToRest) {
    start(0.1f);
    const Vec3 eye = app->scene.mainCamera.getEye();
    passHolding({'W', 'S'});
    EXPECT_VEC3_NEAR(app->cameraVelocity, Vec3(), 1e-4f);
    EXPECT_VEC3_NEAR(app->scene.mainCamera.getEye(), eye, 1e-4f);

    // No key: each pass multiplies the velocity by 1 - 5 dt.
    app->cameraVelocity = {10, 0, 0};
    app->runPass();
    EXPECT_VEC3_NEAR(app->cameraVelocity, Vec3(5, 0, 0), 1e-4f);
    EXPECT_NEAR(app->scene.mainCamera.getEye().x, eye.x + 0.5f, 1e-4f);

    // W alone: thrust 600 along forward; with Shift 1800.
    app->cameraVelocity = {};
    passHolding({'W'});
    EXPECT_NEAR(length(app->cameraVelocity), 60.0f, 1e-2f);
    app->cameraVelocity = {};
    passHolding({'W', VK_SHIFT});
    EXPECT_NEAR(length(app->cameraVelocity), 180.0f, 5e-2f);
}

TEST_F(ApplicationTest, AltThenEnterSwitchesTheDisplayModeButEnterThenAltDoesNot) {
    start();
    os.setKey(VK_MENU, true);
    app->runPass();
    os.setKey(VK_RETURN, true);
    app->runPass();
    EXPECT_TRUE(fullScreen);
    EXPECT_FLOAT_EQ(aspectRatio, 1.6f);
    EXPECT_EQ(device().resetCount, 1u);
    EXPECT_EQ(device().presentParameters.BackBufferWidth, 1280u);
    EXPECT_MATRIX4_NEAR(gRenderer->projection, perspectiveFov(60, 0.01f, 2000, 1.6f), 1e-6f);
    os.setKey(VK_MENU, false);
    os.setKey(VK_RETURN, false);
    app->runPass();

    os.setKey(VK_RETURN, true);
    app->runPass();
    os.setKey(VK_MENU, true);
    app->runPass();
    EXPECT_TRUE(fullScreen);
    EXPECT_EQ(device().resetCount, 1u);
}

TEST_F(ApplicationTest, TabPausesAndDropsAHalfMadeSelection) {
    start();
    EXPECT_TRUE(app->running);
    passHolding({VK_TAB});
    EXPECT_FALSE(app->running);
    const Vec3 before = app->particles[6]->current.position;

    // A right click at the centre selects particle 6, the cube's corner nearest the eye.
    cursorAtClient(400, 300);
    passHolding({VK_RBUTTON});
    EXPECT_EQ(app->editing.joinSel, app->particles[6].get());
    // Paused passes move nothing.
    EXPECT_VEC3_NEAR(app->particles[6]->current.position, before, 0.0f);
    passHolding({VK_TAB});
    EXPECT_EQ(app->editing.joinSel, nullptr);
    EXPECT_TRUE(app->running);
}

TEST_F(ApplicationTest, TitleChangesOnlyWhenFIsPressed) {
    start(0.02f);
    const std::size_t titles = os.titles.size();
    app->runPass();
    EXPECT_EQ(os.titles.size(), titles);
    passHolding({'F'});
    ASSERT_EQ(os.titles.size(), titles + 1);
    EXPECT_EQ(os.titles.back(), "Velmora - Using Direct3D - FPS: 50 - DT: 0.020000");
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
    while (os.pendingMessages() > 0) {
        app->runPass();
    }
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

}  // namespace
}  // namespace velmora::test
