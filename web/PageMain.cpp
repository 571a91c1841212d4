// The web page's entry point: the same program as the desktop's, its loop driven by the
// browser's frames. The address's options choose the scene, or a recording to fetch and
// replay; the page's script and its tests read how far it got through web/PageBridge.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "app/Application.h"
#include "app/ReplayPasses.h"
#include "app/RunReport.h"
#include "app/Window.h"
#include "physics/StateSummary.h"
#include "platform/GlDevice.h"
#include "platform/WebOperatingSystem.h"
#include "scenes/SceneFile.h"
#include "scenes/SceneSource.h"
#include "session/SessionPlayer.h"
#include "session/SessionReader.h"
#include "web/PageBridge.h"
#include "web/PageOptions.h"

namespace velmora {
namespace {

/// Where the page's data is packed (the pictures and the effect) and where F5 saves before the
/// file is offered as a download.
constexpr const char* kPageDataFolder = "/bin/";
constexpr const char* kPageSaveFolder = "/saves";
/// A replay catches up with the recorded time by at most this many passes a frame, so a slow
/// machine sees a slower replay rather than a frozen tab.
constexpr int kMostReplayPassesAFrame = 8;

/// Everything the page keeps between the browser's frames. It lives as long as the tab.
struct Page {
    PageOptions options;
    WebOperatingSystem os;
    std::string recording;  ///< the fetched recording's bytes, which the reader reads
    std::unique_ptr<SessionReader> reader;
    std::unique_ptr<SessionPlayer> player;
    std::unique_ptr<Application> app;
    std::unique_ptr<ReplayStepper> stepper;
    double startMs = 0.0;
    long frames = 0;
    std::string lastMessage;        ///< the application's, when the page last looked
    std::set<std::string> offered;  ///< saved files already offered as downloads
};

/// A new save in the save folder becomes a download: the page has no folder of the user's.
void offerNewSaves(Page& page) {
    if (page.app->lastMessage == page.lastMessage)
        return;
    page.lastMessage = page.app->lastMessage;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kPageSaveFolder, error)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() == ".json" && page.offered.insert(path).second)
            pageOfferDownload(path);
    }
}

void endRun(Page& page, const std::string& said) {
    emscripten_cancel_main_loop();
    page.os.stopListening();
    Application& app = *page.app;
    pageShowReport(runReportLine(app.particles, app.passTimes, app.physics.gravity), said);
}

void interactiveFrame(void* argument) {
    Page& page = *static_cast<Page*>(argument);
    const bool going = page.app->runPass();
    pageFrameDrawn(++page.frames);
    offerNewSaves(page);
    if (!going)
        endRun(page, "");
}

void replayFrame(void* argument) {
    Page& page = *static_cast<Page*>(argument);
    const double elapsed = (emscripten_get_now() - page.startMs) / 1000.0;
    // The passes whose recorded time has come, so that a screen of any rate shows the replay
    // at the speed it was recorded.
    ReplayStep step = ReplayStep::Ran;
    for (int passes = 0; passes < kMostReplayPassesAFrame &&
                         page.stepper->recordedSeconds() <= elapsed && step == ReplayStep::Ran;
         ++passes) {
        step = page.stepper->step();
    }
    pageFrameDrawn(++page.frames);
    if (step == ReplayStep::Ran)
        return;
    if (step == ReplayStep::Ended)
        page.stepper->finish();
    const ReplayVerdict verdict =
        judgeReplay(page.options.replay, *page.reader, page.stepper->passes(),
                    stateHash(page.app->particles), page.stepper->divergence());
    endRun(page, verdict.said);
}

/// Start-up of the application on the page's operating system (or a replay's player over it),
/// after `prepare` has set what start-up builds; false when it failed, said on the page.
template <typename Prepare>
bool startApplication(Page& page, OperatingSystem& os, int width, int height,
                      const Prepare& prepare) {
    page.app = std::make_unique<Application>(os, webGlDirect3DCreate);
    Application& app = *page.app;
    app.dataFolder = kPageDataFolder;
    app.saveFolder = kPageSaveFolder;
    prepare(app);
    clientWidth = width;
    clientHeight = height;
    if (app.startUp(SW_SHOWNORMAL)) {
        page.os.stopListening();
        pageShowError(app.failure);
        return false;
    }
    app.overlayShown = page.options.program.overlay;
    page.startMs = emscripten_get_now();
    return true;
}

