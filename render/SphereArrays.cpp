#include "render/SphereArrays.h"

#include <algorithm>

#include "math/Conventions.h"
#include "math/Matrix4.h"

namespace velmora {

SphereArrays sphereShape(std::uint32_t rings, std::uint32_t segments) {
    SphereArrays shape;
    shape.rings = std::max(rings, 2u);
    shape.segments = std::max(segments, 3u);
    return shape;
}

void fillSphereArrays(SphereArrays& shape, float radius) {
    const std::uint32_t rings = shape.rings;
    const std::uint32_t segments = shape.segments;
    shape.positions.clear();
    shape.texCoords.clear();
    shape.indices.clear();
    shape.positions.reserve(shape.vertexCount());
    shape.texCoords.reserve(shape.vertexCount() * 2);
    shape.indices.reserve(shape.indexCount());
    const Vec3 onXAxis{radius, 0, 0};
    for (std::uint32_t i = 0; i <= rings; ++i) {
        // phi runs from +pi/2 (ring 0, the +y pole) to -pi/2 (the -y pole).
        const float phi =
            (2.0f * static_cast<float>(i) / static_cast<float>(rings) - 1.0f) * kPi * -0.5f;
        const Matrix4 tilt = rotationZ(phi);
        for (std::uint32_t j = 0; j <= segments; ++j) {
            const float theta = static_cast<float>(j) * kPi * 2.0f / static_cast<float>(segments);
            shape.positions.push_back(transformRow(transformRow(onXAxis, tilt), rotationY(theta)));
            shape.texCoords.push_back(static_cast<float>(j) / static_cast<float>(segments));
            shape.texCoords.push_back(1.0f - static_cast<float>(i) / static_cast<float>(rings));
        }
    }
    const std::uint32_t stride = segments + 1;
    for (std::uint32_t i = 0; i < rings; ++i) {
        for (std::uint32_t j = 0; j < segments; ++j) {
            const std::uint32_t k = i * stride + j;
            shape.indices.insert(shape.indices.end(),
                                 {k, k + stride, k + 1, k + stride, k + stride + 1, k + 1});
        }
    }
}

}  // namespace velmora
