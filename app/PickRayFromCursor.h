#pragma once
#include <functional>

#include "physics/EditingTools.h"
#include "platform/OperatingSystem.h"

namespace velmora {

/// Default viewport of the pick ray, client pixels; depth 0..1.
inline constexpr std::uint32_t kPickViewportWidth = 800;
inline constexpr std::uint32_t kPickViewportHeight = 600;

/// The pick ray under the present cursor, through the renderer's projection and view and an
/// identity world (which it hands to the renderer). In full screen the viewport is the
/// window rectangle's right and bottom edges.
PickRay makePickRay(OperatingSystem& os);

/// The window side of the editing tools: rays from the cursor, and the cursor put home.
class PickRayFromCursor final : public PickSource {
public:
    PickRayFromCursor(OperatingSystem& os_, std::function<void()> recentre_)
        : os(os_), recentre(std::move(recentre_)) {}
    PickRay makePickRay() override { return velmora::makePickRay(os); }
    void recentreCursor() override { recentre(); }

private:
    OperatingSystem& os;
    std::function<void()> recentre;
};

}  // namespace velmora
