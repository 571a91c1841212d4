#include "physics/Integrator.h"

namespace velmora {

Vec3 accumulatedForce;

ParticleState integrateRK4(const ParticleState& y, float t, float h, DerivativeFn f) {
    const float half = h * 0.5f;
    const ParticleState k1 = f(t, y);
    const ParticleState k2 = f(t + half, y + k1 * half);
    const ParticleState k3 = f(t + half, y + k2 * half);
    const ParticleState k4 = f(t + h, y + k3 * h);
    // 0.16666667 is the float nearest to one sixth; the grouping fixes the rounding.
    return (((k1 + k2 * 2.0f) + k3 * 2.0f) + k4) * (h * 0.16666667f);
}

ParticleState forceDerivative(float /*time*/, ParticleState y) {
    return {y.velocity, accumulatedForce};
}

}  // namespace velmora
