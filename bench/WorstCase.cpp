// What a pass costs at the scene limits (1,000 particles, 20,000 links), for the scenes that
// cost the most: everything at one point, a tight cloud, a hub with a spoke to every other
// particle, every pair of 200 linked. Each runs 120 passes at 1/60 s, as the headless run
// steps them; the table gives the first pass and the slowest and mean of the rest, in the
// processor time the pass took, so that other work on the machine does not count in.
//   velmora_bench_worst
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "physics/Particle.h"
#include "physics/SceneLimits.h"
#include "physics/StableStepping.h"
#include "scenes/SceneDescription.h"
#include "scenes/StressScenes.h"

namespace velmora {
namespace {

constexpr int kPasses = 120;

/// Links the first pairs (0,1), (0,2), (1,2), (0,3), ... until the scene has `count`.
void linkFirstPairs(SceneDescription& scene, std::size_t count) {
    const auto n = static_cast<std::uint32_t>(scene.particles.size());
    for (std::uint32_t b = 1; b < n && scene.links.size() < count; ++b) {
        for (std::uint32_t a = 0; a < b && scene.links.size() < count; ++a) {
            scene.links.push_back({a, b, 1.0f});
        }
    }
}

/// `count` particles spread evenly over a cube of `side` units at the room's centre.
SceneDescription cloud(std::size_t count, float side) {
    SceneDescription scene;
    std::uint32_t seed = 12345;
    const auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f) * side;
    };
    for (std::size_t i = 0; i < count; ++i) {
        scene.particles.push_back({{next(), next(), next()}, {}, false});
    }
    return scene;
}

SceneDescription hub(std::size_t count) {
    SceneDescription scene = cloud(count, 18.0f);
    scene.particles[0].position = {};
    for (std::uint32_t b = 1; b < count; ++b) {
        scene.links.push_back({0, b, -1.0f});
    }
    return scene;
}

/// The process's processor time, milliseconds.
double processorMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

void time(const std::string& name, const SceneDescription& scene) {
    ParticleList particles;
    buildScene(scene, particles);
    StableStepper stepper;
    double first = 0.0, slowest = 0.0, total = 0.0;
    for (int pass = 0; pass < kPasses; ++pass) {
        const double start = processorMilliseconds();
        stepper.advance(particles, particles.size(), true, 1.0f / 60.0f);
        const double ms = processorMilliseconds() - start;
        if (pass == 0) {
            first = ms;
        } else {
            slowest = std::max(slowest, ms);
            total += ms;
        }
    }
    std::printf("%-34s %5zu %6zu %9.2f %9.2f %9.2f\n", name.c_str(), scene.particles.size(),
                scene.links.size(), first, slowest, total / (kPasses - 1));
}

}  // namespace
}  // namespace velmora

int main() {
    using namespace velmora;
    const std::vector<std::pair<std::string, std::function<SceneDescription()>>> cases{
        {"at one point, most links",
         [] {
             SceneDescription s = cloud(kMaxSceneParticles, 0.0f);
             linkFirstPairs(s, kMaxSceneLinks);
             return s;
         }},
        {"4-unit cloud, most links",
         [] {
             SceneDescription s = cloud(kMaxSceneParticles, 4.0f);
             linkFirstPairs(s, kMaxSceneLinks);
             return s;
         }},
        {"room-wide cloud, most links",
         [] {
             SceneDescription s = cloud(kMaxSceneParticles, 18.0f);
             linkFirstPairs(s, kMaxSceneLinks);
             return s;
         }},
        {"at one point, unlinked", [] { return cloud(kMaxSceneParticles, 0.0f); }},
        {"hub with a spoke to every other", [] { return hub(kMaxSceneParticles); }},
        {"200, every pair linked", [] { return fullyLinkedScene(200); }},
    };
    std::printf("%-34s %5s %6s %9s %9s %9s\n", "scene (passes of 1/60 s)", "parts", "links",
                "first ms", "worst ms", "mean ms");
    for (const auto& [name, scene] : cases) {
        time(name, scene());
    }
    return 0;
}
