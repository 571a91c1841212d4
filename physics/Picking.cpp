#include "physics/Picking.h"

#include "physics/Particle.h"

namespace velmora {

bool lineHitsSphere(const Vec3& p1, const Vec3& p2, const Vec3& m, float r) {
    const Vec3 e = p2 - p1;
    const float alpha = dot(e, e);
    const float beta = 2.0f * dot(e, p1 - m);
    const float gamma = dot(m, m) + dot(p1, p1) - 2.0f * dot(m, p1) - r * r;
    return beta * beta - 4.0f * alpha * gamma >= 0.0f;
}

Particle* pickParticle(const PickRay& ray, const Camera& camera, const ParticleList& particles) {
    float best = -1.0f;
    Particle* result = nullptr;
    const Vec3 eye = camera.getEye();
    const Vec3 forward = camera.forward();
    for (const auto& particle : particles) {
        const Vec3 centre = particle->current.position;
        if (!lineHitsSphere(ray.nearPoint, ray.farPoint, centre, kPickRadius)) {
            continue;
        }
        // The line test also accepts spheres behind the eye; those are never picked.
        const Vec3 v = centre - eye;
        if (!(dot(v, forward) > 0.0f)) {
            continue;
        }
        const float distance = length(v);
        if (best < 0.0f || distance < best) {
            best = distance;
            result = particle.get();
        }
    }
    return result;
}

}  // namespace velmora
