#include "physics/EnergyWatch.h"

namespace velmora {

void EnergyWatch::add(double energy, double seconds) {
    if (!(seconds > 0.0)) {
        return;
    }
    sum_ += energy * seconds;
    time_ += seconds;
    if (time_ < kWindowSeconds) {
        return;
    }
    const double mean = sum_ / time_;
    risen_ = risen_ || (havePrevious_ && mean > previousMean_);
    previousMean_ = mean;
    havePrevious_ = true;
    sum_ = 0.0;
    time_ = 0.0;
}

}  // namespace velmora
