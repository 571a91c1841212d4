#include "platform/GlResources.h"

#include <type_traits>

#include "platform/GlCheck.h"
#include "platform/GlDevice.h"
#include "platform/GlDialect.h"

namespace velmora {
namespace {

/// Uploads a locked range through the copy-write target, which no vertex array holds.
void uploadRange(GLuint name, const ManagedBytes& store, std::uint32_t offset, std::uint32_t size) {
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferSubData(GL_COPY_WRITE_BUFFER, offset, size, store.bytes.data() + offset);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    VELMORA_GL_CHECK();
}

GLuint makeBuffer(std::uint32_t length, bool indices) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    if (gl::kEmbedded && indices) {
        // WebGL fixes a buffer's kind at its first binding: indices must first be bound as
        // indices, which goes into the vertex array bound, so none is while it happens.
        GLint vertexArray = 0;
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
        glBindVertexArray(0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindVertexArray(static_cast<GLuint>(vertexArray));
    }
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferData(GL_COPY_WRITE_BUFFER, length, nullptr, GL_STATIC_DRAW);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    VELMORA_GL_CHECK();
    return name;
}

}  // namespace

template <class Interface>
GlBuffer<Interface>::GlBuffer(GlDeviceLink device, std::uint32_t length)
    : store(length),
      name(makeBuffer(length, std::is_same_v<Interface, IndexBuffer>)),
      device_(std::move(device)) {}

template <class Interface>
GlBuffer<Interface>::~GlBuffer() {
    if (*device_ == nullptr)
        return;
    (*device_)->state.unbind(this);
    glDeleteBuffers(1, &name);
}

template <class Interface>
HRESULT GlBuffer<Interface>::lock(std::uint32_t offset, std::uint32_t size, void** data,
                                  std::uint32_t /*flags*/) {
    return store.lock(offset, size, data);
}

template <class Interface>
HRESULT GlBuffer<Interface>::unlock() {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    const HRESULT hr = store.unlock(offset, size);
    if (hr == D3D_OK && *device_ != nullptr)
        uploadRange(name, store, offset, size);
    return hr;
}

template class GlBuffer<VertexBuffer>;
template class GlBuffer<IndexBuffer>;

GlVertexDeclaration::GlVertexDeclaration(GlDeviceLink device,
                                         std::vector<D3DVERTEXELEMENT9> elements_)
    : elements(std::move(elements_)), device_(std::move(device)) {
    glGenVertexArrays(1, &vao);
    VELMORA_GL_CHECK();
}

GlVertexDeclaration::~GlVertexDeclaration() {
    if (*device_ == nullptr)
        return;
    (*device_)->state.unbind(this);
    glDeleteVertexArrays(1, &vao);
}

GlTexture::GlTexture(GlDeviceLink device, ManagedTexels levels)
    : store(std::move(levels)), device_(std::move(device)) {
    glGenTextures(1, &name);
    glActiveTexture(GL_TEXTURE0 + GlDevice::kUploadUnit);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (std::size_t i = 0; i < store.levels.size(); ++i) {
        const auto& level = store.levels[i];
        gl::textureImage(static_cast<GLint>(i), static_cast<GLsizei>(level.width),
                         static_cast<GLsizei>(level.height), level.texels.data(), opaque());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL,
                    static_cast<GLint>(store.levels.size()) - 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    VELMORA_GL_CHECK();
}

GlTexture::~GlTexture() {
    if (*device_ == nullptr)
        return;
    (*device_)->forget(this);
    glDeleteTextures(1, &name);
}

HRESULT GlTexture::lockRect(std::uint32_t level, D3DLOCKED_RECT& locked) {
    return store.lockRect(level, locked);
}

HRESULT GlTexture::unlockRect(std::uint32_t level) {
    const HRESULT hr = store.unlockRect(level);
    if (hr != D3D_OK || *device_ == nullptr)
        return hr;
    const auto& l = store.levels[level];
    glActiveTexture(GL_TEXTURE0 + GlDevice::kUploadUnit);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl::textureSubImage(static_cast<GLint>(level), static_cast<GLsizei>(l.width),
                        static_cast<GLsizei>(l.height), l.texels.data(), opaque());
    glBindTexture(GL_TEXTURE_2D, 0);
    VELMORA_GL_CHECK();
    return D3D_OK;
}

}  // namespace velmora
