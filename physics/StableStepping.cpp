#include "physics/StableStepping.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "physics/Particle.h"
#include "physics/Simulation.h"
#include "physics/StateSummary.h"

namespace velmora {
namespace {

/// Share of the stability limit a step may use.
constexpr float kStabilityMargin = 0.9f;

/// The links as particle numbers: for particle i, its far ends are
/// ends[start[i]] .. ends[start[i + 1] - 1].
struct Adjacency {
    std::vector<std::size_t> start;
    std::vector<std::uint32_t> ends;

    std::size_t degree(std::size_t i) const { return start[i + 1] - start[i]; }
};

Adjacency adjacencyOf(const ParticleList& particles) {
    std::unordered_map<const Particle*, std::uint32_t> number;
    number.reserve(particles.size());
    for (std::size_t i = 0; i < particles.size(); ++i) {
        number.emplace(particles[i].get(), static_cast<std::uint32_t>(i));
    }
    Adjacency graph;
    graph.start.reserve(particles.size() + 1);
    graph.start.push_back(0);
    for (const auto& p : particles) {
        for (const ParticleLink& l : p->links) {
            // A far end outside the list cannot be stepped with it; it is left out.
            const auto found = number.find(l.other);
            if (found != number.end()) {
                graph.ends.push_back(found->second);
            }
        }
        graph.start.push_back(graph.ends.size());
    }
    return graph;
}

/// The largest deg(u) + deg(v) - shared(u, v) over the links, with the shared neighbours
/// counted: mark u's neighbours, then count the marked ones among v's.
std::size_t boundWithSharedCounted(const Adjacency& graph) {
    const std::size_t n = graph.start.size() - 1;
    std::vector<std::size_t> markedBy(n, n);
    std::size_t bound = 0;
    for (std::size_t u = 0; u < n; ++u) {
        for (std::size_t e = graph.start[u]; e < graph.start[u + 1]; ++e) {
            markedBy[graph.ends[e]] = u;
        }
        for (std::size_t e = graph.start[u]; e < graph.start[u + 1]; ++e) {
            const std::uint32_t v = graph.ends[e];
            std::size_t shared = 0;
            for (std::size_t f = graph.start[v]; f < graph.start[v + 1]; ++f) {
                shared += markedBy[graph.ends[f]] == u ? 1 : 0;
            }
            bound = std::max(bound, graph.degree(u) + graph.degree(v) - shared);
        }
    }
    return bound;
}

/// The same bound with shared(u, v) taken as at least deg(u) + deg(v) - (particles in their
/// connected structure): their neighbourhoods, u and v included, lie within it.
std::size_t boundWithSharedFromBelow(const Adjacency& graph) {
    const std::size_t n = graph.start.size() - 1;
    std::vector<std::uint32_t> root(n);
    std::iota(root.begin(), root.end(), 0u);
    const auto find = [&root](std::uint32_t i) {
        while (root[i] != i) {
            root[i] = root[root[i]];
            i = root[i];
        }
        return i;
    };
    for (std::uint32_t u = 0; u < n; ++u) {
        for (std::size_t e = graph.start[u]; e < graph.start[u + 1]; ++e) {
            root[find(graph.ends[e])] = find(u);
        }
    }
    std::vector<std::size_t> size(n, 0);
    for (std::uint32_t u = 0; u < n; ++u) {
        ++size[find(u)];
    }
    std::size_t bound = 0;
    for (std::uint32_t u = 0; u < n; ++u) {
        const std::size_t structure = size[find(u)];
        for (std::size_t e = graph.start[u]; e < graph.start[u + 1]; ++e) {
            // deg(u) + deg(v) - max(0, deg(u) + deg(v) - n)
            const std::size_t sum = graph.degree(u) + graph.degree(graph.ends[e]);
            bound = std::max(bound, std::min(sum, structure));
        }
    }
    return bound;
}

/// A float's bits (std::bit_cast, which the web build's standard library lacks).
std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

/// FNV-1a over every particle's address and its links' far ends, stiffness and damping:
/// changes whenever a particle or a link comes or goes, or a link is made stiffer or softer.
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
            mix(bitsOf(l.stiffness));
            mix(bitsOf(l.damping));
        }
    }
    return hash;
}

/// The damping a step must outrun and the spring it must not outgrow, over every link.
struct LinkRates {
    float mostDamping = 0.0f;
    float leastDampingPerStiffness = FLT_MAX;
};

LinkRates linkRatesOf(const ParticleList& particles) {
    LinkRates rates;
    for (const auto& p : particles) {
        for (const ParticleLink& l : p->links) {
            rates.mostDamping = std::max(rates.mostDamping, l.damping);
            if (l.stiffness > 0.0f) {
                rates.leastDampingPerStiffness =
                    std::min(rates.leastDampingPerStiffness, l.damping / l.stiffness);
            }
        }
    }
    return rates;
}

}  // namespace

float longestStep(const Vec3& gravity) {
    const float g = length(gravity);
    if (!(g > kEarthGravity)) {
        return kLongestStep;
    }
    return std::max(kShortestStep, kLongestStep * std::sqrt(kEarthGravity / g));
}

float stableStep(const ParticleList& particles) {
    const Adjacency graph = adjacencyOf(particles);
    std::size_t work = 0;
    for (std::size_t i = 0; i + 1 < graph.start.size(); ++i) {
        work += graph.degree(i) * graph.degree(i);
    }
    const std::size_t bound =
        work <= kExactSharedWork ? boundWithSharedCounted(graph) : boundWithSharedFromBelow(graph);
    if (bound == 0) {
        return kLongestStep;
    }
    const LinkRates rates = linkRatesOf(particles);
    const float limit = std::min(2.0f / (rates.mostDamping * static_cast<float>(bound)),
                                 2.0f * rates.leastDampingPerStiffness);
    return std::clamp(kStabilityMargin * limit, kShortestStep, kLongestStep);
}

void StableStepper::updateStableStep(const ParticleList& particles) {
    const std::uint64_t signature = signatureOf(particles);
    if (!known_ || signature != structureSignature_) {
        stableStep_ = stableStep(particles);
        structureSignature_ = signature;
        known_ = true;
    }
}

void StableStepper::restart() {
    energyWatch_.restart();
    known_ = false;
}

float StableStepper::advance(ParticleList& particles, std::size_t count, bool running, float dt,
                             const PhysicsSettings& settings) {
    if (!running) {
        subSteps_ = 1;
        simulationPass(particles, count, false, dt, grid_, 0.0f, settings);
        return 0.0f;
    }
    updateStableStep(particles);
    const SubSteps steps =
        splitIntoSubSteps(dt, std::min(stableStep_, longestStep(settings.gravity)), kMaxSubSteps);
    subSteps_ = steps.count;
    for (int i = 0; i < steps.count; ++i) {
        const float sideways = energyWatch_.risen() ? steps.length : 0.0f;
        simulationPass(particles, count, true, steps.length, grid_, sideways, settings);
    }
    const float simulated = steps.count == 1 ? dt : steps.length * static_cast<float>(steps.count);
    energyWatch_.add(totalEnergy(particles, settings.gravity), simulated);
    return simulated;
}

}  // namespace velmora
