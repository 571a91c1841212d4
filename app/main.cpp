// The entry point: with no arguments the interactive program; the flags of usageText() are
// for tests, documentation and benchmarks.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Controls.h"
#include "app/PngWriter.h"
#include "app/RunReport.h"
#include "platform/GlDevice.h"
#include "platform/RecordingDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "platform/SdlOperatingSystem.h"
#include "render/D3DRenderer.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace velmora {
namespace {

constexpr int kExitUsage = 2;
constexpr int kExitScreenshot = 3;
/// A headless run has no user to press Escape: it quits after this many passes by default.
constexpr long kHeadlessPasses = 300;
/// A headless run's clock advances this much per counter read, and a pass reads it once: a
/// pass is 8333 microseconds, dt 0.008333 s (120 passes a second).
constexpr std::int64_t kHeadlessCounterStep = 1'000'000 / 120;

bool saveScreenshot(const std::string& fileName) {
    std::vector<std::uint32_t> pixels;
    std::uint32_t width = 0, height = 0;
    std::string error;
    if (gRenderer->device == nullptr ||
        gRenderer->device->getFrontBufferData(pixels, width, height) != D3D_OK) {
        error = "the device kept no frame";
    } else if (writePng(fileName, pixels, width, height, error)) {
        std::printf("velmora: screenshot written to %s\n", fileName.c_str());
        return true;
    }
    std::fprintf(stderr, "velmora: cannot write the screenshot %s: %s\n", fileName.c_str(),
                 error.c_str());
    return false;
}

int run(OperatingSystem& os, Direct3DCreateFn createDirect3D, const CommandLine& options,
        long frames) {
    Application app(os, createDirect3D);
    app.fixedFrameTime = options.frameTime;
    if (const auto code = app.startUp(SW_SHOWNORMAL)) {
        std::fprintf(stderr, "velmora: %s\n", app.failure.c_str());
        return *code;
    }
    if (auto* recording = dynamic_cast<RecordingDevice*>(gRenderer->device.get())) {
        recording->keepLog = false;  // nobody reads it, and it would grow every pass
    }
    long passes = 0;
    while (app.runPass()) {
        if (frames > 0 && ++passes == frames) {
            os.postQuitMessage(0);
        }
    }
    const bool shotOk = options.screenshot.empty() || saveScreenshot(options.screenshot);
    if (frames > 0) {
        std::printf("%s\n", runReportLine(app.particles, app.passTimes).c_str());
    }
    const int code = app.shutDown();
    return shotOk ? code : kExitScreenshot;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    using namespace velmora;
    std::string error;
    const auto options = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "velmora: %s\n%s", error.c_str(), usageText().c_str());
        return kExitUsage;
    }
    if (options->help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("velmora %s\n", VELMORA_VERSION);
        return 0;
    }
    const long frames = options->frames.value_or(0);
    if (options->headless) {
        ScriptedOperatingSystem os;
        os.counterStep = kHeadlessCounterStep;
        os.keepHistory = false;
        return run(os, recordingDirect3DCreate, *options, frames > 0 ? frames : kHeadlessPasses);
    }
    SdlOperatingSystem os;
    if (!os.videoReady()) {
        std::fprintf(stderr, "velmora: no display to open the window on (try --headless)\n");
        return kExitWindowOrDevice;
    }
    return run(os, glDirect3DCreate, *options, frames);
}
