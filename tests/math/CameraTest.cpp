// The camera's turns: yaw about the eye or about the target, pitch refused near vertical.
#include <gtest/gtest.h>

#include <cmath>

#include "math/Camera.h"
#include "math/Conventions.h"
#include "tests/math/ApproxEqual.h"

namespace velmora {
namespace {

TEST(Camera, YawTurnsLeftAboutTheEyeOrTheTargetAndPitchStopsShortOfVertical) {
    Camera orbit(CameraMode::Orbit);  // the eye turns about the target
    orbit.setTarget(0, 0, -1);
    orbit.yaw(kPi / 2);  // positive turns left
    EXPECT_VEC3_NEAR(orbit.getEye(), Vec3(1, 0, -1), 1e-5f);
    for (float step : {0.1f, -0.1f}) {
        Camera c(CameraMode::FreeLook);
        c.setTarget(0, 0, -2);
        for (int i = 0; i < 40; ++i) {
            c.pitch(step);
        }
        // 15 steps reach 1.5 rad (sin 0.9975); every later one would pass 0.999.
        EXPECT_NEAR(c.forward().y, std::sin(1.5f) * (step > 0 ? 1 : -1), 1e-4f);
        c.pitch(step * 0.6f);  // 1.56 rad stays short of vertical but passes 0.999: refused
        c.pitch(step * 0.2f);  // 1.52 rad (sin 0.9987) is accepted
        EXPECT_NEAR(c.forward().y, std::sin(1.52f) * (step > 0 ? 1 : -1), 1e-4f);
        EXPECT_NEAR(length(c.getTarget() - c.getEye()), 2.0f, 1e-5f);
    }
}

}  // namespace
}  // namespace velmora
