#include "app/ReplayPasses.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#include <unistd.h>

#include "app/Application.h"
#include "app/ProgressLine.h"
#include "physics/StateSummary.h"
#include "session/SessionPlayer.h"
#include "session/SessionReader.h"

namespace velmora {

long replayPasses(Application& app, SessionPlayer& player, SessionReader& reader,
                  ReplayDivergence& divergence, bool realTime) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    double recordedSeconds = 0.0;
    PassRecord pass;
    long passes = 0;
    // A replay rendered to a file says how far it has got.
    std::optional<ProgressLine> progressLine;
    if (app.video && !realTime)
        progressLine.emplace(stderr, isatty(STDERR_FILENO) != 0);
    while (!player.closeRequested() && reader.nextPass(pass)) {
        if (realTime) {
            std::this_thread::sleep_until(start +
                                          std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(recordedSeconds)));
        }
        recordedSeconds += pass.dt;
        player.loadPass(pass);
        timer->fixedDeltaTime = pass.dt;
        char progress[64];
        std::snprintf(progress, sizeof progress, "Replay %ld / %ld", passes + 1,
                      reader.passCount());
        app.replayProgress.assign(progress);  // in its own storage: nothing allocated a pass
        if (!app.runPass()) {
            if (progressLine)
                progressLine->finish();
            return passes;
        }
        ++passes;
        if (progressLine)
            progressLine->update(passes, reader.passCount());
        if (pass.hasCheck && divergence.pass == 0) {
            const std::uint64_t replayed = stateHash(app.particles);
            if (replayed != pass.check) {
                divergence = {passes, pass.check, replayed};
            }
        }
    }
    if (progressLine)
        progressLine->finish();
    // The recording ended before its quit reached the loop (a run of --frames, a cut-off
    // file): quit now, taking whatever the loop still has queued first.
    PassRecord idle;
    idle.dt = 0.0f;
    player.loadPass(idle);
    player.postQuitMessage(0);
    while (app.runPass()) {
    }
    return passes;
}

}  // namespace velmora
