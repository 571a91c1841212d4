// Cost of the overlay per frame on the OpenGL device at 800 x 600: an empty frame (clear and
// present), the same with the status corner, with the help panel open as well, and with the
// read-outs instead (energy plot of 100 points a line, as the program thins its 1200 samples,
// strain scale, inspector). The
// overlay's cost is the difference. Then whole passes of the program on the starting structure,
// where the room fills every pixel behind the overlay as it always does: drawn without the
// overlay, with the status corner, and with the read-outs as well. Times are wall time and the
// processor time of every thread, the rasterizer's included. Needs a display and bin/:
//   cd build && ../scripts/with-display bench/velmora_bench_overlay
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "app/Application.h"
#include "app/Controls.h"
#include "overlay/Overlay.h"
#include "platform/GlDevice.h"
#include "platform/SdlOperatingSystem.h"
#include "render/D3DRenderer.h"

namespace velmora {
namespace {

enum class Shown { Nothing, Status, Help, Readouts };

/// A window, the renderer on the OpenGL device and an overlay, for one benchmark.
struct GlFrames {
    GlFrames() {
        resetRendererToConstructedState();
        WindowClass windowClass;
        windowClass.windowProc = [](WindowHandle, std::uint32_t, std::uintptr_t,
                                    std::intptr_t) -> std::intptr_t { return 0; };
        windowClass.instance = &os;
        windowClass.className = "renderer";
        os.registerClass(windowClass);
        const std::uint32_t style = WS_CAPTION | WS_SYSMENU;
        const Rect outer = os.adjustWindowRect({0, 0, 800, 600}, style);
        window = os.createWindow("renderer", "Velmora", style, 0, 0, outer.width(), outer.height());
        os.showWindow(window, SW_SHOWNORMAL);
        gRenderer->usePlatform(os, glDirect3DCreate);
        ready = window != nullptr && gRenderer->init(window, false, false) &&
                overlay.attach(*gRenderer->device, VELMORA_SOURCE_DIR "/assets/min.fx");
        overlay.setHelp(helpRows());
        input.client = {0, 0, 800, 600};
        input.cursor = {-1000, -1000};  // off the window: no part is hovered
        const char* names[] = {"kinetic", "gravitational", "elastic", "total", "lost"};
        // The program plots 100 points a line, thinned from its 1200 samples.
        for (std::size_t s = 0; s < samples.size(); ++s) {
            samples[s].resize(100);
            for (std::size_t i = 0; i < samples[s].size(); ++i)
                samples[s][i] =
                    static_cast<float>(std::sin(0.08 * static_cast<double>(i * (s + 1))));
            plot.series[s] = {names[s], samples[s].data(), 100, 0, samples[s].back()};
        }
    }
    ~GlFrames() {
        overlay.detach();
        resetRendererToConstructedState();
    }

    void frame(Shown shown) {
        gRenderer->beginScene();
        gRenderer->clear(0xFF4080C0u, 1.0f);
        if (shown != Shown::Nothing) {
            input.helpPressed = (shown == Shown::Help) != overlay.helpOpen();
            const bool readouts = shown == Shown::Readouts;
            status.energy = readouts ? &plot : nullptr;
            status.strainLegend = readouts;
            status.inspector = readouts ? "particle 3\nat (1.00, 2.00, 3.00), speed 5.00, 4 links\n"
                                          "to particle 7: 1.500 apart\nlinked: rest 1.000, "
                                          "strain +50.0%, tension 50.00"
                                        : "";
            overlay.newFrame(input, 1.0f / 60.0f);
            overlay.build(status);
            overlay.render();
        }
        gRenderer->endSceneAndPresent();
    }

    SdlOperatingSystem os;
    WindowHandle window = nullptr;
    OverlayInput input;
    Overlay overlay;
    OverlayStatus status{true, 27, 60, 60.0f, 0.05f, {}, {}, {}, {}, 1, false, {}, nullptr, {}, {}};
    std::array<std::vector<float>, 5> samples;
    EnergyPlot plot;
    bool ready = false;
};

void overlayFrame(benchmark::State& state) {
    const auto shown = static_cast<Shown>(state.range(0));
    GlFrames frames;
    if (!frames.ready) {
        state.SkipWithError("no OpenGL 3.3 window (run under scripts/with-display)");
        return;
    }
    for (int i = 0; i < 10; ++i)  // panels appear and settle over the first frames
        frames.frame(shown);
    for (auto _ : state)
        frames.frame(shown);
    state.SetLabel(shown == Shown::Nothing  ? "clear and present"
                   : shown == Shown::Status ? "with the status corner"
                   : shown == Shown::Help   ? "with status and help panel"
                                            : "with status, energy plot, strain scale, inspector");
}
enum class InPass { NoOverlay, Status, Readouts };

void programPass(benchmark::State& state) {
    const auto shown = static_cast<InPass>(state.range(0));
    resetRendererToConstructedState();
    SdlOperatingSystem os;
    Application app(os, glDirect3DCreate);
    app.fixedFrameTime = 1.0f / 60.0f;
    if (app.startUp(SW_SHOWNORMAL)) {
        state.SkipWithError(("cannot start (run from build/): " + app.failure).c_str());
        return;
    }
    app.overlayShown = shown != InPass::NoOverlay;
    if (shown == InPass::Readouts) {
        app.energyPlotShown = true;
        app.scene.strainColours = true;
        app.editing.joinSel = app.particles[3].get();  // the inspector reads the held particle
    }
    for (int i = 0; i < 30; ++i)  // panels appear and settle, the plot fills
        app.runPass();
    for (auto _ : state)
        app.runPass();
    state.SetLabel(shown == InPass::NoOverlay ? "program pass, no overlay"
                   : shown == InPass::Status  ? "program pass, status corner"
                                              : "program pass, status and read-outs");
    app.shutDown();
}
BENCHMARK(programPass)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

BENCHMARK(overlayFrame)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

}  // namespace
}  // namespace velmora
