#include <cstring>

#include "render/Image.h"

namespace velmora {

void Image::buildMipChain() {
    if (mipLevelCount > 0) {
        return;
    }
    const std::size_t b = static_cast<std::size_t>(bitsPerPixel) / 8;
    const std::size_t stride = rowBytes();
    if ((b != 3 && b != 4) || height <= 0 ||
        pixels.size() < stride * static_cast<std::size_t>(height)) {
        return;
    }
    // Level k takes every s-th pixel of every s-th row, s = 2^k. The base rows are
    // addressed by their stored length, padding included, so pictures whose rows are padded
    // or whose size does not divide by s sample the right pixels.
    std::size_t w = static_cast<std::size_t>(width) >> 1;
    std::size_t h = static_cast<std::size_t>(height) >> 1;
    std::size_t s = 2;
    while (w >= 1 && h >= 1 && mipLevelCount < kMaxMipLevels) {
        std::vector<std::uint8_t>& level = mipLevels[mipLevelCount];
        level.resize(w * h * b);
        for (std::size_t i = 0; i < h; ++i) {
            const std::uint8_t* row = pixels.data() + i * s * stride;
            for (std::size_t j = 0; j < w; ++j) {
                std::memcpy(level.data() + (i * w + j) * b, row + j * s * b, b);
            }
        }
        ++mipLevelCount;
        w >>= 1;
        h >>= 1;
        s <<= 1;
    }
}

}  // namespace velmora
