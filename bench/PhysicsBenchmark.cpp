// Cost of one simulation pass. Collision tests every ordered pair, so free particles cost
// n (n - 1) distance tests per pass; the starting structure adds the link forces.
#include <benchmark/benchmark.h>

#include <memory>

#include "physics/Particle.h"
#include "physics/Simulation.h"
#include "scenes/BuiltInScenes.h"

namespace velmora {
namespace {

constexpr float kFrameTime = 1.0f / 60.0f;

void startingStructure(benchmark::State& state) {
    ParticleList particles;
    buildScene(startScene(), particles);
    for (auto _ : state) {
        simulationPass(particles, true, kFrameTime);
        benchmark::DoNotOptimize(particles.front()->current);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(particles.size()));
}
BENCHMARK(startingStructure);

// n unlinked particles on a grid 2.2 apart filling the box; they fall and pile up on the
// floor as the iterations run, which is the contact-heavy case.
void freeParticles(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    ParticleList particles;
    constexpr int kPerRow = 8;
    for (int i = 0; i < n; ++i) {
        const Vec3 position(-8.0f + 2.2f * static_cast<float>(i % kPerRow),
                            -8.0f + 2.2f * static_cast<float>(i / (kPerRow * kPerRow)),
                            -8.0f + 2.2f * static_cast<float>((i / kPerRow) % kPerRow));
        particles.push_back(std::make_unique<Particle>(position));
    }
    for (auto _ : state) {
        simulationPass(particles, true, kFrameTime);
        benchmark::DoNotOptimize(particles.front()->current);
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["pairTests"] = benchmark::Counter(static_cast<double>(n) * (n - 1),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(freeParticles)->Arg(100)->Arg(400);

}  // namespace
}  // namespace velmora
