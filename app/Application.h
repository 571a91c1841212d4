#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/CameraMotion.h"
#include "app/EnergyHistory.h"
#include "app/FrameTimer.h"
#include "app/InputState.h"
#include "app/PassAverages.h"
#include "app/PickRayFromCursor.h"
#include "app/ReplayWindows.h"
#include "app/RunReport.h"
#include "app/SceneFrame.h"
#include "app/Timeline.h"
#include "app/UndoStack.h"
#include "app/VideoWriter.h"
#include "math/Vec3.h"
#include "overlay/Overlay.h"
#include "physics/EditingTools.h"
#include "physics/Particle.h"
#include "physics/ParticleList.h"
#include "physics/Snapshot.h"
#include "physics/StableStepping.h"
#include "platform/GpuDevice.h"
#include "platform/OperatingSystem.h"
#include "scenes/BuiltInScenes.h"
#include "session/SessionFormat.h"

namespace velmora {

/// Mouse look turn per pixel of cursor motion, radians.
inline constexpr float kMouseLookRadiansPerPixel = 0.0047123851f;
/// The simulated time of one N press while paused, seconds.
inline constexpr float kSingleStepTime = 1.0f / 60.0f;
/// What the run's past may hold by default, bytes (--history-mb).
inline constexpr std::size_t kDefaultHistoryBytes = std::size_t{kDefaultHistoryMegabytes} << 20;
/// What the run's past may hold when given in megabytes (--history-mb, a recording's header),
/// bytes. In a 32-bit address space (the web page) at most a quarter of it: 4096 MB would
/// wrap to nothing there, and the page could not hold it anyway.
inline std::size_t historyBudgetBytes(int megabytes) {
    const std::uint64_t asked = std::uint64_t(std::max(megabytes, 0)) << 20;
    return std::size_t(std::min<std::uint64_t>(asked, std::numeric_limits<std::size_t>::max() / 4));
}
/// The window class of the one window.
inline constexpr const char* kWindowClassName = "renderer";
/// Exit codes of start-up failures; otherwise the quit message's code.
inline constexpr int kExitWindowOrDevice = 1;
inline constexpr int kExitEffect = -1;

/// The whole run: start-up, one pass at a time, shut-down. Owns everything the loop keeps
/// (snapshot, timer, scene, effect, particles, editing state) and sets the global pointers
/// `input` and `timer` while it runs. One Application at a time.
class Application {
  public:
    Application(OperatingSystem& os, Direct3DCreateFn createDirect3D);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    /// Start-up, in order: snapshot, timer, window, renderer, effect, scene, one tick, cursor
    /// home. Returns the exit code when it fails (1 window or device, -1 effect), with a
    /// one-line reason in failure.
    std::optional<int> startUp(int showCommand);
    /// One pass of the loop. False when it took the quit message: the loop is over and
    /// quitCode holds the message's code.
    bool runPass();
    /// Back to the starting scene: its particles, the camera at its pose and at rest, the
    /// run state of start-up, no selection.
    void resetScene();
    /// Makes the scene a built-in name or a scene file stands for the starting scene and
    /// resets to it. When it cannot be had, the scene on screen stays as it is and the reason
    /// goes to lastMessage and standard error; returns false.
    bool loadScene(std::string_view nameOrFile);
    /// Saves the present particles, links and camera to a scene file, atomically. Says where
    /// (standard output) or why not (standard error) and keeps that in lastMessage.
    bool saveScene(const std::string& path);
    /// What F5 does: saves to a new file velmora-YYYYMMDD-HHMMSS.json (local time) in
    /// saveFolder; a name already taken gets a suffix -2, -3, ... and is never overwritten.
    bool saveSnapshot();
    /// Shut-down after the quit message; returns quitCode.
    int shutDown();

    /// The cursor's home point in screen pixels, for the current window position.
    Point cursorHomeOnScreen() { return velmora::cursorHomeOnScreen(os); }

    OperatingSystem& os;
    Direct3DCreateFn createDirect3D;
    std::unique_ptr<InputState> ownedInput;
    std::unique_ptr<FrameTimer> ownedTimer;
    SceneDescription startingScene = startScene();  ///< what start-up builds and R goes back to
    Scene scene;
    Vec3 cameraVelocity;
    /// The wheel's camera speed: the thrust is 1 / 2^cameraSpeedStep of the described one.
    int cameraSpeedStep = 0;
    std::unique_ptr<Effect> loadedEffect;
    ParticleList particles;
    StableStepper stepper;
    /// The physics now; R and loading a scene put back the scene's own.
    PhysicsSettings physics = startingScene.physics();
    bool startsPaused = false;            ///< the run state start-up and reset give
    std::optional<float> fixedFrameTime;  ///< every pass's dt when set, seconds
    bool running = true;
    EditingState editing;
    bool verticalSync = false;
    int quitCode = 0;
    float passDt = 0.0f;              ///< the frame time the last pass used, seconds
    PassTimes passTimes;              ///< wall-clock time of the passes run so far
    std::string failure;              ///< why start-up failed, one line
    std::string saveFolder = ".";     ///< where F5 saves
    std::string dataFolder = "bin/";  ///< the effect and the pictures, with a trailing slash
    /// The last thing a save or a load said, one line, for whatever shows it on screen.
    std::string lastMessage;

