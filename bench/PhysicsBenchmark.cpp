// Cost of the simulation pass with the contact grid against the all-pairs scan, in the same
// run, for the starting structure and lattices of 125, 512 and 1000 particles. One iteration
// builds the scene (untimed) and runs the same passes from it at display rate, so both ways
// of scanning do identical work: the states they reach are the same bit for bit. The lattices
// drop onto the floor and pile up, the contact-heavy case. Prints a table of the ratios last.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "physics/ContactGrid.h"
#include "physics/Particle.h"
#include "physics/Simulation.h"
#include "scenes/BuiltInScenes.h"

namespace velmora {
namespace {

constexpr float kFrameTime = 1.0f / 60.0f;
constexpr int kPasses = 300;  // five seconds of the scene

struct Case {
    std::string name;
    std::function<SceneDescription()> scene;
};

void runPasses(benchmark::State& state, const Case& c, bool withGrid) {
    ContactGrid grid;
    ParticleList particles;
    for (auto _ : state) {
        state.PauseTiming();
        particles.clear();
        buildScene(c.scene(), particles);
        state.ResumeTiming();
        for (int pass = 0; pass < kPasses; ++pass) {
            if (withGrid) {
                simulationPass(particles, true, kFrameTime, grid);
            } else {
                simulationPass(particles, true, kFrameTime);
            }
        }
        benchmark::DoNotOptimize(particles.front()->current);
    }
    state.counters["passes"] =
        benchmark::Counter(kPasses, benchmark::Counter::kIsIterationInvariantRate);
}

/// Shows every run as usual and keeps its processor time per pass for the table of ratios:
/// on a shared machine the processor time of the benchmark's own thread is the steadier one.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> millisecondsPerPass;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                // Adjusted times are per iteration, in the run's unit (milliseconds here).
                millisecondsPerPass[run.benchmark_name()] = run.GetAdjustedCPUTime() / kPasses;
            }
        }
    }
};

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    using namespace velmora;
    const std::vector<Case> cases = {
        {"start", [] { return startScene(); }},
        {"lattice:5x5x5", [] { return latticeScene(5, 5, 5); }},
        {"lattice:8x8x8", [] { return latticeScene(8, 8, 8); }},
        {"lattice:10x10x10", [] { return latticeScene(10, 10, 10); }},
    };
    for (const Case& c : cases) {
        for (const bool withGrid : {false, true}) {
            benchmark::RegisterBenchmark(
                (c.name + (withGrid ? "/grid" : "/allPairs")).c_str(),
                [&c, withGrid](benchmark::State& state) { runPasses(state, c, withGrid); })
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-18s %14s %14s %8s\n", "scene", "all-pairs ms", "grid ms", "ratio");
    for (const Case& c : cases) {
        const auto scan = reporter.millisecondsPerPass.find(c.name + "/allPairs");
        const auto grid = reporter.millisecondsPerPass.find(c.name + "/grid");
        if (scan != reporter.millisecondsPerPass.end() &&
            grid != reporter.millisecondsPerPass.end()) {
            std::printf("%-18s %14.4f %14.4f %7.1fx\n", c.name.c_str(), scan->second, grid->second,
                        scan->second / grid->second);
        }
    }
    return 0;
}
