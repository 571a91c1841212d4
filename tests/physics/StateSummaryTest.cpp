// The run report's figures against values worked out by hand.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

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
    EXPECT_DOUBLE_EQ(largestStretch(list), 1.25);
    EXPECT_DOUBLE_EQ(largestSpeed(list), 5.0);
    // Figures of finite states stay finite: speeds whose square overflows a float, a rest
    // length so small the ratio does.
    a->current.velocity = {FLT_MAX, FLT_MAX, 0};
    a->links[0].restLength = b->links[0].restLength = 1e-45f;
    EXPECT_NEAR(kineticEnergy(list) / (double{FLT_MAX} * FLT_MAX), 1.0, 1e-9);
    EXPECT_NEAR(largestSpeed(list) / FLT_MAX, std::sqrt(2.0), 1e-9);
    EXPECT_TRUE(std::isfinite(largestStretch(list)));
}

}  // namespace
}  // namespace velmora
