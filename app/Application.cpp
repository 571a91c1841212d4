#include "app/Application.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <utility>

#include "app/Controls.h"
#include "app/Inspector.h"
#include "app/PickRayFromCursor.h"
#include "app/Window.h"
#include "physics/Picking.h"
#include "physics/SceneLimits.h"
#include "physics/Simulation.h"
#include "physics/StateSummary.h"
#include "platform/BoundedFile.h"
#include "platform/EffectFile.h"
#include "platform/VirtualKeys.h"
#include "render/D3DRenderer.h"

namespace velmora {
namespace {

constexpr int kKeyE = 'E', kKeyQ = 'Q', kKeyF = 'F', kKeyR = 'R', kKeyN = 'N', kKeyC = 'C';
constexpr int kKeyW = 'W', kKeyS = 'S', kKeyD = 'D', kKeyA = 'A';
constexpr int kKeyF2 = VK_F1 + 1, kKeyF3 = VK_F1 + 2, kKeyF5 = VK_F1 + 4;

/// The title's frame rate: 1 / dt truncated, 0 where dt gives no rate.
int framesPerSecond(float dt) {
    if (!(dt > 0.0f)) {
        return 0;
    }
    const float rate = 1.0f / dt;
    return rate >= static_cast<float>(INT_MAX) ? INT_MAX : static_cast<int>(rate);
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// The overlay's share of the snapshot: its keys, and the mouse in the window's client pixels.
OverlayInput overlayInput(const InputState& input, WindowHandle window) {
    OverlayInput in;
    in.helpPressed = input.pressed[VK_F1];
    in.panelPressed = input.pressed[kKeyF2];
    in.client = input.os.getClientRect(window);
    in.cursor = input.cursor;
    in.leftHeld = input.down[VK_LBUTTON];
    in.rightHeld = input.down[VK_RBUTTON];
    in.middleHeld = input.down[VK_MBUTTON];
    return in;
}

}  // namespace

Application::Application(OperatingSystem& os_, Direct3DCreateFn createDirect3D_)
    : os(os_), createDirect3D(createDirect3D_) {
    overlay.setHelp(helpRows());
}

Application::~Application() {
    // A start-up that failed after the device was made still releases it here, while the
    // window it draws into exists; the overlay's objects go first.
    overlay.detach();
    if (gRenderer->device != nullptr) {
        gRenderer->shutdown();
    }
    if (input == ownedInput.get()) {
        input = nullptr;
    }
    if (timer == ownedTimer.get()) {
        timer = nullptr;
    }
}

std::optional<int> Application::startUp(int showCommand) {
    instanceHandle = &os;
    ownedInput = std::make_unique<InputState>(os);
    input = ownedInput.get();
    ownedTimer = std::make_unique<FrameTimer>(os);
    timer = ownedTimer.get();
    timer->start();
    timer->fixedDeltaTime = fixedFrameTime;
    fullScreen = false;
    verticalSync = false;

    if (!createWindow(kWindowClassName, showCommand)) {
        failure = "cannot create the window";
        return kExitWindowOrDevice;
    }
    aspectRatio = clientAspectRatio(os.getClientRect(windowHandle), 1.3333334f);
    gRenderer->usePlatform(os, createDirect3D);
    if (!gRenderer->init(windowHandle, fullScreen, verticalSync)) {
        failure = "cannot start the graphics device (OpenGL 3.3 core with clip control)";
        return kExitWindowOrDevice;
    }
    const std::string effectFile = dataFolder + "min.fx";
    if (!gRenderer->loadEffect(effectFile.c_str(), loadedEffect)) {
        failure =
            !BoundedFile(effectFile, kMaxEffectFileBytes).openFailed()
                ? "the effect file " + effectFile + " does not compile or lacks MyEffect"
                : "cannot read " + effectFile + " (run velmora from the folder that holds bin/)";
        return kExitEffect;
    }
    if (!overlay.attach(*gRenderer->device, effectFile.c_str())) {
        std::fprintf(stderr, "velmora: the on-screen overlay cannot be drawn on this device\n");
    }
    scene.pictureFolder = dataFolder;
    setUpScene(scene, particles, startingScene);
    physics = startingScene.physics();
    startHistory();
    timer->tick();
    putCursorHome(os);
    running = !startsPaused;
    return std::nullopt;
}

void Application::mouseLook() {
    const float dx = static_cast<float>(input->cursor.x - input->previousCursor.x);
    const float dy = static_cast<float>(input->cursor.y - input->previousCursor.y);
    scene.mainCamera.yaw(-dx * kMouseLookRadiansPerPixel);
    scene.mainCamera.pitch(-dy * kMouseLookRadiansPerPixel);
    putCursorHome(os);
}

void Application::switchDisplayModeAndDevice() {
    fullScreen = !fullScreen;
    if (!switchDisplayMode()) {
        fullScreen = !fullScreen;  // the mode could not be used: nothing changed
        return;
    }
    gRenderer->reset(windowHandle, fullScreen, verticalSync);
    gRenderer->setProjection(kFieldOfView, kNearPlane, kFarPlane, aspectRatio);
    gRenderer->setView(scene.mainCamera.getEye(), scene.mainCamera.getTarget());
}

void Application::moveCamera(float dt) {
    CameraKeys keys;
    keys.forward = input->down[kKeyW];
    keys.back = input->down[kKeyS];
    keys.right = input->down[kKeyD];
    keys.left = input->down[kKeyA];
    keys.up = input->down[VK_SPACE];
    keys.down = input->down[VK_CONTROL];
    keys.fast = input->down[VK_SHIFT];
    keys.thrustScale = 1.0f / static_cast<float>(1 << cameraSpeedStep);
    glideCamera(scene.mainCamera, cameraVelocity, keys, dt);
}

void Application::resetScene() {
    editing = EditingState{};
    particles.clear();
    buildScene(startingScene, particles);
    presentStructure_.reset();
    physics = startingScene.physics();
    stepper.restart();
    energyHistory.restart();
    placeMainCamera(scene, startingScene.camera.value_or(CameraPose{}));
    cameraVelocity = Vec3();
    running = !startsPaused;
    if (!inPass_) {
        startHistory();
    }
}

std::optional<float> Application::stepSimulation(std::size_t count, float dt, bool singleStep) {
    // Slow motion slows the simulated time; the camera and the tools keep the clock's.
    const float stepped = (singleStep ? kSingleStepTime : dt) * physics.timeScale;
    stepper.advance(particles, count, singleStep || running, stepped, physics);
    return singleStep || running ? std::optional(stepped) : std::nullopt;
}

void Application::showFrameRateInTitle() {
    const float d = timer->deltaTime;
    char title[128];
    std::snprintf(title, sizeof title, "Velmora - Using OpenGL - FPS: %d - DT: %f",
                  framesPerSecond(d), static_cast<double>(d));
    os.setWindowText(windowHandle, title);
}

OverlayStatus Application::overlayStatus() const {
    OverlayStatus status;
    status.running = running;
    status.particles = particles.size();
    status.links = linkCount(particles);
    status.framesPerSecond = passAverages.framesPerSecond();
    status.physicsMilliseconds = passAverages.physicsMilliseconds();
    status.scenes = pickerScenes;
    status.currentScene = sceneName;
    status.replay = replayProgress;
    status.openable = openableScenes;
    status.cameraSpeedDivisor = 1 << cameraSpeedStep;
    status.strainLegend = scene.strainColours;
    status.inspector = inspector;
    status.energy = energyPlotShown ? &energyPlot_ : nullptr;
    status.physics = physics;
    status.timeline = {timeline.first(), timeline.latest(), timeline.now(), timeline.edits()};
    status.recordingVideo = video != nullptr;
    return status;
}

bool Application::runPass() {
    const Clock::time_point passStart = Clock::now();
    // Edits inside a pass are kept in the run's past; a scene put in place between passes
    // (a test, or a caller before the first) starts the past anew.
    inPass_ = true;
    struct PassEnds {
        bool& inPass;
        ~PassEnds() { inPass = false; }
    } passEnds{inPass_};
    Message message;
    if (os.peekMessage(message)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            return false;
        }
        os.translateMessage(message);
        os.dispatchMessage(message);
    }
    const bool dropped = message.message == WM_DROPFILES;
    if (message.message == WM_MOUSEWHEEL) {
        // A notch away from the user is faster, towards slower, in halves down to 1/16.
        const auto delta = static_cast<std::int16_t>(message.wParam >> 16);
        cameraSpeedStep = std::clamp(cameraSpeedStep + (delta > 0 ? -1 : 1), 0, kSlowestCameraStep);
    }
    timer->tick();
    const float dt = timer->deltaTime;
    passDt = dt;
    input->update();
    const OverlayInput overlayIn = overlayInput(*input, windowHandle);
    // The projection follows the client area, whatever resized it.
    aspectRatio = clientAspectRatio(overlayIn.client, aspectRatio);
    overlay.newFrame(overlayIn, dt);
    if (overlayIn.panelPressed && overlay.panelOpen()) {
        listOpenableScenes();  // the save folder as it is now
    }
    // The panel's buttons act as their keys do, one pass after the click.
    const OverlayActions asked = std::move(panelAsked_);
    panelAsked_ = {};
    // Undo, redo and the timeline act first, on the moment the last frame showed; what this
    // pass edits after them starts from there.
    travelInHistory(asked);
    beginEdits();

