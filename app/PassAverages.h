#pragma once
#include <cstdint>

namespace velmora {

/// Pass time over which the status corner's figures are averaged, seconds.
inline constexpr double kAveragingSeconds = 0.5;
/// A window also closes after this many passes, so passes that measure no time still
/// update the physics figure.
inline constexpr std::int64_t kAveragingMaxPasses = 240;

/// The frame rate and the physics time per pass as the status corner shows them: averaged
/// over windows of about half a second of passes, so one slow or fast pass does not make the
/// figures jump. Until the first window closes they average what has been seen.
class PassAverages {
  public:
    /// One pass: its frame time (seconds, as the frame timer gives it) and the wall-clock
    /// time its simulation took (seconds).
    void add(float passSeconds, double physicsSeconds);

    /// Passes per second of pass time; 0 when the passes measured no time.
    float framesPerSecond() const { return framesPerSecond_; }
    float physicsMilliseconds() const { return physicsMilliseconds_; }

  private:
    void publish();

    double seconds_ = 0.0;
    double physicsSeconds_ = 0.0;
    std::int64_t passes_ = 0;
    bool published_ = false;
    float framesPerSecond_ = 0.0f;
    float physicsMilliseconds_ = 0.0f;
};

}  // namespace velmora
