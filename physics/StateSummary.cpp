#include "physics/StateSummary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "physics/Particle.h"

namespace velmora {

namespace {

double squaredLength(const Vec3& v) {
    return double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z;
}

// In double, where the distance between two finite float points never overflows.
double distance(const Vec3& a, const Vec3& b) {
    const double dx = double{b.x} - a.x, dy = double{b.y} - a.y, dz = double{b.z} - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

/// m |g| times the height above the wall gravity pulls towards, along each axis it pulls:
/// never negative inside the room, whichever way gravity points.
double gravitationalEnergy(const Particle& p, const Vec3& gravity) {
    const float pulls[3] = {gravity.x, gravity.y, gravity.z};
    const float at[3] = {p.current.position.x, p.current.position.y, p.current.position.z};
    double sum = 0.0;
    for (int axis = 0; axis < 3; ++axis) {
        const double g = pulls[axis];
        if (g < 0.0) {
            sum += double{p.mass} * -g * (double{at[axis]} + kBoxHalfSize);
        } else if (g > 0.0) {
            sum += double{p.mass} * g * (kBoxHalfSize - double{at[axis]});
        }
    }
    return sum;
}

/// Each link once, from the half held by the particle at the lower address; both halves
/// measure the same length.
bool countsLink(const Particle& p, const ParticleLink& l) {
    return std::less<const Particle*>()(&p, l.other);
}

double elasticEnergy(const Particle& p, const ParticleLink& l) {
    const double stretch = distance(p.current.position, l.other->current.position) - l.restLength;
    return 0.5 * l.stiffness * stretch * stretch;
}

}  // namespace

std::uint64_t stateHash(const ParticleList& particles) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const auto& p : particles) {
        const float values[6] = {p->current.position.x, p->current.position.y,
                                 p->current.position.z, p->current.velocity.x,
                                 p->current.velocity.y, p->current.velocity.z};
        for (const float value : values) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            for (int byte = 0; byte < 4; ++byte) {
                hash = (hash ^ ((bits >> (8 * byte)) & 0xffu)) * 1099511628211ull;
            }
        }
    }
    return hash;
}

std::size_t linkCount(const ParticleList& particles) {
    std::size_t records = 0;
    for (const auto& p : particles) {
        records += p->links.size();
    }
    return records / 2;
}

double largestStretch(const ParticleList& particles) {
    double largest = 0.0;
    for (const auto& p : particles) {
        for (const ParticleLink& l : p->links) {
            if (l.restLength > 0.0f) {
                largest =
                    std::max(largest, distance(p->current.position, l.other->current.position) /
                                          l.restLength);
            }
        }
    }
    return largest;
}

double largestSpeed(const ParticleList& particles) {
    double largest = 0.0;
    for (const auto& p : particles) {
        largest = std::max(largest, std::sqrt(squaredLength(p->current.velocity)));
    }
    return largest;
}

double kineticEnergy(const ParticleList& particles) {
    double sum = 0.0;
    for (const auto& p : particles) {
        sum += 0.5 * p->mass * squaredLength(p->current.velocity);
    }
    return sum;
}

double totalEnergy(const ParticleList& particles, const Vec3& gravity) {
    double sum = kineticEnergy(particles);
    for (const auto& p : particles) {
        sum += gravitationalEnergy(*p, gravity);
        for (const ParticleLink& l : p->links) {
            if (countsLink(*p, l)) {
                sum += elasticEnergy(*p, l);
            }
        }
    }
    return sum;
}

EnergyParts energyParts(const ParticleList& particles, const Vec3& gravity) {
    EnergyParts parts;
    parts.kinetic = kineticEnergy(particles);
    for (const auto& p : particles) {
        parts.gravitational += gravitationalEnergy(*p, gravity);
        for (const ParticleLink& l : p->links) {
            if (countsLink(*p, l)) {
                parts.elastic += elasticEnergy(*p, l);
            }
        }
    }
    return parts;
}

}  // namespace velmora
