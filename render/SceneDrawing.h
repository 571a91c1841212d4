#pragma once
// The scene's drawing: two cameras, the room under a sky box, and the particles as spheres with
// their links as lines and rings around the held ones, each batch one draw (one per texture for
// the spheres). It knows no particles: before each frame the caller puts what the frame shows
// into the scene's ParticlesShown (app/SceneFrame.h does, from the particle list).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Camera.h"
#include "math/Vec3.h"
#include "render/BatchMesh.h"
#include "render/Mesh.h"

namespace velmora {

class Effect;
class Texture;

/// What a frame shows of the particles.
struct ParticlesShown {
    struct Sphere {
        Vec3 centre;  ///< world units
        bool pinned = false;
    };
    std::vector<Sphere> spheres;  ///< one per particle, in the particles' order
    std::vector<Vec3> linkEnds;   ///< two points per link line, in drawing order
    std::vector<Vec3> held;       ///< centres of the particles the mouse tools hold: a ring each
    /// Two colours per link line (its ends) while the links are coloured by strain, else
    /// empty: the lines keep their white.
    std::vector<std::uint32_t> linkColours;
};

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
    Texture* orangeTexture = nullptr;    ///< free particles
    Texture* noiseTexture = nullptr;     ///< pinned particles
    ParticlesShown shown;                ///< what the next frame shows of the particles
    std::string pictureFolder = "bin/";  ///< where the pictures are, with a trailing slash
    bool strainColours = false;          ///< colour the links by strain (C)
    bool linkColoursWritten = false;     ///< the lines hold other colours than white
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

/// Puts the main camera at eye, looking at target, field of view 60.
void placeMainCamera(Scene& scene, const Vec3& eye, const Vec3& target);

/// Builds the cameras (the main one at eye, looking at target), sets the projection for the
/// aspect ratio (width / height) and the view, and makes the meshes and textures. Needs the
/// renderer started and the effect loaded.
void setUpSceneDrawing(Scene& scene, const Vec3& eye, const Vec3& target, float aspectRatio);

/// Makes the batches and scene.shown hold this many particles and links without growing.
void reserveShown(Scene& scene, std::size_t particles, std::size_t links);

/// Draws one frame without presenting it: sky box, room, scene.shown's spheres and links, and
/// a ring around each held particle. Without held particles the frame is exactly the frame of
/// sky, room, spheres and links. Allocates nothing unless more is shown than ever before (the
/// batches then grow to at least twice their size).
void drawShownScene(Scene& scene, Effect* loadedEffect);

/// The frame up to the particles: begin, clear, the effect, the sky box, the room, and the
/// main camera's view left set.
void drawSkyAndRoom(Scene& scene, Effect* loadedEffect);

}  // namespace velmora
