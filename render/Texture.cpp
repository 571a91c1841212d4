#include "render/Texture.h"

#include <algorithm>
#include <cstring>

#include "render/D3DRenderer.h"
#include "render/Image.h"
#include "render/TextureUpload.h"

namespace velmora {

namespace {

void copyLevel(const std::uint8_t* source, std::size_t sourceStride, std::size_t pixelBytes,
               std::size_t w, std::size_t h, const D3DLOCKED_RECT& locked) {
    auto* target = static_cast<std::uint8_t*>(locked.pBits);
    const auto pitch = static_cast<std::size_t>(locked.Pitch);
    for (std::size_t row = 0; row < h; ++row) {
        const std::uint8_t* from = source + row * sourceStride;
        std::uint8_t* to = target + row * pitch;
        if (pixelBytes == 4) {
            std::memcpy(to, from, w * 4);
        } else {
            for (std::size_t x = 0; x < w; ++x) {
                std::memcpy(to + x * 4, from + x * 3, 3);
            }
        }
    }
}

}  // namespace

void uploadImage(DeviceTexture& texture, const Image& image, std::uint32_t levels) {
    const std::size_t b = static_cast<std::size_t>(std::max(image.bitsPerPixel, 0)) / 8;
    if ((b != 3 && b != 4) || image.width <= 0 || image.height <= 0) {
        return;  // the levels keep what the device put there
    }
    const std::uint32_t count = std::min({levels, texture.levelCount(), kMaxMipLevels + 1});
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t w = static_cast<std::size_t>(image.width) >> i;
        const std::size_t h = static_cast<std::size_t>(image.height) >> i;
        // Level 0 keeps the padded rows of the picture's storage; reduced copies are packed.
        const std::vector<std::uint8_t>& source = i == 0 ? image.pixels : image.mipLevels[i - 1];
        const std::size_t sourceStride = i == 0 ? image.rowBytes() : w * b;
        if (w == 0 || h == 0 || source.size() < sourceStride * h) {
            return;
        }
        D3DLOCKED_RECT locked;
        if (!succeeded(texture.lockRect(i, locked))) {
            continue;
        }
        if (locked.pBits != nullptr && locked.Pitch >= 0 &&
            static_cast<std::size_t>(locked.Pitch) >= w * 4) {
            copyLevel(source.data(), sourceStride, b, w, h, locked);
        }
        texture.unlockRect(i);
    }
}

Texture::Texture(Image& image, bool withMips) {
    const std::uint32_t levels = withMips ? image.mipLevelCount + 1 : 1;
    const D3DFORMAT format = image.bitsPerPixel / 8 == 3 ? D3DFMT_R8G8B8 : D3DFMT_A8R8G8B8;
    Device* device = gRenderer->device.get();
    if (device == nullptr || image.width <= 0 || image.height <= 0) {
        return;
    }
    device->createTexture(static_cast<std::uint32_t>(image.width),
                          static_cast<std::uint32_t>(image.height), levels, 0, format,
                          D3DPOOL_MANAGED, d3dTexture);
    if (d3dTexture != nullptr) {
        uploadImage(*d3dTexture, image, levels);
        return;
    }
    // A picture the device cannot hold (larger than its textures, say) shows as the white
    // picture, like one that cannot be read. If even that fails, nothing is ever locked and
    // the texture binds as none.
    Image white("");
    device->createTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, d3dTexture);
    if (d3dTexture != nullptr) {
        uploadImage(*d3dTexture, white, 1);
    }
}

Texture::~Texture() = default;

}  // namespace velmora
