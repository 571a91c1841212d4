#pragma once
// EXPECT_NEAR for the math value types: every component within an absolute tolerance.
#include <gtest/gtest.h>

#include <cmath>

#include "math/Matrix4.h"
#include "math/Vec3.h"

namespace velmora::test {

inline ::testing::AssertionResult near(const float* a, const float* b, int count, float tolerance) {
    for (int i = 0; i < count; ++i) {
        if (!(std::fabs(a[i] - b[i]) <= tolerance)) {
            return ::testing::AssertionFailure() << "component " << i << ": " << a[i] << " vs "
                                                 << b[i] << ", tolerance " << tolerance;
        }
    }
    return ::testing::AssertionSuccess();
}
inline ::testing::AssertionResult near(const Vec3& a, const Vec3& b, float tolerance) {
    const float av[3] = {a.x, a.y, a.z}, bv[3] = {b.x, b.y, b.z};
    return near(av, bv, 3, tolerance);
}
inline ::testing::AssertionResult near(const Matrix4& a, const Matrix4& b, float tolerance) {
    return near(a.data(), b.data(), 16, tolerance);
}

}  // namespace velmora::test

#define EXPECT_VEC3_NEAR(a, b, tolerance) \
    EXPECT_TRUE(::velmora::test::near(a, b, tolerance)) << #a " vs " #b
#define EXPECT_MATRIX4_NEAR(a, b, tolerance) \
    EXPECT_TRUE(::velmora::test::near(a, b, tolerance)) << #a " vs " #b
