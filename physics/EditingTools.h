#pragma once
#include <cstdint>

#include "math/Camera.h"
#include "physics/ParticleLink.h"
#include "physics/Picking.h"

namespace velmora {

/// The editing pointers the main loop keeps from pass to pass; both null at start.
struct EditingState {
    Particle* joinSel = nullptr;     ///< first particle of a right-button pair
    Particle* dragTarget = nullptr;  ///< particle held by the left button
    /// A middle click found the room full (kMaxSceneParticles) and spawned nothing; the
    /// caller tells the user and clears it.
    bool roomFull = false;
};

/// What the tools read of one pass: button edges (virtual keys 1 left, 2 right, 4 middle),
/// Shift, the cursor motion in pixels (x right, y down), the run flag and the frame time.
struct EditingInput {
    bool middlePressed = false;
    bool rightPressed = false;
    bool leftPressed = false;
    bool leftReleased = false;
    bool leftHeld = false;
    bool shiftHeld = false;
    std::int32_t cursorDx = 0;
    std::int32_t cursorDy = 0;
    bool running = true;
    float dt = 0.0f;                       ///< seconds
    float linkStiffness = kLinkStiffness;  ///< of a link the right button makes
    float linkDamping = kLinkDamping;
};

/// The pieces of the window and the device the tools need: the pick ray under the cursor,
/// and putting the cursor back at its home point after a drag step.
class PickSource {
  public:
    virtual ~PickSource() = default;
    virtual PickRay makePickRay() = 0;
    virtual void recentreCursor() = 0;
};

/// Drag distance per pixel, normal and with Shift.
inline constexpr float kDragFactor = 0.01f;
inline constexpr float kDragFactorFast = 0.05f;

/// What the right button did in a pass, for telling the user what a click changed that the
/// picture may not show.
enum class RightClick {
    None,                 ///< no press, or a press on empty space
    IgnoredWhileRunning,  ///< the tool works only while paused
    SelectedFirst,        ///< the first particle of a pair is held in joinSel
    Linked,
    Unlinked,
    Pinned,
    Unpinned,
};

/// The three mouse tools, once per pass, in order: middle (delete or spawn), right (only
/// while paused: select, link/unlink, pin), left (grab, release, drag). Returns what the
/// right button did.
RightClick runEditingTools(const EditingInput& in, PickSource& source, const Camera& camera,
                           ParticleList& particles, EditingState& state);

/// Where the pick line meets the plane z = 0, through the unit direction as the tools
/// compute it. False when the line runs parallel to the plane or the point is not finite.
bool pickLineMeetsPlaneZ0(const PickRay& ray, Vec3& point);

}  // namespace velmora
