// Whether structures hold together and come to rest: each scene is left alone for 120
// simulated seconds at frame times of 1/120, 1/60, 0.1 and 2 s, and the run report's figures
// at the end are printed with the worst stretch and speed seen on the way. The goals: at the
// end no particle faster than 20 units/s, no link longer than 3 rest lengths, kinetic energy
// at most 0.5 per particle.
//   velmora_bench_hold            the built-in scenes the README names and the stress scenes
//   velmora_bench_hold --all      every built-in scene name; prints the misses and a summary
//   velmora_bench_hold --settings the README's scenes under the settings' extremes: links of
//                                 stiffness 10,000, gravity 100, both, and the softest links
// Also times the first running pass of a 447-particle scene with every pair linked.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "physics/Particle.h"
#include "physics/StableStepping.h"
#include "physics/StateSummary.h"
#include "scenes/BuiltInScenes.h"
#include "scenes/StressScenes.h"

namespace velmora {
namespace {

constexpr double kSeconds = 120.0;
constexpr float kFrameTimes[] = {1.0f / 120.0f, 1.0f / 60.0f, 0.1f, 2.0f};

struct Outcome {
    long passes = 0;
    double stretch = 0.0, speed = 0.0;  ///< at the end
    double worstStretch = 0.0, worstSpeed = 0.0;
    double kineticPerParticle = 0.0, energy = 0.0;
    bool damped = false;

