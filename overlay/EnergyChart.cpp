#include "overlay/EnergyChart.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

/// The series' colours, in EnergyPlot's order: kinetic, gravitational, elastic, total, lost.
const ImVec4 kSeriesColours[] = {
    {1.0f, 0.75f, 0.3f, 1.0f},   // kinetic: orange
    {0.45f, 0.7f, 1.0f, 1.0f},   // gravitational: blue
    {0.45f, 0.9f, 0.45f, 1.0f},  // elastic: green
    {1.0f, 1.0f, 1.0f, 1.0f},    // total: white
    {0.65f, 0.65f, 0.65f, 1.0f}  // lost: grey
};
constexpr std::size_t kTotalSeries = 3;
const ImVec4 kWarning = {1.0f, 0.3f, 0.2f, 1.0f};
/// The chart's width, pixels.
constexpr float kChartWidth = 240.0f;

/// The lowest and highest finite values of every series, zero included, never an empty range.
void valueRange(const EnergyPlot& plot, float& low, float& high) {
    low = 0.0f;
    high = 0.0f;
    for (const EnergyPlotSeries& series : plot.series) {
        for (int k = 0; k < series.count; ++k) {
            const float v = series.values[k];
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
    }
    if (!(high - low > 1e-6f)) {
        high = low + 1.0f;
    }
}

}  // namespace

void buildEnergyChart(const EnergyPlot& plot, float left, float top, int windowFlags) {
    ImGui::SetNextWindowPos(ImVec2(left, top));
    ImGui::SetNextWindowBgAlpha(0.6f);
    if (ImGui::Begin("##energy", nullptr, windowFlags)) {
        ImDrawList* list = ImGui::GetWindowDrawList();
        // Plain lines: anti-aliased ones are three times the triangles.
        list->Flags &= ~(ImDrawListFlags_AntiAliasedLines | ImDrawListFlags_AntiAliasedLinesUseTex);
        ImGui::TextUnformatted("energy (J), the last 20 s");
        float low = 0.0f, high = 0.0f;
        valueRange(plot, low, high);
        const float lineHeight = ImGui::GetTextLineHeight();
        const ImVec2 at = ImGui::GetCursorScreenPos();
        const ImVec2 size(kChartWidth, lineHeight * 5.0f);
        list->AddRectFilled(at, ImVec2(at.x + size.x, at.y + size.y),
                            ImGui::GetColorU32(ImGuiCol_FrameBg));
        const auto colourOf = [&](std::size_t i) {
            return plot.rising && i == kTotalSeries ? kWarning : kSeriesColours[i];
        };
        for (std::size_t i = 0; i < plot.series.size(); ++i) {
            const EnergyPlotSeries& series = plot.series[i];
            for (int k = 0; k < series.count; ++k) {
                float v = series.values[(series.offset + k) % series.count];
                // A value beyond the range (not finite) is drawn at its edge.
                v = v > high ? high : v >= low ? v : low;
                const float x = series.count > 1
                                    ? static_cast<float>(k) / static_cast<float>(series.count - 1)
                                    : 0.0f;
                list->PathLineTo(
                    ImVec2(at.x + x * size.x, at.y + (1.0f - (v - low) / (high - low)) * size.y));
            }
            list->PathStroke(ImGui::ColorConvertFloat4ToU32(colourOf(i)), 0, 1.0f);
        }
        ImGui::Dummy(size);
        ImGui::Text("%.3g", static_cast<double>(low));
        ImGui::SameLine(size.x - ImGui::CalcTextSize("00000000").x);
        ImGui::Text("top %.3g", static_cast<double>(high));
        for (std::size_t i = 0; i < plot.series.size(); ++i) {
            if (i % 2 == 1)
                ImGui::SameLine(size.x * 0.5f);
            ImGui::TextColored(colourOf(i), "%s %.3f", plot.series[i].name,
                               static_cast<double>(plot.series[i].latest));
        }
        if (plot.rising)
            ImGui::TextColored(kWarning, "rising with nothing edited: blowing up?");
    }
    ImGui::End();
}

}  // namespace velmora
