#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "math/Matrix4.h"
#include "math/Vec3.h"
#include "render/D3DRenderer.h"
#include "render/GeometryBuffer.h"
#include "render/PrimitiveMode.h"
#include "render/QuadOrientation.h"

namespace velmora {

class Texture;

/// One drawable thing: a world transform, one geometry buffer (owned), a primitive mode, a
/// blending switch and up to eight textures (not owned). Colours are 0xAARRGGBB; texture
/// coordinates run u to the right and v down the image. Every builder winds a triangle
/// counter-clockwise as seen from the side meant to be visible.
class Mesh {
  public:
    Mesh() = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    /// transform = transform * m: m acts after the transform already held.
    void applyTransform(const Matrix4& m);

    /// A new geometry buffer made from the caller's arrays, as GeometryBuffer::create.
    void createFromArrays(const Vec3* positions, const std::uint32_t* colors,
                          const float* texCoords, const Vec3* normals, const Vec3* tangents,
                          const float* scalars, const std::uint32_t* indices,
                          std::uint32_t vertexCount, std::uint32_t indexCount,
                          const std::uint32_t* blendIndices, const std::uint32_t* blendWeights,
                          const float* texCoords2);
    /// A width x depth quad centred on the origin, seen from both sides.
    void createQuad(float width, float depth, QuadOrientation orientation, std::uint32_t colour);
    /// A box centred on the origin whose faces are seen from inside only.
    void createBox(float width, float height, float depth, std::uint32_t colour);
    /// A latitude/longitude sphere centred on the origin, seen from outside. Fewer than 2
    /// rings or 3 segments are raised to those; a sphere too large for 32-bit device
    /// buffers gets a geometry that draws nothing.
    void createSphere(float radius, std::uint32_t rings, std::uint32_t segments,
                      std::uint32_t colour);

    /// Loads the file through the texture manager into slot `stage` (0..7) and returns it.
    /// A stage outside 0..7 changes no slot.
    Texture* loadTexture(const char* fileName, bool withMips, std::uint32_t stage);
    /// Puts texture (null allowed) into slot `stage` (0..7); other stages are ignored.
    /// Filling an empty slot counts it, null or not; draw binds slots 0..textureCount - 1,
    /// so slots must be filled from 0 upward.
    void setTexture(Texture* texture, std::uint32_t stage);

    /// Through gRenderer: setWorld, setTexture for stages 0..7 (null from textureCount on),
    /// setBlending, drawGeometry.
    void draw();
    /// As draw, for indices firstIndex .. firstIndex + indexCount - 1 of the geometry only.
    void drawIndices(std::uint32_t firstIndex, std::uint32_t indexCount);

    Matrix4 transform;
    std::unique_ptr<GeometryBuffer> geometry;
    bool blended = false;
    PrimitiveMode primitiveMode = Triangles;
    std::array<Texture*, kMaxTextureStages> textures{};
    /// Slots filled so far, at most kMaxTextureStages.
    std::uint32_t textureCount = 0;

  private:
    void fillSlot(Texture* texture, std::uint32_t stage);
    /// setWorld, the eight texture stages and blending: everything a draw sets first.
    void bindForDraw();
};

}  // namespace velmora
