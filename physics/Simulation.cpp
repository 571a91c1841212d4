#include "physics/Simulation.h"

#include <algorithm>

#include "physics/ContactGrid.h"
#include "physics/Particle.h"

namespace velmora {
namespace {

void commitAll(ParticleList& particles) {
    for (const auto& p : particles) {
        p->commit();
    }
}

}  // namespace

void simulationPass(ParticleList& particles, std::size_t count, bool running, float dt,
                    float sidewaysDamping, const PhysicsSettings& settings) {
    if (running) {
        const std::size_t n = std::min(count, particles.size());
        // Interleaved on purpose: particle i collides with particles before it that are
        // already stepped and with later ones that still hold the last committed state.
        for (std::size_t i = 0; i < n; ++i) {
            particles[i]->step(dt, sidewaysDamping, settings);
            particles[i]->collide(particles, settings.contactBounceKeep);
        }
    }
    commitAll(particles);
}

void simulationPass(ParticleList& particles, std::size_t count, bool running, float dt,
                    ContactGrid& grid, float sidewaysDamping, const PhysicsSettings& settings) {
    if (particles.size() < ContactGrid::kFewestParticles) {
        simulationPass(particles, count, running, dt, sidewaysDamping, settings);
        return;
    }
    if (running) {
        const std::size_t n = std::min(count, particles.size());
        grid.rebuild(particles);
        for (std::size_t i = 0; i < n; ++i) {
            particles[i]->step(dt, sidewaysDamping, settings);
            grid.refile(particles, i);
            grid.collide(particles, i, settings.contactBounceKeep);
        }
    }
    commitAll(particles);
}

}  // namespace velmora
