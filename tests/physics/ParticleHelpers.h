#pragma once
// Builders and checks shared by the physics tests.
#include <cmath>
#include <memory>
#include <vector>

#include "physics/Particle.h"

namespace velmora {

inline Particle* add(ParticleList& list, Vec3 position, Vec3 velocity = {}) {
    list.push_back(std::make_unique<Particle>(position));
    list.back()->current.velocity = list.back()->next.velocity = velocity;
    return list.back().get();
}

// Summed in double: finite floats cannot overflow there, while inf and NaN still show.
inline bool allFinite(const Particle& p) {
    double sum = 0.0;
    for (const Vec3& v :
         {p.current.position, p.current.velocity, p.next.position, p.next.velocity}) {
        sum += double{v.x} + v.y + v.z;
    }
    return std::isfinite(sum);
}

}  // namespace velmora
