#include "app/ReplayPasses.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#include <unistd.h>

#include "app/Application.h"
#include "app/ProgressLine.h"
#include "physics/StateSummary.h"
#include "scenes/SceneFile.h"
#include "scenes/SceneSource.h"
#include "session/SessionPlayer.h"
#include "session/SessionReader.h"

namespace velmora {

ReplayStep ReplayStepper::step() {
    if (player_.closeRequested() || !reader_.nextPass(pass_))
        return ReplayStep::Ended;
    recordedSeconds_ += pass_.dt;
    player_.loadPass(pass_);
    timer->fixedDeltaTime = pass_.dt;
    char progress[64];
    std::snprintf(progress, sizeof progress, "Replay %ld / %ld", passes_ + 1, reader_.passCount());
    app_.replayProgress.assign(progress);  // in its own storage: nothing allocated a pass
    if (!app_.runPass())
        return ReplayStep::LoopOver;
    ++passes_;
    if (pass_.hasCheck && divergence_.pass == 0) {
        const std::uint64_t replayed = stateHash(app_.particles);
        if (replayed != pass_.check) {
            divergence_ = {passes_, pass_.check, replayed};
        }
    }
    return ReplayStep::Ran;
}

void ReplayStepper::finish() {
    PassRecord idle;
    idle.dt = 0.0f;
    player_.loadPass(idle);
    player_.postQuitMessage(0);
    while (app_.runPass()) {
    }
}

std::optional<SceneDescription> recordedScene(const SessionHeader& header, std::string& error) {
    SceneSourceError sceneError;
    std::optional<SceneDescription> scene;
    if (header.sceneText.empty()) {
        scene = openScene(header.scene, sceneError);
    } else if (!parseSceneText(header.sceneText, scene.emplace(), sceneError.message)) {
        scene.reset();
    }
    if (!scene)
        error = "the recorded scene cannot be loaded: " + sceneError.message;
    return scene;
}

void startAsRecorded(Application& app, const SessionHeader& header, SceneDescription scene) {
    app.startingScene = std::move(scene);
    app.sceneName = header.scene;
    app.startsPaused = header.paused;
    app.historyBudgetBytes = historyBudgetBytes(header.historyMegabytes);
}

ReplayVerdict judgeReplay(const std::string& name, const SessionReader& reader, long passes,
                          std::uint64_t hash, const ReplayDivergence& divergence) {
    // Built as strings: the name and the recording's program field may be of any length.
    ReplayVerdict verdict;
    if (!reader.complete()) {
        verdict.complete = false;
        verdict.said = name + " ends after pass " + std::to_string(reader.passCount()) +
                       " without its end line (cut off?); the replay stopped there\n";
        return verdict;
    }
    verdict.matches = passes == reader.end().passes && hash == reader.end().hash;
    if (verdict.matches) {
        verdict.said = "replay matches the recording (hash " + hashText(hash) + ")\n";
        return verdict;
    }
    verdict.said = "the replay ends after " + std::to_string(passes) + " passes in state " +
                   hashText(hash) + "; " + name + " ended after " +
                   std::to_string(reader.end().passes) + " in " + hashText(reader.end().hash) +
                   " (recorded by " + reader.header().program + ")\n";
    if (divergence.pass > 0) {
        verdict.said += "it first differs after pass " + std::to_string(divergence.pass) +
                        ": state " + hashText(divergence.replayed) + ", recorded " +
                        hashText(divergence.recorded) + "\n";
    }
    return verdict;
}

long replayPasses(Application& app, SessionPlayer& player, SessionReader& reader,
                  ReplayDivergence& divergence, bool realTime) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    ReplayStepper stepper(app, player, reader);
    // A replay rendered to a file says how far it has got.
    std::optional<ProgressLine> progressLine;
    if (app.video && !realTime)
        progressLine.emplace(stderr, isatty(STDERR_FILENO) != 0);
    ReplayStep step = ReplayStep::Ran;
    while (true) {
        if (realTime && !player.closeRequested()) {
            std::this_thread::sleep_until(
                start + std::chrono::duration_cast<Clock::duration>(
                            std::chrono::duration<double>(stepper.recordedSeconds())));
        }
        step = stepper.step();
        if (step != ReplayStep::Ran)
            break;
        if (progressLine)
            progressLine->update(stepper.passes(), reader.passCount());
    }
    if (progressLine)
        progressLine->finish();
    divergence = stepper.divergence();
    if (step == ReplayStep::Ended)
        stepper.finish();
    return stepper.passes();
}

}  // namespace velmora
