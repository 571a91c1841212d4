#pragma once
#include <cstddef>

#include "physics/ParticleList.h"

namespace velmora {

/// One frame of the simulation. While running, particles 0 .. count-1 are each stepped by dt
/// seconds and immediately collided with the whole list, in list order; then every particle
/// of the list commits its next state, running or not. count is the particle count the
/// caller took before the pass (at most the list's size).
void simulationPass(ParticleList& particles, std::size_t count, bool running, float dt);

inline void simulationPass(ParticleList& particles, bool running, float dt) {
    simulationPass(particles, particles.size(), running, dt);
}

}  // namespace velmora