    bool meetsGoals() const {
        return speed <= 20.0f && stretch <= 3.0f && kineticPerParticle <= 0.5;
    }
};

Outcome leaveAlone(const SceneDescription& scene, float dt) {
    ParticleList particles;
    buildScene(scene, particles);
    StableStepper stepper;
    Outcome out;
    for (double simulated = 0.0; simulated < kSeconds; ++out.passes) {
        simulated += stepper.advance(particles, particles.size(), true, dt, scene.physics());
        out.worstStretch = std::max(out.worstStretch, largestStretch(particles));
        out.worstSpeed = std::max(out.worstSpeed, largestSpeed(particles));
    }
    out.stretch = largestStretch(particles);
    out.speed = largestSpeed(particles);
    out.kineticPerParticle = kineticEnergy(particles) / static_cast<double>(particles.size());
    out.energy = totalEnergy(particles, scene.physics().gravity);
    out.damped = stepper.dampsSideways();
    return out;
}

void printRow(const std::string& name, float dt, const Outcome& o) {
    std::printf("%-22s %7.4f %6ld %8.3f %8.3f %10.4f %11.3f %8.3f %8.3f %-6s %s\n", name.c_str(),
                dt, o.passes, o.stretch, o.speed, o.kineticPerParticle, o.energy, o.worstStretch,
                o.worstSpeed, o.damped ? "yes" : "no", o.meetsGoals() ? "ok" : "MISSED");
    std::fflush(stdout);
}

void printHeader() {
    std::printf("%-22s %7s %6s %8s %8s %10s %11s %8s %8s %-6s %s\n", "scene", "dt", "passes",
                "stretch", "speed", "kinetic/p", "energy", "worst-st", "worst-sp", "damped",
                "goals");
}

SceneDescription named(const std::string& name) {
    std::string error;
    return builtInScene(name, error).value_or(SceneDescription{});
}

void timeFirstPass() {
    const SceneDescription scene = fullyLinkedScene(447);
    ParticleList particles;
    buildScene(scene, particles);
    StableStepper stepper;
    const auto start = std::chrono::steady_clock::now();
    stepper.advance(particles, particles.size(), true, 1.0f / 60.0f);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("\nfirst running pass, 447 particles with every pair linked (%zu links): %.1f ms\n",
                scene.links.size(), ms);
}

int sweepEveryBuiltInScene() {
    std::vector<std::string> names{"start"};
    for (int n = 2; n <= 10; ++n)
        names.push_back("rope:" + std::to_string(n));
    for (int w = 2; w <= 10; ++w)
        for (int h = 2; h <= 10; ++h)
            names.push_back("sheet:" + std::to_string(w) + "x" + std::to_string(h));
    for (int a = 1; a <= 10; ++a)
        for (int b = 1; b <= 10; ++b)
            for (int c = 1; c <= 10; ++c)
                names.push_back("lattice:" + std::to_string(a) + "x" + std::to_string(b) + "x" +
                                std::to_string(c));
    printHeader();
    int missed = 0, runs = 0;
    Outcome worst;
    for (const std::string& name : names) {
        const SceneDescription scene = named(name);
        for (const float dt : kFrameTimes) {
            const Outcome o = leaveAlone(scene, dt);
            ++runs;
            worst.stretch = std::max(worst.stretch, o.stretch);
            worst.speed = std::max(worst.speed, o.speed);
            worst.kineticPerParticle = std::max(worst.kineticPerParticle, o.kineticPerParticle);
            if (!o.meetsGoals()) {
                ++missed;
                printRow(name, dt, o);
            }
        }
    }
    std::printf(
        "%d scenes x %zu frame times: %d runs missed the goals; at the end the worst "
        "stretch %.3f, speed %.3f, kinetic per particle %.4f\n",
        static_cast<int>(names.size()), std::size(kFrameTimes), missed, worst.stretch, worst.speed,
        worst.kineticPerParticle);
    (void)runs;
    return missed == 0 ? 0 : 1;
}

int underExtremeSettings() {
    PhysicsSettings stiff, heavy, both, soft;
    stiff.linkStiffness = both.linkStiffness = kStiffnessRange.most;
    heavy.gravity = both.gravity = {0.0f, kGravityRange.least, 0.0f};
    soft.linkStiffness = 1.0f;
    soft.linkDamping = kDampingRange.least;
    const std::pair<const char*, PhysicsSettings> variants[] = {
        {"k=10000", stiff}, {"g=100", heavy}, {"k=10000,g=100", both}, {"k=1,c=0.1", soft}};
    printHeader();
    int missed = 0;
    for (const char* name : {"start", "rope:10", "sheet:10x10", "lattice:5x5x5"}) {
        for (const auto& [variant, settings] : variants) {
            SceneDescription scene = named(name);
            scene.settings = settings;
            for (const float dt : kFrameTimes) {
                const Outcome o = leaveAlone(scene, dt);
                missed += o.meetsGoals() ? 0 : 1;
                printRow(std::string(name) + " " + variant, dt, o);
            }
        }
    }
    return missed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    using namespace velmora;
    if (argc > 1 && std::string(argv[1]) == "--all") {
        return sweepEveryBuiltInScene();
    }
    if (argc > 1 && std::string(argv[1]) == "--settings") {
        return underExtremeSettings();
    }
    const std::vector<std::pair<std::string, std::function<SceneDescription()>>> cases{
        {"start", [] { return startScene(); }},
        {"rope:10", [] { return named("rope:10"); }},
        {"sheet:10x10", [] { return named("sheet:10x10"); }},
        {"lattice:10x10x10", [] { return named("lattice:10x10x10"); }},
        {"lattice:8x8x8", [] { return named("lattice:8x8x8"); }},
        {"lattice:10x10x1", [] { return named("lattice:10x10x1"); }},
        {"lattice:1x1x10", [] { return named("lattice:1x1x10"); }},
        {"hub of 12", [] { return hubScene(2.2f); }},
        {"taut string", [] { return tautStringScene(10, 0.5f); }},
        {"taut string, 4", [] { return tautStringScene(4, 0.9f); }},
        {"tower of 9", [] { return towerScene(9); }},
        {"pile of 320", [] { return pileScene(5); }},
    };
    printHeader();
    for (const auto& [name, scene] : cases) {
        const SceneDescription built = scene();
        for (const float dt : kFrameTimes) {
            printRow(name, dt, leaveAlone(built, dt));
        }
    }
    timeFirstPass();
    return 0;
}
