// Matrix4 in the conventions of math/: row vectors, the left operand of a product first.
#include <gtest/gtest.h>

#include "math/Conventions.h"
#include "math/Matrix4.h"
#include "math/Vec3.h"
#include "tests/math/ApproxEqual.h"

namespace velmora {
namespace {

TEST(Matrix4, TransformsProductsAndReflections) {
    const Matrix4 t = translation({10, 20, 30});
    EXPECT_VEC3_NEAR(transformRow({1, 2, 3}, t), Vec3(11, 22, 33), 0.0f);
    EXPECT_VEC3_NEAR(transformColumn(t, {1, 2, 3}), Vec3(1, 2, 3), 0.0f);
    EXPECT_VEC3_NEAR(transformRow({1, 0, 0}, rotationY(kPi / 2)), Vec3(0, 0, -1), 1e-5f);
    EXPECT_VEC3_NEAR(transformRow({0, 1, 0}, rotationX(kPi / 2)), Vec3(0, 0, 1), 1e-5f);
    EXPECT_MATRIX4_NEAR(rotationAxis({0, 2, 0}, 0.4f), transpose(rotationY(0.4f)), 1e-6f);

    // A product applies its left operand first; in place it may alias its right operand.
    const Matrix4 a = rotationX(0.3f) * t;
    const Matrix4 b = rotationZ(-1.1f) * translation({-4, 0.5f, 2});
    const Vec3 p(0.7f, -1.3f, 2.1f);
    EXPECT_VEC3_NEAR(transformRow(p, a * b), transformRow(transformRow(p, a), b), 1e-4f);
    Matrix4 aliased = a;
    aliased *= aliased;
    EXPECT_EQ(aliased, a * a);

    // A reflection mirrors across the plane whose normal it is given; no normal, no change.
    EXPECT_VEC3_NEAR(transformColumn(reflection({2, 2, 0}), {1, 0, 0}), Vec3(0, -1, 0), 1e-6f);
    EXPECT_EQ(reflection({0, 0, 0}), Matrix4());
}

TEST(Matrix4, ProjectionAndView) {
    const Matrix4 p = perspectiveFov(60, 0.01f, 2000, 4.0f / 3.0f);
    EXPECT_NEAR(p.m[1][1], 1.732086f, 2e-6f);  // 1.732051 with the exact degree factor
    EXPECT_NEAR(p.m[0][0], 1.299064f, 2e-6f);
    EXPECT_NEAR(p.m[2][2], -1.000005f, 1e-6f);
    EXPECT_NEAR(p.m[3][2], -0.01000005f, 1e-8f);
    EXPECT_EQ(p.m[2][3], -1.0f);
    // Any eye maps to the origin and its target onto -z.
    const Vec3 eye(3, 4, 5), target(-1, 2, -7);
    const Matrix4 w = lookAt(eye, target);
    EXPECT_VEC3_NEAR(transformRow(eye, w), Vec3(), 1e-5f);
    EXPECT_VEC3_NEAR(transformRow(target, w), Vec3(0, 0, -length(target - eye)), 1e-5f);
}

}  // namespace
}  // namespace velmora
