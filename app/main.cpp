// The entry point: with no arguments the interactive program; the flags of usageText() are
// for tests, documentation and benchmarks.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Controls.h"
#include "app/DataFolder.h"
#include "app/PngWriter.h"
#include "app/ReplayPasses.h"
#include "app/RunReport.h"
#include "app/SaveFolder.h"
#include "app/Window.h"
#include "physics/StateSummary.h"
#include "platform/AtomicFile.h"
#include "platform/GlDevice.h"
#include "platform/HeadlessDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "platform/SdlOperatingSystem.h"
#include "render/D3DRenderer.h"
#include "scenes/SceneFile.h"
#include "scenes/SceneSource.h"
#include "session/SessionPlayer.h"
#include "session/SessionReader.h"
#include "session/SessionRecorder.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace velmora {
namespace {

constexpr int kExitUsage = 2;
/// After a usage error's one line, as command-line tools say it.
constexpr const char* kTryHelp = "Try 'velmora --help'.\n";
/// A screenshot or a scene to save at the end that cannot be written.
constexpr int kExitCannotWrite = 3;
/// A scene file or a session recording that cannot be used.
constexpr int kExitBadInput = 4;
/// A replay that ends in another state than the recording says.
constexpr int kExitReplayDiffers = 5;
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
    for (const std::string* path : {&options.screenshot, &options.saveScene, &options.record}) {
        std::string error;
        if (!path->empty() && !canReplaceFile(*path, error)) {
            std::fprintf(stderr, "velmora: cannot write %s: %s\n", path->c_str(), error.c_str());
            return false;
        }
    }
    return true;
}

/// The end of every run: screenshot, saved scene, report line, shut-down. Returns the exit
/// code.
int finishRun(Application& app, const CommandLine& options, bool report) {
    const bool shotOk = options.screenshot.empty() || saveScreenshot(options.screenshot);
    std::string said;
    const bool videoOk = app.finishVideo(said) && !app.videoFailed;
    if (!said.empty())
        std::fprintf(videoOk ? stdout : stderr, "velmora: %s\n", said.c_str());
    const bool sceneOk = options.saveScene.empty() || app.saveScene(options.saveScene);
    if (report) {
        std::printf("%s\n",
                    runReportLine(app.particles, app.passTimes, app.physics.gravity).c_str());
    }
    const int code = app.shutDown();
    return shotOk && sceneOk && videoOk ? code : kExitCannotWrite;
}

