#pragma once
#include <cstdint>
#include <vector>

#include "math/Vec3.h"

namespace velmora {

/// The vertex and index arrays of a latitude/longitude sphere centred on the origin: what
/// Mesh::createSphere hands to its geometry and what a sphere batch repeats per sphere.
struct SphereArrays {
    std::uint32_t rings = 0;     ///< as built: at least 2
    std::uint32_t segments = 0;  ///< as built: at least 3
    std::vector<Vec3> positions;
    std::vector<float> texCoords;  ///< (u, v) per vertex
    std::vector<std::uint32_t> indices;

    /// (rings + 1) x (segments + 1) vertices.
    std::uint64_t vertexCount() const {
        return (std::uint64_t{rings} + 1) * (std::uint64_t{segments} + 1);
    }
    /// 6 x rings x segments indices.
    std::uint64_t indexCount() const { return 6 * std::uint64_t{rings} * segments; }
};

/// The ring and segment counts a sphere is built with (below 2 rings or 3 segments are
/// raised to those), with empty arrays.
SphereArrays sphereShape(std::uint32_t rings, std::uint32_t segments);

/// Fills the arrays of `shape` (from sphereShape) for the radius. Ring 0 is the +y pole;
/// column `segments` repeats column 0 with u = 1; triangles turn counter-clockwise seen from
/// outside. The caller bounds the counts first: this allocates vertexCount() entries.
void fillSphereArrays(SphereArrays& shape, float radius);

}  // namespace velmora
