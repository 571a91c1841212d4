#pragma once
#include <cstddef>

#include "physics/ParticleList.h"
#include "physics/PhysicsSettings.h"

namespace velmora {

class ContactGrid;

/// One frame of the simulation. While running, particles 0 .. count-1 are each stepped by dt
/// seconds and immediately collided with the whole list, in list order; then every particle
/// of the list commits its next state, running or not. count is the particle count the
/// caller took before the pass (at most the list's size). sidewaysDamping is handed to every
/// step (see linkForce); 0 is the pass as described. The settings rule the steps and bounces.
void simulationPass(ParticleList& particles, std::size_t count, bool running, float dt,
                    float sidewaysDamping = 0.0f,
                    const PhysicsSettings& settings = kDescribedSettings);

inline void simulationPass(ParticleList& particles, bool running, float dt) {
    simulationPass(particles, particles.size(), running, dt);
}

/// The same pass with the same resulting states, bit for bit, but each collision scan visits
/// only the neighbourhood grid holds (lists too short to gain from it are scanned whole). The
/// grid is refiled at the start of every running pass, so the list and next positions may
/// change freely between passes.
void simulationPass(ParticleList& particles, std::size_t count, bool running, float dt,
                    ContactGrid& grid, float sidewaysDamping = 0.0f,
                    const PhysicsSettings& settings = kDescribedSettings);

inline void simulationPass(ParticleList& particles, bool running, float dt, ContactGrid& grid) {
    simulationPass(particles, particles.size(), running, dt, grid);
}

}  // namespace velmora
