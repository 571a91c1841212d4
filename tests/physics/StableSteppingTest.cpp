// Stable stepping: long frames split into sub-steps no longer than the structure allows, short
// frames run the rule unchanged (against hashes worked out once from the rules), and no
// structure left alone keeps moving or flies apart, at any frame rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "physics/Particle.h"
#include "physics/StableStepping.h"
#include "physics/StateSummary.h"
#include "scenes/BuiltInScenes.h"
#include "scenes/StressScenes.h"

namespace velmora {
namespace {

ParticleList built(const SceneDescription& scene) {
    ParticleList list;
    buildScene(scene, list);
    return list;
}

TEST(StableStepping, ShortFramesRunTheRuleUnchanged) {
    // Hashes of the states after 600 single passes, worked out once from the rules with the
    // scan over all pairs: the starting structure (8333 us is a headless pass), and a lattice
    // that lands on the floor with contacts, whose collisions go through the grid.
    for (const auto& [scene, dt, hash] :
         {std::tuple{startScene(), 1.0f / 120.0f, 0xa48b3c8ab27c721eull},
          {startScene(), 1.0f / 60.0f, 0xe86446c4215004ccull},
          {startScene(), 0.0166667f, 0x971617b4b8a78711ull},
          {startScene(), static_cast<float>(8333 * 1e-6), 0xa3a562b233a15625ull},
          {latticeScene(5, 5, 5), 1.0f / 120.0f, 0x79a6f3eefc70ace6ull}}) {
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
    // 0.9 of the stability limit, at most kLongestStep: a lattice is stiffer than the cap; in a
    // fully linked cluster of n every link's ends share n - 2 neighbours and the bound is n,
    // whether the shared ones are counted or, in a cluster too dense to count, bounded.
    EXPECT_EQ(stableStep(built(startScene())), kLongestStep);
    EXPECT_FLOAT_EQ(stableStep(built(latticeScene(5, 5, 5))), 0.015f);
    EXPECT_EQ(stableStep(built(latticeScene(5, 1, 1))), kLongestStep);
    EXPECT_FLOAT_EQ(stableStep(built(fullyLinkedScene(20))), 1.8f / (10.0f * 20.0f));
    EXPECT_FLOAT_EQ(stableStep(built(fullyLinkedScene(447))), 1.8f / (10.0f * 447.0f));
    // With a tail of 20 the cluster's structure has 40 particles: counted, its links share 18
    // neighbours and the tail's first link bounds it, 20 + 2.
    SceneDescription tailed = fullyLinkedScene(20);
    for (std::uint32_t i = 20; i < 40; ++i) {
        tailed.particles.push_back(
            {{-9.0f + 0.5f * static_cast<float>(i - 20), 9.0f, 0.0f}, {}, false});
        tailed.links.push_back({i == 20 ? 0u : i - 1, i, -1.0f});
    }
    EXPECT_FLOAT_EQ(stableStep(built(tailed)), 1.8f / (10.0f * 22.0f));

    const float h = 0.02f;
    const auto split = [h](float dt) { return splitIntoSubSteps(dt, h, kMaxSubSteps); };
    EXPECT_EQ(split(h).count, 1);
    EXPECT_EQ(split(0.05f).count, 3);
    EXPECT_EQ(split(1000.0f).count, 10);  // the rest of a stall is dropped

    // Paused, nothing moves however long the frame.
    ParticleList list = built(latticeScene(5, 5, 5));
    StableStepper stepper;
    EXPECT_EQ(stepper.advance(list, list.size(), false, 5.0f), 0.0f);
    EXPECT_EQ(stateHash(list), stateHash(built(latticeScene(5, 5, 5))));
    const float simulated = stepper.advance(list, list.size(), true, 5.0f);
    EXPECT_FLOAT_EQ(simulated, kMaxSubSteps * stepper.lastStableStep());
    // Links made between passes shorten the step at once: the centre linked to ten more.
    const float before = stepper.lastStableStep();
    for (std::size_t i = 0; i < 10; ++i) {
        list[62]->link(list[i].get(), -1.0f);
    }
    stepper.advance(list, list.size(), true, 0.5f);
    EXPECT_LT(stepper.lastStableStep(), before);
}

TEST(StableStepping, SidewaysMotionIsDampedOnceTheEnergyRisesUntilTheSceneRestarts) {
    // A string pinned at both ends with its links at half their length: its zigzag grows under
    // the rule alone, the energy rises, and from then on the step damps it away.
    ParticleList list = built(tautStringScene(10, 0.5f));
    StableStepper stepper;
    float worst = 0.0f;
    for (double simulated = 0.0; simulated < 120.0;) {
        simulated += stepper.advance(list, list.size(), true, 1.0f / 120.0f);
        worst = std::max(worst, static_cast<float>(largestSpeed(list)));
    }
    EXPECT_TRUE(stepper.dampsSideways());
    EXPECT_LT(worst, 10.0f);
    EXPECT_LT(largestSpeed(list), 0.01f);
    stepper.restart();
    EXPECT_FALSE(stepper.dampsSideways());
}

struct Structure {
    const char* name;
    SceneDescription scene;
};

void PrintTo(const Structure& structure, std::ostream* out) {
    *out << structure.name;
}

/// The frame times a structure is left alone at: display rates, a slow machine and a stall.
const float kFrameTimes[] = {1.0f / 120.0f, 1.0f / 60.0f, 0.1f, 2.0f};

class HoldsTogether : public testing::TestWithParam<std::tuple<Structure, float>> {};

TEST_P(HoldsTogether, ComesToRestIntactWithinTwoMinutes) {
    // Passes count until 120 simulated seconds, however many a long frame drops.
    const auto& [structure, dt] = GetParam();
    ParticleList list = built(structure.scene);
    StableStepper stepper;
    float worstStretch = 0.0f;
    for (double simulated = 0.0; simulated < 120.0;) {
        simulated += stepper.advance(list, list.size(), true, dt);
        worstStretch = std::max(worstStretch, static_cast<float>(largestStretch(list)));
    }
    EXPECT_LE(worstStretch, 3.0f);
    EXPECT_LE(largestSpeed(list), 20.0f);
    EXPECT_LE(kineticEnergy(list), 0.5 * static_cast<double>(list.size()));
}

std::string caseName(const testing::TestParamInfo<HoldsTogether::ParamType>& info) {
    const auto& [structure, dt] = info.param;
    const auto at = std::find(std::begin(kFrameTimes), std::end(kFrameTimes), dt);
    return std::string(structure.name) + "_" +
           std::to_string(static_cast<int>(at - std::begin(kFrameTimes)));
}

INSTANTIATE_TEST_SUITE_P(
    BuiltIn, HoldsTogether,
    testing::Combine(
        testing::Values(Structure{"start", startScene()}, Structure{"rope", ropeScene(10)},
                        Structure{"sheet", sheetScene(10, 10)},
                        // standing on its edge: columns so compressed that the particles two
                        // apart press the lowest one into the floor
                        Structure{"wall", latticeScene(10, 10, 1)},
                        // lying on the floor, where every particle bounces by a step of gravity
                        Structure{"row", latticeScene(1, 1, 10)},
                        Structure{"lattice", latticeScene(5, 5, 5)}),
        testing::ValuesIn(kFrameTimes)),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Stress, HoldsTogether,
    testing::Combine(testing::Values(Structure{"hub", hubScene(2.2f)},
                                     Structure{"tautString", tautStringScene(10, 0.5f)},
                                     Structure{"shortTautString", tautStringScene(4, 0.9f)},
                                     Structure{"tower", towerScene(9)},
                                     Structure{"pile", pileScene(4)}),
                     testing::ValuesIn(kFrameTimes)),
    caseName);

}  // namespace
}  // namespace velmora
