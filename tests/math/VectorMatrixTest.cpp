// Matrix4 in the conventions of math/: row vectors, the left operand of a product first;
// translations, rotations and products reach the picture through every drawing test.
#include <gtest/gtest.h>

#include "math/Matrix4.h"
#include "math/Vec3.h"
#include "tests/math/ApproxEqual.h"

namespace velmora {
namespace {

TEST(Matrix4, ProjectionViewAndReflections) {
    // The field of view goes through D3DX's degree factor, not the exact one.
    const Matrix4 p = perspectiveFov(60, 0.01f, 2000, 4.0f / 3.0f);
    EXPECT_NEAR(p.m[1][1], 1.732086f, 2e-6f);  // 1.732051 with the exact degree factor
    EXPECT_NEAR(p.m[2][2], -1.000005f, 1e-6f);
    EXPECT_NEAR(p.m[3][2], -0.01000005f, 1e-8f);
    // Any eye maps to the origin and its target onto -z.
    const Vec3 eye(3, 4, 5), target(-1, 2, -7);
    const Matrix4 w = lookAt(eye, target);
    EXPECT_VEC3_NEAR(transformRow(eye, w), Vec3(), 1e-5f);
    EXPECT_VEC3_NEAR(transformRow(target, w), Vec3(0, 0, -length(target - eye)), 1e-5f);
    // A reflection mirrors across the plane whose normal it is given; no normal, no change.
    EXPECT_VEC3_NEAR(transformColumn(reflection({2, 2, 0}), {1, 0, 0}), Vec3(0, -1, 0), 1e-6f);
    EXPECT_EQ(reflection({0, 0, 0}), Matrix4());
}

}  // namespace
}  // namespace velmora
