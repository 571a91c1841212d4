// Cost of one frame (drawing and presenting) on the OpenGL device, the particles drawn in
// batches as the program does and one object at a time as the reference picture is, for the
// starting structure and lattices of 125, 512 and 1000 particles; and of a whole pass
// (simulation and batched frame at a fixed 1/60 s). Ends with the per-object / batched
// ratio of every scene. Needs a display (scripts/with-display runs it on Xvfb) and must run
// from the folder that holds bin/:
//   cd build && ../scripts/with-display bench/velmora_bench_frame
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Scene.h"
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
            if (run.iterations > 0) {
                milliseconds[run.run_name.function_name] =
                    run.real_accumulated_time * 1e3 / static_cast<double>(run.iterations);
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-20s %12s %12s %8s %12s\n", "scene", "per-object", "batched", "ratio",
                    "pass");
        for (const std::string& scene : scenes) {
            const double perObject = milliseconds["frame/" + scene + "/per-object"];
            const double batched = milliseconds["frame/" + scene + "/batched"];
            const double pass = milliseconds["pass/" + scene];
            std::printf("%-20s %9.2f ms %9.2f ms %7.1fx %9.2f ms\n", scene.c_str(), perObject,
                        batched, batched > 0 ? perObject / batched : 0.0, pass);
        }
    }

    std::vector<std::string> scenes;
    std::map<std::string, double> milliseconds;
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
