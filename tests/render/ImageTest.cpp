// The picture readers: every layout lands in bottom-up padded rows, and hostile, cut or
// unsupported files give the white picture or zeros without reading past what they hold.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "render/ByteReader.h"
#include "render/Image.h"
#include "tests/render/PictureFiles.h"

namespace velmora::testing {
namespace {

bool isWhite(const Image& image) {
    return image.width == 1 && image.height == 1 && image.bitsPerPixel == 32 &&
           image.pixels == Bytes{0xFF, 0xFF, 0xFF, 0xFF};
}

/// What a reader makes of the bytes: the white picture when it refuses them.
Image read(const Bytes& file, bool tga) {
    Image image("");
    MemoryByteReader in(file.data(), file.size());
    tga ? image.readTga(in) : image.readBmp(in);
    return image;
}
Image bmp(const BmpSpec& s) {
    return read(bmpFile(s), false);
}
Image tga(const TgaSpec& s) {
    return read(tgaFile(s), true);
}

/// Stored row r holds the channel() pixels of file row r, or of the mirrored row when the
/// file stores its rows top-down.
void expectPixels(const Image& image, int width, int height, int bits, bool topDown = false) {
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    ASSERT_EQ(image.bitsPerPixel, bits);
    const std::size_t stride = Image::rowBytesFor(width, bits);
    ASSERT_EQ(image.pixels.size(), stride * height);
    for (int r = 0; r < height; ++r) {
        for (int i = 0; i < width * bits / 8; ++i) {
            ASSERT_EQ(image.pixels[r * stride + i],
                      channel(i / (bits / 8), topDown ? height - 1 - r : r, i % (bits / 8)))
                << "stored row " << r << " byte " << i;
        }
    }
}

TEST(ImageReaders, EveryLayoutLandsInBottomUpPaddedRows) {
    // The corpus pictures hold channel() pixels: padded rows, a colour table, V5 bit masks,
    // TGA's image id and colour map, and both row orders.
    const std::tuple<const char*, int, int, int, bool> files[] = {
        {"bmp24-3x2.bmp", 3, 2, 24, false},
        {"bmp24-5x3.bmp", 5, 3, 24, false},
        {"bmp24-colourtable-3x2.bmp", 3, 2, 24, false},
        {"bmp24-topdown-2x3.bmp", 2, 3, 24, true},
        {"bmp32-2x2.bmp", 2, 2, 32, false},
        {"bmp32-v5-bitfields-3x2.bmp", 3, 2, 32, false},
        {"tga24-3x2.tga", 3, 2, 24, false},
        {"tga24-id-cmap-2x2.tga", 2, 2, 24, false},
        {"tga32-topleft-2x2.tga", 2, 2, 32, true}};
    for (const auto& [name, w, h, bits, topDown] : files) {
        SCOPED_TRACE(name);
        const std::string path = std::string(VELMORA_SOURCE_DIR) + "/tests/render/corpus/" + name;
        expectPixels(Image(path.c_str()), w, h, bits, topDown);
    }
    // The reader is chosen by the last three characters in any case; else the white picture.
    TempFolder dir;
    const Bytes file = bmpFile(bmpPicture(2, 1));
    expectPixels(Image(dir.write("pBmP", file).c_str()), 2, 1, 24);
    for (const std::string& name : {dir.write("p.jpg", file), dir.write("p.bmpx", file),
                                    std::string("mp"), dir.path("missing.bmp")}) {
        EXPECT_TRUE(isWhite(Image(name.c_str()))) << name;
    }
    EXPECT_TRUE(isWhite(Image(nullptr)));

    // A pixel offset inside the headers: the pixels are taken to follow them.
    BmpSpec bogusOffset = bmpPicture(3, 2);
    bogusOffset.dataOffset = 20;
    expectPixels(bmp(bogusOffset), 3, 2, 24);
    // A short file: what it lacks is zero, in either row order.
    for (std::int32_t height : {2, -2}) {
        BmpSpec cut = bmpPicture(2, height);
        cut.pixels.resize(8 + 2);
        const Bytes pixels = bmp(cut).pixels;
        EXPECT_EQ(Bytes(pixels.begin() + (height > 0 ? 8 : 0), pixels.end() - (height > 0 ? 0 : 8)),
                  (Bytes{channel(0, 1, 0), channel(0, 1, 1), 0, 0, 0, 0, 0, 0}));
    }
}

TEST(ImageReaders, HostileOrUnsupportedFilesGiveTheWhitePicture) {
    // width, height, bits, compression, header size
    const std::tuple<std::int32_t, std::int32_t, std::uint16_t, std::uint32_t, std::uint32_t>
        bmpCases[] = {{2, 2, 8, 0, 40},        {2, 2, 16, 0, 40},
                      {2, 2, 0, 0, 40},        {2, 2, 24, 1, 40},
                      {2, 2, 24, 3, 40},       {2, 2, 24, 0, 12},
                      {0, 2, 24, 0, 40},       {-2, 2, 24, 0, 40},
                      {2, 0, 24, 0, 40},       {16385, 1, 24, 0, 40},
                      {1, -16385, 24, 0, 40},  {2, INT_MIN, 24, 0, 40},
                      {4097, 4096, 24, 0, 40}, {INT_MAX, INT_MAX, 32, 0, 40}};
    for (const auto& [w, h, bits, compression, headerSize] : bmpCases) {
        BmpSpec s = bmpPicture(2, 2);  // compression 3 comes without masks: they read as pixels
        std::tie(s.width, s.height, s.bitCount, s.compression, s.headerSize) =
            std::tie(w, h, bits, compression, headerSize);
        EXPECT_TRUE(isWhite(bmp(s))) << w << " x " << h << " x " << bits << " / " << compression;
    }
    BmpSpec rgbaMasks = bmpPicture(2, 2, 32);
    rgbaMasks.compression = 3;
    for (std::uint32_t m : {0xFFu, 0xFF00u, 0xFF0000u})
        put(rgbaMasks.between, m, 4);
    EXPECT_TRUE(isWhite(bmp(rgbaMasks)));

    // image type, width, height, depth
    const std::tuple<std::uint8_t, std::uint16_t, std::uint16_t, std::uint8_t> tgaCases[] = {
        {0, 2, 2, 24},  {1, 2, 2, 24},     {3, 2, 2, 24},       {9, 2, 2, 24},
        {11, 2, 2, 24}, {2, 2, 2, 16},     {10, 2, 2, 8},       {2, 0, 2, 24},
        {10, 2, 0, 32}, {2, 65535, 1, 24}, {10, 4097, 4096, 24}};
    for (const auto& [type, w, h, depth] : tgaCases) {
        EXPECT_TRUE(isWhite(tga({type, w, h, depth, tgaPicture(2, 2).body})))
            << "type " << int{type} << " " << w << " x " << h << " x " << int{depth};
    }
    // Headers cut short.
    const Bytes bmpBytes = bmpFile(bmpPicture(1, 1));
    const Bytes tgaBytes = tgaFile(tgaPicture(1, 1));
    EXPECT_TRUE(isWhite(read(Bytes(bmpBytes.begin(), bmpBytes.begin() + 53), false)));
    EXPECT_TRUE(isWhite(read(Bytes(tgaBytes.begin(), tgaBytes.begin() + 17), true)));
}

TEST(TgaReader, RunLengthPacketsStopAtThePictureAndAtTheirOwnEnd) {
    const auto decode = [](std::uint16_t width, std::uint16_t height, Bytes body,
                           std::uint8_t depth = 24) {
        return tga({10, width, height, depth, std::move(body)}).pixels;
    };
    // 0x83 + one pixel writes it four times, 0x02 + three pixels copies them; row 0 of width
    // 5 fills, then its padding byte is skipped.
    const Bytes fiveByTwo = decode(5, 2, {0x83, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    EXPECT_EQ(Bytes(fiveByTwo.begin(), fiveByTwo.begin() + 22),
              (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(decode(2, 1, {0x81, 1, 2, 3, 4}, 32), (Bytes{1, 2, 3, 4, 1, 2, 3, 4}));
    // Runs and raw packets longer than the picture stop at its last pixel.
    EXPECT_EQ(decode(2, 1, {0xFF, 9, 8, 7, 0x00, 1, 1, 1}), (Bytes{9, 8, 7, 9, 8, 7, 0, 0}));
    EXPECT_EQ(decode(1, 1, {0x03, 1, 1, 1, 2, 2, 2}), (Bytes{1, 1, 1, 0}));
    // Data cut off inside a raw packet, inside a run's pixel, after a header: the rest is 0.
    EXPECT_EQ(decode(3, 1, {0x02, 1, 2, 3, 4, 5}), (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(decode(3, 1, {0x80, 1, 2, 3, 0x81, 4}), (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(decode(1, 1, {0x80}), (Bytes{0, 0, 0, 0}));
}

TEST(MipChain, PointSamplesHalvingUntilASideWouldBeZero) {
    // 24-bit rows of width 6 or 7 carry padding; 7 and 9 do not divide by 2 or 4; 256 stops
    // at 2 x 2 with no 1 x 1.
    for (const auto& [w, h, bits, levels] : {std::tuple{6, 4, 24, 2u},
                                             {7, 9, 24, 2u},
                                             {8, 4, 32, 2u},
                                             {1, 8, 24, 0u},
                                             {256, 256, 24, kMaxMipLevels}}) {
        Image image = bmp(bmpPicture(w, h, static_cast<std::uint16_t>(bits)));
        image.buildMipChain();
        ASSERT_EQ(image.mipLevelCount, levels) << w;
        // Level k holds base pixel (row i * 2^k, column j * 2^k) at (i, j), rows packed.
        const int b = bits / 8;
        for (std::uint32_t k = 1; k <= levels; ++k) {
            const Bytes& level = image.mipLevels[k - 1];
            ASSERT_EQ(level.size(), static_cast<std::size_t>((w >> k) * (h >> k) * b)) << w;
            for (int i = 0; i < static_cast<int>(level.size()); ++i) {
                const int x = i / b % (w >> k), y = i / b / (w >> k);
                ASSERT_EQ(level[i], channel(x << k, y << k, i % b)) << w << " level " << k;
            }
        }
    }
}

}  // namespace
}  // namespace velmora::testing
