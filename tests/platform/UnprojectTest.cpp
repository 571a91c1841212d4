// Unprojection, which the picking builds its ray from. Clicks on particles in the loop's tests
// pin where it puts a point; here, singular matrices give the origin rather than NaN.
#include <gtest/gtest.h>

#include "math/Matrix4.h"
#include "platform/GpuDevice.h"
#include "tests/math/ApproxEqual.h"

namespace velmora {
namespace {

TEST(Unproject, SingularMatricesGiveTheOrigin) {
    const D3DVIEWPORT9 viewport{10, 20, 800, 600, 0.0f, 1.0f};
    Matrix4 flat;
    flat.m[2][2] = 0.0f;
    EXPECT_VEC3_NEAR(d3dxVec3Unproject({400, 300, 0.5f}, viewport, flat, Matrix4{}, Matrix4{}),
                     Vec3(), 0.0f);
}

}  // namespace
}  // namespace velmora
