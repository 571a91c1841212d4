#pragma once
#include <cstdint>
#include <memory>

#include "render/GeometryBuffer.h"

namespace velmora {

/// The geometry buffer on the renderer's device (gRenderer->device, so the renderer must be
/// initialised first). Every buffer lives in the managed pool and survives a device reset.
/// Owns, and releases on destruction, every device object it made.
class D3DGeometryBuffer final : public GeometryBuffer {
  public:
    VertexBuffer* positionBuffer() override { return positionStream.get(); }
    VertexBuffer* colorBuffer() override { return colorStream.get(); }
    VertexBuffer* normalBuffer() override { return normalStream.get(); }
    VertexBuffer* tangentBuffer() override { return tangentStream.get(); }
    VertexBuffer* scalarBuffer() override { return scalarStream.get(); }
    IndexBuffer* indexBuffer() override { return indices.get(); }
    VertexBuffer* texCoordBuffer() override { return texCoordStream.get(); }
    VertexBuffer* texCoord2Buffer() override { return texCoord2Stream.get(); }
    VertexBuffer* blendIndexBuffer() override { return blendIndexStream.get(); }
    VertexBuffer* blendWeightBuffer() override { return blendWeightStream.get(); }

    /// Makes the device objects in a fixed order and stops silently at the first failing
    /// device call; whatever was made stays, the counts stay 0. Counts the device would
    /// refuse (fitsDeviceBuffers) fail the same way before anything is read or allocated.
    void create(const Vec3* positions, const std::uint32_t* colors, const float* texCoords,
                const Vec3* normals, const Vec3* tangents, const float* scalars,
                const std::uint32_t* indices, std::uint32_t vertexCount, std::uint32_t indexCount,
                const std::uint32_t* blendIndices, const std::uint32_t* blendWeights,
                const float* texCoords2) override;

    ~D3DGeometryBuffer() override;

    VertexDeclaration* vertexDeclaration() override { return declaration.get(); }

    std::unique_ptr<VertexBuffer> positionStream;     ///< stream 0, Vec3
    std::unique_ptr<VertexBuffer> colorStream;        ///< stream 1, 0xAARRGGBB
    std::unique_ptr<VertexBuffer> texCoordStream;     ///< stream 2, (u, v)
    std::unique_ptr<VertexBuffer> normalStream;       ///< stream 3, Vec3
    std::unique_ptr<VertexBuffer> tangentStream;      ///< stream 4, Vec3
    std::unique_ptr<VertexBuffer> scalarStream;       ///< stream 5, float
    std::unique_ptr<VertexBuffer> blendIndexStream;   ///< stream 6, four bytes
    std::unique_ptr<VertexBuffer> blendWeightStream;  ///< stream 7, four bytes
    std::unique_ptr<VertexBuffer> texCoord2Stream;    ///< stream 8, (u, v)
    std::unique_ptr<IndexBuffer> indices;             ///< 32-bit indices
    std::unique_ptr<VertexDeclaration> declaration;   ///< all nine streams
};

/// Whether the buffers for these counts are ones a device makes: the widest stream takes
/// 12 bytes a vertex and the index buffer 4 bytes an index, each at most
/// kMaxDeviceBufferBytes. Builders check this before they make any array of these sizes.
bool fitsDeviceBuffers(std::uint64_t vertexCount, std::uint64_t indexCount);

/// The nine-element declaration of every geometry buffer, closed by D3DDECL_END.
extern const D3DVERTEXELEMENT9 kGeometryDeclaration[10];

}  // namespace velmora
