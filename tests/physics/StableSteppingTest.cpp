#include <gtest/gtest.h>

#include <cmath>

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

/// One particle linked to 12 others on a sphere of radius 3 around it, in three rings.
SceneDescription hubOfTwelve() {
    SceneDescription scene;
    scene.particles.push_back({Vec3(), Vec3(), false});
    for (int i = 0; i < 12; ++i) {
        const float around = 0.5235988f * static_cast<float>(i);
        const float up = 0.7f * static_cast<float>(i % 3 - 1);
        const Vec3 direction(std::cos(around) * std::cos(up), std::sin(up),
                             std::sin(around) * std::cos(up));
        scene.particles.push_back({direction * 3.0f, Vec3(), false});
        scene.links.push_back({0, static_cast<std::uint32_t>(i + 1)});
    }
    return scene;
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
    struct Case {
        const char* name;
        SceneDescription scene;
        bool shaken;  ///< the lattice has no shear stiffness: shaken, it folds at any dt
        float dt;
    };
    const Case cases[] = {
        {"start", startScene(), true, 0.04f},       {"start", startScene(), true, 0.5f},
        {"start", startScene(), true, 2.0f},        {"lattice", latticeScene(5, 5, 5), false, 0.1f},
        {"hub", hubOfTwelve(), true, 1.0f / 30.0f}, {"hub", hubOfTwelve(), true, 2.0f}};
    for (const Case& c : cases) {
        ParticleList list = built(c.scene);
        if (c.shaken) {
            shake(list);
        }
        StableStepper stepper;
        float stretch = 0.0f, speed = 0.0f;
        for (int pass = 0; pass < static_cast<int>(60.0f / c.dt); ++pass) {
            stepper.advance(list, list.size(), true, c.dt);
            stretch = std::max(stretch, largestStretch(list));
            speed = std::max(speed, largestSpeed(list));
        }
        EXPECT_LE(stretch, 1.5f) << c.name << " at dt " << c.dt;
        EXPECT_LE(speed, 30.0f) << c.name << " at dt " << c.dt;
    }
}

TEST(StableStepping, ShortFramesRunTheRuleUnchanged) {
    // Hashes of the states after 600 single passes, worked out once from the rules with the
    // scan over all pairs: the starting structure (8333 us is a headless pass), and a lattice
    // that lands on the floor with contacts, whose collisions go through the grid.
    struct Case {
        SceneDescription scene;
        float dt;
        std::uint64_t hash;
    };
    const Case cases[] = {
        {startScene(), 1.0f / 120.0f, 0xa48b3c8ab27c721eull},
        {startScene(), 1.0f / 60.0f, 0xe86446c4215004ccull},
        {startScene(), static_cast<float>(8333 * 1e-6), 0xa3a562b233a15625ull},
        {latticeScene(5, 5, 5), 1.0f / 120.0f, 0xd37803b28d3e83f7ull},
    };
    for (const Case& c : cases) {
        ParticleList list = built(c.scene);
        StableStepper stepper;
        for (int pass = 0; pass < 600; ++pass) {
            stepper.advance(list, list.size(), true, c.dt);
            ASSERT_EQ(stepper.lastSubSteps(), 1);
        }
        EXPECT_EQ(stateHash(list), c.hash) << c.dt;
    }
}

TEST(StableStepping, StepShrinksWithLinkDensityAndLongFramesSplitUpToTheCap) {
    // A 60 Hz display runs the starting structure one pass per frame; a lattice and a hub,
    // stiffer, get shorter steps; a chain is loose enough for the longest.
    EXPECT_GE(stableStep(built(startScene())), 1.0f / 60.0f);
    EXPECT_LT(stableStep(built(latticeScene(5, 5, 5))), stableStep(built(startScene())));
    EXPECT_LT(stableStep(built(hubOfTwelve())), stableStep(built(latticeScene(5, 5, 5))));
    EXPECT_EQ(stableStep(built(latticeScene(5, 1, 1))), kUnlinkedStableStep);

    const float h = 0.02f;
    const auto split = [h](float dt) { return splitIntoSubSteps(dt, h, kMaxSubSteps); };
    EXPECT_EQ(split(h).count, 1);
    EXPECT_EQ(split(0.05f).count, 3);
    EXPECT_FLOAT_EQ(split(0.05f).length, 0.05f / 3.0f);
    EXPECT_EQ(split(1000.0f).count, 10);  // the rest of a stall is dropped
    EXPECT_EQ(split(1000.0f).length, h);

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
