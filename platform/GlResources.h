#pragma once
// The OpenGL device's buffers, declarations and textures (managed pool): each keeps its
// system-memory copy (DeviceState.h) and uploads the locked range on unlock, so a device
// reset rebuilds nothing. Each holds a link to its device: on destruction it unbinds itself
// there and deletes its GL object, or, when the device (and its context) is already gone,
// only frees its copy. Depends on libepoxy through GlDevice.cpp and GlResources.cpp.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/DeviceState.h"
#include "platform/GpuDevice.h"

namespace velmora {

class GlDevice;

/// Shared by a device and everything it made; points at the device while it lives.
using GlDeviceLink = std::shared_ptr<GlDevice*>;

/// A vertex or index buffer (indices are 32-bit only); the two differ only in the interface
/// the device hands out.
template <class Interface>
class GlBuffer final : public Interface {
  public:
    GlBuffer(GlDeviceLink device, std::uint32_t length);
    ~GlBuffer() override;
    HRESULT lock(std::uint32_t offset, std::uint32_t size, void** data,
                 std::uint32_t flags) override;
    HRESULT unlock() override;

    ManagedBytes store;
    std::uint32_t name = 0;  ///< GL buffer object

  private:
    GlDeviceLink device_;
};
using GlVertexBuffer = GlBuffer<VertexBuffer>;
using GlIndexBuffer = GlBuffer<IndexBuffer>;

/// One vertex array object; attributes are pointed at the bound streams at each draw.
class GlVertexDeclaration final : public VertexDeclaration {
  public:
    GlVertexDeclaration(GlDeviceLink device, std::vector<D3DVERTEXELEMENT9> elements);
    ~GlVertexDeclaration() override;

    std::vector<D3DVERTEXELEMENT9> elements;  ///< without the end marker
    std::uint32_t vao = 0;

  private:
    GlDeviceLink device_;
};

/// A 2D texture. Texels are B, G, R, A bytes (0xAARRGGBB words); R8G8B8 and X8R8G8B8 keep
/// four bytes a texel and sample with alpha 1.
class GlTexture final : public DeviceTexture {
  public:
    /// store must already hold the levels (ManagedTexels::create succeeded).
    GlTexture(GlDeviceLink device, ManagedTexels levels);
    ~GlTexture() override;
    std::uint32_t levelCount() const override {
        return static_cast<std::uint32_t>(store.levels.size());
    }
    HRESULT lockRect(std::uint32_t level, D3DLOCKED_RECT& locked) override;
    HRESULT unlockRect(std::uint32_t level) override;

    ManagedTexels store;
    std::uint32_t name = 0;

  private:
    /// Formats without alpha sample with alpha 1.
    bool opaque() const { return store.format != D3DFMT_A8R8G8B8; }
    GlDeviceLink device_;
};

}  // namespace velmora
