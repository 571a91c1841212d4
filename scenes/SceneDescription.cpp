#include "scenes/SceneDescription.h"

#include <memory>
#include <unordered_map>

#include "physics/Particle.h"

namespace velmora {

void buildScene(const SceneDescription& scene, ParticleList& list) {
    const std::size_t base = list.size();
    list.reserve(base + scene.particles.size());
    for (const ParticleSpec& spec : scene.particles) {
        auto particle = std::make_unique<Particle>(spec.position);
        particle->current.velocity = spec.velocity;
        particle->next.velocity = spec.velocity;
        particle->pinned = spec.pinned;
        list.push_back(std::move(particle));
    }
    for (const LinkSpec& l : scene.links) {
        list[base + l.a]->link(list[base + l.b].get(), l.restLength);
    }
}

SceneDescription captureScene(const ParticleList& list, const CameraPose& camera) {
    SceneDescription scene;
    scene.camera = camera;
    std::unordered_map<const Particle*, std::uint32_t> index;
    index.reserve(list.size());
    scene.particles.reserve(list.size());
    for (const auto& p : list) {
        index.emplace(p.get(), static_cast<std::uint32_t>(scene.particles.size()));
        scene.particles.push_back({p->current.position, p->current.velocity, p->pinned});
    }
    for (std::uint32_t a = 0; a < list.size(); ++a) {
        for (const ParticleLink& l : list[a]->links) {
            const auto b = index.find(l.other);
            if (b != index.end() && b->second > a) {
                scene.links.push_back({a, b->second, l.restLength});
            }
        }
    }
    return scene;
}

}  // namespace velmora
