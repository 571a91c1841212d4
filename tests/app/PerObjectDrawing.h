#pragma once
// The particles drawn one object at a time, a sphere per particle and a two-point line per
// link record (so each link twice): the picture the program's batches are held to.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/SceneFrame.h"
#include "render/Mesh.h"

namespace velmora {

class Effect;

struct PerObjectDrawing {
    /// Builds the two meshes; needs the renderer started. The line uses "bin/def.bmp".
    void setUp();
    /// The whole frame, sky and room as drawFrame draws them, then each particle's sphere
    /// followed by its link records; presents.
    void drawFrame(Scene& scene, const ParticleList& particles, std::size_t count,
                   Effect* loadedEffect);

    Mesh particleSphere;
    Mesh linkLine;
    /// When not empty, sphere i is drawn in vertex colour sphereColours[i] (0xAARRGGBB)
    /// instead of white: a picture of which particle covers which pixel.
    std::vector<std::uint32_t> sphereColours;
};

}  // namespace velmora
