// Whole passes against values worked out by hand.
#include <gtest/gtest.h>

#include <cfloat>

#include "physics/Simulation.h"
#include "scenes/BuiltInScenes.h"
#include "tests/math/ApproxEqual.h"
#include "tests/physics/ParticleHelpers.h"

namespace velmora {
namespace {

TEST(SimulationPass, PausedCommitsCountLimitsAndStepCollideInterleave) {
    ParticleList list;
    add(list, {0, 0, 0});
    add(list, {1.5f, 0, 0})->next.position = {1.5f, 3, 0};  // a drag while paused shows at once
    simulationPass(list, false, 0.1f);
    EXPECT_VEC3_NEAR(list[0]->current.position, Vec3(), 0.0f);
    EXPECT_VEC3_NEAR(list[1]->current.position, Vec3(1.5f, 3, 0), 0.0f);
    simulationPass(list, 1, true, 0.1f);  // particle 1 came after the count was taken
    EXPECT_VEC3_NEAR(list[1]->current.position, Vec3(1.5f, 3, 0), 0.0f);
    EXPECT_VEC3_NEAR(list[1]->current.velocity, Vec3(), 0.0f);

    // Particle 0 meets particle 1 before 1 is stepped and takes the whole push; the bounce it
    // gives 1 is overwritten by 1's own step, a free fall.
    list[0]->current = list[0]->next = {};
    list[1]->current = list[1]->next = {{1.5f, 0, 0}, {}};
    simulationPass(list, true, 0.01f);
    EXPECT_VEC3_NEAR(list[0]->current.position, Vec3(-0.75f, -0.000735f, 0), 1e-6f);
    EXPECT_VEC3_NEAR(list[1]->current.position, Vec3(1.5f, -0.00049f, 0), 1e-6f);
    EXPECT_VEC3_NEAR(list[1]->current.velocity, Vec3(0, -0.098f, 0), 1e-6f);
}

TEST(SimulationPass, FiniteStatesStayFiniteUnderAnyFiniteFrameTime) {
    // Huge stalls among normal frames, and frames too long for the springs: the structure
    // diverges, but its velocities saturate at the float limit instead of turning inf or NaN.
    for (float dt : {1e30f, FLT_MAX, 0.1f}) {
        ParticleList list;
        buildScene(startScene(), list);
        for (int f = 0; f < 300; ++f) {
            simulationPass(list, true, dt == 0.1f || f == 100 ? dt : 0.016f);
        }
        for (const auto& p : list) {
            EXPECT_TRUE(allFinite(*p)) << dt;
        }
    }
    // From rest, dt 1e30: the fall overflows, the bounce off the floor keeps a finite speed.
    ParticleList one;
    add(one, {});
    simulationPass(one, true, 1e30f);
    EXPECT_VEC3_NEAR(one[0]->current.position, Vec3(0, -9.5f, 0), 0.0f);
    EXPECT_NEAR(one[0]->current.velocity.y, 0.9f * 9.8e30f, 1e25f);
    simulationPass(one, true, 1e30f);
    EXPECT_EQ(one[0]->current.velocity.y, FLT_MAX * 0.9f);

    // A bounce off a particle whose exact result exceeds the float range saturates.
    ParticleList pair;
    add(pair, {0, 0, 0}, {FLT_MAX, -FLT_MAX, 0});
    add(pair, {0.5f, 1, 0});
    pair[0]->collide(pair);
    EXPECT_NEAR(pair[0]->next.velocity.x / FLT_MAX, 0.9f, 1e-6f);
    EXPECT_NEAR(pair[0]->next.velocity.y / FLT_MAX, -0.18f, 1e-6f);
}

}  // namespace
}  // namespace velmora
