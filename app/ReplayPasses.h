#pragma once
// Replaying a session recording through the real loop.

#include <cstdint>

namespace velmora {

class Application;
class SessionPlayer;
class SessionReader;

/// Where a replay first left the recording: the first pass whose recorded state hash
/// ("check") the replay did not reach. passes is 0 while every check matched.
struct ReplayDivergence {
    long pass = 0;
    std::uint64_t recorded = 0;
    std::uint64_t replayed = 0;
};

/// Runs the recorded passes of reader through the application, whose operating system is
/// player, each with its recorded frame time, comparing the state with each pass's check;
/// then lets the loop take its quit. In real time a pass waits until the recorded time before
/// it has passed, so a watched replay runs at the speed it was recorded at. The status corner
/// shows the replay's progress. Returns the passes run, fewer than recorded when the loop quit
/// early or the window was closed.
long replayPasses(Application& app, SessionPlayer& player, SessionReader& reader,
                  ReplayDivergence& divergence, bool realTime = false);

}  // namespace velmora
