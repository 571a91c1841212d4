#include "app/EnergyHistory.h"

#include <algorithm>
#include <cmath>

namespace velmora {

void EnergyHistory::add(const EnergyParts& parts, float dt, bool edited) {
    const double total = parts.total();
    if (edited || count_ == 0) {
        baseline_ = total;
        samplesSinceEdit_ = 0;
    }
    sinceSample_ += dt;
    // A new slot each 1/60 s; in between the newest slot follows the passes.
    if (count_ == 0 || sinceSample_ >= kSampleSeconds) {
        sinceSample_ = count_ == 0 ? 0.0f : std::fmod(sinceSample_, kSampleSeconds);
        next_ = (next_ + 1) % kSamples;
        count_ = std::min(count_ + 1, kSamples);
        ++samplesSinceEdit_;
    }
    const int newest = (next_ + kSamples - 1) % kSamples;
    const double value[kSeriesCount] = {parts.kinetic, parts.gravitational, parts.elastic, total,
                                        baseline_ - total};
    for (int s = 0; s < kSeriesCount; ++s) {
        values_[s][newest] = static_cast<float>(value[s]);
    }
}

void EnergyHistory::restart() {
    count_ = 0;
    next_ = 0;
    sinceSample_ = 0.0f;
    samplesSinceEdit_ = 0;
}

int EnergyHistory::thinned(Series series, float* out, int points) const {
    const int n = std::min(points, count_);
    const int first = offset();
    for (int i = 0; i < n; ++i) {
        // i = n - 1 is always the newest sample.
        const int age =
            n == 1 ? count_ - 1 : static_cast<int>(static_cast<long>(i) * (count_ - 1) / (n - 1));
        out[i] = values_[series][static_cast<std::size_t>((first + age) % kSamples)];
    }
    return n;
}

float EnergyHistory::latest(Series series) const {
    return count_ == 0 ? 0.0f : values_[series][(next_ + kSamples - 1) % kSamples];
}

bool EnergyHistory::rising() const {
    if (samplesSinceEdit_ <= kRiseWindow || count_ <= kRiseWindow) {
        return false;
    }
    const float now = latest(Total);
    const float before = values_[Total][(next_ + kSamples - 1 - kRiseWindow) % kSamples];
    // More than rounding: the sum of a few hundred terms in float.
    return now > before + 1e-4f * std::max(1.0f, std::fabs(before));
}

}  // namespace velmora
