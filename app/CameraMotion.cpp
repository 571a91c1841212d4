#include "app/CameraMotion.h"

#include "math/SubSteps.h"

namespace velmora {
namespace {

void glideStep(Camera& camera, Vec3& velocity, const CameraKeys& keys, float dt) {
    Vec3 acceleration = -(velocity * kCameraDrag);
    const float s = (keys.fast ? kCameraThrustFast : kCameraThrust) * keys.thrustScale;
    const Vec3 forward = camera.forward();
    const Vec3 right = camera.right();
    const Vec3 up(0, 1, 0);
    if (keys.forward)
        acceleration += forward * s;
    if (keys.back)
        acceleration += forward * -s;
    if (keys.right)
        acceleration += right * s;
    if (keys.left)
        acceleration += right * -s;
    if (keys.up)
        acceleration += up * s;
    if (keys.down)
        acceleration += up * -s;
    velocity += acceleration * dt;
    camera.translate(velocity * dt);
}

}  // namespace

void glideCamera(Camera& camera, Vec3& velocity, const CameraKeys& keys, float dt) {
    const SubSteps steps = splitIntoSubSteps(dt, kCameraGlideStep, kMaxCameraGlideSteps);
    for (int i = 0; i < steps.count; ++i) {
        glideStep(camera, velocity, keys, steps.length);
    }
}

}  // namespace velmora
