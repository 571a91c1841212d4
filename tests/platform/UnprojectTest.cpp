#include <gtest/gtest.h>

#include "math/Matrix4.h"
#include "platform/GpuDevice.h"

namespace velmora {
namespace {

TEST(Unproject, ProjectedPointsComeBackAtBothEndsOfTheDepthRange) {
    const Matrix4 projection = perspectiveFov(45.0f, 1.0f, 100.0f, 800.0f / 600.0f);
    const Vec3 eye{3, 4, 25};
    const Matrix4 view = lookAt(eye, {0, 0.1f, 0});
    const Vec3 shift{0.5f, -1, 2};
    const Matrix4 wvp = translation(shift) * view * projection;
    const D3DVIEWPORT9 viewport{10, 20, 800, 600, 0.0f, 1.0f};
    const Vec3 forward = unitVector(Vec3{0, 0.1f, 0} - eye);
    const Vec3 side = unitVector(forward.cross({0, 1, 0}));
    // Distances 1 and 100 put the points on the near plane (depth 0) and the far one (1).
    for (float distance : {1.0f, 100.0f}) {
        for (Vec3 offset : {Vec3{}, side * 0.2f, Vec3{0, 0.3f, 0}}) {
            const Vec3 local = eye + (forward + offset) * distance - shift;
            float clip[4];
            for (int c = 0; c < 4; ++c) {
                clip[c] = local.x * wvp.m[0][c] + local.y * wvp.m[1][c] + local.z * wvp.m[2][c] +
                          wvp.m[3][c];
            }
            // Pixels with y down, from the viewport's corner.
            const Vec3 screen{10 + (clip[0] / clip[3] + 1.0f) * 400.0f,
                              20 + (1.0f - clip[1] / clip[3]) * 300.0f, clip[2] / clip[3]};
            const Vec3 back =
                d3dxVec3Unproject(screen, viewport, projection, view, translation(shift));
            EXPECT_NEAR(back.x, local.x, 1e-4f * distance) << distance;
            EXPECT_NEAR(back.y, local.y, 1e-4f * distance) << distance;
            EXPECT_NEAR(back.z, local.z, 1e-4f * distance) << distance;
        }
    }
}

TEST(Unproject, SingularMatricesGiveTheOriginNotNaN) {
    Matrix4 flat;
    flat.m[2][2] = 0.0f;
    const Vec3 p =
        d3dxVec3Unproject({400, 300, 0.5f}, {0, 0, 800, 600, 0, 1}, flat, Matrix4{}, Matrix4{});
    EXPECT_TRUE(p.x == 0.0f && p.y == 0.0f && p.z == 0.0f) << p.x << " " << p.y << " " << p.z;
}

}  // namespace
}  // namespace velmora
