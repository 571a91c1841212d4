#pragma once
// A decoded picture in the DIB row layout the texture upload relies on: rows one after the
// other in bottom-up order (the first stored row is the bottom of the picture), each pixel
// B, G, R (24-bit) or B, G, R, A (32-bit), 24-bit rows padded to a multiple of 4 bytes.
// Readers: uncompressed BMP (24/32-bit) and TGA (types 2 and 10, 24/32-bit). Anything they
// cannot read becomes the 1 x 1 opaque white picture.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora {

class ByteReader;

/// Most reduced copies a picture gets: a 256 x 256 picture stops at 2 x 2.
inline constexpr std::uint32_t kMaxMipLevels = 7;
/// Largest side, in pixels, a picture file may declare; a larger one reads as white.
inline constexpr std::int64_t kMaxImageSide = 16384;
/// Largest pixel count (width x height) a picture file may declare.
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 24;
/// Largest picture file read, bytes: the largest picture at 32 bits is 64 MiB, and as TGA
/// run-length packets of one pixel each 80 MiB.
inline constexpr std::uint64_t kMaxImageFileBytes = 128u << 20;

class Image {
  public:
    /// Reads the file (see BoundedFile) with the reader its last three characters name ("bmp"
    /// or "tga", any letter case, no dot needed); the white picture when none applies, the
    /// file cannot be read or the reader fails.
    explicit Image(const char* fileName);
    virtual ~Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    Image(Image&&) = default;
    Image& operator=(Image&&) = default;

    /// Each reader replaces the picture only on success; on failure it is left as it was.
    bool readBmp(ByteReader& in);
    bool readTga(ByteReader& in);

    /// 1 x 1, 32-bit, bytes FF FF FF FF (opaque white); drops any reduced copies.
    void makeDefault();
    /// Point-sampled reduced copies, level k of (width >> k) x (height >> k) pixels with
    /// packed rows; at most kMaxMipLevels, made once.
    void buildMipChain();

    virtual std::uint8_t* pixelData() { return pixels.data(); }

    /// Bytes of one stored row of the full picture: 3w + (w mod 4) at 24 bits, 4w at 32.
    std::size_t rowBytes() const { return rowBytesFor(width, bitsPerPixel); }
    static std::size_t rowBytesFor(std::int64_t width, std::int32_t bitsPerPixel);
    /// Whether a file's declared size may be read: both sides 1..kMaxImageSide and at most
    /// kMaxImagePixels in all.
    static bool acceptableSize(std::int64_t width, std::int64_t height);

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    std::vector<std::uint8_t> pixels;
    /// mipLevels[k - 1] holds level k.
    std::array<std::vector<std::uint8_t>, kMaxMipLevels> mipLevels;
    std::uint32_t mipLevelCount = 0;

  private:
    void adopt(std::int32_t newWidth, std::int32_t newHeight, std::int32_t newBitsPerPixel,
               std::vector<std::uint8_t>&& newPixels);
};

}  // namespace velmora
