#include "math/Vec3.h"

namespace velmora {

Vec3 Vec3::normalized() const {
    const float len = length(*this);
    if (len == 0.0f) {
        return {};
    }
    return *this * (1.0f / len);
}

void Vec3::normalize() {
    const float len = length(*this);
    if (len != 0.0f) {
        *this = *this * (1.0f / len);
    }
}

}  // namespace velmora
