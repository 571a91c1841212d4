#include "overlay/Overlay.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "overlay/EnergyChart.h"
#include "render/StrainColour.h"

namespace velmora {
namespace {

/// Gap between the overlay's parts and the window's edges, pixels.
constexpr float kMargin = 10.0f;
/// The help panel's widest, pixels; narrower windows give it their width less the margins.
constexpr float kHelpMaxWidth = 1000.0f;
/// Below this width the help's columns would hold a few letters a line: it is not shown.
constexpr float kHelpMinWidth = 300.0f;
const ImVec4 kPausedColour = {1.0f, 0.6f, 0.2f, 1.0f};
/// The status corner's clock line at its widest (the figures are held to these).
constexpr const char* kWidestClockLine = "99999 fps, physics 9999.999 ms";
/// One width for the panel's buttons, pixels.
const ImVec2 kButtonSize = {150.0f, 0.0f};
/// Parts that show only (status, message): no title, no moving, no keyboard focus.
constexpr ImGuiWindowFlags kReadOutFlags =
    ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize |
    ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
    ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoMove;
/// Panels: a title with a close box, fixed where they are put.
constexpr ImGuiWindowFlags kPanelFlags =
    ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
    ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_AlwaysAutoResize |
    ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav;

/// The current window's rectangle in client pixels (call between Begin and End).
Rect currentWindowRect() {
    const ImVec2 position = ImGui::GetWindowPos();
    const ImVec2 size = ImGui::GetWindowSize();
    return {static_cast<std::int32_t>(std::floor(position.x)),
            static_cast<std::int32_t>(std::floor(position.y)),
            static_cast<std::int32_t>(std::ceil(position.x + size.x)),
            static_cast<std::int32_t>(std::ceil(position.y + size.y))};
}

}  // namespace

Overlay::Overlay() : context_(ImGui::CreateContext()) {
    ImGui::SetCurrentContext(context_);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // the overlay writes no files
    io.LogFilename = nullptr;
    io.BackendRendererName = "velmora_overlay";
    io.BackendFlags |= ImGuiBackendFlags_RendererHasVtxOffset;
    // Built now so frames can be laid out before (or without) a device.
    io.Fonts->Build();
    ImGui::StyleColorsDark();
}

Overlay::~Overlay() {
    renderer_.release();
    ImGui::SetCurrentContext(context_);
    if (frameStarted_)
        ImGui::EndFrame();
    ImGui::DestroyContext(context_);
}

bool Overlay::attach(Device& device, const char* effectFile) {
    ImGui::SetCurrentContext(context_);
    helpPictureWidth_ = 0;  // drawn again for this device
    return renderer_.init(device, effectFile, *ImGui::GetIO().Fonts);
}

void Overlay::detach() {
    renderer_.release();
    helpPicture_ = nullptr;
    helpPictureWidth_ = 0;
}

void Overlay::setHelp(std::vector<HelpRow> rows) {
    help_ = std::move(rows);
    helpPictureWidth_ = 0;  // drawn again
}

void Overlay::newFrame(const OverlayInput& input, float seconds) {
    ImGui::SetCurrentContext(context_);
    if (frameStarted_)
        ImGui::EndFrame();  // a pass that laid nothing out
    if (input.helpPressed)
        helpOpen_ = !helpOpen_;
    if (input.panelPressed)
        panelOpen_ = !panelOpen_;
    messageSecondsLeft_ = std::max(0.0f, messageSecondsLeft_ - overlayTimeStep(seconds));
    ImGuiIO& io = ImGui::GetIO();
    feedOverlayInput(io, input, seconds);
    ImGui::NewFrame();
    frameStarted_ = true;
    built_ = false;
    wantsMouse_ = io.WantCaptureMouse;
}

OverlayActions Overlay::build(const OverlayStatus& status) {
    ImGui::SetCurrentContext(context_);
    OverlayActions actions;
    if (!frameStarted_)
        return actions;
    layout_ = {};
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    if (display.x > 4 * kMargin && display.y > 4 * kMargin) {
        buildStatus(status);
        if (helpOpen_)
            buildHelp();
        if (panelOpen_)
            buildPanel(status, actions);
        buildMessage();
        if (status.energy != nullptr)
            // Below the status corner, on the left, clear of the centre.
            buildEnergyChart(*status.energy, kMargin,
                             static_cast<float>(layout_.status.bottom) + kMargin,
                             kReadOutFlags | ImGuiWindowFlags_NoInputs);
        // Bottom right, stacked: the inspector, then the strain scale above it.
        float bottom = display.y - kMargin;
        if (!status.inspector.empty())
            bottom = buildInspector(status.inspector) - kMargin;
        if (status.strainLegend)
            buildStrainLegend(bottom);
    }
    ImGui::Render();
    frameStarted_ = false;
    built_ = true;
    return actions;
}

void Overlay::render() {
    ImGui::SetCurrentContext(context_);
    if (!built_)
        return;
    if (const ImDrawData* drawData = ImGui::GetDrawData(); drawData != nullptr)
        renderer_.render(*drawData);
}

void Overlay::showMessage(std::string_view text) {
    message_.assign(text);
    messageSecondsLeft_ = kOverlayMessageSeconds;
}

void Overlay::buildStatus(const OverlayStatus& status) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    // Held inside the top-left quarter, so it never covers the centre, where particles spawn.
    ImGui::SetNextWindowPos(ImVec2(kMargin, kMargin));
    // The wall-clock figures get a field as wide as their largest values, so where the corner
    // ends, and so what a click near its edge hits, never depends on the machine's speed.
    const float clockWidth =
        ImGui::CalcTextSize(kWidestClockLine).x + 2.0f * ImGui::GetStyle().WindowPadding.x;
    const float widest = display.x * 0.5f - kMargin - 1;
    ImGui::SetNextWindowSizeConstraints(ImVec2(std::min(clockWidth, widest), 0),
                                        ImVec2(widest, display.y * 0.5f - kMargin - 1));
    ImGui::SetNextWindowBgAlpha(0.6f);
    if (ImGui::Begin("##status", nullptr, kReadOutFlags)) {
        if (status.running)
            ImGui::TextUnformatted("Running");
        else
            ImGui::TextColored(kPausedColour, "Paused");
        if (status.recordingVideo) {
            ImGui::SameLine();
            ImGui::TextColored(ImVec4(1.0f, 0.2f, 0.2f, 1.0f), "REC");
        }
        ImGui::Text("%zu particles, %zu links", status.particles, status.links);
        ImGui::Text("%.0f fps, physics %.3f ms",
                    std::clamp(static_cast<double>(status.framesPerSecond), 0.0, 99999.0),
                    std::clamp(static_cast<double>(status.physicsMilliseconds), 0.0, 9999.999));
        // A replay's progress takes the hints' line: the corner keeps its size, and with it
        // where the recorded clicks land. A slowed camera and slow motion say so on the same line.
        const std::string_view first =
            status.replay.empty() ? std::string_view("F1 help, F2 panel") : status.replay;
        char hints[128];
        int used =
            std::snprintf(hints, sizeof hints, "%.*s",
                          static_cast<int>(std::min<std::size_t>(first.size(), 60)), first.data());
        if (status.cameraSpeedDivisor != 1)
            used += std::snprintf(hints + used, sizeof hints - static_cast<std::size_t>(used),
                                  ", camera 1/%d", status.cameraSpeedDivisor);
        if (status.physics.timeScale != 1.0f)
            std::snprintf(hints + used, sizeof hints - static_cast<std::size_t>(used),
                          ", time x%.3g", static_cast<double>(status.physics.timeScale));
        ImGui::TextUnformatted(hints);
    }
    layout_.status = currentWindowRect();
    ImGui::End();
}

