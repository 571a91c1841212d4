// The run's past at three sizes: 10, 125 and 1000 particles run for ten minutes of 1/60 s
// passes under the default budget, then paused and stepped back one pass at a time. Prints the
// most the past held against its budget, the process's resident memory before and after, and
// what a pass that steps back costs in processor time (median and slowest of 200). Runs headless
// from the folder that holds bin/:
//   cd build && bench/velmora_bench_history [--minutes M]
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "app/Application.h"
#include "platform/HeadlessDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "render/D3DRenderer.h"

namespace velmora {
namespace {

double residentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

double processorMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void measure(const char* scene, long passes) {
    resetRendererToConstructedState();
    ScriptedOperatingSystem os;
    os.keepHistory = false;
    Application app(os, headlessDirect3DCreate);
    app.fixedFrameTime = 1.0f / 60.0f;
    if (app.startUp(SW_SHOWNORMAL) || !app.loadScene(scene)) {
        std::printf("%s: cannot start (run from the folder that holds bin/)\n", scene);
        return;
    }
    if (auto* headless = dynamic_cast<HeadlessDevice*>(gRenderer->device.get()))
        headless->keepLog = false;  // it would grow every pass
    const double before = residentMegabytes();
    std::size_t most = 0;
    for (long pass = 0; pass < passes; ++pass) {
        app.runPass();
        most = std::max(most, app.timeline.bytes() + app.undoStack.bytes());
    }
    const double after = residentMegabytes();
    app.running = false;
    std::vector<double> back;
    for (int i = 0; i < 200 && app.timeline.now() > app.timeline.first(); ++i) {
        os.setKey(VK_LEFT, true);
        const double start = processorMilliseconds();
        app.runPass();
        back.push_back(processorMilliseconds() - start);
        os.setKey(VK_LEFT, false);
        app.runPass();
    }
    std::sort(back.begin(), back.end());
    const double seconds = static_cast<double>(app.timeline.latest() - app.timeline.first()) / 60.0;
    std::printf(
        "%-18s %5zu particles: past %6.1f of %4zu MB, %6.1f s of passes kept; resident "
        "%6.1f -> %6.1f MB; a pass back %5.2f ms (slowest %5.2f)\n",
        scene, app.particles.size(), static_cast<double>(most) / (1 << 20),
        app.historyBudgetBytes >> 20, seconds, before, after,
        back.empty() ? 0.0 : back[back.size() / 2], back.empty() ? 0.0 : back.back());
    app.shutDown();
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    double minutes = 10.0;
    if (argc > 2 && std::string(argv[1]) == "--minutes")
        minutes = std::atof(argv[2]);
    const long passes = static_cast<long>(minutes * 60.0 * 60.0);
    for (const char* scene : {"start", "lattice:5x5x5", "lattice:10x10x10"})
        velmora::measure(scene, passes);
    return 0;
}
