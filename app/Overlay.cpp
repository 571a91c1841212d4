#include "app/Overlay.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/Controls.h"
#include "app/OverlayInput.h"

namespace velmora {
namespace {

constexpr int kKeyF2 = VK_F1 + 1;
/// Gap between the overlay's parts and the window's edges, pixels.
constexpr float kMargin = 10.0f;
/// The help panel's widest, pixels; narrower windows give it their width less the margins.
constexpr float kHelpMaxWidth = 1000.0f;
/// The help panel's key column: this many characters, the keys' longest word.
constexpr int kHelpKeyCharacters = 13;
const ImVec4 kHeadingColour = {1.0f, 0.85f, 0.35f, 1.0f};
const ImVec4 kKeyColour = {0.55f, 0.8f, 1.0f, 1.0f};
const ImVec4 kPausedColour = {1.0f, 0.6f, 0.2f, 1.0f};
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

/// The help panel's entries: a heading, the controls, a heading, the options. An entry with
/// no right text is a heading.
struct HelpEntry {
    const char* left = nullptr;
    const char* right = nullptr;
};

std::size_t helpEntryCount() {
    return 2 + controlsTable().size() + optionsTable().size();
}

HelpEntry helpEntry(std::size_t i) {
    const std::size_t controls = controlsTable().size();
    if (i == 0)
        return {"Controls", nullptr};
    if (i <= controls)
        return {controlsTable()[i - 1].input, controlsTable()[i - 1].effect};
    if (i == controls + 1)
        return {"Options", nullptr};
    const OptionRow& row = optionsTable()[i - controls - 2];
    return {row.form, row.effect};
}

/// How the help panel lays its entries out in two columns, each a key beside its effect,
/// both wrapped; window-local pixels.
struct HelpColumns {
    float keyWidth = 0.0f;
    float columnWidth = 0.0f;
    float gap = 0.0f;

