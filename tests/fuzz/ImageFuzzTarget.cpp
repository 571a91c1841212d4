// Feeds every input to both picture readers, then builds the reduced copies of whatever
// they accepted. The sanitizers catch bad reads and writes; the checks below catch a picture
// whose storage does not match its declared size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "render/ByteReader.h"
#include "render/Image.h"

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void exercise(bool (velmora::Image::*reader)(velmora::ByteReader&), const std::uint8_t* data,
              std::size_t size) {
    velmora::Image image("");  // the white picture; no file is touched
    velmora::MemoryByteReader in(data, size);
    if (!(image.*reader)(in)) {
        // A refused file leaves the picture as it was.
        check(image.width == 1 && image.height == 1 && image.bitsPerPixel == 32);
        return;
    }
    check(velmora::Image::acceptableSize(image.width, image.height));
    check(image.bitsPerPixel == 24 || image.bitsPerPixel == 32);
    check(image.pixels.size() == image.rowBytes() * static_cast<std::size_t>(image.height));
    image.buildMipChain();
    const std::size_t b = static_cast<std::size_t>(image.bitsPerPixel) / 8;
    for (std::uint32_t k = 1; k <= image.mipLevelCount; ++k) {
        const auto w = static_cast<std::size_t>(image.width) >> k;
        const auto h = static_cast<std::size_t>(image.height) >> k;
        check(image.mipLevels[k - 1].size() == w * h * b);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    exercise(&velmora::Image::readBmp, data, size);
    exercise(&velmora::Image::readTga, data, size);
    return 0;
}
