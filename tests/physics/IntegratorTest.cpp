#include <gtest/gtest.h>

#include <vector>

#include "physics/Integrator.h"
#include "tests/math/ApproxEqual.h"

namespace velmora {
namespace {

// Exponential growth: the position's derivative is the position itself.
ParticleState growth(float, ParticleState y) {
    return {y.position, Vec3()};
}

// d/dt of position x is 4 t^3; the call times are logged (a plain function has no context).
int calls = 0;
float times[4] = {};
ParticleState quartic(float t, ParticleState) {
    times[calls++ % 4] = t;
    return {{4 * t * t * t, 0, 0}, Vec3()};
}

TEST(Integrator, FourthOrderWeightsStageTimesAndZeroStep) {
    const ParticleState y{{1, -2, 0.5f}, {3, 3, 3}};
    const ParticleState d = integrateRK4(y, 0.0f, 1.0f, growth);
    // 1 + 1/2 + 1/6 + 1/24, not a lower-order rule.
    EXPECT_VEC3_NEAR(d.position, y.position * (41.0f / 24.0f), 1e-6f);
    EXPECT_VEC3_NEAR(d.velocity, Vec3(), 0.0f);

    calls = 0;
    const ParticleState q = integrateRK4({}, 1.0f, 2.0f, quartic);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(std::vector<float>(times, times + 4), (std::vector<float>{1, 2, 2, 3}));
    EXPECT_NEAR(q.position.x, 80.0f, 1e-4f);  // Simpson's rule is exact for 3^4 - 1^4

    const ParticleState zero = integrateRK4({{4, 5, 6}, {-1, 2, -3}}, 3.0f, 0.0f, growth);
    EXPECT_VEC3_NEAR(zero.position, Vec3(), 0.0f);
    EXPECT_VEC3_NEAR(zero.velocity, Vec3(), 0.0f);
}

}  // namespace
}  // namespace velmora
