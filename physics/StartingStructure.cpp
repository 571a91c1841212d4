#include "physics/StartingStructure.h"

#include <memory>

#include "physics/Particle.h"

namespace velmora {
namespace {

constexpr Vec3 kPositions[kStartingStructureParticles] = {
    {0, 0, 0},    {0, 5, 0}, {5, 0, 0}, {5, 5, 0}, {0, 7.5f, 0},
    {5, 9.5f, 0}, {0, 0, 5}, {0, 5, 5}, {5, 0, 5}, {5, 5, 5},
};

struct Pair {
    std::size_t first, second;
};

// Links 1-8 join the first six particles; 9-30 need particles 6-9 as well.
constexpr std::size_t kEarlyLinks = 8;
constexpr Pair kLinks[kStartingStructureLinks] = {
    {0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}, {3, 4}, {4, 5}, {6, 7}, {6, 8},
    {6, 9}, {7, 8}, {7, 9}, {8, 9}, {0, 6}, {1, 7}, {2, 8}, {3, 9}, {0, 7}, {1, 6},
    {2, 9}, {3, 8}, {0, 8}, {1, 9}, {2, 6}, {3, 7}, {0, 9}, {1, 8}, {2, 7}, {3, 6},
};

}  // namespace

void appendStartingStructure(ParticleList& particles) {
    const std::size_t base = particles.size();
    auto addParticles = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            particles.push_back(std::make_unique<Particle>(kPositions[i]));
        }
    };
    auto addLinks = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            particles[base + kLinks[i].first]->link(particles[base + kLinks[i].second].get(),
                                                    -1.0f);
        }
    };
    addParticles(0, 6);
    addLinks(0, kEarlyLinks);
    particles[base + kStartingStructurePinned]->pinned = true;
    addParticles(6, kStartingStructureParticles);
    addLinks(kEarlyLinks, kStartingStructureLinks);
}

}  // namespace velmora
