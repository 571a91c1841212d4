#pragma once
// How far a long render has got, on standard error: the pass, the share done, passes a
// second and the time left. On a terminal one line is rewritten in place a few times a second;
// otherwise (a log, a pipe) a line is written at every tenth of the work.
#include <chrono>
#include <cstdio>

namespace velmora {

class ProgressLine {
  public:
    /// inPlace: rewrite one line (a terminal) rather than add lines.
    ProgressLine(std::FILE* out, bool inPlace) : out_(out), inPlace_(inPlace) {}
    /// Pass `done` of `total` finished.
    void update(long done, long total);
    /// Ends the line written in place.
    void finish();

  private:
    using Clock = std::chrono::steady_clock;
    std::FILE* out_;
    bool inPlace_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_{};
    long lastTenth_ = 0;
    bool shown_ = false;
};

}  // namespace velmora
