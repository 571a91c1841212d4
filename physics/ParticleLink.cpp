#include "physics/ParticleLink.h"

namespace velmora {

Vec3 linkForce(const ParticleLink& link, const ParticleState& self, const ParticleState& far,
               float sidewaysDamping) {
    const Vec3 d = far.position - self.position;
    const float distance = length(d);
    if (distance == 0.0f) {
        // Both terms act along the link; without a direction (unitVector would give NaN)
        // there is nothing to add.
        return {};
    }
    const Vec3 u = d * (1.0f / distance);  // unitVector(d), its square root taken once
    const float stretch = distance - link.restLength;
    const Vec3 w = self.velocity - far.velocity;
    const Vec3 alongLink = u * dot(w, u);
    Vec3 force = u * (link.stiffness * stretch) - alongLink * link.damping;
    if (sidewaysDamping > 0.0f && stretch > 0.0f) {
        const float sidewaysStiffness = link.stiffness * stretch / distance;
        force -= (w - alongLink) * (sidewaysDamping * sidewaysStiffness);
    }
    return force;
}

}  // namespace velmora
