#pragma once
#include "math/Vec3.h"
#include "physics/ParticleState.h"

namespace velmora {

/// The total force of the particle being stepped, handed to forceDerivative. Cleared and
/// summed by each free particle's step, read only during that step's integration, so no two
/// steps may integrate at the same time.
extern Vec3 accumulatedForce;

/// One classical fourth-order Runge-Kutta step of y from time t over h seconds. Returns the
/// increment, not the new state; f is called exactly four times (t, t + h/2, t + h/2, t + h).
/// Non-finite inputs propagate into the increment.
/// Defined here so that a caller passing a known function gets it inlined.
inline ParticleState integrateRK4(const ParticleState& y, float t, float h, DerivativeFn f) {
    const float half = h * 0.5f;
    const ParticleState k1 = f(t, y);
    const ParticleState k2 = f(t + half, y + k1 * half);
    const ParticleState k3 = f(t + half, y + k2 * half);
    const ParticleState k4 = f(t + h, y + k3 * h);
    // 0.16666667 is the float nearest to one sixth; the grouping fixes the rounding.
    return (((k1 + k2 * 2.0f) + k3 * 2.0f) + k4) * (h * 0.16666667f);
}

/// (y.velocity, accumulatedForce): the acceleration is the force itself (unit masses).
inline ParticleState forceDerivative(float /*time*/, ParticleState y) {
    return {y.velocity, accumulatedForce};
}

}  // namespace velmora
