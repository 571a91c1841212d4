#pragma once
// Recordings dropped on the window replay in windows of their own, each its own process of
// this program (`velmora --replay FILE --window`), so the running scene stays as it is.
#include <sys/types.h>

#include <string>
#include <vector>

namespace velmora {

class ReplayWindows {
  public:
    ReplayWindows() = default;
    ReplayWindows(const ReplayWindows&) = delete;
    ReplayWindows& operator=(const ReplayWindows&) = delete;
    /// Collects the replays that have ended; those still running go on by themselves.
    ~ReplayWindows() { reap(); }

    /// Starts the replay of the recording; false with the reason when it cannot be started.
    bool start(const std::string& recording, std::string& error);
    /// Collects the replays that have ended, so none lingers as a zombie.
    void reap();

  private:
    std::vector<pid_t> running_;
};

}  // namespace velmora
