// Uncompressed Windows BMP: 24 or 32 bits per pixel, any info header of at least 40 bytes
// (V4 and V5 included), bottom-up or top-down rows, BI_BITFIELDS only with the plain
// B, G, R (and A) byte masks. Everything else is refused, so the caller shows white.
#include <cstring>
#include <utility>

#include "render/ByteReader.h"
#include "render/Image.h"

namespace velmora {

namespace {

constexpr std::uint64_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The masks sit right after the 40 header bytes, inside a larger header or as a separate
// block after a 40-byte one; alpha is present only where the header holds it.
bool plainMasks(ByteReader& in, std::uint32_t headerSize, std::int32_t bitCount) {
    std::uint8_t m[16] = {};
    const std::size_t wanted = headerSize >= 56 ? 16 : 12;
    if (in.read(m, wanted) != wanted) {
        return false;
    }
    const bool rgb = le32(m) == 0x00FF0000u && le32(m + 4) == 0x0000FF00u && le32(m + 8) == 0xFFu;
    const std::uint32_t alpha = le32(m + 12);
    return rgb && (alpha == 0 || (bitCount == 32 && alpha == 0xFF000000u));
}

}  // namespace

bool Image::readBmp(ByteReader& in) {
    std::uint8_t fileHeader[kFileHeaderBytes];
    std::uint8_t info[kInfoHeaderBytes];
    if (in.read(fileHeader, sizeof fileHeader) != sizeof fileHeader ||
        in.read(info, sizeof info) != sizeof info) {
        return false;
    }
    const std::uint32_t dataOffset = le32(fileHeader + 10);
    const std::uint32_t headerSize = le32(info);
    const auto fileWidth = static_cast<std::int32_t>(le32(info + 4));
    const auto fileHeight = static_cast<std::int32_t>(le32(info + 8));
    const std::int32_t bitCount = le16(info + 14);
    const std::uint32_t compression = le32(info + 16);

    // A 12-byte OS/2 core header lays its fields out differently; it is not read as if it
    // were a 40-byte one.
    if (headerSize < kInfoHeaderBytes || (bitCount != 24 && bitCount != 32)) {
        return false;
    }
    // A negative height means rows stored top-down; they are turned bottom-up below, so the
    // texture comes out the same way as from an ordinary file.
    const bool topDown = fileHeight < 0;
    const std::int64_t rows = topDown ? -static_cast<std::int64_t>(fileHeight) : fileHeight;
    if (!acceptableSize(fileWidth, rows)) {
        return false;
    }

    std::uint64_t headersEnd = kFileHeaderBytes + headerSize;
    if (compression == kBiBitfields) {
        if (!plainMasks(in, headerSize, bitCount)) {
            return false;
        }
        if (headerSize == kInfoHeaderBytes) {
            headersEnd += 12;
        }
    } else if (compression != kBiRgb) {
        return false;
    }

    // The pixel offset skips colour tables and larger headers; one that points into the
    // headers or past the end of the file is not believed and the pixels are taken to
    // follow the headers.
    const bool offsetUsable = dataOffset >= headersEnd && dataOffset < in.size();
    in.seek(offsetUsable ? dataOffset : headersEnd);

    const std::size_t stride = rowBytesFor(fileWidth, bitCount);
    const auto height32 = static_cast<std::size_t>(rows);
    // Zero-filled, so whatever a short file does not hold stays zero.
    std::vector<std::uint8_t> data(stride * height32, 0);
    if (topDown) {
        for (std::size_t r = 0; r < height32; ++r) {
            if (in.read(data.data() + (height32 - 1 - r) * stride, stride) != stride) {
                break;
            }
        }
    } else {
        in.read(data.data(), data.size());
    }
    adopt(fileWidth, static_cast<std::int32_t>(rows), bitCount, std::move(data));
    return true;
}

}  // namespace velmora
