#include "overlay/PhysicsSection.h"

#include <imgui.h>

#include <cfloat>
#include <cmath>

namespace velmora {
namespace {

/// Sliders are dragged, never typed into: the overlay takes no keyboard, and Ctrl, which
/// would open a slider for typing, flies the camera down.
/// Values are kept as dragged, not rounded to what is shown: a time scale rounded to 0.062
/// would fall below its range.
constexpr ImGuiSliderFlags kSliderFlags =
    ImGuiSliderFlags_AlwaysClamp | ImGuiSliderFlags_NoInput | ImGuiSliderFlags_NoRoundToFormat;
/// Ranges spanning orders of magnitude are laid out by their logarithm, so the described
/// values sit mid-way and not in the slider's first pixels.
constexpr ImGuiSliderFlags kLogarithmic = kSliderFlags | ImGuiSliderFlags_Logarithmic;
constexpr float kSliderWidth = 150.0f;

/// The last item's rectangle; of a slider, its frame, without the label beside it.
Rect lastItemRect(float width = FLT_MAX) {
    const ImVec2 min = ImGui::GetItemRectMin();
    const ImVec2 max = ImGui::GetItemRectMax();
    return {static_cast<std::int32_t>(std::floor(min.x)),
            static_cast<std::int32_t>(std::floor(min.y)),
            static_cast<std::int32_t>(std::ceil(std::min(max.x, min.x + width))),
            static_cast<std::int32_t>(std::ceil(max.y))};
}

bool slider(const char* label, float& value, const SettingRange& range, const char* format,
            ImGuiSliderFlags flags, Rect& rect) {
    ImGui::SetNextItemWidth(kSliderWidth);
    const bool changed = ImGui::SliderFloat(label, &value, range.least, range.most, format, flags);
    rect = lastItemRect(kSliderWidth);
    return changed;
}

}  // namespace

PhysicsRequest buildPhysicsSection(const PhysicsSettings& present, PhysicsControlRects& rects) {
    rects = {};
    PhysicsRequest request;
    const bool open = ImGui::CollapsingHeader("Physics");
    rects[kPhysicsHeader] = lastItemRect();
    if (!open)
        return request;
    PhysicsSettings wanted = present;
    bool changed = false;
    const std::pair<const char*, float> presets[] = {{"Earth", kEarthGravity},
                                                     {"Moon", kMoonGravity},
                                                     {"Jupiter", kJupiterGravity},
                                                     {"zero", 0.0f}};
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            ImGui::SameLine();
        if (ImGui::SmallButton(presets[i].first)) {
            wanted.gravity = {0.0f, -presets[i].second, 0.0f};
            changed = true;
        }
        rects[kEarthPreset + i] = lastItemRect();
    }
    ImGui::SetNextItemWidth(kSliderWidth);
    float gravity[3] = {wanted.gravity.x, wanted.gravity.y, wanted.gravity.z};
    if (ImGui::SliderFloat3("gravity", gravity, kGravityRange.least, kGravityRange.most, "%.2f",
                            kSliderFlags)) {
        wanted.gravity = {gravity[0], gravity[1], gravity[2]};
        changed = true;
    }
    rects[kGravitySliders] = lastItemRect(kSliderWidth);
    changed |= slider("link stiffness", wanted.linkStiffness, kStiffnessRange, "%.0f", kLogarithmic,
                      rects[kStiffnessSlider]);
    changed |= slider("link damping", wanted.linkDamping, kDampingRange, "%.2f", kLogarithmic,
                      rects[kDampingSlider]);
    changed |= slider("air drag", wanted.airDrag, kAirDragRange, "%.3f", kLogarithmic,
                      rects[kAirDragSlider]);
    changed |= slider("wall bounce keeps", wanted.wallBounceKeep, kBounceKeepRange, "%.2f",
                      kSliderFlags, rects[kWallBounceSlider]);
    changed |= slider("contact bounce keeps", wanted.contactBounceKeep, kBounceKeepRange, "%.2f",
                      kSliderFlags, rects[kContactBounceSlider]);
    changed |= slider("time scale", wanted.timeScale, kTimeScaleRange, "%.3f", kLogarithmic,
                      rects[kTimeScaleSlider]);
    request.sceneValues = ImGui::Button("back to the scene's values", ImVec2(kSliderWidth, 0.0f));
    rects[kSceneValuesButton] = lastItemRect();
    if (changed && wanted != present)
        request.settings = wanted;
    return request;
}

}  // namespace velmora
