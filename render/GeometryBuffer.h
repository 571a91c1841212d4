#pragma once
#include <cstdint>

#include "math/Vec3.h"
#include "platform/GpuDevice.h"

namespace velmora {

/// Vertex and index data of one drawable thing: one buffer per attribute (nine streams), 32-bit
/// indices and a declaration tying the streams together. Every operation has an empty default
/// (accessors return null, create does nothing); D3DGeometryBuffer is the implementation.
/// The order of the virtual operations below is part of the interface: keep it.
class GeometryBuffer {
  public:
    virtual VertexBuffer* positionBuffer() { return nullptr; }     ///< stream 0
    virtual VertexBuffer* colorBuffer() { return nullptr; }        ///< stream 1
    virtual VertexBuffer* normalBuffer() { return nullptr; }       ///< stream 3
    virtual VertexBuffer* tangentBuffer() { return nullptr; }      ///< stream 4
    virtual VertexBuffer* scalarBuffer() { return nullptr; }       ///< stream 5
    virtual IndexBuffer* indexBuffer() { return nullptr; }         ///< 32-bit indices
    virtual VertexBuffer* texCoordBuffer() { return nullptr; }     ///< stream 2
    virtual VertexBuffer* texCoord2Buffer() { return nullptr; }    ///< stream 8, null if not made
    virtual VertexBuffer* blendIndexBuffer() { return nullptr; }   ///< stream 6, null if not made
    virtual VertexBuffer* blendWeightBuffer() { return nullptr; }  ///< stream 7, null if not made

    /// Copies the caller's arrays into new device buffers; keeps no pointer to them.
    /// positions, colors, texCoords and indices are required. normals may be null (zero
    /// vectors); tangents and scalars are read only when normals is given. blendIndices and
    /// blendWeights are used only together. texCoords and texCoords2 hold 2 x vertexCount
    /// floats (u, v); colours are 0xAARRGGBB; blend values are four bytes per vertex.
    /// Success shows in the counts, which are non-zero only after every step succeeded.
    virtual void create(const Vec3* positions, const std::uint32_t* colors, const float* texCoords,
                        const Vec3* normals, const Vec3* tangents, const float* scalars,
                        const std::uint32_t* indices, std::uint32_t vertexCount,
                        std::uint32_t indexCount, const std::uint32_t* blendIndices,
                        const std::uint32_t* blendWeights, const float* texCoords2) {
        (void)positions, (void)colors, (void)texCoords, (void)normals, (void)tangents;
        (void)scalars, (void)indices, (void)vertexCount, (void)indexCount;
        (void)blendIndices, (void)blendWeights, (void)texCoords2;
    }

    virtual ~GeometryBuffer() = default;

    virtual VertexDeclaration* vertexDeclaration() { return nullptr; }

    std::uint32_t vertexCount = 0;  ///< vertices in every stream; 0 until create succeeded
    std::uint32_t indexCount = 0;   ///< indices; 0 until create succeeded
};

}  // namespace velmora
