#pragma once
#include <cstdint>
#include <memory>

#include "platform/GpuDevice.h"

namespace velmora {

class Image;

/// The device texture of one picture file. Made only by the TextureManager, which owns it
/// until the program ends.
class Texture {
  public:
    /// Uploads the image (and its reduced copies when withMips) to a new managed texture
    /// on the renderer's device.
    Texture(Image& image, bool withMips);

    /// The device texture; null when the device could not make one.
    virtual DeviceTexture* nativeTexture() { return d3dTexture.get(); }
    // Three slots kept for texture kinds the system does not make; they do nothing.
    virtual std::uint32_t reservedSlot1(std::uint32_t) { return 0; }
    virtual std::uint32_t reservedSlot2(std::uint32_t) { return 0; }
    virtual std::uint32_t reservedSlot3() { return 0; }
    virtual ~Texture();

    std::unique_ptr<DeviceTexture> d3dTexture;
};

}  // namespace velmora
