#pragma once
// Replaying a session recording through the real loop.

namespace velmora {

class Application;
class SessionPlayer;
class SessionReader;

/// Runs the recorded passes of reader through the application, whose operating system is
/// player, each with its recorded frame time; then lets the loop take its quit. In real time
/// a pass waits until the recorded time before it has passed, so a watched replay runs at the
/// speed it was recorded at. Returns the passes run, fewer than recorded when the loop quit
/// early or the window was closed.
long replayPasses(Application& app, SessionPlayer& player, SessionReader& reader,
                  bool realTime = false);

}  // namespace velmora
