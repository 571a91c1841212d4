#include "math/Camera.h"

#include <cmath>

#include "math/Matrix4.h"

namespace velmora {

void Camera::applyTurn(const Vec3& turned) {
    switch (mode) {
        case CameraMode::FreeLook:
            target = eye + turned;
            break;
        case CameraMode::Orbit:
            eye = target - turned;
            break;
    }
}

void Camera::yaw(float radians) {
    // A row-vector rotation of -angle applied as a column transform turns by +angle.
    const Matrix4 r = rotationY(-radians);
    applyTurn(transformColumn(r, target - eye));
}

void Camera::pitch(float radians) {
    const Vec3 d = target - eye;
    const Vec3 axis = unitVector(d.cross(Vec3(0, 1, 0)));
    const Vec3 turned = transformColumn(rotationAxis(axis, radians), d);
    const Vec3 n = unitVector(turned);
    const Vec3 newRight = unitVector(n.cross(Vec3(0, 1, 0)));
    // Refuse rather than clamp: past the limit, or over the top (the right axis flipped).
    if (std::fabs(n.y) > kPitchLimit || !newRight.nearlyEqual(axis)) {
        return;
    }
    applyTurn(turned);
}

}  // namespace velmora