    float height(const HelpEntry& entry) const {
        const float spacing = ImGui::GetStyle().ItemSpacing.y;
        if (entry.right == nullptr)
            return ImGui::GetTextLineHeight() + spacing;
        const float key = ImGui::CalcTextSize(entry.left, nullptr, false, keyWidth).y;
        const float effect =
            ImGui::CalcTextSize(entry.right, nullptr, false, columnWidth - keyWidth - gap).y;
        return std::max(key, effect) + spacing;
    }
    /// The first entry of the second column: the split that makes the taller column shortest,
    /// with no heading left at the foot of the first. tallerHeight gets that column's height.
    std::size_t split(float& tallerHeight) const {
        const std::size_t count = helpEntryCount();
        float total = 0.0f;
        for (std::size_t i = 0; i < count; ++i)
            total += height(helpEntry(i));
        std::size_t best = count;
        float first = 0.0f;
        tallerHeight = total;
        for (std::size_t i = 0; i < count; ++i) {
            first += height(helpEntry(i));
            const float taller = std::max(first, total - first);
            if (taller < tallerHeight) {
                tallerHeight = taller;
                best = i + 1;
            }
        }
        if (best > 0 && best < count && helpEntry(best - 1).right == nullptr) {
            first = 0.0f;
            for (std::size_t i = 0; i + 1 < best; ++i)
                first += height(helpEntry(i));
            tallerHeight = std::max(first, total - first);
            --best;
        }
        return best;
    }
    void draw(std::size_t from, std::size_t to, float x, float top) const {
        ImGui::SetCursorPos(ImVec2(x, top));
        for (std::size_t i = from; i < to; ++i) {
            const HelpEntry entry = helpEntry(i);
            ImGui::SetCursorPosX(x);
            if (entry.right == nullptr) {
                ImGui::TextColored(kHeadingColour, "%s", entry.left);
                continue;
            }
            ImGui::PushStyleColor(ImGuiCol_Text, kKeyColour);
            ImGui::PushTextWrapPos(x + keyWidth);
            ImGui::TextUnformatted(entry.left);
            ImGui::PopTextWrapPos();
            ImGui::PopStyleColor();
            ImGui::SameLine(x + keyWidth + gap);
            ImGui::PushTextWrapPos(x + columnWidth);
            ImGui::TextUnformatted(entry.right);
            ImGui::PopTextWrapPos();
        }
    }
};

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
    return renderer_.init(device, effectFile, *ImGui::GetIO().Fonts);
}

void Overlay::detach() {
    renderer_.release();
}

void Overlay::newFrame(const InputState& input, WindowHandle window, float seconds) {
    ImGui::SetCurrentContext(context_);
    if (frameStarted_)
        ImGui::EndFrame();  // a pass that laid nothing out
    if (input.pressed[VK_F1])
        helpOpen_ = !helpOpen_;
    if (input.pressed[kKeyF2])
        panelOpen_ = !panelOpen_;
    messageSecondsLeft_ = std::max(0.0f, messageSecondsLeft_ - overlayTimeStep(seconds));
    ImGuiIO& io = ImGui::GetIO();
    feedOverlayInput(io, input, window, seconds);
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
    ImGui::SetNextWindowSizeConstraints(
        ImVec2(0, 0), ImVec2(display.x * 0.5f - kMargin - 1, display.y * 0.5f - kMargin - 1));
    ImGui::SetNextWindowBgAlpha(0.6f);
    if (ImGui::Begin("##status", nullptr, kReadOutFlags)) {
        if (status.running)
            ImGui::TextUnformatted("Running");
        else
            ImGui::TextColored(kPausedColour, "Paused");
        ImGui::Text("%zu particles, %zu links", status.particles, status.links);
        ImGui::Text("%.0f fps, physics %.3f ms", static_cast<double>(status.framesPerSecond),
                    static_cast<double>(status.physicsMilliseconds));
        ImGui::TextUnformatted("F1 help, F2 panel");
    }
    layout_.status = currentWindowRect();
    ImGui::End();
}

void Overlay::buildHelp() {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float width = std::min(kHelpMaxWidth, display.x - 2 * kMargin);
    // Compact: the whole of both tables fits an 800 x 600 window, and every pixel the panel
    // covers costs fill time on a software renderer.
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(8.0f, 4.0f));
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(8.0f, 2.0f));
    const ImGuiStyle& style = ImGui::GetStyle();
    HelpColumns columns;
    columns.gap = style.ItemSpacing.x;
    columns.keyWidth = ImGui::CalcTextSize("M").x * kHelpKeyCharacters;
    columns.columnWidth = (width - 2 * style.WindowPadding.x - 3 * columns.gap) * 0.5f;
    float columnHeight = 0.0f;
    const std::size_t split = columns.split(columnHeight);
    // Below the status corner, so the run state stays in sight; moved up over it (opaque)
    // where the window is too short for both.
    const float height = columnHeight + ImGui::GetFrameHeight() + 2 * style.WindowPadding.y;
    float top = static_cast<float>(layout_.status.bottom) + kMargin;
    if (top + height > display.y - kMargin)
        top = std::max(kMargin, display.y - kMargin - height);
    ImGui::SetNextWindowPos(ImVec2(display.x - kMargin, top), ImGuiCond_Always, ImVec2(1.0f, 0.0f));
    ImGui::SetNextWindowSizeConstraints(ImVec2(width, 0),
                                        ImVec2(width, std::max(display.y - kMargin - top, 0.0f)));
    ImGui::SetNextWindowBgAlpha(1.0f);
    if (ImGui::Begin("Help (F1)", &helpOpen_, kPanelFlags)) {
        const float left = ImGui::GetCursorPosX();
        const float firstLine = ImGui::GetCursorPosY();
        columns.draw(0, split, left, firstLine);
        columns.draw(split, helpEntryCount(), left + columns.columnWidth + 3 * columns.gap,
                     firstLine);
    }
    layout_.help = currentWindowRect();
    ImGui::End();
    ImGui::PopStyleVar(2);
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
        }
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

}  // namespace velmora