void startInteractive(Page& page) {
    const CommandLine& options = page.options.program;
    SceneSourceError sceneError;
    std::optional<SceneDescription> scene = openScene(options.scene, sceneError);
    if (!scene) {
        pageShowError(sceneError.message);
        return;
    }
    const auto prepare = [&](Application& app) { startAsAsked(app, options, std::move(*scene)); };
    if (startApplication(page, page.os, options.width, options.height, prepare))
        emscripten_set_main_loop_arg(interactiveFrame, &page, 0, false);
}

/// The recording has arrived: replay it as the desktop's --replay --window does.
void startReplay(Page& page) {
    std::string error;
    page.reader = std::make_unique<SessionReader>();
    std::FILE* file = fmemopen(page.recording.data(), page.recording.size(), "rb");
    if (file == nullptr) {
        pageShowError(page.options.replay + ": cannot be read");
        return;
    }
    if (!page.reader->open(file, page.options.replay, error)) {
        pageShowError(error);  // names the recording
        return;
    }
    const SessionHeader& header = page.reader->header();
    std::optional<SceneDescription> scene = recordedScene(header, error);
    if (!scene) {
        pageShowError(page.options.replay + ": " + error);
        return;
    }
    page.player = std::make_unique<SessionPlayer>(page.os, header);
    const int width = header.clientWidth > 0 ? header.clientWidth : page.options.program.width;
    const int height = header.clientHeight > 0 ? header.clientHeight : page.options.program.height;
    const auto prepare = [&](Application& app) { startAsRecorded(app, header, std::move(*scene)); };
    if (!startApplication(page, *page.player, width, height, prepare))
        return;
    page.stepper = std::make_unique<ReplayStepper>(*page.app, *page.player, *page.reader);
    emscripten_set_main_loop_arg(replayFrame, &page, 0, false);
}

}  // namespace
}  // namespace velmora

// What the page's fetch of a recording calls (web/PageBridge's pageFetchRecording).
extern "C" {

EMSCRIPTEN_KEEPALIVE char* velmoraRecordingSpace(void* page, int size) {
    // The fetch has counted the bytes against kMaxSessionFileBytes already.
    auto& recording = static_cast<velmora::Page*>(page)->recording;
    recording.assign(static_cast<std::size_t>(std::max(size, 0)), '\0');
    return recording.data();
}

EMSCRIPTEN_KEEPALIVE void velmoraRecordingArrived(void* page) {
    velmora::startReplay(*static_cast<velmora::Page*>(page));
}

EMSCRIPTEN_KEEPALIVE void velmoraRecordingFailed(void* page, int failure, int status) {
    using velmora::FetchFailure;
    const std::string& address = static_cast<velmora::Page*>(page)->options.replay;
    switch (static_cast<FetchFailure>(failure)) {
        case FetchFailure::Refused:
            velmora::pageShowError(address + ": cannot be fetched: the server answered " +
                                   std::to_string(status));
            break;
        case FetchFailure::TooLarge:
            velmora::pageShowError(address + ": larger than a recording may be (" +
                                   std::to_string(velmora::kMaxSessionFileBytes >> 20) + " MB)");
            break;
        default:
            velmora::pageShowError(address + ": cannot be fetched (the server is not reachable)");
            break;
    }
}

}  // extern "C"

int main() {
    using namespace velmora;
    // The page keeps this as long as it is open: the browser calls back into it every frame.
    auto* page = new Page;
    pageTellLargestDrop(double(kMaxSceneFileBytes));
    std::string error;
    std::optional<PageOptions> options = parsePageQuery(pageQueryString(), error);
    if (!options) {
        pageShowError(error);
        return 0;
    }
    page->options = std::move(*options);
    if (page->options.replay.empty()) {
        startInteractive(*page);
    } else {
        pageFetchRecording(page->options.replay, page, double(kMaxSessionFileBytes));
    }
    return 0;
}
