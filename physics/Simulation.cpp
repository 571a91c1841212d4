#include "physics/Simulation.h"

#include <algorithm>

#include "physics/Particle.h"

namespace velmora {

void simulationPass(ParticleList& particles, std::size_t count, bool running, float dt) {
    if (running) {
        const std::size_t n = std::min(count, particles.size());
        // Interleaved on purpose: particle i collides with particles before it that are
        // already stepped and with later ones that still hold the last committed state.
        for (std::size_t i = 0; i < n; ++i) {
            particles[i]->step(dt);
            particles[i]->collide(particles);
        }
    }
    for (const auto& p : particles) {
        p->commit();
    }
}

}  // namespace velmora
