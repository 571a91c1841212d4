#pragma once
// The particles as the scene drawing shows them: what each frame hands render/SceneDrawing.
#include <cstddef>

#include "physics/ParticleList.h"
#include "render/SceneDrawing.h"
#include "scenes/SceneDescription.h"

namespace velmora {

class Effect;
class Particle;

/// The particles the mouse tools hold, each drawn with a ring that faces the camera; null
/// for none. Both point into the particles being drawn.
struct SceneSelection {
    const Particle* linkStart = nullptr;  ///< the first particle of a half-made link
    const Particle* dragged = nullptr;    ///< the particle the left button holds
};

/// Puts the main camera at the pose, looking at its target, field of view 60.
void placeMainCamera(Scene& scene, const CameraPose& pose);

/// Builds the scene drawing with the main camera at the scene's pose and appends the scene's
/// particles; the batches are made to hold them and their links. Needs the renderer started
/// and the effect loaded.
void setUpScene(Scene& scene, ParticleList& particles, const SceneDescription& start);

/// Draws one frame without presenting it: sky box, room, particles 0 .. count-1 with their
/// links, and a ring around each selected particle (see drawShownScene). Each link is drawn
/// once, also one to a particle past count.
void drawScene(Scene& scene, const ParticleList& particles, std::size_t count, Effect* loadedEffect,
               const SceneSelection& selection = {});

/// drawScene, then present.
void drawFrame(Scene& scene, const ParticleList& particles, std::size_t count, Effect* loadedEffect,
               const SceneSelection& selection = {});

}  // namespace velmora
