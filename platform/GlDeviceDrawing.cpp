// The OpenGL device's indexed draw: the reads are checked against the managed copies first,
// then the declaration's streams are bound to the vertex array and the indices drawn.
#include <algorithm>
#include <array>

#include "platform/EffectFile.h"
#include "platform/GlCheck.h"
#include "platform/GlDevice.h"
#include "platform/GlDialect.h"

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
            gl::colourAttributePointer(location, stride, pointer);
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

    // Without base vertices in the context, each stream starts that many vertices further on
    // instead; the checks above have kept every read inside its buffer.
    const std::int32_t drawnBase = gl::kHasBaseVertex ? baseVertexIndex : 0;
    const std::int64_t streamShift = gl::kHasBaseVertex ? 0 : baseVertexIndex;
    std::array<std::int64_t, kMaxDeclarationElements> offsets{};
    for (std::size_t i = 0; i < elementCount; ++i) {
        offsets[i] = std::int64_t{reads[i].source->offset} + reads[i].element->offset +
                     streamShift * reads[i].source->stride;
        if (buffers[i] != nullptr && offsets[i] < 0)
            return D3DERR_INVALIDCALL;  // before its buffer's start; nothing is bound yet
    }
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
                         static_cast<std::uintptr_t>(offsets[i]));
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
    gl::drawElements(mode, static_cast<GLsizei>(count),
                     reinterpret_cast<const void*>(std::uintptr_t{startIndex} * 4), drawnBase);
    VELMORA_GL_CHECK();
    return D3D_OK;
}

}  // namespace velmora
