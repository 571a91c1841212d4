#include "platform/EffectCore.h"

#include <cstring>

namespace velmora {
namespace {

/// Stage of an effect texture parameter name "tex0".."tex7", or -1.
int textureParameterStage(const char* name) {
    if (name == nullptr || std::strncmp(name, "tex", 3) != 0)
        return -1;
    if (name[3] < '0' || name[3] >= '0' + static_cast<int>(kDeviceTextureStages))
        return -1;
    return name[4] == '\0' ? name[3] - '0' : -1;
}

}  // namespace

HRESULT EffectCore::setMatrix(const char* name, const Matrix4& value) {
    if (name == nullptr || std::strcmp(name, "wvp") != 0)
        return D3DERR_INVALIDCALL;
    wvp = value;
    return D3D_OK;
}

HRESULT EffectCore::setTexture(const char* name, DeviceTexture* texture) {
    const int stage = textureParameterStage(name);
    if (stage < 0)
        return D3DERR_INVALIDCALL;
    textures[static_cast<std::size_t>(stage)] = texture;
    return D3D_OK;
}

HRESULT EffectCore::setTechnique(const char* name) {
    if (name == nullptr)
        return D3DERR_INVALIDCALL;
    for (std::size_t i = 0; i < source.techniques.size(); ++i) {
        if (source.techniques[i].name == name) {
            technique = i;
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT EffectCore::begin(std::uint32_t* passCount) {
    if (passCount == nullptr || begun || technique >= source.techniques.size()) {
        return D3DERR_INVALIDCALL;
    }
    *passCount = static_cast<std::uint32_t>(source.techniques[technique].passes.size());
    begun = true;
    return D3D_OK;
}

HRESULT EffectCore::beginPass(std::uint32_t index) {
    if (!begun || activePass >= 0 || technique >= source.techniques.size() ||
        index >= source.techniques[technique].passes.size()) {
        return D3DERR_INVALIDCALL;
    }
    activePass = static_cast<int>(index);
    return D3D_OK;
}

HRESULT EffectCore::endPass() {
    if (activePass < 0)
        return D3DERR_INVALIDCALL;
    activePass = -1;
    return D3D_OK;
}

HRESULT EffectCore::end() {
    if (!begun)
        return D3DERR_INVALIDCALL;
    activePass = -1;
    begun = false;
    return D3D_OK;
}

void EffectCore::forget(const DeviceTexture* texture) {
    for (auto& t : textures) {
        if (t == texture)
            t = nullptr;
    }
}

}  // namespace velmora
