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
#include "platform/AtomicFile.h"
#include "platform/GlDevice.h"
#include "platform/RecordingDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "platform/SdlOperatingSystem.h"
#include "render/D3DRenderer.h"
#include "scenes/SceneSource.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace velmora {
namespace {

constexpr int kExitUsage = 2;
/// A screenshot or a scene to save at the end that cannot be written.
constexpr int kExitCannotWrite = 3;
constexpr int kExitBadSceneFile = 4;
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

/// The outputs asked for at the end must be writable before the run starts, not only after
/// the whole session.
bool outputsWritable(const CommandLine& options) {
    for (const std::string* path : {&options.screenshot, &options.saveScene}) {
        std::string error;
        if (!path->empty() && !canReplaceFile(*path, error)) {
            std::fprintf(stderr, "velmora: cannot write %s: %s\n", path->c_str(), error.c_str());
            return false;
        }
    }
    return true;
}

int run(OperatingSystem& os, Direct3DCreateFn createDirect3D, const CommandLine& options,
        SceneDescription startingScene, long frames) {
    Application app(os, createDirect3D);
    app.fixedFrameTime = options.frameTime;
    app.startingScene = std::move(startingScene);
    app.startsPaused = options.paused;
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
    const bool sceneOk = options.saveScene.empty() || app.saveScene(options.saveScene);
    if (frames > 0) {
        std::printf("%s\n", runReportLine(app.particles, app.passTimes).c_str());
    }
    const int code = app.shutDown();
    return shotOk && sceneOk ? code : kExitCannotWrite;
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
    // The scene is whole before anything opens, so a bad one leaves nothing half made.
    SceneSourceError sceneError;
    std::optional<SceneDescription> scene = openScene(options->scene, sceneError);
    if (!scene) {
        if (sceneError.badFile) {
            std::fprintf(stderr, "velmora: %s\n", sceneError.message.c_str());
            return kExitBadSceneFile;
        }
        std::fprintf(stderr, "velmora: %s\n%s", sceneError.message.c_str(), usageText().c_str());
        return kExitUsage;
    }
    if (!outputsWritable(*options)) {
        return kExitCannotWrite;
    }
    const long frames = options->frames.value_or(0);
    if (options->headless) {
        ScriptedOperatingSystem os;
        os.counterStep = kHeadlessCounterStep;
        os.keepHistory = false;
        return run(os, recordingDirect3DCreate, *options, std::move(*scene),
                   frames > 0 ? frames : kHeadlessPasses);
    }
    SdlOperatingSystem os;
    if (!os.videoReady()) {
        std::fprintf(stderr, "velmora: no display to open the window on (try --headless)\n");
        return kExitWindowOrDevice;
    }
    return run(os, glDirect3DCreate, *options, std::move(*scene), frames);
}
