#include "physics/Snapshot.h"

#include <unordered_map>

#include "physics/Particle.h"

namespace velmora {

std::size_t Structure::bytes() const {
    return sizeof(Structure) + pinned.size() * sizeof(std::uint8_t) +
           linkStart.size() * sizeof(std::uint32_t) + links.size() * sizeof(LinkRecord);
}

std::size_t Snapshot::bytes(bool withStructure) const {
    return sizeof(Snapshot) + motion.size() * sizeof(ParticleMotion) +
           (withStructure && structure ? structure->bytes() : 0);
}

std::shared_ptr<const Structure> captureStructure(const ParticleList& particles) {
    std::unordered_map<const Particle*, std::uint32_t> number;
    number.reserve(particles.size());
    for (std::size_t i = 0; i < particles.size(); ++i)
        number.emplace(particles[i].get(), static_cast<std::uint32_t>(i));
    auto structure = std::make_shared<Structure>();
    structure->pinned.reserve(particles.size());
    structure->linkStart.reserve(particles.size() + 1);
    structure->linkStart.push_back(0);
    for (const auto& p : particles) {
        structure->pinned.push_back(p->pinned ? 1 : 0);
        for (const ParticleLink& l : p->links) {
            const auto found = number.find(l.other);
            if (found != number.end())
                structure->links.push_back({found->second, l.restLength, l.stiffness, l.damping});
        }
        structure->linkStart.push_back(static_cast<std::uint32_t>(structure->links.size()));
    }
    return structure;
}

void captureMotion(const ParticleList& particles, std::vector<ParticleMotion>& motion) {
    motion.resize(particles.size());
    for (std::size_t i = 0; i < particles.size(); ++i) {
        const Particle& p = *particles[i];
        motion[i] = {p.current.position, p.current.velocity, p.stepForce};
    }
}

void restoreParticles(ParticleList& particles, const Snapshot& snapshot, bool sameStructure) {
    const Structure& structure = *snapshot.structure;
    const std::size_t n = structure.particleCount();
    if (!sameStructure) {
        // Each particle's records are written whole, in the order it held them: making the
        // links one by one could not give every particle its order back.
        for (const auto& p : particles)
            p->links.clear();
        particles.clear();
        particles.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            particles.push_back(std::make_unique<Particle>(Vec3()));
        for (std::size_t i = 0; i < n; ++i) {
            Particle& p = *particles[i];
            p.pinned = structure.pinned[i] != 0;
            p.links.reserve(structure.linkStart[i + 1] - structure.linkStart[i]);
            for (std::uint32_t r = structure.linkStart[i]; r < structure.linkStart[i + 1]; ++r) {
                const Structure::LinkRecord& l = structure.links[r];
                p.links.push_back({particles[l.other].get(), l.restLength, l.stiffness, l.damping});
            }
        }
    }
    for (std::size_t i = 0; i < n && i < snapshot.motion.size(); ++i) {
        Particle& p = *particles[i];
        const ParticleMotion& m = snapshot.motion[i];
        p.current.position = p.next.position = m.position;
        p.current.velocity = p.next.velocity = m.velocity;
        p.stepForce = m.stepForce;
    }
}

}  // namespace velmora
