// The run report's figures against values worked out by hand.
#include <gtest/gtest.h>

#include <cfloat>

#include "physics/StateSummary.h"
#include "tests/physics/ParticleHelpers.h"

namespace velmora {
namespace {

TEST(StateSummary, EnergiesStretchAndSpeed) {
    // Kinetic 25 / 2; gravitational 9.8 * 10 above the floor; a link 10 long at rest 8 holds
    // 100 * 2^2 / 2, counted once though both ends hold it. The pinned one on the floor: 0.
    ParticleList list;
    Particle* a = add(list, {0, 0.5f, 0}, {3, 4, 0});
    Particle* b = add(list, {0, -9.5f, 0});
    b->pinned = true;
    a->link(b, 8.0f);
    EXPECT_DOUBLE_EQ(kineticEnergy(list), 12.5);
    EXPECT_NEAR(totalEnergy(list), 12.5 + 98.0 + 200.0, 1e-5);  // g is the float 9.8
    EXPECT_FLOAT_EQ(largestStretch(list), 1.25f);
    EXPECT_FLOAT_EQ(largestSpeed(list), 5.0f);
    // Speeds near the float limit stay finite in double.
    a->current.velocity = {FLT_MAX, FLT_MAX, 0};
    EXPECT_NEAR(kineticEnergy(list) / (double{FLT_MAX} * FLT_MAX), 1.0, 1e-9);
}

}  // namespace
}  // namespace velmora
