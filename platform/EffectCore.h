#pragma once
// What both devices' effects share: the parameters and the begin / pass nesting of an effect,
// kept in system memory; each device adds how a pass is put in force. Standard library only.
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/DeviceState.h"
#include "platform/EffectFile.h"
#include "platform/GpuDevice.h"

namespace velmora {

/// What every effect keeps: its parsed file, the current technique (the first one at load),
/// the parameters "wvp" and "tex0".."tex7", and the begin / pass nesting. Parameter names
/// outside that set are ignored (D3DERR_INVALIDCALL).
class EffectCore {
  public:
    explicit EffectCore(EffectFileSource parsed) : source(std::move(parsed)) {}

    HRESULT setMatrix(const char* name, const Matrix4& value);
    HRESULT setTexture(const char* name, DeviceTexture* texture);
    HRESULT setTechnique(const char* name);
    /// Fails when already begun.
    HRESULT begin(std::uint32_t* passCount);
    /// Fails outside begin, inside another pass or past the technique's passes.
    HRESULT beginPass(std::uint32_t pass);
    HRESULT endPass();
    /// Ends an open pass too.
    HRESULT end();
    /// Drops every texture parameter that refers to a texture being destroyed.
    void forget(const DeviceTexture* texture);
    const EffectPassSource& pass(std::uint32_t index) const {
        return source.techniques[technique].passes[index];
    }

    EffectFileSource source;
    std::size_t technique = 0;  ///< index into source.techniques
    Matrix4 wvp;
    std::array<DeviceTexture*, kDeviceTextureStages> textures{};
    bool begun = false;
    int activePass = -1;
};

/// An effect whose parameters live in an EffectCore: both devices' effects. Begin, passes and
/// end differ per device.
class EffectWithCore : public Effect {
  public:
    explicit EffectWithCore(EffectFileSource source) : core(std::move(source)) {}

    HRESULT setMatrix(const char* name, const Matrix4& value) override {
        return core.setMatrix(name, value);
    }
    HRESULT setTexture(const char* name, DeviceTexture* texture) override {
        return core.setTexture(name, texture);
    }
    HRESULT setTechnique(const char* name) override { return core.setTechnique(name); }

    EffectCore core;
};

}  // namespace velmora
