#pragma once
#include <cstddef>
#include <cstdint>

#include "math/Camera.h"
#include "physics/ParticleList.h"
#include "render/BatchMesh.h"
#include "render/Mesh.h"
#include "scenes/SceneDescription.h"

namespace velmora {

class Effect;
class Texture;

/// What the scene draws every pass: two cameras, the room and sky meshes, the particles'
/// spheres and links in two batches, the two particle textures. The particles themselves
/// belong to the loop.
struct Scene {
    Camera mainCamera{CameraMode::FreeLook};
    Camera skyCamera{CameraMode::FreeLook};  ///< at the sky box's centre, aimed like mainCamera
    Mesh roomPlane;
    /// One unit sphere per particle: free particles first, then pinned ones, each group in
    /// list order, so each group is one draw with its texture.
    BatchMesh particleSpheres;
    BatchMesh linkLines;  ///< one line per link (a link has a record in both its particles)
    Mesh skyBox;
    Texture* orangeTexture = nullptr;  ///< free particles
    Texture* noiseTexture = nullptr;   ///< pinned particles
};

inline constexpr float kFieldOfView = 60.0f;  ///< degrees
inline constexpr float kNearPlane = 0.01f;
inline constexpr float kFarPlane = 2000.0f;
inline constexpr std::uint32_t kClearColor = 0xff000000;  ///< opaque black
inline constexpr std::uint32_t kWhite = 0xffffffff;

/// Puts the main camera at the pose, looking at its target, field of view 60.
void placeMainCamera(Scene& scene, const CameraPose& pose);

/// Builds the cameras (the main one at the scene's pose), sets projection and view, makes the
/// meshes and textures and appends the scene's particles; the batches are made to hold them
/// and their links. Needs the renderer started and the effect loaded.
void setUpScene(Scene& scene, ParticleList& particles, const SceneDescription& start);

/// Draws one frame: sky box, room, particles 0 .. count-1 with their links, present.
/// Allocates nothing unless there are more particles or links than ever before (the batches
/// then grow to at least twice their size).
void drawFrame(Scene& scene, const ParticleList& particles, std::size_t count,
               Effect* loadedEffect);

/// The frame up to the particles: begin, clear, the effect, the sky box, the room, and the
/// main camera's view left set.
void drawSkyAndRoom(Scene& scene, Effect* loadedEffect);

}  // namespace velmora
