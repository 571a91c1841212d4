#include <gtest/gtest.h>

#include <cmath>

#include "math/Matrix4.h"
#include "platform/GpuDevice.h"

namespace velmora {
namespace {

/// The screen point (pixels, y down) and depth of a world point, as the device would draw it.
Vec3 project(Vec3 p, const D3DVIEWPORT9& v, const Matrix4& wvp) {
    float clip[4];
    for (int c = 0; c < 4; ++c) {
        clip[c] = p.x * wvp.m[0][c] + p.y * wvp.m[1][c] + p.z * wvp.m[2][c] + wvp.m[3][c];
    }
    return {v.X + (clip[0] / clip[3] + 1.0f) * 0.5f * v.Width,
            v.Y + (1.0f - clip[1] / clip[3]) * 0.5f * v.Height, clip[2] / clip[3]};
}

TEST(Unproject, ProjectedPointsComeBackAtBothEndsOfTheDepthRange) {
    const Matrix4 projection = perspectiveFov(45.0f, 1.0f, 100.0f, 800.0f / 600.0f);
    const Matrix4 view = lookAt({3, 4, 25}, {0, 0.1f, 0});
    const Matrix4 world = translation({0.5f, -1, 2});
    const Matrix4 wvp = world * view * projection;
    const D3DVIEWPORT9 viewport{10, 20, 800, 600, 0.0f, 1.0f};
    // Points on the near plane (depth 0) and the far plane (depth 1) of the view volume.
    const Vec3 eye{3, 4, 25};
    const Vec3 forward = unitVector(Vec3{0, 0.1f, 0} - eye);
    const Vec3 side = unitVector(forward.cross({0, 1, 0}));
    for (float distance : {1.0f, 100.0f}) {
        for (Vec3 offset : {Vec3{}, side * 0.2f, Vec3{0, 0.3f, 0}}) {
            const Vec3 worldPoint = eye + (forward + offset) * distance;
            const Vec3 local = worldPoint - Vec3{0.5f, -1, 2};  // undo the world translation
            const Vec3 screen = project(local, viewport, wvp);
            const Vec3 back = d3dxVec3Unproject(screen, viewport, projection, view, world);
            const float tolerance = 1e-4f * distance;
            EXPECT_NEAR(back.x, local.x, tolerance) << distance;
            EXPECT_NEAR(back.y, local.y, tolerance) << distance;
            EXPECT_NEAR(back.z, local.z, tolerance) << distance;
        }
    }
    // The centre of the viewport at depth 0 and 1 lies on the line of sight.
    const Vec3 nearCentre = d3dxVec3Unproject({410, 320, 0}, viewport, projection, view, Matrix4{});
    const Vec3 farCentre = d3dxVec3Unproject({410, 320, 1}, viewport, projection, view, Matrix4{});
    EXPECT_NEAR(length(nearCentre - eye), 1.0f, 1e-4f);
    EXPECT_TRUE(unitVector(farCentre - nearCentre).nearlyEqual(forward));
}

TEST(Unproject, SingularMatricesGiveTheOriginNotNaN) {
    Matrix4 flat;
    flat.m[2][2] = 0.0f;
    const Vec3 p =
        d3dxVec3Unproject({400, 300, 0.5f}, {0, 0, 800, 600, 0, 1}, flat, Matrix4{}, Matrix4{});
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_EQ(p.z, 0.0f);
}

}  // namespace
}  // namespace velmora
