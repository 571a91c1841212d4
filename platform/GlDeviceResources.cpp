// The OpenGL device's buffers, declarations, textures and effects: each keeps its managed
// copy and its GL name (GlResources.h, GlEffect.h).

#include <algorithm>

#include "platform/GlDevice.h"
#include "platform/GlDialect.h"
#include "platform/GlEffect.h"

namespace velmora {

HRESULT GlDevice::createVertexBuffer(std::uint32_t length, std::uint32_t /*usage*/,
                                     std::uint32_t /*fvf*/, D3DPOOL /*pool*/,
                                     std::unique_ptr<VertexBuffer>& out) {
    if (length == 0 || length > kMaxDeviceBufferBytes)
        return D3DERR_INVALIDCALL;
    out = std::make_unique<GlVertexBuffer>(self_, length);
    return D3D_OK;
}

HRESULT GlDevice::createIndexBuffer(std::uint32_t length, std::uint32_t /*usage*/, D3DFORMAT format,
                                    D3DPOOL /*pool*/, std::unique_ptr<IndexBuffer>& out) {
    if (length == 0 || length > kMaxDeviceBufferBytes || format != D3DFMT_INDEX32) {
        return D3DERR_INVALIDCALL;
    }
    out = std::make_unique<GlIndexBuffer>(self_, length);
    return D3D_OK;
}

HRESULT GlDevice::createVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                          std::unique_ptr<VertexDeclaration>& out) {
    std::vector<D3DVERTEXELEMENT9> copy;
    const HRESULT hr = copyDeclaration(elements, copy);
    if (hr != D3D_OK)
        return hr;
    out = std::make_unique<GlVertexDeclaration>(self_, std::move(copy));
    return D3D_OK;
}

HRESULT GlDevice::createTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                std::uint32_t /*usage*/, D3DFORMAT format, D3DPOOL /*pool*/,
                                std::unique_ptr<DeviceTexture>& out) {
    ManagedTexels store;
    const HRESULT hr = store.create(width, height, levels, format);
    if (hr != D3D_OK)
        return hr;
    out = std::make_unique<GlTexture>(self_, std::move(store));
    return D3D_OK;
}

HRESULT GlDevice::createEffectFromFile(const char* fileName, std::unique_ptr<Effect>& out,
                                       std::string& errors) {
    errors.clear();
    EffectFileSource source;
    if (!loadEffectFile(fileName, source, errors))
        return E_FAIL;
    std::unique_ptr<GlEffect> effect =
        GlEffect::compile(self_, fileName, std::move(source), errors);
    if (effect == nullptr)
        return E_FAIL;
    out = std::move(effect);
    return D3D_OK;
}

void GlDevice::forget(const DeviceTexture* texture) {
    for (std::uint32_t stage = 0; stage < kDeviceTextureStages; ++stage) {
        if (state.textures[stage] == texture)
            setTexture(stage, nullptr);
    }
    for (GlEffect* effect : effects_)
        effect->core.forget(texture);
}

void GlDevice::removeEffect(GlEffect* effect) {
    effects_.erase(std::remove(effects_.begin(), effects_.end(), effect), effects_.end());
}

void GlDevice::useProgram(std::uint32_t program) {
    if (program != program_)
        glUseProgram(program);
    program_ = program;
}

}  // namespace velmora
