#include "render/D3DGeometryBuffer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/DeviceState.h"
#include "render/D3DRenderer.h"

namespace velmora {

const D3DVERTEXELEMENT9 kGeometryDeclaration[10] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {1, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {2, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {3, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {4, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
    {5, 0, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
    {6, 0, D3DDECLTYPE_UBYTE4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDINDICES, 0},
    {7, 0, D3DDECLTYPE_UBYTE4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDWEIGHT, 0},
    {8, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
    D3DDECL_END,
};

namespace {

/// Creates a managed vertex buffer of `bytes` bytes and copies `source` into it.
bool makeVertexBuffer(Device& device, const void* source, std::uint32_t bytes,
                      std::unique_ptr<VertexBuffer>& out) {
    if (device.createVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, out) != D3D_OK) {
        return false;
    }
    void* target = nullptr;
    if (out->lock(0, 0, &target, 0) != D3D_OK)
        return false;
    std::memcpy(target, source, bytes);
    return out->unlock() == D3D_OK;
}

}  // namespace

bool fitsDeviceBuffers(std::uint64_t vertexCount, std::uint64_t indexCount) {
    // Divided rather than multiplied, so that no count can wrap the comparison.
    return vertexCount <= kMaxDeviceBufferBytes / 12 && indexCount <= kMaxDeviceBufferBytes / 4;
}

void D3DGeometryBuffer::create(const Vec3* positions, const std::uint32_t* colors,
                               const float* texCoords, const Vec3* normals, const Vec3* tangents,
                               const float* scalars, const std::uint32_t* indexData,
                               std::uint32_t newVertexCount, std::uint32_t newIndexCount,
                               const std::uint32_t* blendIndices, const std::uint32_t* blendWeights,
                               const float* texCoords2) {
    vertexCount = 0;
    indexCount = 0;
    // The device would refuse these anyway, but only after the stand-in streams below had
    // been allocated at full size; and a byte size past 32 bits would wrap.
    if (!fitsDeviceBuffers(newVertexCount, newIndexCount)) {
        return;
    }
    if (gRenderer->device == nullptr)
        return;
    Device& device = *gRenderer->device;

    std::vector<Vec3> normalArray(newVertexCount);
    std::vector<Vec3> tangentArray(newVertexCount);
    std::vector<float> scalarArray(newVertexCount, 0.0f);
    if (normals != nullptr) {
        std::copy_n(normals, newVertexCount, normalArray.begin());
        if (tangents != nullptr)
            std::copy_n(tangents, newVertexCount, tangentArray.begin());
        if (scalars != nullptr)
            std::copy_n(scalars, newVertexCount, scalarArray.begin());
    }

    const std::uint32_t n = newVertexCount;
    if (!makeVertexBuffer(device, positions, n * 12, positionStream))
        return;
    if (!makeVertexBuffer(device, colors, n * 4, colorStream))
        return;
    if (!makeVertexBuffer(device, texCoords, n * 8, texCoordStream))
        return;
    if (texCoords2 != nullptr && !makeVertexBuffer(device, texCoords2, n * 8, texCoord2Stream)) {
        return;
    }
    const std::uint32_t indexBytes = newIndexCount * 4;
    if (device.createIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED,
                                 indices) != D3D_OK) {
        return;
    }
    void* target = nullptr;
    if (indices->lock(0, 0, &target, 0) != D3D_OK)
        return;
    std::memcpy(target, indexData, indexBytes);
    if (indices->unlock() != D3D_OK)
        return;
    if (!makeVertexBuffer(device, normalArray.data(), n * 12, normalStream))
        return;
    if (!makeVertexBuffer(device, tangentArray.data(), n * 12, tangentStream))
        return;
    if (!makeVertexBuffer(device, scalarArray.data(), n * 4, scalarStream))
        return;
    if (blendIndices != nullptr && blendWeights != nullptr) {
        if (!makeVertexBuffer(device, blendIndices, n * 4, blendIndexStream))
            return;
        if (!makeVertexBuffer(device, blendWeights, n * 4, blendWeightStream))
            return;
    }
    if (device.createVertexDeclaration(kGeometryDeclaration, declaration) != D3D_OK)
        return;

    vertexCount = newVertexCount;
    indexCount = newIndexCount;
}

D3DGeometryBuffer::~D3DGeometryBuffer() = default;

}  // namespace velmora
