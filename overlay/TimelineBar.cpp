#include "overlay/TimelineBar.h"

#include <imgui.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace velmora {

std::optional<long> buildTimelineBar(const TimelineView& view, float width, Rect& rect) {
    // The bar counts in ints: a run would need a year of passes at 60 a second to outgrow one.
    const auto clampToInt = [](long v) { return static_cast<int>(std::clamp<long>(v, 0, INT_MAX)); };
    const int first = clampToInt(view.first), latest = clampToInt(view.latest);
    int now = std::clamp(clampToInt(view.now), first, latest);
    char format[64];
    std::snprintf(format, sizeof format, "pass %%d of %d", latest);
    ImGui::SetNextItemWidth(width);
    ImGui::BeginDisabled(latest == first);
    const bool moved = ImGui::SliderInt("##timeline", &now, first, latest, format,
                                        ImGuiSliderFlags_AlwaysClamp | ImGuiSliderFlags_NoInput);
    ImGui::EndDisabled();
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    rect = {static_cast<std::int32_t>(std::floor(min.x)), static_cast<std::int32_t>(std::floor(min.y)),
            static_cast<std::int32_t>(std::ceil(max.x)), static_cast<std::int32_t>(std::ceil(max.y))};
    if (latest > first) {
        ImDrawList* list = ImGui::GetWindowDrawList();
        const ImU32 tick = IM_COL32(255, 200, 60, 255);
        for (const long e : view.edits) {
            const float x = min.x + (max.x - min.x) * static_cast<float>(e - first) /
                                        static_cast<float>(latest - first);
            list->AddLine(ImVec2(x, min.y), ImVec2(x, min.y + 4.0f), tick);
            list->AddLine(ImVec2(x, max.y - 4.0f), ImVec2(x, max.y), tick);
        }
    }
    return moved && now != view.now ? std::optional<long>(now) : std::nullopt;
}

}  // namespace velmora
