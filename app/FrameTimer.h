#pragma once
#include <cstdint>
#include <optional>

#include "platform/OperatingSystem.h"

namespace velmora {

/// Seconds between consecutive ticks from the performance counter. No clamping or
/// smoothing: one long pass gives one large deltaTime. A fixed clock (fixedDeltaTime) makes
/// every tick yield the same value, for runs that must repeat exactly.
class FrameTimer {
  public:
    std::int64_t lastCount = 0;   ///< counter value at the last tick or at start
    double secondsPerTick = 0.0;  ///< 1 / counter frequency; 0 while the frequency is unknown
    float deltaTime = 0.0f;       ///< seconds between the last two ticks
    std::optional<float> fixedDeltaTime;  ///< when set, what every tick yields, seconds
    OperatingSystem& os;

    explicit FrameTimer(OperatingSystem& os_) : os(os_) {}

    /// Reads the frequency and the counter; false if either cannot be read. A failed
    /// frequency query leaves every field as it was, so every tick yields 0.
    bool start();
    /// Measures the time since the previous tick into deltaTime.
    void tick();
};

/// The one frame timer, owned by the entry point.
extern FrameTimer* timer;

}  // namespace velmora
