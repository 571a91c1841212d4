// Stable stepping: long frames split into sub-steps no longer than the structure allows, and
// short frames run the rule unchanged, against hashes worked out once from the rules.
#include <gtest/gtest.h>

#include <tuple>

#include "physics/Particle.h"
#include "physics/StableStepping.h"
#include "physics/StateSummary.h"
#include "scenes/BuiltInScenes.h"

namespace velmora {
namespace {

ParticleList built(const SceneDescription& scene) {
    ParticleList list;
    buildScene(scene, list);
    return list;
}

/// Every free particle set moving in a random direction at up to 2 units/s, so every spring
/// mode starts with some energy; the random stream is fixed, integer and platform-independent.
void shake(ParticleList& list) {
    std::uint32_t state = 12345u;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 24) * 4.0f - 2.0f;
    };
    for (const auto& p : list) {
        if (!p->pinned) {
            p->current.velocity = p->next.velocity = Vec3(next(), next(), next());
        }
    }
}

TEST(StableStepping, StructuresStayIntactAtAnyFrameTime) {
    // The lattice has no shear stiffness: shaken, it folds at any frame time.
    for (const auto& [scene, shaken, dt] : {std::tuple{startScene(), true, 0.04f},
                                            {startScene(), true, 0.5f},
                                            {startScene(), true, 2.0f},
                                            {latticeScene(5, 5, 5), false, 0.1f}}) {
        ParticleList list = built(scene);
        if (shaken) {
            shake(list);
        }
        StableStepper stepper;
        float stretch = 0.0f, speed = 0.0f;
        for (int pass = 0; pass < static_cast<int>(60.0f / dt); ++pass) {
            stepper.advance(list, list.size(), true, dt);
            stretch = std::max(stretch, largestStretch(list));
            speed = std::max(speed, largestSpeed(list));
        }
        EXPECT_LE(stretch, 1.5f) << scene.particles.size() << " particles at dt " << dt;
        EXPECT_LE(speed, 30.0f) << scene.particles.size() << " particles at dt " << dt;
    }
}

TEST(StableStepping, ShortFramesRunTheRuleUnchanged) {
    // Hashes of the states after 600 single passes, worked out once from the rules with the
    // scan over all pairs: the starting structure (8333 us is a headless pass), and a lattice
    // that lands on the floor with contacts, whose collisions go through the grid.
    for (const auto& [scene, dt, hash] :
         {std::tuple{startScene(), 1.0f / 120.0f, 0xa48b3c8ab27c721eull},
          {startScene(), 1.0f / 60.0f, 0xe86446c4215004ccull},
          {startScene(), static_cast<float>(8333 * 1e-6), 0xa3a562b233a15625ull},
          {latticeScene(5, 5, 5), 1.0f / 120.0f, 0xd37803b28d3e83f7ull}}) {
        ParticleList list = built(scene);
        StableStepper stepper;
        for (int pass = 0; pass < 600; ++pass) {
            stepper.advance(list, list.size(), true, dt);
            ASSERT_EQ(stepper.lastSubSteps(), 1);
        }
        EXPECT_EQ(stateHash(list), hash) << dt;
    }
}

TEST(StableStepping, StepShrinksWithLinkDensityAndLongFramesSplitUpToTheCap) {
    // 0.9 of the stability limit: longer than a 60 Hz frame for the starting structure,
    // shorter for a lattice, which is stiffer; a chain gets the longest.
    EXPECT_FLOAT_EQ(stableStep(built(startScene())), 0.018f);
    EXPECT_FLOAT_EQ(stableStep(built(latticeScene(5, 5, 5))), 0.015f);
    EXPECT_EQ(stableStep(built(latticeScene(5, 1, 1))), kUnlinkedStableStep);

    const float h = 0.02f;
    const auto split = [h](float dt) { return splitIntoSubSteps(dt, h, kMaxSubSteps); };
    EXPECT_EQ(split(h).count, 1);
    EXPECT_EQ(split(0.05f).count, 3);
    EXPECT_EQ(split(1000.0f).count, 10);  // the rest of a stall is dropped

    // Paused, nothing moves however long the frame.
    ParticleList list = built(latticeScene(2, 2, 2));
    StableStepper stepper;
    EXPECT_EQ(stepper.advance(list, list.size(), false, 5.0f), 0.0f);
    EXPECT_EQ(stateHash(list), stateHash(built(latticeScene(2, 2, 2))));
    const float simulated = stepper.advance(list, list.size(), true, 5.0f);
    EXPECT_FLOAT_EQ(simulated, kMaxSubSteps * stepper.lastStableStep());
    // A link made between passes shortens the step at once.
    const float before = stepper.lastStableStep();
    list[0]->link(list[7].get(), -1.0f);
    stepper.advance(list, list.size(), true, 0.5f);
    EXPECT_LT(stepper.lastStableStep(), before);
}

}  // namespace
}  // namespace velmora
