#pragma once
#include "math/Camera.h"
#include "math/Vec3.h"

namespace velmora {

/// Camera velocity damping per second.
inline constexpr float kCameraDrag = 5.0f;
/// Camera acceleration per held movement key, world units per second squared.
inline constexpr float kCameraThrust = 600.0f;
inline constexpr float kCameraThrustFast = 1800.0f;  ///< the same with Shift held
/// The longest step of the glide, seconds. Each step multiplies the velocity by
/// (1 - kCameraDrag * step), which turns negative past 0.2 s and amplifies past 0.4 s; steps of
/// about a 60 Hz frame make a long frame move the camera no farther than 60 Hz frames would. A
/// little over 1/60 s, so a 60 Hz frame time written in a few digits (0.0166667, a float just
/// above 1/60) is one step, not two.
inline constexpr float kCameraGlideStep = 0.017f;
/// Most glide steps in one pass: after a stall of more than half a second the camera glides
/// on as if the stall had lasted that long.
inline constexpr int kMaxCameraGlideSteps = 30;

/// The movement keys held in one pass.
struct CameraKeys {
    bool forward = false, back = false;  ///< W, S
    bool right = false, left = false;    ///< D, A
    bool up = false, down = false;       ///< Space, Ctrl
    bool fast = false;                   ///< Shift
    float thrustScale = 1.0f;            ///< the wheel's share of the thrust, 1/16 to 1
};

/// The wheel's camera speeds: the thrust is 1 / 2^step of the described one.
inline constexpr int kSlowestCameraStep = 4;  ///< 1/16

/// The damped glide of the camera over dt seconds: per step, acceleration = -velocity *
/// kCameraDrag plus the thrust (times thrustScale) of each held key in the order W, S, D, A,
/// Space, Ctrl along the camera's forward, right and up directions; velocity += acceleration *
/// step; the camera moves by velocity * step. A dt of at most kCameraGlideStep is one step.
void glideCamera(Camera& camera, Vec3& velocity, const CameraKeys& keys, float dt);

}  // namespace velmora
