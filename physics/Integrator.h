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
ParticleState integrateRK4(const ParticleState& y, float t, float h, DerivativeFn f);

/// (y.velocity, accumulatedForce): the acceleration is the force itself (unit masses).
ParticleState forceDerivative(float time, ParticleState y);

}  // namespace velmora
