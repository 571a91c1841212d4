// Both picture readers, then the reduced copies of what they accepted. The checks catch a
// picture whose storage does not match its size.

#include "render/ByteReader.h"
#include "render/Image.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace velmora;

namespace {

void exercise(bool (Image::*reader)(ByteReader&), const std::uint8_t* data, std::size_t size) {
    Image image("");  // the white picture, which a refused file leaves as it was
    MemoryByteReader in(data, size);
    if (!(image.*reader)(in)) {
        check(image.width == 1 && image.height == 1 && image.bitsPerPixel == 32);
        return;
    }
    check(Image::acceptableSize(image.width, image.height));
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
    exercise(&Image::readBmp, data, size);
    exercise(&Image::readTga, data, size);
    return 0;
}
