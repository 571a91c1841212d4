#pragma once
// The panel's scrub bar over the run's kept past: dragged, it asks for a position; ticks show
// where the edits were.
#include <optional>
#include <span>

#include "platform/OperatingSystem.h"

namespace velmora {

/// What the bar shows: the kept positions, the present one and the edits among them.
struct TimelineView {
    long first = 0;
    long latest = 0;
    long now = 0;
    std::span<const long> edits;
};

/// Lays the bar out in the current window, `width` pixels wide; rect gets its frame. Returns
/// the position it was moved to this pass.
std::optional<long> buildTimelineBar(const TimelineView& view, float width, Rect& rect);

}  // namespace velmora
