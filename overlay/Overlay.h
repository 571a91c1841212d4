#pragma once
// The on-screen overlay: a small status corner (run state, counts, frame rate, physics time,
// the F1 hint), the help panel (F1: every control and option from the one table, drawn once
// into a picture, see HelpPicture.h), the panel of buttons (F2), and short messages. Dear ImGui
// lays it out; OverlayRenderer draws it through the GPU seam; its input comes from the input
// snapshot. One ImGui context per Overlay, made and destroyed with it; it writes no files.
//
// Per pass, in this order: newFrame (with this pass's input; then wantsMouse tells whether
// this pass's mouse belongs to the overlay), build (returns what its buttons asked for), and
// render inside the frame before it is presented.
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include <vector>

#include "overlay/HelpPicture.h"
#include "overlay/OverlayInput.h"
#include "overlay/OverlayRenderer.h"
#include "overlay/PhysicsSection.h"
#include "overlay/TimelineBar.h"
#include "platform/GpuDevice.h"
#include "platform/OperatingSystem.h"

struct ImGuiContext;

namespace velmora {

struct EnergyPlot;

/// What the status corner and the panel show.
struct OverlayStatus {
    bool running = true;
    std::size_t particles = 0;
    std::size_t links = 0;
    float framesPerSecond = 0.0f;         ///< as the caller measures it (averaged, ideally)
    float physicsMilliseconds = 0.0f;     ///< time of one simulation pass
    std::span<const std::string> scenes;  ///< the picker's entries; empty: no picker, no save
    std::string_view currentScene;
    std::string_view replay;  ///< "Replay 120 / 600" while replaying, in the hints' place
    std::span<const std::string> openable;  ///< scene files the panel offers to open
    int cameraSpeedDivisor = 1;             ///< the camera's thrust is 1 / this; shown unless 1
    bool strainLegend = false;              ///< the links are coloured by strain: show the scale
    std::string_view inspector;             ///< the inspector's lines; empty: not shown
    const EnergyPlot* energy = nullptr;     ///< the energy plot; null: not shown
    PhysicsSettings physics;                ///< what the panel's physics section shows
    TimelineView timeline;                  ///< what the panel's scrub bar shows
    bool recordingVideo = false;            ///< a red REC beside the run state
};

/// One line of the energy plot: a ring of values, the oldest at `offset`.
struct EnergyPlotSeries {
    const char* name = "";
    const float* values = nullptr;
    int count = 0;
    int offset = 0;
    float latest = 0.0f;
};

/// The energy plot (F3): its lines and whether the total is rising with nothing edited.
struct EnergyPlot {
    std::array<EnergyPlotSeries, 5> series;
    bool rising = false;
};

/// What the panel's buttons asked for in one pass.
struct OverlayActions {
    bool toggleRun = false;
    bool singleStep = false;
    bool reset = false;
    bool toggleWireframe = false;
    bool resetView = false;
    bool saveScene = false;
    std::string chosenScene;  ///< empty unless a scene was picked this pass
    std::string openFile;     ///< empty unless a scene file was picked this pass
    /// The settings after a change on the physics section, this pass.
    std::optional<PhysicsSettings> physics;
    bool scenePhysics = false;   ///< back to the scene's own settings
    std::optional<long> seekTo;  ///< a position the scrub bar was moved to, this pass
};

/// Where the last build put each part, client pixels; empty when the part is not shown.
struct OverlayLayout {
    Rect status;
    Rect help;
    Rect panel;
    Rect message;
    PhysicsControlRects physics;  ///< the panel's physics section
    Rect timeline;                ///< the panel's scrub bar
};

/// Seconds a message stays on screen, counted in pass time.
inline constexpr float kOverlayMessageSeconds = 2.0f;

class Overlay {
  public:
    Overlay();
    ~Overlay();
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    /// Makes the device objects (font texture, buffers, its instance of the effect file).
    /// False when they cannot be made: the overlay then lays out and takes input but draws
    /// nothing. Release with detach() before the device goes.
    bool attach(Device& device, const char* effectFile);
    void detach();

    /// What the help panel lists, in order.
    void setHelp(std::vector<HelpRow> rows);

    /// Starts the overlay's pass: F1 and F2 toggle their panels as they go down, the message
    /// ages by the time step, ImGui gets the cursor, buttons, display and time step.
    void newFrame(const OverlayInput& input, float seconds);
    /// The cursor is over a part of the overlay, or a button went down there and is still
    /// held: this pass's mouse input belongs to the overlay, not to the scene.
    bool wantsMouse() const { return wantsMouse_; }
    /// Lays out this pass's overlay; returns what its buttons asked for.
    OverlayActions build(const OverlayStatus& status);
    /// Draws what the last build laid out; nothing before the first build or without device.
    void render();

    /// Shows the text for kOverlayMessageSeconds, replacing any message shown.
    void showMessage(std::string_view text);

    bool helpOpen() const { return helpOpen_; }
    bool panelOpen() const { return panelOpen_; }
    const OverlayLayout& layout() const { return layout_; }
    const OverlayRenderer& renderer() const { return renderer_; }
    /// This overlay's ImGui context (for tests that read its font).
    ImGuiContext* context() const { return context_; }

  private:
    void buildStatus(const OverlayStatus& status);
    void buildHelp();
    /// Lays the help out for a panel this wide and makes its picture.
    void drawHelpPicture(float width);
    void buildPanel(const OverlayStatus& status, OverlayActions& actions);
    void buildMessage();
    void buildStrainLegend(float bottom);
    /// Returns where its top is, for what is stacked above it.
    float buildInspector(std::string_view text);

    ImGuiContext* context_ = nullptr;
    OverlayRenderer renderer_;
    bool helpOpen_ = false;
    bool panelOpen_ = false;
    bool frameStarted_ = false;
    bool built_ = false;
    bool wantsMouse_ = false;
    std::string message_;
    float messageSecondsLeft_ = 0.0f;
    OverlayLayout layout_;
    std::vector<HelpRow> help_;
    DeviceTexture* helpPicture_ = nullptr;  ///< the renderer's; null without a device
    int helpPictureWidth_ = 0;              ///< 0: to be drawn
    int helpPictureHeight_ = 0;
};

}  // namespace velmora
