#include "physics/OverflowGuard.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "physics/Particle.h"

namespace velmora {
namespace {

struct Wide {
    double x = 0.0, y = 0.0, z = 0.0;
};

Wide widen(const Vec3& v) {
    return {v.x, v.y, v.z};
}
Wide operator+(const Wide& a, const Wide& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Wide operator-(const Wide& a, const Wide& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Wide operator*(const Wide& a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(const Wide& a, const Wide& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float saturate(double v) {
    return static_cast<float>(std::clamp<double>(v, -FLT_MAX, FLT_MAX));
}

void mend(float& value, double wide) {
    if (!std::isfinite(value)) {
        value = saturate(wide);
    }
}

void mend(Vec3& value, const Wide& wide) {
    mend(value.x, wide.x);
    mend(value.y, wide.y);
    mend(value.z, wide.z);
}

// The force gathering of the step, in double. With float inputs the worst term is about
// 1e41 per link, far inside the double range.
Wide wideForce(const Particle& p, double sidewaysDamping, const PhysicsSettings& settings) {
    Wide f = widen(settings.gravity) * p.mass;
    f = f + widen(p.current.velocity) * -static_cast<double>(settings.airDrag);
    for (const ParticleLink& link : p.links) {
        const Wide d = widen(link.other->current.position) - widen(p.current.position);
        const double len = std::sqrt(dot(d, d));
        if (len == 0.0) {
            continue;
        }
        const Wide u = d * (1.0 / len);
        const Wide w = widen(p.current.velocity) - widen(link.other->current.velocity);
        const Wide along = u * dot(w, u);
        f = f + u * (link.stiffness * (len - link.restLength)) - along * link.damping;
        if (sidewaysDamping > 0.0 && len > link.restLength) {
            const double sidewaysStiffness = link.stiffness * (len - link.restLength) / len;
            f = f - (w - along) * (sidewaysDamping * sidewaysStiffness);
        }
    }
    return f;
}

}  // namespace

void mendStep(ParticleState& next, const Particle& particle, float dt, float sidewaysDamping,
              const PhysicsSettings& settings) {
    const Wide a = wideForce(particle, sidewaysDamping, settings);
    const Wide v = widen(particle.current.velocity);
    const double h = dt;
    // The Runge-Kutta stages of forceDerivative: the acceleration is constant, the position's
    // derivative is the stage velocity (v, v + a h/2 twice, v + a h).
    const Wide vHalf = v + a * (h * 0.5);
    const Wide vEnd = v + a * h;
    const Wide dPosition = (((v + vHalf * 2.0) + vHalf * 2.0) + vEnd) * (h / 6.0);
    const Wide dVelocity = a * h;
    mend(next.position, widen(particle.current.position) + dPosition);
    mend(next.velocity, v + dVelocity);
}

Vec3 reflectVelocity(const Matrix4& mirror, const Vec3& v) {
    Vec3 r = transformColumn(mirror, v);
    if (!isFinite(r)) {
        const auto& m = mirror.m;
        const Wide w = widen(v);
        mend(r, {m[0][0] * w.x + m[0][1] * w.y + m[0][2] * w.z + m[0][3],
                 m[1][0] * w.x + m[1][1] * w.y + m[1][2] * w.z + m[1][3],
                 m[2][0] * w.x + m[2][1] * w.y + m[2][2] * w.z + m[2][3]});
    }
    return r;
}

}  // namespace velmora