/// Start-up, and the video asked for; the exit code when it fails, with its reason on standard
/// error. A video is as large as the window unless a video size is given.
std::optional<int> startApplication(Application& app, const CommandLine& options,
                                    double framesPerSecond, int videoWidth = 0,
                                    int videoHeight = 0) {
    app.dataFolder = findDataFolder();
    std::error_code error;
    app.saveFolder = !options.saveFolder.empty()
                         ? options.saveFolder
                         : chooseSaveFolder(std::filesystem::current_path(error));
    clientWidth = options.width;
    clientHeight = options.height;
    if (const auto code = app.startUp(SW_SHOWNORMAL)) {
        std::fprintf(stderr, "velmora: %s\n", app.failure.c_str());
        return code;
    }
    if (auto* headless = dynamic_cast<HeadlessDevice*>(gRenderer->device.get())) {
        headless->keepLog = false;  // nobody reads it, and it would grow every pass
    }
    app.overlayShown = options.overlay;
    const Rect client = app.os.getClientRect(windowHandle);
    const int width = videoWidth > 0 ? videoWidth : client.width();
    const int height = videoHeight > 0 ? videoHeight : client.height();
    if (std::string error; !options.video.empty() &&
                           !app.startVideo(options.video, width, height, framesPerSecond, error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        app.shutDown();
        return kExitCannotWrite;
    }
    return std::nullopt;
}

int run(OperatingSystem& os, Direct3DCreateFn createDirect3D, const CommandLine& options,
        SceneDescription startingScene, long frames) {
    std::optional<SessionRecorder> recorder;
    Application app(options.record.empty() ? os : recorder.emplace(os), createDirect3D);
    startAsAsked(app, options, std::move(startingScene));
    const int historyMegabytes = options.historyMegabytes.value_or(kDefaultHistoryMegabytes);
    // A fixed frame time is the video's rate; a headless pass is 1/120 s.
    const double framesPerSecond = options.frameTime && *options.frameTime > 0.0f
                                       ? 1.0 / *options.frameTime
                                   : options.headless ? 120.0
                                                      : 60.0;
    if (const auto code = startApplication(app, options, framesPerSecond)) {
        return *code;
    }
    std::string error;
    if (recorder) {
        const Rect client = os.getClientRect(windowHandle);
        SessionHeader header;
        header.program = std::string("velmora ") + VELMORA_VERSION;
        header.scene = options.scene;
        header.paused = options.paused;
        header.clientWidth = client.width();
        header.clientHeight = client.height();
        header.historyMegabytes = historyMegabytes;
        // The scene itself, so the recording replays whatever becomes of its file.
        header.sceneText = sceneText(app.startingScene);
        if (!recorder->open(options.record, header, error)) {
            std::fprintf(stderr, "velmora: %s\n", error.c_str());
            app.shutDown();
            return kExitCannotWrite;
        }
    }
    long passes = 0, recorded = 0;
    while (true) {
        if (recorder) {
            recorder->beginPass();
        }
        if (!app.runPass()) {
            break;
        }
        if (recorder) {
            const bool check = ++recorded % kSessionCheckInterval == 0;
            recorder->endPass(app.passDt,
                              check ? std::optional(stateHash(app.particles)) : std::nullopt);
        }
        if (frames > 0 && ++passes == frames) {
            os.postQuitMessage(0);
        }
    }
    bool recordingOk = true;
    if (recorder && !recorder->finish({app.passTimes.passes, stateHash(app.particles)}, error)) {
        std::fprintf(stderr, "velmora: %s: %s\n", options.record.c_str(), error.c_str());
        recordingOk = false;
    }
    const int code = finishRun(app, options, frames > 0);
    return recordingOk ? code : kExitCannotWrite;
}

/// Replays a recording, headless or in a window, and ends with the run report.
int replay(const CommandLine& options) {
    SessionReader reader;
    std::string error;
    if (!reader.open(options.replay, error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return kExitBadInput;
    }
    std::optional<SceneDescription> scene = recordedScene(reader.header(), error);
    if (!scene) {
        std::fprintf(stderr, "velmora: %s: %s\n", options.replay.c_str(), error.c_str());
        return kExitBadInput;
    }
    std::unique_ptr<OperatingSystem> os;
    Direct3DCreateFn createDirect3D = headlessDirect3DCreate;
    if (options.window) {
        auto sdl = std::make_unique<SdlOperatingSystem>();
        if (!sdl->videoReady()) {
            std::fprintf(stderr, "velmora: no display to open the window on\n");
            return kExitWindowOrDevice;
        }
        // A display mode switch sizes the window to the recorded display; a window larger
        // than this display is nothing a user could have seen.
        const DisplayMode claimed = reader.largestDisplay();
        const DisplayMode here = sdl->currentDisplayMode();
        if (claimed.width > here.width || claimed.height > here.height) {
            std::fprintf(stderr,
                         "velmora: %s: the recording switches to a %dx%d display, larger than "
                         "this one (%dx%d)\n",
                         options.replay.c_str(), claimed.width, claimed.height, here.width,
                         here.height);
            return kExitBadInput;
        }
        const SessionHeader& header = reader.header();
        if (header.clientWidth > here.width || header.clientHeight > here.height) {
            std::fprintf(stderr,
                         "velmora: %s: the recording's window, %dx%d, is larger than this "
                         "display (%dx%d)\n",
                         options.replay.c_str(), header.clientWidth, header.clientHeight,
                         here.width, here.height);
            return kExitBadInput;
        }
        os = std::move(sdl);
        createDirect3D = glDirect3DCreate;
    } else {
        auto scripted = std::make_unique<ScriptedOperatingSystem>();
        scripted->keepHistory = false;
        os = std::move(scripted);
        if (!options.screenshot.empty() || !options.video.empty())
            createDirect3D = glOffscreenDirect3DCreate;  // pixels without a display
    }
    SessionPlayer player(*os, reader.header());
    Application app(player, createDirect3D);
    // The window opens at the recorded size, as the recorded one did.
    CommandLine recorded = options;
    if (reader.header().clientWidth > 0 && reader.header().clientHeight > 0) {
        recorded.width = reader.header().clientWidth;
        recorded.height = reader.header().clientHeight;
    }
    startAsRecorded(app, reader.header(), std::move(*scene));
    // --size goes with --replay only for a video: its size, not the recorded window's.
    if (const auto code =
            startApplication(app, recorded, 60.0, options.sizeGiven ? options.width : 0,
                             options.sizeGiven ? options.height : 0)) {
        return *code;
    }
    ReplayDivergence divergence;
    const long passes = replayPasses(app, player, reader, divergence, options.window);
    const std::uint64_t hash = stateHash(app.particles);
    const int code = finishRun(app, options, true);
    const ReplayVerdict verdict = judgeReplay(options.replay, reader, passes, hash, divergence);
    // Every line of the verdict starts as the program's own lines do.
    std::string said = verdict.said;
    for (std::size_t at = 0; at < said.size();) {
        said.insert(at, "velmora: ");
        const std::size_t end = said.find('\n', at);
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    std::fputs(said.c_str(), verdict.matches ? stdout : stderr);
    if (!verdict.complete)
        return kExitBadInput;
    if (!verdict.matches)
        return kExitReplayDiffers;
    return code;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    using namespace velmora;
    std::string error;
    const auto options = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "velmora: %s\n%s", error.c_str(), kTryHelp);
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
    if (!options->replay.empty()) {
        return outputsWritable(*options) ? replay(*options) : kExitCannotWrite;
    }
    // The scene is whole before anything opens, so a bad one leaves nothing half made.
    SceneSourceError sceneError;
    std::optional<SceneDescription> scene = openScene(options->scene, sceneError);
    if (!scene) {
        if (sceneError.badFile) {
            std::fprintf(stderr, "velmora: %s\n", sceneError.message.c_str());
            return kExitBadInput;
        }
        std::fprintf(stderr, "velmora: %s\n%s", sceneError.message.c_str(), kTryHelp);
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
        const bool pixels = !options->screenshot.empty() || !options->video.empty();
        return run(os, pixels ? glOffscreenDirect3DCreate : headlessDirect3DCreate, *options,
                   std::move(*scene), frames > 0 ? frames : kHeadlessPasses);
    }
    SdlOperatingSystem os;
    if (!os.videoReady()) {
        std::fprintf(stderr, "velmora: no display to open the window on (try --headless)\n");
        return kExitWindowOrDevice;
    }
    return run(os, glDirect3DCreate, *options, std::move(*scene), frames);
}
