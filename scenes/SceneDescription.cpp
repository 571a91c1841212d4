#include "scenes/SceneDescription.h"

#include <functional>
#include <memory>
#include <queue>
#include <unordered_map>

#include "physics/Particle.h"

namespace velmora {
namespace {

/// For each particle, the link (an index into links) behind each of its records, in record
/// order. Links are numbered as met from their earlier particle; the later particle's record
/// is matched to the first of that pair not matched yet.
std::vector<std::vector<std::uint32_t>> linksOfRecords(
    const ParticleList& list, const std::unordered_map<const Particle*, std::uint32_t>& index,
    std::vector<LinkSpec>& links) {
    std::vector<std::vector<std::uint32_t>> records(list.size());
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> unmatched;
    for (std::uint32_t a = 0; a < list.size(); ++a) {
        for (const ParticleLink& l : list[a]->links) {
            const auto found = index.find(l.other);
            if (found == index.end() || found->second == a) {
                continue;
            }
            const std::uint32_t b = found->second;
            if (b > a) {
                const auto id = static_cast<std::uint32_t>(links.size());
                links.push_back({a, b, l.restLength, l.stiffness, l.damping});
                unmatched[std::uint64_t{a} << 32 | b].push_back(id);
                records[a].push_back(id);
                continue;
            }
            auto pending = unmatched.find(std::uint64_t{b} << 32 | a);
            if (pending != unmatched.end() && !pending->second.empty()) {
                records[a].push_back(pending->second.front());
                pending->second.erase(pending->second.begin());
            }
        }
    }
    return records;
}

/// An order of the links in which making them one by one gives every particle its records in
/// the order it holds them now. The order the links were once made in is such an order, so
/// one exists: a link can go next once it is first among the remaining records of both its
/// particles. Of the links that can, the one met first from its earlier particle goes, so a
/// structure whose lists follow that order anyway is written in it.
std::vector<LinkSpec> inMakingOrder(const std::vector<LinkSpec>& links,
                                    const std::vector<std::vector<std::uint32_t>>& records) {
    std::vector<std::size_t> head(records.size(), 0);
    std::vector<bool> queued(links.size(), false);
    std::priority_queue<std::uint32_t, std::vector<std::uint32_t>, std::greater<>> ready;
    const auto offer = [&](std::uint32_t p) {
        if (head[p] == records[p].size()) {
            return;
        }
        const std::uint32_t id = records[p][head[p]];
        const LinkSpec& l = links[id];
        const std::uint32_t other = l.a == p ? l.b : l.a;
        if (!queued[id] && head[other] < records[other].size() &&
            records[other][head[other]] == id) {
            queued[id] = true;
            ready.push(id);
        }
    };
    for (std::uint32_t p = 0; p < records.size(); ++p) {
        offer(p);
    }
    std::vector<LinkSpec> ordered;
    ordered.reserve(links.size());
    while (!ready.empty()) {
        const std::uint32_t id = ready.top();
        ready.pop();
        ordered.push_back(links[id]);
        ++head[links[id].a];
        ++head[links[id].b];
        offer(links[id].a);
        offer(links[id].b);
    }
    // Only records without their other half could be left over; they keep their number order.
    for (std::uint32_t id = 0; id < links.size(); ++id) {
        if (!queued[id]) {
            ordered.push_back(links[id]);
        }
    }
    return ordered;
}

}  // namespace

void buildScene(const SceneDescription& scene, ParticleList& list) {
    const std::size_t base = list.size();
    list.reserve(base + scene.particles.size());
    for (const ParticleSpec& entry : scene.particles) {
        auto particle = std::make_unique<Particle>(entry.position);
        particle->current.velocity = entry.velocity;
        particle->next.velocity = entry.velocity;
        particle->pinned = entry.pinned;
        list.push_back(std::move(particle));
    }
    const PhysicsSettings& settings = scene.physics();
    for (const LinkSpec& l : scene.links) {
        list[base + l.a]->link(list[base + l.b].get(), l.restLength,
                               l.stiffness.value_or(settings.linkStiffness),
                               l.damping.value_or(settings.linkDamping));
    }
}

SceneDescription captureScene(const ParticleList& list, const CameraPose& camera,
                              const PhysicsSettings& settings) {
    SceneDescription scene;
    scene.camera = camera;
    scene.settings = settings;
    std::unordered_map<const Particle*, std::uint32_t> index;
    index.reserve(list.size());
    scene.particles.reserve(list.size());
    for (const auto& p : list) {
        index.emplace(p.get(), static_cast<std::uint32_t>(scene.particles.size()));
        scene.particles.push_back({p->current.position, p->current.velocity, p->pinned});
    }
    std::vector<LinkSpec> links;
    const auto records = linksOfRecords(list, index, links);
    scene.links = inMakingOrder(links, records);
    for (LinkSpec& l : scene.links) {
        // What the settings say already need not be said again for each link.
        if (l.stiffness == settings.linkStiffness)
            l.stiffness.reset();
        if (l.damping == settings.linkDamping)
            l.damping.reset();
    }
    return scene;
}

}  // namespace velmora
