#include "render/BatchMesh.h"

#include <algorithm>
#include <cstring>

#include "render/GeometryBuffer.h"

namespace velmora {

void BatchMesh::setModel(std::vector<Vec3> positions, std::vector<float> texCoords,
                         std::vector<std::uint32_t> indices, std::uint32_t colour,
                         PrimitiveMode mode) {
    modelPositions_ = std::move(positions);
    modelTexCoords_ = std::move(texCoords);
    modelIndices_ = std::move(indices);
    modelTexCoords_.resize(modelPositions_.size() * 2, 0.0f);
    colour_ = colour;
    mesh.primitiveMode = mode;
    mesh.geometry.reset();
    capacity_ = open_ = written_ = 0;
    refused_ = false;
    const std::uint64_t vertexBytes = std::uint64_t{modelVertexCount()} * 12;
    const std::uint64_t indexBytes = std::uint64_t{modelIndexCount()} * 4;
    const std::uint64_t widest = std::max({vertexBytes, indexBytes, std::uint64_t{1}});
    maxCopies_ =
        modelVertexCount() == 0 ? 0 : static_cast<std::uint32_t>(kMaxBatchStreamBytes / widest);
}

void BatchMesh::grow(std::uint32_t count) {
    const auto copies = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        std::max<std::uint64_t>(count, std::uint64_t{capacity_} * 2), maxCopies_));
    const std::uint32_t v = modelVertexCount();
    const std::uint32_t n = modelIndexCount();
    const std::size_t vertices = std::size_t{copies} * v;
    std::vector<Vec3> positions(vertices);
    std::vector<std::uint32_t> colours(vertices, colour_);
    std::vector<float> texCoords;
    std::vector<std::uint32_t> indices;
    texCoords.reserve(vertices * 2);
    indices.reserve(std::size_t{copies} * n);
    for (std::uint32_t copy = 0; copy < copies; ++copy) {
        std::copy(modelPositions_.begin(), modelPositions_.end(), positions.begin() + copy * v);
        texCoords.insert(texCoords.end(), modelTexCoords_.begin(), modelTexCoords_.end());
        for (const std::uint32_t index : modelIndices_)
            indices.push_back(index + copy * v);
    }
    mesh.createFromArrays(positions.data(), colours.data(), texCoords.data(), nullptr, nullptr,
                          nullptr, indices.data(), static_cast<std::uint32_t>(vertices), copies * n,
                          nullptr, nullptr, nullptr);
    refused_ = mesh.geometry->vertexCount == 0;
    capacity_ = refused_ ? 0 : copies;
}

void BatchMesh::reserve(std::uint32_t count) {
    if (count > capacity_ && !refused_ && capacity_ < maxCopies_)
        grow(count);
}

std::uint32_t BatchMesh::begin(std::uint32_t count) {
    open_ = 0;
    locked_ = nullptr;
    reserve(count);
    const std::uint32_t copies = std::min(count, capacity_);
    VertexBuffer* buffer = mesh.geometry ? mesh.geometry->positionBuffer() : nullptr;
    if (copies == 0 || buffer == nullptr)
        return 0;
    void* data = nullptr;
    const std::uint32_t bytes = copies * modelVertexCount() * 12;
    if (buffer->lock(0, bytes, &data, 0) != D3D_OK || data == nullptr)
        return 0;
    locked_ = static_cast<std::uint8_t*>(data);
    open_ = copies;
    return copies;
}

void BatchMesh::setCopyAt(std::uint32_t copy, const Vec3& origin) {
    if (copy >= open_)
        return;
    std::uint8_t* out = locked_ + std::size_t{copy} * modelVertexCount() * 12;
    for (const Vec3& vertex : modelPositions_) {
        const float moved[3] = {vertex.x + origin.x, vertex.y + origin.y, vertex.z + origin.z};
        std::memcpy(out, moved, 12);
        out += 12;
    }
}

void BatchMesh::setVertex(std::uint32_t vertex, const Vec3& position) {
    if (vertex >= open_ * modelVertexCount())
        return;
    const float point[3] = {position.x, position.y, position.z};
    std::memcpy(locked_ + std::size_t{vertex} * 12, point, 12);
}

void BatchMesh::end() {
    written_ = 0;
    if (locked_ == nullptr)
        return;
    locked_ = nullptr;
    // A failed upload leaves the device's copy stale, so nothing is drawn from it.
    if (mesh.geometry->positionBuffer()->unlock() == D3D_OK)
        written_ = open_;
    open_ = 0;
}

bool BatchMesh::writeColours(std::span<const std::uint32_t> colours) {
    VertexBuffer* buffer = mesh.geometry ? mesh.geometry->colorBuffer() : nullptr;
    const std::size_t count = std::min(colours.size(), std::size_t{capacity_} * modelVertexCount());
    void* data = nullptr;
    if (buffer == nullptr || count == 0 ||
        buffer->lock(0, static_cast<std::uint32_t>(count * 4), &data, 0) != D3D_OK ||
        data == nullptr)
        return false;
    std::memcpy(data, colours.data(), count * 4);
    return buffer->unlock() == D3D_OK;
}

void BatchMesh::draw(std::uint32_t first, std::uint32_t count) {
    if (first >= written_ || count == 0)
        return;
    count = std::min(count, written_ - first);
    mesh.drawIndices(first * modelIndexCount(), count * modelIndexCount());
}

}  // namespace velmora
