#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "math/Vec3.h"
#include "render/Mesh.h"
#include "render/PrimitiveMode.h"

namespace velmora {

/// Bytes of the largest stream (positions, 12 a vertex, or indices, 4 each) a batch may
/// grow to; copies beyond it are not drawn.
inline constexpr std::uint64_t kMaxBatchStreamBytes = 64u << 20;

/// Many copies of one small model (a sphere, a two-point line) in one geometry, so that they
/// are drawn in a few draws instead of one each. Colours, texture coordinates and indices
/// are built only when the number of copies outgrows the geometry; every frame rewrites just
/// the positions of the copies in use (one lock of the position buffer) and then draws runs
/// of copies. The world transform stays the identity: positions are written in world units.
///
/// Per frame: begin(count), setCopyAt or setVertex for every copy in use, end(), then
/// mesh.setTexture and draw for each run of copies that shares a texture.
class BatchMesh {
  public:
    BatchMesh() = default;
    BatchMesh(const BatchMesh&) = delete;
    BatchMesh& operator=(const BatchMesh&) = delete;

    /// The model every copy repeats: positions relative to the copy's own origin, (u, v)
    /// pairs, indices into the model's vertices, one colour (0xAARRGGBB), the primitive
    /// mode. Makes no device objects yet and forgets any copies made before.
    void setModel(std::vector<Vec3> positions, std::vector<float> texCoords,
                  std::vector<std::uint32_t> indices, std::uint32_t colour, PrimitiveMode mode);

    /// Makes room for count copies now, so that frames of up to that many allocate nothing.
    void reserve(std::uint32_t count);
    /// Opens copies 0 .. count - 1 for writing, first growing the geometry to at least
    /// twice the copies it held when it holds fewer than count. Returns how many copies may
    /// be written: count, or fewer when the stream bound cuts it or the device refused the
    /// geometry (after a refusal the batch draws nothing).
    std::uint32_t begin(std::uint32_t count);
    /// Copy `copy` at `origin`: every model vertex moved by origin.
    void setCopyAt(std::uint32_t copy, const Vec3& origin);
    /// One vertex of the open copies, numbered copy x model vertices + model vertex.
    void setVertex(std::uint32_t vertex, const Vec3& position);
    /// Hands the written positions to the device.
    void end();
    /// Gives vertices 0 .. colours.size() - 1 of the geometry these colours (0xAARRGGBB)
    /// instead of the model's, until the geometry grows; false when they could not be written.
    bool writeColours(std::span<const std::uint32_t> colours);
    /// Draws copies first .. first + count - 1 of those written in the last begin/end,
    /// with the mesh's textures.
    void draw(std::uint32_t first, std::uint32_t count);

    /// Copies the geometry holds.
    std::uint32_t capacity() const { return capacity_; }
    std::uint32_t modelVertexCount() const {
        return static_cast<std::uint32_t>(modelPositions_.size());
    }
    std::uint32_t modelIndexCount() const {
        return static_cast<std::uint32_t>(modelIndices_.size());
    }

    /// The geometry of all copies, its textures and primitive mode.
    Mesh mesh;

  private:
    void grow(std::uint32_t count);

    std::vector<Vec3> modelPositions_;
    std::vector<float> modelTexCoords_;
    std::vector<std::uint32_t> modelIndices_;
    std::uint32_t colour_ = 0xFFFFFFFF;
    std::uint32_t capacity_ = 0;
    std::uint32_t maxCopies_ = 0;  ///< what the stream bound allows
    std::uint32_t open_ = 0;       ///< copies of the current begin
    std::uint32_t written_ = 0;    ///< copies of the last completed begin/end
    bool refused_ = false;         ///< the device refused a geometry
    std::uint8_t* locked_ = nullptr;
};

}  // namespace velmora