void Overlay::buildHelp() {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float width = std::floor(std::min(kHelpMaxWidth, display.x - 2 * kMargin));
    if (width < kHelpMinWidth)
        return;
    if (static_cast<int>(width) != helpPictureWidth_)
        drawHelpPicture(width);
    // A panel that shows nothing must not take clicks either.
    if (renderer_.ready() && helpPicture_ == nullptr)
        return;
    const auto height = static_cast<float>(helpPictureHeight_);
    // Below the status corner, so the run state stays in sight; moved up over it where the
    // window is too short for both.
    float top = static_cast<float>(layout_.status.bottom) + kMargin;
    if (top + height > display.y - kMargin)
        top = std::max(kMargin, std::floor(display.y - kMargin - height));
    ImGui::SetNextWindowPos(ImVec2(display.x - kMargin, top), ImGuiCond_Always, ImVec2(1.0f, 0.0f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    // The picture is the whole panel, background included.
    if (ImGui::Begin("##help", nullptr, kReadOutFlags | ImGuiWindowFlags_NoBackground)) {
        if (helpPicture_ != nullptr)
            ImGui::Image(helpPicture_, ImVec2(width, height));
        else
            ImGui::Dummy(ImVec2(width, height));  // no device: laid out, drawn as nothing
    }
    layout_.help = currentWindowRect();
    ImGui::End();
    ImGui::PopStyleVar(2);
}

void Overlay::drawHelpPicture(float width) {
    ImDrawList list(ImGui::GetDrawListSharedData());
    const int height = layOutHelp(width, help_, list);
    HelpPicture picture;
    const bool painted =
        paintQuads(list, *ImGui::GetIO().Fonts, static_cast<int>(width), height, picture);
    if (!painted) {
        std::fprintf(stderr,
                     "velmora: the help cannot be drawn: Dear ImGui %s writes its draw lists in "
                     "a way this program does not read\n",
                     IMGUI_VERSION);
    }
    helpPicture_ = painted
                       ? renderer_.setPicture(picture.pixels.data(), picture.width, picture.height)
                       : nullptr;
    helpPictureWidth_ = static_cast<int>(width);
    helpPictureHeight_ = height;
}

void Overlay::buildPanel(const OverlayStatus& status, OverlayActions& actions) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(kMargin, display.y - kMargin), ImGuiCond_Always,
                            ImVec2(0.0f, 1.0f));
    if (ImGui::Begin("Panel (F2)", &panelOpen_, kPanelFlags)) {
        actions.toggleRun =
            ImGui::Button(status.running ? "Pause (Tab)" : "Run (Tab)", kButtonSize);
        ImGui::BeginDisabled(status.running);  // a single step is for a paused simulation
        actions.singleStep = ImGui::Button("Step (N)", kButtonSize);
        ImGui::EndDisabled();
        actions.reset = ImGui::Button("Reset (R)", kButtonSize);
        actions.toggleWireframe = ImGui::Button("Wireframe (Q)", kButtonSize);
        actions.resetView = ImGui::Button("Reset view (Home)", kButtonSize);
        actions.seekTo = buildTimelineBar(status.timeline, kButtonSize.x, layout_.timeline);
        if (!status.scenes.empty()) {
            char preview[64] = "choose a scene";
            if (!status.currentScene.empty()) {
                std::snprintf(
                    preview, sizeof preview, "%.*s",
                    static_cast<int>(std::min<std::size_t>(status.currentScene.size(), 60)),
                    status.currentScene.data());
            }
            ImGui::SetNextItemWidth(kButtonSize.x);
            if (ImGui::BeginCombo("##scene", preview)) {
                for (const std::string& name : status.scenes) {
                    if (ImGui::Selectable(name.c_str(), name == status.currentScene))
                        actions.chosenScene = name;
                }
                ImGui::EndCombo();
            }
            actions.saveScene = ImGui::Button("Save scene (F5)", kButtonSize);
            ImGui::SetNextItemWidth(kButtonSize.x);
            if (ImGui::BeginCombo("##open", "open a saved scene")) {
                for (const std::string& path : status.openable) {
                    // The file's name; the same name from two folders stays two entries.
                    const std::size_t slash = path.rfind('/');
                    ImGui::PushID(path.c_str());
                    if (ImGui::Selectable(path.c_str() + (slash == path.npos ? 0 : slash + 1)))
                        actions.openFile = path;
                    ImGui::PopID();
                }
                if (status.openable.empty())
                    ImGui::TextDisabled("no scene files saved yet");
                ImGui::EndCombo();
            }
        }
        const PhysicsRequest physics = buildPhysicsSection(status.physics, layout_.physics);
        actions.physics = physics.settings;
        actions.scenePhysics = physics.sceneValues;
    }
    layout_.panel = currentWindowRect();
    ImGui::End();
}

