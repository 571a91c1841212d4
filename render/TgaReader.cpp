// Truevision TGA, true-colour only: image type 2 (uncompressed) and 10 (run-length encoded)
// at 24 or 32 bits per pixel. A colour map that such a file carries is skipped. The origin
// bit of the image descriptor is honoured: top-left files are turned bottom-up, the order
// of the storage. The right-to-left bit is ignored (no common writer sets it).
#include <algorithm>
#include <utility>

#include "render/ByteReader.h"
#include "render/Image.h"

namespace velmora {

namespace {

constexpr std::uint8_t kTypeTrueColour = 2;
constexpr std::uint8_t kTypeTrueColourRle = 10;
constexpr std::uint8_t kTopOriginBit = 0x20;

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Where pixel k of the file (counted along the file's rows) lands in the padded storage.
struct PixelPlacer {
    std::size_t width;
    std::size_t height;
    std::size_t stride;
    std::size_t pixelBytes;
    bool topOrigin;

    std::size_t rowOffset(std::size_t fileRow) const {
        return (topOrigin ? height - 1 - fileRow : fileRow) * stride;
    }
    std::size_t offset(std::size_t k) const {
        return rowOffset(k / width) + (k % width) * pixelBytes;
    }
};

void readRows(ByteReader& in, const PixelPlacer& place, std::uint8_t* data) {
    const std::size_t rowBytes = place.width * place.pixelBytes;  // no padding in the file
    for (std::size_t r = 0; r < place.height; ++r) {
        if (in.read(data + place.rowOffset(r), rowBytes) != rowBytes) {
            return;
        }
    }
}

// Packets stop at the last pixel of the picture even when one would run past it, and a
// packet cut off by the end of the file leaves the pixels it did not reach zero.
void decodeRle(ByteReader& in, const PixelPlacer& place, std::uint8_t* data) {
    const std::size_t total = place.width * place.height;
    const std::size_t p = place.pixelBytes;
    std::uint8_t packet[128 * 4];
    std::size_t k = 0;
    while (k < total) {
        std::uint8_t header = 0;
        if (in.read(&header, 1) != 1) {
            return;
        }
        const std::size_t n = std::min<std::size_t>((header & 0x7Fu) + 1u, total - k);
        if (header & 0x80u) {
            if (in.read(packet, p) != p) {
                return;
            }
            for (std::size_t i = 0; i < n; ++i, ++k) {
                std::copy_n(packet, p, data + place.offset(k));
            }
        } else {
            const std::size_t whole = in.read(packet, n * p) / p;
            for (std::size_t i = 0; i < whole; ++i, ++k) {
                std::copy_n(packet + i * p, p, data + place.offset(k));
            }
            if (whole < n) {
                return;
            }
        }
    }
}

}  // namespace

bool Image::readTga(ByteReader& in) {
    std::uint8_t h[18];
    if (in.read(h, sizeof h) != sizeof h) {
        return false;
    }
    const std::uint8_t idLength = h[0];
    const std::uint8_t colourMapType = h[1];
    const std::uint8_t imageType = h[2];
    const std::uint16_t colourMapLength = le16(h + 5);
    const std::uint8_t colourMapEntryBits = h[7];
    const std::int64_t fileWidth = le16(h + 12);
    const std::int64_t fileHeight = le16(h + 14);
    const std::int32_t depth = h[16];
    const bool topOrigin = (h[17] & kTopOriginBit) != 0;

    // Colour-mapped (1, 9) and grey (3, 11) pictures are refused along with unknown types.
    if ((imageType != kTypeTrueColour && imageType != kTypeTrueColourRle) ||
        (depth != 24 && depth != 32) || !acceptableSize(fileWidth, fileHeight)) {
        return false;
    }
    // Past the end of the file these skips leave nothing to read: the pixels stay zero.
    in.skip(idLength);
    if (colourMapType == 1) {
        in.skip(std::uint64_t{colourMapLength} * ((colourMapEntryBits + 7u) / 8u));
    }

    const PixelPlacer place{static_cast<std::size_t>(fileWidth),
                            static_cast<std::size_t>(fileHeight), rowBytesFor(fileWidth, depth),
                            static_cast<std::size_t>(depth / 8), topOrigin};
    std::vector<std::uint8_t> data(place.stride * place.height, 0);
    if (imageType == kTypeTrueColour) {
        readRows(in, place, data.data());
    } else {
        decodeRle(in, place, data.data());
    }
    adopt(static_cast<std::int32_t>(fileWidth), static_cast<std::int32_t>(fileHeight), depth,
          std::move(data));
    return true;
}

}  // namespace velmora
