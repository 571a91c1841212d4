#pragma once
// The panel's physics section: a slider for each setting, the gravity presets and a way back to
// the scene's own values. Built inside the panel's window; what it asks for is carried out by
// the loop one pass later, like the panel's buttons.
#include <array>
#include <optional>

#include "physics/PhysicsSettings.h"
#include "platform/OperatingSystem.h"

namespace velmora {

/// The section's controls, in the order they are laid out.
enum PhysicsControl {
    kPhysicsHeader,  ///< opens and closes the section
    kEarthPreset,
    kMoonPreset,
    kJupiterPreset,
    kZeroGravityPreset,
    kGravitySliders,  ///< x, y and z side by side
    kStiffnessSlider,
    kDampingSlider,
    kAirDragSlider,
    kWallBounceSlider,
    kContactBounceSlider,
    kTimeScaleSlider,
    kSceneValuesButton,
    kPhysicsControlCount
};

/// Where the last build put each control, client pixels; empty while the section is closed.
using PhysicsControlRects = std::array<Rect, kPhysicsControlCount>;

/// What the section asked for in one pass.
struct PhysicsRequest {
    std::optional<PhysicsSettings> settings;  ///< the settings after this pass's change
    bool sceneValues = false;                 ///< back to the scene's own settings
};

/// Lays the section out in the current window and returns what it asked for.
PhysicsRequest buildPhysicsSection(const PhysicsSettings& present, PhysicsControlRects& rects);

}  // namespace velmora
