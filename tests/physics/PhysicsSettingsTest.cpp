// Each physics setting changes what it should and nothing else, against values worked out by
// hand, and no setting within its range makes a structure blow up at any frame rate.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/ContactGrid.h"
#include "physics/Simulation.h"
#include "physics/StableStepping.h"
#include "physics/StateSummary.h"
#include "scenes/BuiltInScenes.h"
#include "tests/math/ApproxEqual.h"
#include "tests/physics/ParticleHelpers.h"

namespace velmora {
namespace {

PhysicsSettings weightless() {
    PhysicsSettings s;
    s.gravity = {};
    s.airDrag = 0.0f;
    return s;
}

TEST(PhysicsSettings, GravityDragAndBouncesEachDoWhatTheySay) {
    // No gravity: a particle at rest stays where it is, to the bit, drag or not.
    ParticleList still;
    add(still, {1.5f, 2.5f, -3.0f});
    PhysicsSettings zeroGravity;
    zeroGravity.gravity = {};
    for (int pass = 0; pass < 600; ++pass)
        simulationPass(still, still.size(), true, 1.0f / 60.0f, 0.0f, zeroGravity);
    EXPECT_VEC3_NEAR(still[0]->current.position, Vec3(1.5f, 2.5f, -3.0f), 0.0f);
    EXPECT_VEC3_NEAR(still[0]->current.velocity, Vec3(), 0.0f);

    // Without drag a falling particle keeps its kinetic plus gravitational energy: a second
    // from 9 above the floor and 8.5 from the wall a slanted gravity pulls it towards.
    ParticleList falling;
    add(falling, {1.0f, 9.0f, 0.0f}, {1.0f, 0.0f, 0.0f});
    PhysicsSettings slanted;
    slanted.gravity = {2.0f, -9.8f, 0.0f};
    slanted.airDrag = 0.0f;
    const double start = totalEnergy(falling, slanted.gravity);
    EXPECT_NEAR(start, 0.5 + 9.8 * 18.5 + 2.0 * 8.5, 1e-4);
    for (int pass = 0; pass < 60; ++pass)
        simulationPass(falling, falling.size(), true, 1.0f / 60.0f, 0.0f, slanted);
    EXPECT_NEAR(falling[0]->current.position.y, 9.0f - 4.9f, 1e-4f);
    EXPECT_NEAR(totalEnergy(falling, slanted.gravity), start, start * 1e-6);
    // With the described drag the same fall loses energy.
    ParticleList dragged;
    add(dragged, {1.0f, 9.0f, 0.0f}, {1.0f, 0.0f, 0.0f});
    slanted.airDrag = 0.1f;
    for (int pass = 0; pass < 60; ++pass)
        simulationPass(dragged, dragged.size(), true, 1.0f / 60.0f, 0.0f, slanted);
    EXPECT_LT(totalEnergy(dragged, slanted.gravity), start - 1.0);

    // A wall gives back what the setting keeps: 10 units/s into the floor comes back as 5.
    PhysicsSettings halfBounce = weightless();
    halfBounce.wallBounceKeep = 0.5f;
    Particle floor({0.0f, -9.4f, 0.0f});
    floor.current.velocity = {0.0f, -10.0f, 0.0f};
    floor.step(0.1f, 0.0f, halfBounce);
    EXPECT_VEC3_NEAR(floor.next.position, Vec3(0.0f, -9.5f, 0.0f), 0.0f);
    EXPECT_VEC3_NEAR(floor.next.velocity, Vec3(0.0f, 5.0f, 0.0f), 0.0f);

    // Two particles meeting head on leave with a quarter of their speeds.
    Particle a({0.0f, 0.0f, 0.0f}), b({1.5f, 0.0f, 0.0f});
    a.next.velocity = {1.0f, 0.0f, 0.0f};
    b.next.velocity = {-1.0f, 0.0f, 0.0f};
    ASSERT_TRUE(a.collideWith(b, 0.25f));
    EXPECT_VEC3_NEAR(a.next.velocity, Vec3(-0.25f, 0.0f, 0.0f), 0.0f);
    EXPECT_VEC3_NEAR(b.next.velocity, Vec3(0.25f, 0.0f, 0.0f), 0.0f);
    // So in a pass, scanned over all pairs or through the grid (with 70 more, far apart): the
    // first bounces and is pushed clear; the second's own step then takes it on as it came.
    PhysicsSettings quarterBounce = weightless();
    quarterBounce.contactBounceKeep = 0.25f;
    for (const int more : {0, 70}) {
        ParticleList pair;
        add(pair, {0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f});
        add(pair, {1.5f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f});
        for (int i = 0; i < more; ++i)
            add(pair, {-9.0f + 2.5f * static_cast<float>(i % 8), 5.0f, -9.0f + 2.5f * (i / 8)});
        ContactGrid grid;
        simulationPass(pair, pair.size(), true, 0.0f, grid, 0.0f, quarterBounce);
        EXPECT_VEC3_NEAR(pair[0]->current.velocity, Vec3(-0.25f, 0.0f, 0.0f), 0.0f) << more;
        EXPECT_VEC3_NEAR(pair[1]->current.velocity, Vec3(-1.0f, 0.0f, 0.0f), 0.0f) << more;
    }
}

TEST(PhysicsSettings, StifferLinksStretchLessUnderTheSameLoad) {
    // A particle hanging from a pinned one on a link of rest 2 comes to rest g / k below it:
    // 0.098 at the described stiffness, a tenth of that at 1000.
    for (const auto& [stiffness, stretch] : {std::pair{100.0f, 0.098f}, {1000.0f, 0.0098f}}) {
        SceneDescription scene;
        scene.particles = {{{0, 5, 0}, {}, true}, {{0, 3, 0}, {}, false}};
        scene.links = {{0, 1, 2.0f}};
        PhysicsSettings settings;
        settings.linkStiffness = stiffness;
        scene.settings = settings;
        ParticleList list;
        buildScene(scene, list);
        StableStepper stepper;
        for (int pass = 0; pass < 1800; ++pass)
            stepper.advance(list, list.size(), true, 1.0f / 60.0f, settings);
        EXPECT_NEAR(list[1]->current.position.y, 3.0f - stretch, 2e-5f) << stiffness;
        EXPECT_NEAR(totalEnergy(list),
                    9.8 * (3.0 - stretch + 9.5) + 9.8 * 14.5 + 0.5 * stiffness * stretch * stretch,
                    1e-2);
    }
}

TEST(PhysicsSettings, TheStableStepFollowsTheLinksAndGravity) {
    // Two particles on one link: L = 2. Described links: 0.9 * 2 / (10 * 2) is beyond the cap.
    // Stiffness 10,000: 0.9 * 2 * 10 / 10,000. Damping 1000: 0.9 * 2 / (1000 * 2).
    const auto pair = [](float stiffness, float damping) {
        ParticleList list;
        add(list, {0, 0, 0});
        add(list, {2, 0, 0});
        list[0]->link(list[1].get(), -1.0f, stiffness, damping);
        return list;
    };
    EXPECT_EQ(stableStep(pair(100.0f, 10.0f)), kLongestStep);
    EXPECT_FLOAT_EQ(stableStep(pair(10000.0f, 10.0f)), 0.0018f);
    EXPECT_FLOAT_EQ(stableStep(pair(100.0f, 1000.0f)), 0.0009f);
    EXPECT_EQ(stableStep(pair(0.0f, 10.0f)), kLongestStep);
    // A stiffer link made where there was a softer one is seen at the next pass.
    ParticleList list = pair(100.0f, 10.0f);
    StableStepper stepper;
    stepper.advance(list, list.size(), true, 1.0f / 60.0f);
    EXPECT_EQ(stepper.lastSubSteps(), 1);
    for (const auto& p : list)
        p->links[0].stiffness = 10000.0f;
    stepper.advance(list, list.size(), true, 1.0f / 60.0f);
    EXPECT_FLOAT_EQ(stepper.lastStableStep(), 0.0018f);
    EXPECT_EQ(stepper.lastSubSteps(), 10);
    // Gravity stronger than the Earth's shortens the longest step by the root of how much.
    EXPECT_EQ(longestStep({0.0f, -9.8f, 0.0f}), kLongestStep);
    EXPECT_EQ(longestStep({3.0f, 0.0f, 4.0f}), kLongestStep);
    EXPECT_FLOAT_EQ(longestStep({0.0f, 100.0f, 0.0f}), 0.017f * std::sqrt(0.098f));
    ParticleList heavy;
    add(heavy, {0, 0, 0});
    PhysicsSettings jupiterSquared;
    jupiterSquared.gravity = {0.0f, -100.0f, 0.0f};
    stepper.restart();
    stepper.advance(heavy, heavy.size(), true, 1.0f / 60.0f, jupiterSquared);
    EXPECT_EQ(stepper.lastSubSteps(), 4);
}

TEST(PhysicsSettings, StiffLinksOrStrongGravityNeverBlowUpAtAnyFrameRate) {
    PhysicsSettings stiff, heavy;
    stiff.linkStiffness = kStiffnessRange.most;
    heavy.gravity = {0.0f, kGravityRange.least, 0.0f};
    for (const SceneDescription& scene : {startScene(), latticeScene(3, 3, 3)}) {
        for (const PhysicsSettings& settings : {stiff, heavy}) {
            for (const float dt : {1.0f / 120.0f, 1.0f / 60.0f, 0.1f, 2.0f}) {
                SceneDescription s = scene;
                s.settings = settings;
                ParticleList list;
                buildScene(s, list);
                StableStepper stepper;
                double worstSpeed = 0.0, worstStretch = 0.0;
                for (float simulated = 0.0f; simulated < 20.0f;) {
                    simulated += stepper.advance(list, list.size(), true, dt, settings);
                    worstSpeed = std::max(worstSpeed, largestSpeed(list));
                    worstStretch = std::max(worstStretch, largestStretch(list));
                }
                // A drop from the ceiling under gravity 100 lands at about 62 units/s.
                EXPECT_LT(worstSpeed, 70.0) << dt << " " << settings.linkStiffness;
                EXPECT_LT(worstStretch, 2.0) << dt << " " << settings.linkStiffness;
            }
        }
    }
}

}  // namespace
}  // namespace velmora
