// The camera's turns: yaw about the eye or about the target, pitch refused near vertical.
#include <gtest/gtest.h>

#include <cmath>

#include "math/Camera.h"
#include "math/Conventions.h"
#include "tests/math/ApproxEqual.h"

namespace velmora {
namespace {

Camera makeCamera(CameraMode mode, Vec3 eye, Vec3 target) {
    Camera c(mode);
    c.setEye(eye.x, eye.y, eye.z);
    c.setTarget(target.x, target.y, target.z);
    return c;
}

TEST(Camera, YawTurnsLeftAboutTheEyeOrTheTargetAndKeepsTheDistance) {
    Camera free = makeCamera(CameraMode::FreeLook, {0, 0, 0}, {0, 0, -1});
    free.yaw(kPi / 2);  // positive turns left
    EXPECT_VEC3_NEAR(free.getEye(), Vec3(), 0.0f);
    EXPECT_VEC3_NEAR(free.getTarget(), Vec3(-1, 0, 0), 1e-5f);
    Camera orbit = makeCamera(CameraMode::Orbit, {0, 0, 0}, {0, 0, -1});
    orbit.yaw(kPi / 2);
    EXPECT_VEC3_NEAR(orbit.getTarget(), Vec3(0, 0, -1), 0.0f);
    EXPECT_VEC3_NEAR(orbit.getEye(), Vec3(1, 0, -1), 1e-5f);

    for (CameraMode mode : {CameraMode::FreeLook, CameraMode::Orbit}) {
        Camera c = makeCamera(mode, {0, 0, 25}, {0, 0.1f, 0});
        for (int i = 0; i < 200; ++i) {
            c.yaw(0.37f);
            c.pitch(i % 3 == 0 ? -0.21f : 0.13f);
        }
        EXPECT_NEAR(length(c.getTarget() - c.getEye()), 25.0002f, 25 * 1e-4f);
    }
}

TEST(Camera, PitchStopsShortOfVerticalAndOrbitIgnoresIt) {
    for (float step : {0.1f, -0.1f}) {
        Camera c = makeCamera(CameraMode::FreeLook, {0, 0, 0}, {0, 0, -2});
        for (int i = 0; i < 40; ++i) {
            c.pitch(step);
            EXPECT_LT(c.getTarget().z, 0.0f) << "the view passed vertical";
        }
        // 15 steps reach 1.5 rad (sin 0.9975); every later one would pass 0.999.
        EXPECT_NEAR(c.forward().y, std::sin(1.5f) * (step > 0 ? 1 : -1), 1e-4f);
        c.pitch(step * 0.6f);  // 1.56 rad stays short of vertical but passes 0.999: refused
        c.pitch(step * 0.2f);  // 1.52 rad (sin 0.9987) is accepted
        EXPECT_NEAR(c.forward().y, std::sin(1.52f) * (step > 0 ? 1 : -1), 1e-4f);
    }
    Camera c = makeCamera(CameraMode::Orbit, {1, 2, 3}, {1, 2, -7});
    c.pitch(3.0f);
    EXPECT_VEC3_NEAR(c.getTarget(), Vec3(1, 2, -7), 0.0f);
}

}  // namespace
}  // namespace velmora