    if (input->pressed[VK_ESCAPE]) {
        os.postQuitMessage(0);
    }
    if (hasFocus && input->down[kKeyE]) {
        mouseLook();
    }
    if (input->pressed[VK_TAB] || asked.toggleRun) {
        editing.joinSel = nullptr;
        running = !running;
    }
    if (input->pressed[kKeyF3]) {
        energyPlotShown = !energyPlotShown;
    }
    if (input->pressed[kKeyC]) {
        scene.strainColours = !scene.strainColours;
    }
    if (input->pressed[kKeyQ] || asked.toggleWireframe) {
        gRenderer->toggleWireframe();
    }
    if (input->down[VK_MENU] && input->pressed[VK_RETURN]) {
        switchDisplayModeAndDevice();
    }
    if (input->pressed[kKeyR] || asked.reset) {
        resetScene();
        noteEdit("reset");
    }
    if (input->pressed[VK_HOME] || asked.resetView) {
        placeMainCamera(scene, startingScene.camera.value_or(CameraPose{}));
        cameraVelocity = Vec3();
    }
    // What is saved is what the last frame showed: before this pass edits or steps anything.
    if (input->pressed[kKeyF5] || asked.saveScene) {
        saveSnapshot();
        overlay.showMessage(lastMessage);
        listOpenableScenes();
    }
    captureKeys();
    for (const std::string* chosen : {&asked.chosenScene, &asked.openFile}) {
        if (!chosen->empty()) {
            loadScene(*chosen);
            overlay.showMessage(lastMessage);
        }
    }
    if (dropped) {
        openDropped(message.wParam);
    }
    if (changePhysics(asked)) {
        noteEdit("physics");
    }
    const bool singleStep = !running && (input->pressed[kKeyN] || asked.singleStep);
    moveCamera(dt);
    if (input->pressed[kKeyF]) {
        showFrameRateInTitle();
    }
    runEditingTools(dt);
    const bool edited = editName_ != nullptr || editing.dragTarget != nullptr;
    keepEdits(editing.dragTarget != nullptr);

