#include "render/Image.h"

#include <cctype>
#include <cstring>
#include <utility>

#include "platform/BoundedFile.h"
#include "render/ByteReader.h"

namespace velmora {

namespace {

enum class Reader { None, Bmp, Tga };

bool endsWithNoCase(const char* name, std::size_t length, const char* ext) {
    for (std::size_t i = 0; i < 3; ++i) {
        const auto c = static_cast<unsigned char>(name[length - 3 + i]);
        if (std::tolower(c) != ext[i]) {
            return false;
        }
    }
    return true;
}

// The last three characters decide, dot or not; a shorter name names no reader.
Reader readerFor(const char* fileName) {
    if (fileName == nullptr) {
        return Reader::None;
    }
    const std::size_t length = std::strlen(fileName);
    if (length < 3) {
        return Reader::None;
    }
    if (endsWithNoCase(fileName, length, "bmp")) {
        return Reader::Bmp;
    }
    if (endsWithNoCase(fileName, length, "tga")) {
        return Reader::Tga;
    }
    return Reader::None;
}

}  // namespace

Image::Image(const char* fileName) {
    const Reader reader = readerFor(fileName);
    std::string bytes;
    std::string ignored;  // any picture that cannot be read is the white one
    bool loaded = false;
    if (reader != Reader::None && readBoundedFile(fileName, kMaxImageFileBytes, bytes, ignored)) {
        MemoryByteReader in(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        loaded = reader == Reader::Bmp ? readBmp(in) : readTga(in);
    }
    if (!loaded) {
        makeDefault();
    }
    mipLevelCount = 0;
}

void Image::makeDefault() {
    adopt(1, 1, 32, std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF});
}

std::size_t Image::rowBytesFor(std::int64_t width, std::int32_t bitsPerPixel) {
    if (width <= 0) {
        return 0;
    }
    const auto w = static_cast<std::size_t>(width);
    switch (bitsPerPixel) {
        case 24:
            return 3 * w + w % 4;
        case 32:
            return 4 * w;
        default:
            return 0;
    }
}

bool Image::acceptableSize(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

void Image::adopt(std::int32_t newWidth, std::int32_t newHeight, std::int32_t newBitsPerPixel,
                  std::vector<std::uint8_t>&& newPixels) {
    width = newWidth;
    height = newHeight;
    bitsPerPixel = newBitsPerPixel;
    pixels = std::move(newPixels);
    for (auto& level : mipLevels) {
        level.clear();
        level.shrink_to_fit();
    }
    mipLevelCount = 0;
}

}  // namespace velmora
