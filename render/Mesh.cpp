#include "render/Mesh.h"

#include <algorithm>
#include <vector>

#include "render/D3DGeometryBuffer.h"
#include "render/SphereArrays.h"
#include "render/TextureManager.h"

namespace velmora {

namespace {

// create() with the three optional per-vertex arrays left out, as every builder calls it.
void createPlain(Mesh& mesh, const Vec3* positions, std::uint32_t colour, const float* texCoords,
                 const std::uint32_t* indices, std::uint32_t vertexCount,
                 std::uint32_t indexCount) {
    const std::vector<std::uint32_t> colours(vertexCount, colour);
    mesh.createFromArrays(positions, colours.data(), texCoords, nullptr, nullptr, nullptr, indices,
                          vertexCount, indexCount, nullptr, nullptr, nullptr);
}

}  // namespace

void Mesh::applyTransform(const Matrix4& m) {
    transform *= m;
}

void Mesh::createFromArrays(const Vec3* positions, const std::uint32_t* colors,
                            const float* texCoords, const Vec3* normals, const Vec3* tangents,
                            const float* scalars, const std::uint32_t* indices,
                            std::uint32_t vertexCount, std::uint32_t indexCount,
                            const std::uint32_t* blendIndices, const std::uint32_t* blendWeights,
                            const float* texCoords2) {
    geometry = std::make_unique<D3DGeometryBuffer>();
    geometry->create(positions, colors, texCoords, normals, tangents, scalars, indices, vertexCount,
                     indexCount, blendIndices, blendWeights, texCoords2);
}

void Mesh::createQuad(float width, float depth, QuadOrientation orientation, std::uint32_t colour) {
    const float hw = width * 0.5f;
    const float hd = depth * 0.5f;
    Vec3 positions[4];  // all at the origin for an orientation outside the three planes
    switch (orientation) {
        case PlaneXZ:
            positions[0] = {-hw, 0, hd};
            positions[1] = {-hw, 0, -hd};
            positions[2] = {hw, 0, hd};
            positions[3] = {hw, 0, -hd};
            break;
        case PlaneXY:
            positions[0] = {-hw, -hd, 0};
            positions[1] = {-hw, hd, 0};
            positions[2] = {hw, -hd, 0};
            positions[3] = {hw, hd, 0};
            break;
        case PlaneYZ:
            positions[0] = {0, -hd, -hw};
            positions[1] = {0, -hd, hw};
            positions[2] = {0, hd, -hw};
            positions[3] = {0, hd, hw};
            break;
    }
    const float texCoords[8] = {0, 0, 0, 1, 1, 0, 1, 1};
    // The second triangle pair repeats the first in the opposite turn: both faces show.
    const std::uint32_t indices[12] = {0, 2, 1, 2, 3, 1, 0, 1, 2, 2, 1, 3};
    createPlain(*this, positions, colour, texCoords, indices, 4, 12);
}

void Mesh::createBox(float width, float height, float depth, std::uint32_t colour) {
    const float hx = width * 0.5f;
    const float hy = height * 0.5f;
    const float hz = depth * 0.5f;
    const Vec3 positions[24] = {
        {hx, hy, hz},   {hx, hy, -hz},   {-hx, hy, hz},  {-hx, hy, -hz},   // top
        {hx, -hy, hz},  {hx, -hy, -hz},  {-hx, -hy, hz}, {-hx, -hy, -hz},  // bottom
        {hx, hy, hz},   {hx, -hy, hz},   {hx, hy, -hz},  {hx, -hy, -hz},   // x = hx
        {-hx, hy, -hz}, {-hx, -hy, -hz}, {-hx, hy, hz},  {-hx, -hy, hz},   // x = -hx
        {hx, hy, -hz},  {hx, -hy, -hz},  {-hx, hy, -hz}, {-hx, -hy, -hz},  // z = -hz
        {hx, hy, hz},   {hx, -hy, hz},   {-hx, hy, hz},  {-hx, -hy, hz},   // z = hz
    };
    const float texCoords[48] = {
        1, 0, 1, 1, 0, 0, 0, 1,  // top
        1, 1, 1, 0, 0, 1, 0, 0,  // bottom
        0, 1, 0, 0, 1, 1, 1, 0,  // x = hx
        0, 1, 0, 0, 1, 1, 1, 0,  // x = -hx
        0, 1, 0, 0, 1, 1, 1, 0,  // z = -hz
        1, 1, 1, 0, 0, 1, 0, 0,  // z = hz
    };
    // Every triangle turns counter-clockwise seen from inside the box.
    const std::uint32_t indices[36] = {0,  2,  1,  2,  3,  1,  4,  5,  6,  6,  5,  7,
                                       8,  10, 9,  10, 11, 9,  12, 14, 13, 14, 15, 13,
                                       16, 18, 17, 18, 19, 17, 20, 21, 22, 22, 21, 23};
    createPlain(*this, positions, colour, texCoords, indices, 24, 36);
}

void Mesh::createSphere(float radius, std::uint32_t rings, std::uint32_t segments,
                        std::uint32_t colour) {
    rings = std::max(rings, 2u);
    segments = std::max(segments, 3u);
    const std::uint64_t n = std::uint64_t{segments} + 1;
    const std::uint64_t vertexCount = (std::uint64_t{rings} + 1) * n;
    const std::uint64_t indexCount = 6 * std::uint64_t{rings} * segments;
    // Counts the device would refuse give the geometry that draws nothing, before the arrays
    // below take gigabytes to hold them.
    if (!fitsDeviceBuffers(vertexCount, indexCount)) {
        geometry = std::make_unique<D3DGeometryBuffer>();
        return;
    }

    SphereArrays sphere = sphereShape(rings, segments);
    fillSphereArrays(sphere, radius);
    createPlain(*this, sphere.positions.data(), colour, sphere.texCoords.data(),
                sphere.indices.data(), static_cast<std::uint32_t>(vertexCount),
                static_cast<std::uint32_t>(indexCount));
}

void Mesh::fillSlot(Texture* texture, std::uint32_t stage) {
    if (stage >= kMaxTextureStages) {
        return;
    }
    if (textures[stage] == nullptr && textureCount < kMaxTextureStages) {
        ++textureCount;
    }
    textures[stage] = texture;
}

Texture* Mesh::loadTexture(const char* fileName, bool withMips, std::uint32_t stage) {
    Texture* texture = gTextureManager->load(fileName, withMips);
    fillSlot(texture, stage);
    return texture;
}

void Mesh::setTexture(Texture* texture, std::uint32_t stage) {
    fillSlot(texture, stage);
}

void Mesh::draw() {
    bindForDraw();
    gRenderer->drawGeometry(geometry.get(), primitiveMode);
}

void Mesh::drawIndices(std::uint32_t firstIndex, std::uint32_t indexCount) {
    bindForDraw();
    gRenderer->drawGeometryPart(geometry.get(), primitiveMode, firstIndex, indexCount);
}

void Mesh::bindForDraw() {
    gRenderer->setWorld(transform);
    // textureCount is a public field; the slots it may name stop at the eighth.
    const std::uint32_t bound = std::min(textureCount, kMaxTextureStages);
    for (std::uint32_t stage = 0; stage < kMaxTextureStages; ++stage) {
        gRenderer->setTexture(stage, stage < bound ? textures[stage] : nullptr);
    }
    gRenderer->setBlending(blended);
}

}  // namespace velmora
