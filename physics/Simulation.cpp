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
                    float sidewaysDamping) {
    if (running) {
        const std::size_t n = std::min(count, particles.size());
        // Interleaved on purpose: particle i collides with particles before it that are
        // already stepped and with later ones that still hold the last committed state.
        for (std::size_t i = 0; i < n; ++i) {
            particles[i]->step(dt, sidewaysDamping);
            particles[i]->collide(particles);
        }
    }
    commitAll(particles);
}

void simulationPass(ParticleList& particles, std::size_t count, bool running, float dt,
                    ContactGrid& grid, float sidewaysDamping) {
    if (particles.size() < ContactGrid::kFewestParticles) {
        simulationPass(particles, count, running, dt, sidewaysDamping);
        return;
    }
    if (running) {
        const std::size_t n = std::min(count, particles.size());
        grid.rebuild(particles);
        for (std::size_t i = 0; i < n; ++i) {
            particles[i]->step(dt, sidewaysDamping);
            grid.refile(particles, i);
            grid.collide(particles, i);
        }
    }
    commitAll(particles);
}

}  // namespace velmora