void Overlay::buildMessage() {
    if (messageSecondsLeft_ <= 0.0f || message_.empty())
        return;
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y - kMargin), ImGuiCond_Always,
                            ImVec2(0.5f, 1.0f));
    ImGui::SetNextWindowBgAlpha(0.75f);
    // A message never takes a click: it appears unasked, where the user may be aiming.
    if (ImGui::Begin("##message", nullptr, kReadOutFlags | ImGuiWindowFlags_NoInputs))
        ImGui::TextUnformatted(message_.data(), message_.data() + message_.size());
    layout_.message = currentWindowRect();
    ImGui::End();
}

float Overlay::buildInspector(std::string_view text) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x - kMargin, display.y - kMargin), ImGuiCond_Always,
                            ImVec2(1.0f, 1.0f));
    ImGui::SetNextWindowBgAlpha(0.6f);
    float top = display.y;
    // Numbers to read, not to click: clicks go through to the scene.
    if (ImGui::Begin("##inspector", nullptr, kReadOutFlags | ImGuiWindowFlags_NoInputs)) {
        ImGui::TextUnformatted(text.data(), text.data() + text.size());
        top = ImGui::GetWindowPos().y;
    }
    ImGui::End();
    return top;
}

void Overlay::buildStrainLegend(float bottom) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x - kMargin, bottom), ImGuiCond_Always,
                            ImVec2(1.0f, 1.0f));
    ImGui::SetNextWindowBgAlpha(0.6f);
    // It only shows the scale: clicks go through to the scene.
    if (ImGui::Begin("##strain", nullptr, kReadOutFlags | ImGuiWindowFlags_NoInputs)) {
        ImGui::TextUnformatted("link strain");
        const auto imguiColour = [](std::uint32_t argb) {  // ImGui packs 0xAABBGGRR
            return IM_COL32(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF, argb >> 24);
        };
        const ImU32 compressed = imguiColour(kCompressedColour);
        const ImU32 white = imguiColour(0xFFFFFFFF);
        const ImU32 stretched = imguiColour(kStretchedColour);
        const ImVec2 at = ImGui::GetCursorScreenPos();
        const ImVec2 size(kButtonSize.x, ImGui::GetTextLineHeight() * 0.75f);
        ImDrawList* list = ImGui::GetWindowDrawList();
        list->AddRectFilledMultiColor(at, ImVec2(at.x + size.x * 0.5f, at.y + size.y), compressed,
                                      white, white, compressed);
        list->AddRectFilledMultiColor(ImVec2(at.x + size.x * 0.5f, at.y),
                                      ImVec2(at.x + size.x, at.y + size.y), white, stretched,
                                      stretched, white);
        ImGui::Dummy(size);
        ImGui::Text("-%.0f%%   at rest   +%.0f%%", kFullStrain * 100.0, kFullStrain * 100.0);
    }
    ImGui::End();
}

}  // namespace velmora
