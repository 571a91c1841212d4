#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/Camera.h"
#include "physics/ParticleList.h"
#include "render/BatchMesh.h"
#include "render/Mesh.h"
#include "scenes/SceneDescription.h"

namespace velmora {

class Effect;
class Texture;
class Particle;

/// What the scene draws every pass: two cameras, the room and sky meshes, the particles'
/// spheres and links in two batches, the two particle textures. The particles themselves
/// belong to the loop.
/// A sphere of the frame: which particle, and what orders it in its draw.
struct SphereDrawn {
    bool pinned = false;
    float depth = 0.0f;  ///< distance along the view direction
    std::uint32_t particle = 0;
};

struct Scene {
    Camera mainCamera{CameraMode::FreeLook};
    Camera skyCamera{CameraMode::FreeLook};  ///< at the sky box's centre, aimed like mainCamera
    Mesh roomPlane;
    /// One unit sphere per particle: free particles first, then pinned ones, so each group is
    /// one draw with its texture; copy i is the particle of sphereOrder[i].
    BatchMesh particleSpheres;
    std::vector<SphereDrawn> sphereOrder;  ///< the last frame's spheres in drawing order
    BatchMesh linkLines;  ///< one line per link (a link has a record in both its particles)
    /// Rings around the particles the mouse tools hold, drawn only while one is held.
    BatchMesh selectionRings;
    Mesh skyBox;
    Texture* orangeTexture = nullptr;  ///< free particles
    Texture* noiseTexture = nullptr;   ///< pinned particles
};

inline constexpr float kFieldOfView = 60.0f;  ///< degrees
inline constexpr float kNearPlane = 0.01f;
inline constexpr float kFarPlane = 2000.0f;
inline constexpr std::uint32_t kClearColor = 0xff000000;  ///< opaque black
inline constexpr std::uint32_t kWhite = 0xffffffff;
/// The selection rings' colour, times the grey of bin/def.bmp.
inline constexpr std::uint32_t kSelectionRingColour = 0xffffff00;
/// Radii of the two circles of a selection ring, world units; a particle's radius is 1.
inline constexpr float kSelectionRingRadii[2] = {1.35f, 1.5f};
/// Line segments per circle.
inline constexpr std::uint32_t kSelectionRingSegments = 32;

/// The particles the mouse tools hold, each drawn with a ring that faces the camera; null
/// for none. Both point into the particles being drawn.
struct SceneSelection {
    const Particle* linkStart = nullptr;  ///< the first particle of a half-made link
    const Particle* dragged = nullptr;    ///< the particle the left button holds
};

/// Puts the main camera at the pose, looking at its target, field of view 60.
void placeMainCamera(Scene& scene, const CameraPose& pose);

/// Builds the cameras (the main one at the scene's pose), sets projection and view, makes the
/// meshes and textures and appends the scene's particles; the batches are made to hold them
/// and their links. Needs the renderer started and the effect loaded.
void setUpScene(Scene& scene, ParticleList& particles, const SceneDescription& start);

/// Draws one frame without presenting it: sky box, room, particles 0 .. count-1 with their
/// links, and a ring around each selected particle. Without a selection the frame is exactly
/// the frame of sky, room, particles and links. Allocates nothing unless there are more
/// particles or links than ever before (the batches then grow to at least twice their size).
void drawScene(Scene& scene, const ParticleList& particles, std::size_t count, Effect* loadedEffect,
               const SceneSelection& selection = {});

/// drawScene, then present.
void drawFrame(Scene& scene, const ParticleList& particles, std::size_t count, Effect* loadedEffect,
               const SceneSelection& selection = {});

/// The frame up to the particles: begin, clear, the effect, the sky box, the room, and the
/// main camera's view left set.
void drawSkyAndRoom(Scene& scene, Effect* loadedEffect);

}  // namespace velmora
