#pragma once
// The scene's energy over the last 20 seconds, for the F3 plot: kinetic, gravitational,
// elastic, their total, and what drag, dampers and bounces took out since the start or the
// last edit. Flat in memory: a ring of fixed size.
#include <array>
#include <cstddef>

#include "physics/StateSummary.h"

namespace velmora {

class EnergyHistory {
  public:
    enum Series { Kinetic, Gravitational, Elastic, Total, Lost, kSeriesCount };
    /// A sample every 1/60 s of frame time, 20 s of them.
    static constexpr int kSamples = 1200;
    static constexpr float kSampleSeconds = 1.0f / 60.0f;
    /// How far back the total is compared with, in samples (a second).
    static constexpr int kRiseWindow = 60;

    /// The energy after a pass of dt seconds; edited: the pass changed the scene by hand, so
    /// the energy lost counts from here. The newest sample always holds the latest pass.
    void add(const EnergyParts& parts, float dt, bool edited);
    /// Forgets everything: a new scene or R.
    void restart();

    /// The ring of one series: count values, the oldest at `offset`.
    const float* values(Series series) const { return values_[series].data(); }
    int count() const { return count_; }
    int offset() const { return count_ < kSamples ? 0 : next_; }
    float latest(Series series) const;
    /// At most `points` of a series' values, evenly spaced from the oldest to the newest,
    /// into out, oldest first; returns how many. A plot needs no more points than it has
    /// pixels, and each costs it a line to draw.
    int thinned(Series series, float* out, int points) const;
    /// The total rose over the last second with no edit in it: the sign of a blow-up.
    bool rising() const;

  private:
    std::array<std::array<float, kSamples>, kSeriesCount> values_{};
    int next_ = 0;   ///< the slot the next sample takes
    int count_ = 0;  ///< samples held
    float sinceSample_ = 0.0f;
    double baseline_ = 0.0;  ///< the total at the start or the last edit
    int samplesSinceEdit_ = 0;
};

}  // namespace velmora
