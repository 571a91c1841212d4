#include "physics/StableStepping.h"

#include <algorithm>
#include <cmath>

#include "physics/Particle.h"
#include "physics/Simulation.h"

namespace velmora {
namespace {

/// Share of the stability limit a step may use.
constexpr float kStabilityMargin = 0.9f;

std::size_t sharedNeighbours(const Particle& u, const Particle& v) {
    std::size_t shared = 0;
    for (const ParticleLink& a : u.links) {
        for (const ParticleLink& b : v.links) {
            shared += a.other == b.other ? 1 : 0;
        }
    }
    return shared;
}

/// FNV-1a over every particle's address and its links' far ends: changes whenever a particle
/// or a link comes or goes.
std::uint64_t signatureOf(const ParticleList& particles) {
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](std::uintptr_t value) {
        hash = (hash ^ static_cast<std::uint64_t>(value)) * 1099511628211ull;
    };
    mix(particles.size());
    for (const auto& p : particles) {
        mix(reinterpret_cast<std::uintptr_t>(p.get()));
        mix(p->links.size());
        for (const ParticleLink& l : p->links) {
            mix(reinterpret_cast<std::uintptr_t>(l.other));
        }
    }
    return hash;
}

}  // namespace

float stableStep(const ParticleList& particles) {
    std::size_t bound = 0;
    for (const auto& p : particles) {
        for (const ParticleLink& l : p->links) {
            const std::size_t sum = p->links.size() + l.other->links.size();
            if (sum > bound) {
                bound = std::max(bound, sum - sharedNeighbours(*p, *l.other));
            }
        }
    }
    if (bound == 0) {
        return kUnlinkedStableStep;
    }
    const float limit = 2.0f / (kLinkDamping * static_cast<float>(bound));
    return std::min(kUnlinkedStableStep, kStabilityMargin * limit);
}

void StableStepper::updateStableStep(const ParticleList& particles) {
    const std::uint64_t signature = signatureOf(particles);
    if (!known_ || signature != structureSignature_) {
        stableStep_ = stableStep(particles);
        structureSignature_ = signature;
        known_ = true;
    }
}

float StableStepper::advance(ParticleList& particles, std::size_t count, bool running, float dt) {
    if (!running) {
        subSteps_ = 1;
        simulationPass(particles, count, false, dt, grid_);
        return 0.0f;
    }
    updateStableStep(particles);
    const SubSteps steps = splitIntoSubSteps(dt, stableStep_, kMaxSubSteps);
    subSteps_ = steps.count;
    for (int i = 0; i < steps.count; ++i) {
        simulationPass(particles, count, true, steps.length, grid_);
    }
    return steps.count == 1 ? dt : steps.length * static_cast<float>(steps.count);
}

}  // namespace velmora
