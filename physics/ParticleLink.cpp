#include "physics/ParticleLink.h"

namespace velmora {

Vec3 linkForce(const ParticleLink& link, const ParticleState& self, const ParticleState& far) {
    const Vec3 d = far.position - self.position;
    if (length(d) == 0.0f) {
        // Both terms act along the link; without a direction (unitVector would give NaN)
        // there is nothing to add.
        return {};
    }
    const Vec3 u = unitVector(d);
    const float stretch = length(d) - link.restLength;
    const Vec3 w = self.velocity - far.velocity;
    const Vec3 alongLink = u * dot(w, u);
    return u * (link.stiffness * stretch) - alongLink * link.damping;
}

}  // namespace velmora
