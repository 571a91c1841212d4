// The contact grid against the scan over all pairs, bit for bit, in crowded scenes.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include "physics/ContactGrid.h"
#include "physics/Particle.h"
#include "physics/Simulation.h"
#include "scenes/SceneDescription.h"

namespace velmora {
namespace {

bool sameBits(const ParticleState& a, const ParticleState& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A crowd far denser than the particles' size allows, so pushes carry particles across cells
// and chain through the scan; some pinned, some linked, some in the box's corners, a pile-up;
// pinned ones past the walls, far outside, at the float limit and not finite at all.
SceneDescription crowdedScene(std::mt19937& random) {
    // From integer arithmetic, so every platform draws the same scene.
    const auto uniform = [&](float low, float high) {
        return low + (high - low) * static_cast<float>(random() % 10001u) * 1e-4f;
    };
    const auto around = [&](Vec3 c, float r) {
        return Vec3(uniform(c.x - r, c.x + r), uniform(c.y - r, c.y + r),
                    uniform(c.z - r, c.z + r));
    };
    SceneDescription scene;
    const Vec3 centre = around({}, 6.5f);
    for (int i = 0; i < 70; ++i) {
        scene.particles.push_back({around(centre, 3.0f), around({}, 5.0f), random() % 7 == 0});
    }
    for (int i = 0; i < 12; ++i) {
        const auto side = [&] { return random() % 2 ? 9.5f : -9.5f; };
        scene.particles.push_back({around({side(), side(), side()}, 1.2f), {}, i % 3 == 0});
    }
    for (int i = 0; i < 6; ++i) {
        scene.particles.push_back({around({10.5f, 0, 0}, 2.0f), {}, true});
    }
    for (int i = 0; i < 4; ++i) {
        scene.particles.push_back({around({1e6f, -1e6f, 3e5f}, 1.0f), {}, true});
    }
    // Pile-ups: more particles at nearly one point than a scan resolves, three exactly there;
    // the second pile is an eighth of the list, which the grid meets in list order.
    for (const int size : {17, 30}) {
        const Vec3 pile = around({}, 5.0f);
        for (int i = 0; i < size; ++i) {
            scene.particles.push_back({i < 3 ? pile : around(pile, 0.4f), {}, false});
        }
    }
    for (Vec3 p : {Vec3(FLT_MAX, -FLT_MAX, 0), Vec3(FLT_MAX, -FLT_MAX, 1.5f), Vec3(-FLT_MAX, 3, 0),
                   Vec3(INFINITY, 0, 0), Vec3(NAN, 0, 0)}) {
        scene.particles.push_back({p, {1, 2, 3}, true});
    }
    for (int i = 0; i < 30; ++i) {
        const std::uint32_t a = random() % 72, b = (a + 1 + random() % 71) % 72;
        scene.links.push_back({a, b, random() % 2 ? -1.0f : uniform(0.5f, 4.0f)});
    }
    return scene;
}

TEST(ContactGrid, APileUpResolvesOnlyWhatTouchedWhereTheScanBeganAndAtMostSixteen) {
    // On the grid as over all pairs: pushed from 0 to -0.75 by the first of the ones at 1.5,
    // the scanning particle comes within reach of the one at -2.5, which it meets only when
    // fewer than kMostContactsPerScan touched it at first. And among particles at its very
    // point it bounces off sixteen, keeping 0.9 of its speed each.
    for (const bool onGrid : {false, true}) {
        for (const int crowd : {kMostContactsPerScan - 1, kMostContactsPerScan}) {
            ParticleList list;
            list.push_back(std::make_unique<Particle>(Vec3(0, 0, 0)));
            for (int i = 0; i < crowd; ++i) {
                list.push_back(std::make_unique<Particle>(Vec3(1.5f, 0, 0)));
            }
            list.push_back(std::make_unique<Particle>(Vec3(-2.5f, 0, 0)));
            // Out of reach, so the list is long enough for the grid.
            while (list.size() < ContactGrid::kFewestParticles) {
                list.push_back(std::make_unique<Particle>(Vec3(8, 8, 8)));
            }
            ContactGrid grid;
            grid.rebuild(list);
            onGrid ? grid.collide(list, 0) : list[0]->collide(list);
            EXPECT_FLOAT_EQ(list[0]->next.position.x,
                            crowd < kMostContactsPerScan ? -0.75f + 0.4375f : -0.75f)
                << crowd << onGrid;
        }
    }
    // Twenty at one point among the far ones are met through the cells, the whole list at one
    // point in list order.
    for (const std::size_t atOnePoint : {std::size_t{20}, ContactGrid::kFewestParticles}) {
        ParticleList same;
        for (std::size_t i = 0; i < ContactGrid::kFewestParticles; ++i) {
            same.push_back(
                std::make_unique<Particle>(i < atOnePoint ? Vec3(1, 2, 3) : Vec3(8, 8, 8)));
        }
        same[0]->next.velocity = {1, 0, 0};
        ContactGrid grid;
        grid.rebuild(same);
        grid.collide(same, 0);
        EXPECT_FLOAT_EQ(same[0]->next.velocity.x, std::pow(0.9f, 16.0f)) << atOnePoint;
    }
}

TEST(ContactGrid, MatchesTheAllPairsScanBitForBitEveryPass) {
    std::mt19937 random(7301u);
    for (int trial = 0; trial < 6; ++trial) {
        const SceneDescription scene = crowdedScene(random);
        ParticleList scanned, gridded;
        buildScene(scene, scanned);
        buildScene(scene, gridded);
        ContactGrid grid;
        const std::size_t n = scanned.size();
        ASSERT_GE(n, ContactGrid::kFewestParticles);
        for (int pass = 0; pass < 300 && !HasFailure(); ++pass) {
            if (pass % 17 == 5) {  // a drag between passes, which the grid has not seen
                const std::size_t k = random() % 72;
                scanned[k]->next.position = gridded[k]->next.position =
                    scanned[(k + 1) % 72]->next.position;
            }
            // Mostly display rate, sometimes long frames; sometimes the last ten particles came
            // after the count was taken.
            const float dt = pass % 7 == 3 ? 0.1f : pass % 50 == 20 ? 0.5f : 1.0f / 60.0f;
            const std::size_t count = pass % 11 == 4 ? n - 10 : n;
            simulationPass(scanned, count, true, dt);
            simulationPass(gridded, count, true, dt, grid);
            for (std::size_t i = 0; i < n; ++i) {
                ASSERT_TRUE(sameBits(scanned[i]->current, gridded[i]->current) &&
                            sameBits(scanned[i]->next, gridded[i]->next))
                    << "trial " << trial << " pass " << pass << " particle " << i;
            }
        }
    }
}

}  // namespace
}  // namespace velmora
