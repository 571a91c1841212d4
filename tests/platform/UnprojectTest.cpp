// Unprojection, which the picking builds its ray from: projected points come back at both ends
// of the depth range, and singular matrices give the origin rather than NaN.
#include <gtest/gtest.h>

#include "math/Matrix4.h"
#include "platform/GpuDevice.h"
#include "tests/math/ApproxEqual.h"

namespace velmora {
namespace {

TEST(Unproject, ProjectedPointsComeBackAndSingularMatricesGiveTheOrigin) {
    const Matrix4 projection = perspectiveFov(45.0f, 1.0f, 100.0f, 800.0f / 600.0f);
    const Vec3 eye{3, 4, 25}, shift{0.5f, -1, 2};
    const Matrix4 view = lookAt(eye, {0, 0.1f, 0});
    const Matrix4 wvp = translation(shift) * view * projection;
    const D3DVIEWPORT9 viewport{10, 20, 800, 600, 0.0f, 1.0f};
    const Vec3 forward = unitVector(Vec3{0, 0.1f, 0} - eye);
    const Vec3 side = unitVector(forward.cross({0, 1, 0}));
    for (float distance : {1.0f, 100.0f}) {  // the near plane (depth 0) and the far one (1)
        for (Vec3 offset : {Vec3{}, side * 0.2f, Vec3{0, 0.3f, 0}}) {
            const Vec3 local = eye + (forward + offset) * distance - shift;
            float clip[4];
            for (int c = 0; c < 4; ++c) {
                clip[c] = local.x * wvp.m[0][c] + local.y * wvp.m[1][c] + local.z * wvp.m[2][c] +
                          wvp.m[3][c];
            }
            const Vec3 screen{10 + (clip[0] / clip[3] + 1.0f) * 400.0f,
                              20 + (1.0f - clip[1] / clip[3]) * 300.0f, clip[2] / clip[3]};
            EXPECT_VEC3_NEAR(
                d3dxVec3Unproject(screen, viewport, projection, view, translation(shift)), local,
                1e-4f * distance);
        }
    }
    Matrix4 flat;
    flat.m[2][2] = 0.0f;
    EXPECT_VEC3_NEAR(d3dxVec3Unproject({400, 300, 0.5f}, viewport, flat, Matrix4{}, Matrix4{}),
                     Vec3(), 0.0f);
}

}  // namespace
}  // namespace velmora