    // The on-screen overlay: status corner, help (F1), panel of buttons (F2), messages.
    Overlay overlay;
    PassAverages passAverages;  ///< the status corner's frame rate and physics time
    /// The panel's scene picker: built-in scenes a user may want to try.
    std::array<std::string, 6> pickerScenes{"start",   "lattice:3x3x3", "lattice:5x5x5",
                                            "rope:10", "sheet:10x10",   "lattice:10x10x10"};
    std::string sceneName;         ///< what loadScene last loaded, for the picker; empty: not known
    std::string replayProgress;    ///< the status corner's replay line; empty: not a replay
    std::string inspector;         ///< the inspector's lines; empty while no tool holds a particle
    EnergyHistory energyHistory;   ///< the last 20 s of the energy, for the plot
    bool energyPlotShown = false;  ///< F3
    /// The run's past: the edits to undo and redo, and the moments to step back to, within
    /// historyBudgetBytes together.
    Timeline timeline;
    UndoStack undoStack;
    std::size_t historyBudgetBytes = kDefaultHistoryBytes;
    /// The video being recorded (--video or F9); null when none.
    std::unique_ptr<VideoWriter> video;
    bool videoFailed = false;  ///< a video stopped because a frame could not be written
    bool overlayShown = true;  ///< --no-overlay: laid out and clicked as always, not drawn
    /// Starts recording every pass drawn into a video; false with the reason in error.
    bool startVideo(const std::string& path, int width, int height, double framesPerSecond,
                    std::string& error);
    /// Ends the video, if one is being recorded; said tells where it went or why it failed.
    bool finishVideo(std::string& said);
    /// Scene files opened this run, the last first, at most kRecentScenes.
    std::vector<std::string> recentScenes;
    static constexpr std::size_t kRecentScenes = 5;
    static constexpr std::size_t kListedScenes = 12;  ///< newest files of the save folder listed
    /// The panel's Open list: the save folder's scene files, newest first, then the recent
    /// ones; listed when the panel opens and after a save or a load.
    std::vector<std::string> openableScenes;

  private:
    // Pictures and videos (app/ApplicationCapture.cpp).
    /// The last frame presented into framePixels_; false when the device keeps none.
    bool grabFrame();
    /// F12 and F9.
    void captureKeys();
    /// After the pass's frame is presented: into the video, if one is being recorded.
    void captureFrame();
    std::vector<std::uint32_t> framePixels_;
    int frameWidth_ = 0, frameHeight_ = 0;
    double videoSeconds_ = 0.0;  ///< where the next frame of the video is shown from

    // The run's past (app/ApplicationHistory.cpp).
    /// The present moment; its structure is kept from one to the next until an edit.
    Snapshot presentSnapshot();
    /// The same, into a snapshot whose storage is kept.
    void capturePresent(Snapshot& into);
    void startHistory();
    /// Makes a kept moment the present one.
    void putBack(const Snapshot& moment);
    /// Puts back the moment at a position of the timeline: its keyframe, stepped on.
    void seek(long position);
    /// The run goes on from a past moment: what came after it, and its edits, are dropped.
    void branchHere();
    void undoOrRedo(bool undo);
    /// Z, Y, and while paused Left and Right; the scrub bar.
    void travelInHistory(const OverlayActions& asked);
    /// Before this pass's edits: the moment they start from.
    void beginEdits();
    /// An edit of this pass, named for the overlay ("undid: link").
    void noteEdit(const char* name);
    /// After this pass's edits, before its step: keeps what they did.
    void keepEdits(bool dragging);
    /// After the pass's step: dt simulated seconds over count particles, nothing if paused.
    void keepPass(std::optional<float> dt, std::size_t count);
    void fitHistoryInBudget();
    std::shared_ptr<const Structure> presentStructure_;  ///< null: to be captured
    Snapshot passStart_;
    std::optional<Edit> dragEdit_;  ///< the drag under way, with the moment it started from
    const char* editName_ = nullptr;
    bool inPass_ = false;         ///< runPass is under way
    bool keepAfterPass_ = false;  ///< this pass's edits are kept after its step
    bool markAfterPass_ = false;  ///< ... and marked on the timeline
    /// What the last load replaced, for its edit.
    std::shared_ptr<const SceneDescription> previousScene_;
    std::string previousSceneName_;

    void listOpenableScenes();
    /// A file dropped on the window: a scene is opened, a recording replayed in a window of
    /// its own.
    void openDropped(std::uintptr_t drop);
    void mouseLook();
    void switchDisplayModeAndDevice();
    void moveCamera(float dt);
    /// Steps the simulation; returns the dt it stepped with, nothing when paused.
    std::optional<float> stepSimulation(std::size_t count, float dt, bool singleStep);
    /// Carries out what the panel's physics section asked for; returns whether the physics
    /// changed.
    bool changePhysics(const OverlayActions& asked);
    void showFrameRateInTitle();
    void runEditingTools(float dt);
    OverlayStatus overlayStatus() const;
    /// What the panel's buttons asked for in the last pass; this pass carries it out.
    OverlayActions panelAsked_;
    ReplayWindows replayWindows_;
    EnergyPlot energyPlot_;  ///< what the overlay draws of energyHistory
    /// Points a line of the plot shows: one for every 2.4 of its 240 pixels.
    static constexpr int kEnergyPlotPoints = 100;
    std::array<std::array<float, kEnergyPlotPoints>, EnergyHistory::kSeriesCount> plotPoints_{};
};

}  // namespace velmora
