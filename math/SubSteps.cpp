#include "math/SubSteps.h"

#include <algorithm>
#include <cmath>

namespace velmora {

SubSteps splitIntoSubSteps(float dt, float h, int maxSubSteps) {
    if (!(dt > h)) {
        return {1, dt};
    }
    if (dt >= h * static_cast<float>(maxSubSteps)) {
        return {maxSubSteps, h};
    }
    const int count = std::min(maxSubSteps, static_cast<int>(std::ceil(dt / h)));
    return {count, dt / static_cast<float>(count)};
}

}  // namespace velmora
