#pragma once
#include "math/Vec3.h"
#include "physics/ParticleState.h"

namespace velmora {

class Particle;

inline constexpr float kLinkStiffness = 100.0f;
inline constexpr float kLinkDamping = 10.0f;

/// One half of a damped spring between two particles; the far particle holds the other half.
struct ParticleLink {
    Particle* other = nullptr;  ///< far end, not owned
    float restLength = 0.0f;    ///< world units
    float stiffness = kLinkStiffness;
    float damping = kLinkDamping;
};

/// Force on the particle in state self from its link to the particle in state far: the
/// spring along the link plus damping of the relative velocity along it. Ends that coincide
/// have no direction, so such a link adds nothing.
///
/// sidewaysDamping (seconds; 0 leaves the force as described) also damps the relative velocity
/// across a stretched link, with the coefficient sidewaysDamping * k (1 - rest / length): a
/// stretched link pulls a sideways displacement back with that stiffness and has no damper
/// for it, so a step that holds its force fixed grows such motion (see StableStepper).
Vec3 linkForce(const ParticleLink& link, const ParticleState& self, const ParticleState& far,
               float sidewaysDamping = 0.0f);

}  // namespace velmora
