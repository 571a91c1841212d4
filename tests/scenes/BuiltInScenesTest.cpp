// The built-in scenes against the positions, links and pins their names promise.
#include <gtest/gtest.h>

#include "scenes/BuiltInScenes.h"

namespace velmora {
namespace {

void expectAt(const SceneDescription& scene, std::size_t i, Vec3 p) {
    ASSERT_LT(i, scene.particles.size());
    EXPECT_EQ(scene.particles[i].position.x, p.x) << "particle " << i;
    EXPECT_EQ(scene.particles[i].position.y, p.y) << "particle " << i;
    EXPECT_EQ(scene.particles[i].position.z, p.z) << "particle " << i;
}

void expectLink(const SceneDescription& scene, std::size_t i, std::uint32_t a, std::uint32_t b,
                float rest) {
    ASSERT_LT(i, scene.links.size());
    EXPECT_EQ(scene.links[i].a, a) << "link " << i;
    EXPECT_EQ(scene.links[i].b, b) << "link " << i;
    EXPECT_EQ(scene.links[i].restLength, rest) << "link " << i;
}

std::size_t pinnedCount(const SceneDescription& scene) {
    std::size_t n = 0;
    for (const ParticleSpec& p : scene.particles) {
        n += p.pinned;
    }
    return n;
}

std::optional<SceneDescription> named(const char* name) {
    std::string error;
    auto scene = builtInScene(name, error);
    EXPECT_EQ(scene.has_value(), error.empty()) << name;
    return scene;
}

TEST(BuiltInScenes, LatticeCountsPositionsAndLinkOrder) {
    const auto big = named("lattice:10x10x10");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->particles.size(), 1000u);
    EXPECT_EQ(big->links.size(), 2700u);
    expectAt(*big, 0, {-9, -9, -9});
    expectAt(*big, 999, {9, 9, 9});

    // 2 x 3 x 4: i outermost, k innermost; centred, 2 apart.
    const auto l = named("lattice:2x3x4");
    ASSERT_TRUE(l);
    ASSERT_EQ(l->particles.size(), 24u);
    EXPECT_EQ(l->links.size(), 1u * 3 * 4 + 2 * 2 * 4 + 2 * 3 * 3);
    expectAt(*l, 0, {-1, -2, -3});
    expectAt(*l, 1, {-1, -2, -1});  // k + 1
    expectAt(*l, 4, {-1, 0, -3});   // j + 1
    expectAt(*l, 12, {1, -2, -3});  // i + 1
    expectAt(*l, 23, {1, 2, 3});
    // Particle 0 links to its +x, +y, +z neighbours in that order; the last particle to none.
    expectLink(*l, 0, 0, 12, 2.0f);
    expectLink(*l, 1, 0, 4, 2.0f);
    expectLink(*l, 2, 0, 1, 2.0f);
    expectLink(*l, 3, 1, 13, 2.0f);
    EXPECT_EQ(l->links.back().b, 23u);
    EXPECT_EQ(pinnedCount(*l), 0u);
    EXPECT_EQ(named("lattice:1x1x1")->links.size(), 0u);
}

TEST(BuiltInScenes, RopeAndSheetHangFromTheirPins) {
    const auto rope = named("rope:10");
    ASSERT_TRUE(rope);
    ASSERT_EQ(rope->particles.size(), 10u);
    EXPECT_EQ(rope->links.size(), 9u);
    expectAt(*rope, 0, {-9, 9, 0});
    expectAt(*rope, 9, {9, 9, 0});
    expectLink(*rope, 8, 8, 9, 2.0f);
    EXPECT_TRUE(rope->particles[0].pinned);
    EXPECT_EQ(pinnedCount(*rope), 1u);

    // 3 wide, 2 high: row by row from the top, each linked right then down.
    const auto sheet = named("sheet:3x2");
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->particles.size(), 6u);
    EXPECT_EQ(sheet->links.size(), 7u);
    expectAt(*sheet, 0, {-2, 9, 0});
    expectAt(*sheet, 2, {2, 9, 0});
    expectAt(*sheet, 3, {-2, 7, 0});
    expectLink(*sheet, 0, 0, 1, 2.0f);
    expectLink(*sheet, 1, 0, 3, 2.0f);
    expectLink(*sheet, 2, 1, 2, 2.0f);
    expectLink(*sheet, 6, 4, 5, 2.0f);
    EXPECT_TRUE(sheet->particles[0].pinned && sheet->particles[2].pinned);
    EXPECT_EQ(pinnedCount(*sheet), 2u);
    EXPECT_EQ(named("sheet:10x10")->links.size(), 180u);

    const auto start = named("start");
    ASSERT_TRUE(start);
    EXPECT_EQ(start->particles.size(), 10u);
    EXPECT_EQ(start->links.size(), 30u);
    expectAt(*start, 5, {5, 9.5f, 0});
    EXPECT_TRUE(start->particles[5].pinned);
    EXPECT_EQ(pinnedCount(*start), 1u);
}

TEST(BuiltInScenes, BadNamesAndSizesListTheScenes) {
    for (const char* bad :
         {"", "starts", "lattice:0x1x1", "lattice:11x1x1", "lattice:2x2", "lattice:2x2x2x2",
          "lattice:2x2x", "lattice:-2x2x2", "lattice:2x2x2 ", "rope:1", "rope:11",
          "rope:", "sheet:1x5", "sheet:5x11", "sheet:5", "ropes:3", "Rope:3"}) {
        std::string error;
        EXPECT_FALSE(builtInScene(bad, error).has_value()) << bad;
        EXPECT_NE(error.find("lattice:AxBxC"), std::string::npos) << bad;
        EXPECT_NE(error.find("'" + std::string(bad) + "'"), std::string::npos) << error;
    }
    for (const char* good : {"lattice:1x10x1", "rope:2", "sheet:2x10", "sheet:10x2"}) {
        EXPECT_TRUE(named(good)) << good;
    }
}

}  // namespace
}  // namespace velmora
