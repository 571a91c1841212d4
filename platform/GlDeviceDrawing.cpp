// The OpenGL device's indexed draw: the reads are checked against the managed copies first,
// then the declaration's streams are bound to the vertex array and the indices drawn.
#include <epoxy/gl.h>

#include <algorithm>
#include <array>

#include "platform/EffectFile.h"
#include "platform/GlCheck.h"
#include "platform/GlDevice.h"

namespace velmora {
namespace {

/// GL_POINTS is 0, so an unknown type answers through `known`.
GLenum glPrimitive(D3DPRIMITIVETYPE type, bool& known) {
    known = true;
    switch (type) {
        case D3DPT_POINTLIST:
            return GL_POINTS;
        case D3DPT_LINELIST:
            return GL_LINES;
        case D3DPT_LINESTRIP:
            return GL_LINE_STRIP;
        case D3DPT_TRIANGLELIST:
            return GL_TRIANGLES;
        case D3DPT_TRIANGLESTRIP:
            return GL_TRIANGLE_STRIP;
    }
    known = false;
    return GL_POINTS;
}

void attributePointer(GLuint location, const D3DVERTEXELEMENT9& element, GLsizei stride,
                      std::uintptr_t offset) {
    const void* pointer = reinterpret_cast<const void*>(offset);
    switch (element.type) {
        case D3DDECLTYPE_D3DCOLOR:
            glVertexAttribPointer(location, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, pointer);
            break;
        case D3DDECLTYPE_UBYTE4:
            glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride, pointer);
            break;
        default:  // FLOAT1..FLOAT4, the only other types a declaration accepts
            glVertexAttribPointer(location, static_cast<GLint>(element.type) + 1, GL_FLOAT,
                                  GL_FALSE, stride, pointer);
            break;
    }
}

}  // namespace

HRESULT GlDevice::drawIndexedPrimitive(D3DPRIMITIVETYPE type, std::int32_t baseVertexIndex,
                                       std::uint32_t /*minVertexIndex*/,
                                       std::uint32_t /*numVertices*/, std::uint32_t startIndex,
                                       std::uint32_t primitiveCount) {
    bool known = false;
    const GLenum mode = glPrimitive(type, known);
    auto* declaration = dynamic_cast<GlVertexDeclaration*>(state.declaration);
    auto* indices = dynamic_cast<GlIndexBuffer*>(state.indices);
    if (declaration == nullptr || indices == nullptr || program_ == 0 || !known) {
        return D3DERR_INVALIDCALL;
    }
    // Fixed arrays: a draw allocates nothing.
    std::array<StreamRead, kMaxDeclarationElements> reads;
    std::array<GlVertexBuffer*, kMaxDeclarationElements> buffers{};
    const std::size_t elementCount =
        std::min(declaration->elements.size(), kMaxDeclarationElements);
    for (std::size_t i = 0; i < elementCount; ++i) {
        const auto& element = declaration->elements[i];
        const StreamSource& source = state.streams[element.stream];
        auto* buffer = static_cast<GlVertexBuffer*>(source.buffer);  // checked when bound
        reads[i] = {&element, &source, buffer != nullptr ? &buffer->store : nullptr};
        buffers[i] = buffer;
    }
    const HRESULT checked = checkDrawReads(std::span(reads.data(), elementCount), indices->store,
                                           type, baseVertexIndex, startIndex, primitiveCount);
    const std::uint64_t count = primitiveIndexCount(type, primitiveCount);
    if (checked != D3D_OK || count == 0)
        return checked;

    glBindVertexArray(declaration->vao);
    std::uint32_t enabled = 0;
    for (std::size_t i = 0; i < elementCount; ++i) {
        if (buffers[i] == nullptr)
            continue;
        const auto& element = declaration->elements[i];
        const auto location =
            static_cast<GLuint>(semanticLocation(element.usage, element.usageIndex));
        glBindBuffer(GL_ARRAY_BUFFER, buffers[i]->name);
        attributePointer(location, element, static_cast<GLsizei>(reads[i].source->stride),
                         std::uintptr_t{reads[i].source->offset} + element.offset);
        glEnableVertexAttribArray(location);
        enabled |= 1u << location;
    }
    // Inputs without a stream read the constant (0, 0, 0, 1).
    for (GLuint location = 0; location < 9; ++location) {
        if ((enabled & (1u << location)) == 0)
            glDisableVertexAttribArray(location);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices->name);
    glDrawElementsBaseVertex(mode, static_cast<GLsizei>(count), GL_UNSIGNED_INT,
                             reinterpret_cast<const void*>(std::uintptr_t{startIndex} * 4),
                             baseVertexIndex);
    VELMORA_GL_CHECK();
    return D3D_OK;
}

}  // namespace velmora
