// Scene text: what the writer writes the reader reads back to the bit, and a saved structure
// keeps every particle's link order, so it moves on exactly as the original.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <limits>

#include "physics/Particle.h"
#include "physics/Simulation.h"
#include "physics/StateSummary.h"
#include "scenes/BuiltInScenes.h"
#include "scenes/SceneFile.h"

namespace velmora {
namespace {

/// Every value of the scene as its bits, so -0, denormals and NaN compare exactly.
std::vector<std::uint32_t> bitsOf(const SceneDescription& scene) {
    std::vector<std::uint32_t> out;
    const auto put = [&](Vec3 v) {
        for (float f : {v.x, v.y, v.z}) {
            out.push_back(std::bit_cast<std::uint32_t>(f));
        }
    };
    for (const ParticleSpec& p : scene.particles) {
        put(p.position);
        put(p.velocity);
        out.push_back(p.pinned);
    }
    for (const LinkSpec& l : scene.links) {
        out.insert(out.end(), {l.a, l.b, std::bit_cast<std::uint32_t>(l.restLength)});
    }
    if (scene.camera) {
        put(scene.camera->eye);
        put(scene.camera->target);
    }
    return out;
}

SceneDescription readBack(const SceneDescription& scene) {
    SceneDescription back;
    std::string error;
    EXPECT_TRUE(parseSceneText(sceneText(scene), back, error)) << error;
    return back;
}

TEST(SceneFile, FloatsSurviveAWriteAndReadBitForBit) {
    const float denormal = std::numeric_limits<float>::denorm_min();
    const float awkward[] = {0.1f, -0.0f, FLT_MAX, -FLT_MAX, FLT_MIN, denormal, -denormal * 7,
                             1.0f / 3, 1e30f, -123456792.0f, 9.5f, 16777217.0f, 2.5e-40f, 0.0f,
                             -1.17549421e-38f,
                             // Its shortest text read as a double lands on a float midpoint.
                             7.038531e-26f};
    constexpr std::size_t n = std::size(awkward);
    SceneDescription scene;
    for (std::size_t i = 0; i < n; ++i) {
        scene.particles.push_back({{awkward[i], awkward[(i + 1) % n], awkward[(i + 2) % n]},
                                   {awkward[(i + 3) % n], awkward[(i + 4) % n], awkward[i]},
                                   i % 3 == 0});
    }
    // Every value as a rest length, 0 too (two particles linked at one point); -1 stands for
    // "the distance when built".
    std::uint32_t b = 1;
    for (const float rest : {0.1f, FLT_MAX, FLT_MIN, denormal, 1.0f / 3, 1e30f, 0.0f, -1.0f}) {
        scene.links.push_back({0, b++, rest});
    }
    scene.camera = CameraPose{{-0.0f, denormal, FLT_MAX}, {0.1f, -FLT_MAX, 1.0f / 3}};

    EXPECT_EQ(bitsOf(readBack(scene)), bitsOf(scene));
    EXPECT_FALSE(readBack(startScene()).camera);
}

TEST(SceneFile, ASavedStructureMovesOnExactlyAsTheOriginal) {
    ParticleList original;
    buildScene(startScene(), original);
    // Relinking puts a link last in both lists, out of the order the structure was made in.
    original[0]->unlink(original[1].get());
    original[1]->link(original[0].get(), 4.5f);
    original[8]->unlink(original[3].get());
    original[8]->link(original[3].get(), -1.0f);
    for (int pass = 0; pass < 100; ++pass) {
        simulationPass(original, true, 1.0f / 60.0f);
    }
    const CameraPose camera{{1, 2, 3}, {4, 5, 6}};
    const SceneDescription saved = readBack(captureScene(original, camera));
    ParticleList loaded;
    buildScene(saved, loaded);

    EXPECT_EQ(stateHash(loaded), stateHash(original));
    for (int pass = 0; pass < 100; ++pass) {
        simulationPass(original, true, 1.0f / 60.0f);
        simulationPass(loaded, true, 1.0f / 60.0f);
    }
    EXPECT_EQ(stateHash(loaded), stateHash(original));
    EXPECT_TRUE(saved.camera && saved.camera->eye.nearlyEqual(camera.eye));
}

TEST(SceneFile, RefusedTextLeavesTheSceneAsItWasAndDeepNestingStopsEarly) {
    SceneDescription kept = startScene();
    std::string error;
    // A sound start, then a link to a particle that is not there.
    EXPECT_FALSE(parseSceneText(R"({"format": "velmora-scene", "version": 1,
        "particles": [{"position": [0, 0, 0]}, {"position": [1, 0, 0]}],
        "links": [{"a": 0, "b": 1}, {"a": 1, "b": 2}]})",
                                kept, error));
    EXPECT_EQ(error, "link 1: particle index 2 is out of range (2 particles)");
    EXPECT_EQ(kept.links.size(), 30u);

    // A million brackets: refused at the fifth, without a million of anything.
    const std::string deep(1'000'000, '[');
    EXPECT_FALSE(parseSceneText(deep, kept, error));
    EXPECT_EQ(error, "the file must hold one JSON object, not an array");
    const std::string deepInside =
        R"({"format": "velmora-scene", "version": 1, "particles": [{"position": )" + deep;
    EXPECT_FALSE(parseSceneText(deepInside, kept, error));
    EXPECT_EQ(error, "particle 0: nested deeper than a scene file goes");
    EXPECT_EQ(kept.particles.size(), 10u);
}

TEST(SceneFile, TheLargestScenesReadAndOneMoreDoesNot) {
    // Written and read through the file text, at each limit and one past it.
    const auto attempt = [](std::size_t particles, std::size_t links, std::string& error) {
        SceneDescription scene;
        scene.particles.resize(particles);
        for (std::uint32_t b = 1; scene.links.size() < links; ++b) {
            for (std::uint32_t a = 0; a < b && scene.links.size() < links; ++a) {
                scene.links.push_back({a, b, 1.0f});
            }
        }
        SceneDescription back;
        return parseSceneText(sceneText(scene), back, error) &&
               back.particles.size() == particles && back.links.size() == links;
    };
    std::string error;
    EXPECT_TRUE(attempt(kMaxSceneParticles, 0, error)) << error;
    EXPECT_FALSE(attempt(kMaxSceneParticles + 1, 0, error));
    EXPECT_EQ(error, "more than 1000 particles");
    EXPECT_TRUE(attempt(500, kMaxSceneLinks, error)) << error;
    EXPECT_FALSE(attempt(500, kMaxSceneLinks + 1, error));
    EXPECT_EQ(error, "more than 20000 links");
}

}  // namespace
}  // namespace velmora
