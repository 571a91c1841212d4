#pragma once
// Replaying a session recording through the real loop.

#include <cstdint>
#include <optional>
#include <string>

#include "scenes/SceneDescription.h"
#include "session/SessionFormat.h"

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

/// What a replay step did.
enum class ReplayStep {
    Ran,       ///< a recorded pass
    Ended,     ///< no pass: the recording has no more, or the window was closed; see finish()
    LoopOver,  ///< the pass took the quit: the loop is over
};

/// Runs the recorded passes of reader through the application, whose operating system is
/// player, one at a time, each with its recorded frame time, comparing the state with each
/// pass's check. The status corner shows the replay's progress. For loops that hand control
/// back between passes (the web page's frames) as well as for replayPasses.
class ReplayStepper {
  public:
    ReplayStepper(Application& app, SessionPlayer& player, SessionReader& reader)
        : app_(app), player_(player), reader_(reader) {}
    /// The next recorded pass.
    ReplayStep step();
    /// The recorded seconds of the passes run so far.
    double recordedSeconds() const { return recordedSeconds_; }
    /// Quits the loop, taking whatever it still has queued first; the recording may have
    /// ended before its quit reached the loop (a run of --frames, a cut-off file).
    void finish();
    long passes() const { return passes_; }
    const ReplayDivergence& divergence() const { return divergence_; }

  private:
    Application& app_;
    SessionPlayer& player_;
    SessionReader& reader_;
    PassRecord pass_;  ///< kept, so a pass allocates nothing once the vectors have grown
    long passes_ = 0;
    double recordedSeconds_ = 0.0;
    ReplayDivergence divergence_;
};

/// Runs every recorded pass through a ReplayStepper, then lets the loop take its quit. In real
/// time a pass waits until the recorded time before it has passed, so a watched replay runs
/// at the speed it was recorded at. Returns the passes run, fewer than recorded when the loop
/// quit early or the window was closed.
long replayPasses(Application& app, SessionPlayer& player, SessionReader& reader,
                  ReplayDivergence& divergence, bool realTime = false);

/// The scene a recording starts from: version 2 holds it, version 1 names it. Nothing, with
/// the reason in error, when it cannot be loaded.
std::optional<SceneDescription> recordedScene(const SessionHeader& header, std::string& error);

/// Makes the application start as the recording did: its scene, run state and history
/// budget (the window's size is the caller's).
void startAsRecorded(Application& app, const SessionHeader& header, SceneDescription scene);

/// How a finished replay compares with its recording. matches: it ran every recorded pass
/// and ends in the recorded state; said holds what to tell the user (the line that says so,
/// or where it first differed), each line ending in a newline.
struct ReplayVerdict {
    bool complete = true;  ///< the recording has its end line
    bool matches = false;
    std::string said;
};
ReplayVerdict judgeReplay(const std::string& name, const SessionReader& reader, long passes,
                          std::uint64_t hash, const ReplayDivergence& divergence);

}  // namespace velmora
