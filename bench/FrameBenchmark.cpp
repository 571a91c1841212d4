// Cost of one frame (drawing and presenting) on the OpenGL device, the particles drawn in
// batches as the program does and one object at a time as the reference picture is, for the
// starting structure and lattices of 125, 512 and 1000 particles; and of a whole pass
// (simulation and batched frame at a fixed 1/60 s). Ends with the per-object / batched ratio
// of every scene (middle values when repeated). Needs a display (scripts/with-display runs it
// on Xvfb) and must run from the folder that holds bin/:
//   cd build && ../scripts/with-display bench/velmora_bench_frame
// On a shared machine, interleave repetitions so that changes of load hit every case alike:
//   --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/SceneFrame.h"
#include "platform/GlDevice.h"
#include "platform/SdlOperatingSystem.h"
#include "scenes/BuiltInScenes.h"
#include "tests/app/PerObjectDrawing.h"

namespace velmora {
namespace {

struct SceneCase {
    const char* name;
    SceneDescription description;
};

/// The program started on one scene; kept while that scene's benchmarks run.
struct Running {
    std::string name;
    SdlOperatingSystem os;
    std::unique_ptr<Application> app;
    PerObjectDrawing perObject;
};
std::unique_ptr<Running> running;

Application& startedOn(const SceneCase& scene) {
    if (running == nullptr || running->name != scene.name) {
        if (running != nullptr)
            running->app->shutDown();
        running.reset();
        running = std::make_unique<Running>();
        running->name = scene.name;
        running->app = std::make_unique<Application>(running->os, glDirect3DCreate);
        running->app->startingScene = scene.description;
        running->app->fixedFrameTime = 1.0f / 60.0f;
        if (running->app->startUp(SW_SHOWNORMAL)) {
            std::fprintf(stderr, "cannot start: %s\n", running->app->failure.c_str());
            std::exit(1);
        }
        running->perObject.setUp();
        // Shaders are compiled for the first draws; keep that out of the timings.
        Application& app = *running->app;
        for (int frame = 0; frame < 3; ++frame) {
            running->perObject.drawFrame(app.scene, app.particles, app.particles.size(),
                                         app.loadedEffect.get());
            drawFrame(app.scene, app.particles, app.particles.size(), app.loadedEffect.get());
        }
    }
    return *running->app;
}

void perObjectFrame(benchmark::State& state, const SceneCase& scene) {
    Application& app = startedOn(scene);
    for (auto _ : state) {
        running->perObject.drawFrame(app.scene, app.particles, app.particles.size(),
                                     app.loadedEffect.get());
    }
}

void batchedFrame(benchmark::State& state, const SceneCase& scene) {
    Application& app = startedOn(scene);
    for (auto _ : state)
        drawFrame(app.scene, app.particles, app.particles.size(), app.loadedEffect.get());
}

void wholePass(benchmark::State& state, const SceneCase& scene) {
    Application& app = startedOn(scene);
    for (auto _ : state)
        app.runPass();
}

/// The console report plus a closing table of per-object over batched frame times.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                samples[run.run_name.function_name].push_back(run.real_accumulated_time * 1e3 /
                                                              static_cast<double>(run.iterations));
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-18s %13s %13s %7s %11s %9s\n", "frame, ms", "per-object", "batched",
                    "ratio", "pass, ms", "passes/s");
        for (const std::string& scene : scenes) {
            const double perObject = median("frame/" + scene + "/per-object");
            const double batched = median("frame/" + scene + "/batched");
            const double pass = median("pass/" + scene);
            std::printf("%-18s %13.2f %13.2f %6.1fx %11.2f %9.1f\n", scene.c_str(), perObject,
                        batched, batched > 0 ? perObject / batched : 0.0, pass,
                        pass > 0 ? 1000.0 / pass : 0.0);
        }
    }

    /// Milliseconds per iteration of the benchmark's runs (one per repetition), middle value.
    double median(const std::string& name) {
        std::vector<double>& values = samples[name];
        if (values.empty())
            return 0.0;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

    std::vector<std::string> scenes;
    std::map<std::string, std::vector<double>> samples;
};

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    using namespace velmora;
    static const SceneCase kScenes[] = {
        {"start", startScene()},
        {"lattice:5x5x5", latticeScene(5, 5, 5)},
        {"lattice:8x8x8", latticeScene(8, 8, 8)},
        {"lattice:10x10x10", latticeScene(10, 10, 10)},
    };
    RatioReporter reporter;
    for (const SceneCase& scene : kScenes) {
        const std::string name = scene.name;
        reporter.scenes.push_back(name);
        // Same scene, same run, one after the other.
        benchmark::RegisterBenchmark(("frame/" + name + "/per-object").c_str(), perObjectFrame,
                                     scene)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("frame/" + name + "/batched").c_str(), batchedFrame, scene)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("pass/" + name).c_str(), wholePass, scene)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (running != nullptr)
        running->app->shutDown();
    running.reset();
    benchmark::Shutdown();
    return 0;
}
