#pragma once
// The energy plot (F3): the last 20 s of the energy's parts drawn on one scale in one chart, so
// they can be read against each other, with a legend of their present values.
#include "overlay/Overlay.h"

namespace velmora {

/// Lays the plot out as a window of its own, with Dear ImGui's window flags, its top-left
/// corner at (left, top), client pixels.
void buildEnergyChart(const EnergyPlot& plot, float left, float top, int windowFlags);

}  // namespace velmora
