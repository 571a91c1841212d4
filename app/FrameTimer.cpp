#include "app/FrameTimer.h"

namespace velmora {

FrameTimer* timer = nullptr;

bool FrameTimer::start() {
    std::int64_t frequency = 0;
    // A frequency of 0 would make every delta infinite or NaN; treat it as no counter.
    if (!os.queryPerformanceFrequency(frequency) || frequency <= 0) {
        return false;
    }
    secondsPerTick = 1.0 / static_cast<double>(frequency);
    std::int64_t count = 0;
    if (!os.queryPerformanceCounter(count)) {
        return false;
    }
    lastCount = count;
    return true;
}

void FrameTimer::tick() {
    std::int64_t now = 0;
    // A failed read would measure from 0 and give a huge negative delta; count it as no
    // time passed and keep the reference point.
    if (os.queryPerformanceCounter(now)) {
        deltaTime = static_cast<float>(static_cast<double>(now - lastCount) * secondsPerTick);
        lastCount = now;
    } else {
        deltaTime = 0.0f;
    }
    if (fixedDeltaTime) {
        deltaTime = *fixedDeltaTime;
    }
}

}  // namespace velmora
