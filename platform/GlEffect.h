#pragma once
// The OpenGL device's effect: one linked GLSL program per pass of every technique in an
// effect file (EffectFile.h). The vertex inputs are bound to the nine semantic names'
// locations before linking; the samplers tex0..tex7 read texture units 0..7. beginPass makes
// the pass's program current, uploads "wvp" (row-major with transpose GL_FALSE, so
// `wvp * vec4(position, 1.0)` in GLSL is the row-vector product) and binds each texture
// parameter the program samples to its device stage, as D3DX does through the device.
// Parameters set inside a pass take effect at the next beginPass (there is no
// CommitChanges). Pass states are not part of the format. Depends on libepoxy.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/EffectCore.h"
#include "platform/GlResources.h"

namespace velmora {

class GlEffect final : public EffectWithCore {
  public:
    /// Compiles and links every pass; on failure returns null with the compiler's or
    /// linker's log, headed by the file, technique, pass and stage, in errors.
    static std::unique_ptr<GlEffect> compile(GlDeviceLink device, const char* fileName,
                                             EffectFileSource source, std::string& errors);
    ~GlEffect() override;

    HRESULT begin(std::uint32_t* passCount, std::uint32_t flags) override;
    HRESULT beginPass(std::uint32_t pass) override;
    HRESULT endPass() override;
    HRESULT end() override;

    struct Program {
        std::uint32_t name = 0;
        std::int32_t wvp = -1;  ///< uniform location, -1 when unused
        std::array<std::int32_t, kDeviceTextureStages> samplers{};  ///< -1 when unused
    };

    std::vector<std::vector<Program>> programs;  ///< [technique][pass]

  private:
    GlEffect(GlDeviceLink device, EffectFileSource source);

    GlDeviceLink device_;
};

}  // namespace velmora
