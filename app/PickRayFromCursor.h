#pragma once
#include "physics/EditingTools.h"
#include "platform/OperatingSystem.h"

namespace velmora {

/// The cursor's home point, client pixels: the centre of the windowed client area.
inline constexpr Point kCursorHome = {400, 300};

/// The home point in screen pixels, for the window where it is now.
Point cursorHomeOnScreen(OperatingSystem& os);
/// Puts the cursor at its home point and records that in the input snapshot, so the next
/// update measures motion from there (mouse look, dragging, start-up).
void putCursorHome(OperatingSystem& os);

/// Default viewport of the pick ray, client pixels; depth 0..1.
inline constexpr std::uint32_t kPickViewportWidth = 800;
inline constexpr std::uint32_t kPickViewportHeight = 600;

/// The pick ray under the present cursor, through the renderer's projection and view and an
/// identity world (which it hands to the renderer). In full screen the viewport is the
/// window rectangle's right and bottom edges.
PickRay makePickRay(OperatingSystem& os);
/// The same ray through a point of the client area (client pixels) the picture fills.
PickRay pickRayAt(Point client, const Rect& area);

/// The window side of the editing tools: rays from the cursor, and the cursor put home.
class PickRayFromCursor final : public PickSource {
  public:
    explicit PickRayFromCursor(OperatingSystem& os_) : os(os_) {}
    PickRay makePickRay() override { return velmora::makePickRay(os); }
    void recentreCursor() override { putCursorHome(os); }

  private:
    OperatingSystem& os;
};

}  // namespace velmora
