// The built-in scenes against the positions, links and pins their names promise.
#include <gtest/gtest.h>

#include "scenes/BuiltInScenes.h"

namespace velmora {
namespace {

SceneDescription named(const char* name) {
    std::string error;
    auto scene = builtInScene(name, error);
    EXPECT_TRUE(scene.has_value()) << name << ": " << error;
    return scene.value_or(SceneDescription{});
}

void expectAt(const SceneDescription& scene, std::size_t i, Vec3 p) {
    ASSERT_LT(i, scene.particles.size());
    const Vec3 at = scene.particles[i].position;
    EXPECT_TRUE(at.x == p.x && at.y == p.y && at.z == p.z) << "particle " << i;
}

/// The indices of the pinned particles.
std::vector<std::size_t> pinned(const SceneDescription& scene) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < scene.particles.size(); ++i) {
        if (scene.particles[i].pinned) {
            out.push_back(i);
        }
    }
    return out;
}

using Ends = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
/// The first links' ends, in order; every one at rest length 2.
Ends linkEnds(const SceneDescription& scene, std::size_t count) {
    Ends out;
    for (std::size_t i = 0; i < count && i < scene.links.size(); ++i) {
        EXPECT_EQ(scene.links[i].restLength, 2.0f) << "link " << i;
        out.emplace_back(scene.links[i].a, scene.links[i].b);
    }
    return out;
}

TEST(BuiltInScenes, CountsPositionsLinkOrderAndPins) {
    // 2 x 3 x 4: i outermost, k innermost; centred, 2 apart; each particle links to its +x,
    // +y, +z neighbours in that order.
    const SceneDescription l = named("lattice:2x3x4");
    ASSERT_EQ(l.particles.size(), 24u);
    EXPECT_EQ(l.links.size(), 1u * 3 * 4 + 2 * 2 * 4 + 2 * 3 * 3);
    expectAt(l, 1, {-1, -2, -1});  // k + 1
    expectAt(l, 4, {-1, 0, -3});   // j + 1
    expectAt(l, 12, {1, -2, -3});  // i + 1
    EXPECT_EQ(linkEnds(l, 4), (Ends{{0, 12}, {0, 4}, {0, 1}, {1, 13}}));
    EXPECT_TRUE(pinned(l).empty());

    const SceneDescription rope = named("rope:10");
    ASSERT_EQ(rope.particles.size(), 10u);
    EXPECT_EQ(rope.links.size(), 9u);
    expectAt(rope, 0, {-9, 9, 0});
    expectAt(rope, 9, {9, 9, 0});
    EXPECT_EQ(pinned(rope), std::vector<std::size_t>{0});
    // 3 wide, 2 high: row by row from the top, each linked right then down; the top corners
    // are pinned.
    const SceneDescription sheet = named("sheet:3x2");
    ASSERT_EQ(sheet.particles.size(), 6u);
    EXPECT_EQ(sheet.links.size(), 7u);
    expectAt(sheet, 2, {2, 9, 0});
    expectAt(sheet, 3, {-2, 7, 0});
    EXPECT_EQ(linkEnds(sheet, 3), (Ends{{0, 1}, {0, 3}, {1, 2}}));
    EXPECT_EQ(pinned(sheet), (std::vector<std::size_t>{0, 2}));
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
        EXPECT_FALSE(named(good).particles.empty()) << good;
    }
}

}  // namespace
}  // namespace velmora
