#include "platform/GlResources.h"

#include <epoxy/gl.h>

#include "platform/GlCheck.h"
#include "platform/GlDevice.h"

namespace velmora {
namespace {

/// Uploads a locked range through the copy-write target, which no vertex array holds.
void uploadRange(GLuint name, const ManagedBytes& store, std::uint32_t offset, std::uint32_t size) {
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferSubData(GL_COPY_WRITE_BUFFER, offset, size, store.bytes.data() + offset);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    VELMORA_GL_CHECK();
}

GLuint makeBuffer(std::uint32_t length) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferData(GL_COPY_WRITE_BUFFER, length, nullptr, GL_STATIC_DRAW);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    VELMORA_GL_CHECK();
    return name;
}

}  // namespace

template <class Interface>
GlBuffer<Interface>::GlBuffer(GlDeviceLink device, std::uint32_t length)
    : store(length), name(makeBuffer(length)), device_(std::move(device)) {}

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
    // Three-byte and X8 formats drop the fourth byte, so they sample with alpha 1.
    const GLint internalFormat = store.format == D3DFMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8;
    glGenTextures(1, &name);
    glActiveTexture(GL_TEXTURE0 + GlDevice::kUploadUnit);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (std::size_t i = 0; i < store.levels.size(); ++i) {
        const auto& level = store.levels[i];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), internalFormat,
                     static_cast<GLsizei>(level.width), static_cast<GLsizei>(level.height), 0,
                     GL_BGRA, GL_UNSIGNED_BYTE, level.texels.data());
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
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(l.width),
                    static_cast<GLsizei>(l.height), GL_BGRA, GL_UNSIGNED_BYTE, l.texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    VELMORA_GL_CHECK();
    return D3D_OK;
}

}  // namespace velmora
