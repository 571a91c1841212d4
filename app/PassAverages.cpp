#include "app/PassAverages.h"

#include <cmath>

namespace velmora {

void PassAverages::add(float passSeconds, double physicsSeconds) {
    // A clock that jumped back or gave nothing usable adds a pass without time.
    seconds_ += std::isfinite(passSeconds) && passSeconds > 0.0f ? passSeconds : 0.0;
    physicsSeconds_ += std::isfinite(physicsSeconds) && physicsSeconds > 0.0 ? physicsSeconds : 0.0;
    ++passes_;
    const bool closes = seconds_ >= kAveragingSeconds || passes_ >= kAveragingMaxPasses;
    if (closes || !published_)
        publish();
    if (closes) {
        published_ = true;
        seconds_ = physicsSeconds_ = 0.0;
        passes_ = 0;
    }
}

void PassAverages::publish() {
    const auto passes = static_cast<double>(passes_);
    framesPerSecond_ = seconds_ > 0.0 ? static_cast<float>(passes / seconds_) : 0.0f;
    physicsMilliseconds_ = static_cast<float>(physicsSeconds_ * 1000.0 / passes);
}

}  // namespace velmora
