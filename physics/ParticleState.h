#pragma once
#include "math/Vec3.h"

namespace velmora {

/// Six floats: a particle's position (world units) and velocity (world units per second).
/// A derivative uses the same type: rate of change of position, then acceleration.
struct ParticleState {
    Vec3 position;
    Vec3 velocity;
};

inline ParticleState operator+(const ParticleState& a, const ParticleState& b) {
    return {a.position + b.position, a.velocity + b.velocity};
}
inline ParticleState operator*(const ParticleState& a, float s) {
    return {a.position * s, a.velocity * s};
}

/// Derivative of a state at a time in seconds. Carries no context: whatever else it needs it
/// reads from the physics module (see accumulatedForce).
using DerivativeFn = ParticleState (*)(float time, ParticleState state);

}  // namespace velmora
