#pragma once
// Keeps every state finite. The step and the bounces are evaluated exactly as the rules say,
// in floats; only when a float evaluation overflows (huge frame times, velocities near the
// float limit) are the components that came out infinite or NaN evaluated again in double
// precision, where no finite float input can overflow, and rounded back with saturation at
// the largest finite float. Finite float results are never touched.
#include <cmath>

#include "math/Matrix4.h"
#include "math/Vec3.h"
#include "physics/ParticleState.h"

namespace velmora {

class Particle;
struct PhysicsSettings;

inline bool isFinite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
inline bool isFinite(const ParticleState& s) {
    return isFinite(s.position) && isFinite(s.velocity);
}

/// Replaces each non-finite component of next, the float result of particle's step over dt
/// before the box rule, by the same step evaluated in double precision and saturated.
void mendStep(ParticleState& next, const Particle& particle, float dt, float sidewaysDamping,
              const PhysicsSettings& settings);

/// transformColumn(mirror, v), with any component that overflows evaluated in double
/// precision and saturated instead.
Vec3 reflectVelocity(const Matrix4& mirror, const Vec3& v);

}  // namespace velmora