    const std::size_t count = particles.size();
    const Clock::time_point physicsStart = Clock::now();
    keepPass(stepSimulation(count, dt, singleStep), count);
    const double physicsSeconds = secondsSince(physicsStart);
    passTimes.physicsSeconds += physicsSeconds;
    passAverages.add(dt, physicsSeconds);
    energyHistory.add(energyParts(particles, physics.gravity), dt, edited);
    if (energyPlotShown) {
        constexpr const char* kNames[] = {"kinetic", "gravitational", "elastic", "total", "lost"};
        for (int s = 0; s < EnergyHistory::kSeriesCount; ++s) {
            const auto series = static_cast<EnergyHistory::Series>(s);
            const int points =
                energyHistory.thinned(series, plotPoints_[s].data(), kEnergyPlotPoints);
            energyPlot_.series[s] = {kNames[s], plotPoints_[s].data(), points, 0,
                                     energyHistory.latest(series)};
        }
        energyPlot_.rising = energyHistory.rising();
    }
    // The inspector reads the particle a tool holds, and the one under the cursor, as shown.
    if (const Particle* held = editing.dragTarget ? editing.dragTarget : editing.joinSel) {
        const Particle* under =
            pickParticle(pickRayAt(input->cursor, overlayIn.client), scene.mainCamera, particles);
        inspectorText(particles, *held, under, inspector);
    } else {
        inspector.clear();
    }
    // Drawing includes laying out the overlay: its whole cost shows in draw_ms.
    const Clock::time_point drawStart = Clock::now();
    panelAsked_ = overlay.build(overlayStatus());
    drawScene(scene, particles, count, loadedEffect.get(), {editing.joinSel, editing.dragTarget});
    if (overlayShown) {
        overlay.render();
    }
    gRenderer->endSceneAndPresent();
    captureFrame();
    passTimes.drawSeconds += secondsSince(drawStart);
    gRenderer->setView(scene.mainCamera.getEye(), scene.mainCamera.getTarget());
    passTimes.seconds += secondsSince(passStart);
    ++passTimes.passes;
    return true;
}

int Application::shutDown() {
    overlay.detach();
    gRenderer->shutdown();
    input = nullptr;
    timer = nullptr;
    ownedInput.reset();
    ownedTimer.reset();
    os.unregisterClass(kWindowClassName);
    if (fullScreen) {
        os.restoreDisplaySettings();
    }
    // The scene's meshes, the effect and the particles go with the Application.
    return quitCode;
}

}  // namespace velmora
