#pragma once
#include <cstdint>

#include "math/Vec3.h"

namespace velmora {

/// Which point a turn moves.
enum class CameraMode : std::uint8_t {
    FreeLook = 1,  ///< the target turns about the eye
    Orbit = 2,     ///< the eye turns about the target
};

/// The largest |y| of the unit viewing direction a pitch may leave (about 87.44 degrees).
inline constexpr float kPitchLimit = 0.999f;

/// A viewer: eye, looked-at point, vertical field of view in degrees. Up is always +y.
class Camera {
public:
    Vec3 eye;
    Vec3 target;
    float fieldOfView = 0.0f;  ///< degrees
    CameraMode mode;

    explicit Camera(CameraMode mode_) : mode(mode_) {}

    void setEye(float x, float y, float z) { eye = {x, y, z}; }
    void setTarget(float x, float y, float z) { target = {x, y, z}; }
    Vec3 getEye() const { return eye; }
    Vec3 getTarget() const { return target; }

    /// Unit viewing direction; zero when eye = target.
    Vec3 forward() const { return (target - eye).normalized(); }
    /// Unit horizontal right direction; zero when the view is exactly vertical.
    Vec3 right() const { return (target - eye).cross(Vec3(0, 1, 0)).normalized(); }
    /// Moves eye and target alike.
    void translate(const Vec3& d) {
        eye += d;
        target += d;
    }
    /// Turns the view about world +y by radians; positive turns left.
    void yaw(float radians);
    /// Turns the view about the right axis by radians; positive looks up. A turn that would
    /// pass the pitch limit or go over the top is refused whole, not clamped.
    void pitch(float radians);

private:
    void applyTurn(const Vec3& turned);
};

}  // namespace velmora
