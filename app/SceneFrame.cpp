#include "app/SceneFrame.h"

#include <algorithm>
#include <functional>

#include "app/Window.h"
#include "physics/Particle.h"
#include "render/D3DRenderer.h"
#include "render/StrainColour.h"

namespace velmora {
namespace {

/// Whether the link record of `from` to `to` is the one that draws the link. Each link has a
/// record in both its particles; of two drawn particles the one at the lower address draws
/// it, and a link to a particle past the drawn ones is drawn from the drawn end.
bool drawsLink(const Particle* from, const Particle* to, const ParticleList& particles,
               std::size_t count) {
    if (std::less<const Particle*>{}(from, to))
        return true;
    for (std::size_t i = count; i < particles.size(); ++i) {
        if (particles[i].get() == to)
            return true;
    }
    return false;
}

/// What the frame shows of particles 0 .. count-1 and the selection.
void show(ParticlesShown& shown, const ParticleList& particles, std::size_t count,
          const SceneSelection& selection, bool strainColours) {
    shown.spheres.clear();
    shown.linkEnds.clear();
    shown.linkColours.clear();
    shown.held.clear();
    for (std::size_t i = 0; i < count; ++i)
        shown.spheres.push_back({particles[i]->current.position, particles[i]->pinned});
    for (std::size_t i = 0; i < count; ++i) {
        const Particle& particle = *particles[i];
        for (const ParticleLink& link : particle.links) {
            if (drawsLink(&particle, link.other, particles, count)) {
                shown.linkEnds.push_back(particle.current.position);
                shown.linkEnds.push_back(link.other->current.position);
                if (strainColours) {
                    const std::uint32_t colour = strainColour(
                        length(link.other->current.position - particle.current.position),
                        link.restLength);
                    shown.linkColours.insert(shown.linkColours.end(), 2, colour);
                }
            }
        }
    }
    for (const Particle* held : {selection.linkStart, selection.dragged}) {
        if (held != nullptr)
            shown.held.push_back(held->current.position);
    }
}

}  // namespace

void placeMainCamera(Scene& scene, const CameraPose& pose) {
    placeMainCamera(scene, pose.eye, pose.target);
}

void setUpScene(Scene& scene, ParticleList& particles, const SceneDescription& start) {
    const CameraPose pose = start.camera.value_or(CameraPose{});
    setUpSceneDrawing(scene, pose.eye, pose.target, aspectRatio);
    buildScene(start, particles);
    std::size_t linkRecords = 0;
    for (const auto& particle : particles)
        linkRecords += particle->links.size();
    reserveShown(scene, particles.size(), linkRecords / 2);
}

void drawScene(Scene& scene, const ParticleList& particles, std::size_t count, Effect* loadedEffect,
               const SceneSelection& selection) {
    show(scene.shown, particles, std::min(count, particles.size()), selection, scene.strainColours);
    drawShownScene(scene, loadedEffect);
}

void drawFrame(Scene& scene, const ParticleList& particles, std::size_t count, Effect* loadedEffect,
               const SceneSelection& selection) {
    drawScene(scene, particles, count, loadedEffect, selection);
    gRenderer->endSceneAndPresent();
}

}  // namespace velmora
