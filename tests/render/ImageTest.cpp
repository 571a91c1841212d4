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

/// The pictures in tests/render/corpus hold byte channel(x, r, c) for channel c of the pixel
/// in column x of the file's row r.
std::uint8_t channel(int x, int r, int c) {
    return static_cast<std::uint8_t>(1 + x * 16 + r * 4 + c);
}
Bytes corpus(const char* name) {
    return readBytes(std::string(VELMORA_SOURCE_DIR) + "/tests/render/corpus/" + name);
}

bool isWhite(const Image& image) {
    return image.width == 1 && image.height == 1 && image.bitsPerPixel == 32 &&
           image.pixels == Bytes{0xFF, 0xFF, 0xFF, 0xFF};
}

/// What a reader makes of the bytes: the white picture when it refuses them.
Image read(const Bytes& file, bool tga = false) {
    Image image("");
    MemoryByteReader in(file.data(), file.size());
    tga ? image.readTga(in) : image.readBmp(in);
    return image;
}

/// Stored row r holds the channel() pixels of file row r, mirrored when stored top-down.
void expectPixels(const Image& image, int width, int height, int bits, bool topDown = false) {
    const std::size_t stride = Image::rowBytesFor(width, bits);
    ASSERT_TRUE(image.width == width && image.height == height && image.bitsPerPixel == bits &&
                image.pixels.size() == stride * height)
        << image.width << " x " << image.height << " x " << image.bitsPerPixel;
    for (int r = 0; r < height; ++r) {
        for (int i = 0; i < width * bits / 8; ++i) {
            ASSERT_EQ(image.pixels[r * stride + i],
                      channel(i / (bits / 8), topDown ? height - 1 - r : r, i % (bits / 8)))
                << "stored row " << r << " byte " << i;
        }
    }
}

TEST(ImageReaders, EveryLayoutLandsInBottomUpPaddedRows) {
    // Padded rows, a colour table, V5 bit masks, TGA's image id and colour map, both row
    // orders; each name says the bits and the size, "top" the rows stored top-down.
    for (const char* name : {"bmp24-3x2.bmp", "bmp24-5x3.bmp", "bmp24-colourtable-3x2.bmp",
                             "bmp24-topdown-2x3.bmp", "bmp32-2x2.bmp", "bmp32-v5-bitfields-3x2.bmp",
                             "tga24-3x2.tga", "tga24-id-cmap-2x2.tga", "tga32-topleft-2x2.tga"}) {
        SCOPED_TRACE(name);
        const std::string n = name, size = n.substr(n.rfind('-') + 1);
        expectPixels(Image((std::string(VELMORA_SOURCE_DIR) + "/tests/render/corpus/" + n).c_str()),
                     size[0] - '0', size[2] - '0', std::stoi(n.substr(3, 2)),
                     n.find("top") != n.npos);
    }
    // The reader is chosen by the last three characters in any case; else the white picture.
    TempFolder dir;
    const Bytes file = corpus("bmp24-3x2.bmp");
    expectPixels(Image(dir.write("pBmP", file).c_str()), 3, 2, 24);
    for (const std::string& name : {dir.write("p.jpg", file), dir.write("p.bmpx", file),
                                    std::string("mp"), dir.path("missing.bmp")}) {
        EXPECT_TRUE(isWhite(Image(name.c_str()))) << name;
    }
    EXPECT_TRUE(isWhite(Image(nullptr)));

    // A pixel offset inside the headers: the pixels are taken to follow them.
    expectPixels(read(patched(file, {{10, 20, 4}})), 3, 2, 24);
    // A short file: what it lacks is zero, in either row order.
    const Bytes cutRow{channel(0, 1, 0), channel(0, 1, 1), 0, 0, 0, 0, 0, 0};
    const Bytes bottomUp = read(Bytes(file.begin(), file.begin() + 54 + 12 + 2)).pixels;
    EXPECT_EQ(Bytes(bottomUp.begin() + 12, bottomUp.begin() + 20), cutRow);
    const Bytes topDown = corpus("bmp24-topdown-2x3.bmp");
    const Bytes cut = read(Bytes(topDown.begin(), topDown.begin() + 54 + 8 + 2)).pixels;
    EXPECT_EQ(Bytes(cut.begin() + 8, cut.begin() + 16), cutRow);
}

TEST(ImageReaders, HostileOrUnsupportedFilesGiveTheWhitePicture) {
    // width, height, bits, compression, header size; compression 3 without masks
    const std::tuple<std::int32_t, std::int32_t, std::uint16_t, std::uint32_t, std::uint32_t>
        bmpCases[] = {{2, 2, 8, 0, 40},        {2, 2, 16, 0, 40},
                      {2, 2, 0, 0, 40},        {2, 2, 24, 1, 40},
                      {2, 2, 24, 3, 40},       {2, 2, 24, 0, 12},
                      {0, 2, 24, 0, 40},       {-2, 2, 24, 0, 40},
                      {2, 0, 24, 0, 40},       {16385, 1, 24, 0, 40},
                      {1, -16385, 24, 0, 40},  {2, INT_MIN, 24, 0, 40},
                      {4097, 4096, 24, 0, 40}, {INT_MAX, INT_MAX, 32, 0, 40}};
    const Bytes bmp = corpus("bmp24-3x2.bmp");
    for (const auto& [w, h, bits, compression, headerSize] : bmpCases) {
        const Bytes bad = patched(
            bmp,
            {{18, w, 4}, {22, h, 4}, {28, bits, 2}, {30, compression, 4}, {14, headerSize, 4}});
        EXPECT_TRUE(isWhite(read(bad))) << w << " x " << h << " x " << bits << " / " << compression;
    }
    // Bit masks in R, G, B order rather than B, G, R.
    const Bytes masks = corpus("bmp32-v5-bitfields-3x2.bmp");
    EXPECT_TRUE(isWhite(read(patched(masks, {{54, 0xFF, 4}, {62, 0xFF0000, 4}}))));

    // image type, width, height, depth
    const std::tuple<std::uint8_t, std::uint16_t, std::uint16_t, std::uint8_t> tgaCases[] = {
        {0, 2, 2, 24},  {1, 2, 2, 24},     {3, 2, 2, 24},       {9, 2, 2, 24},
        {11, 2, 2, 24}, {2, 2, 2, 16},     {10, 2, 2, 8},       {2, 0, 2, 24},
        {10, 2, 0, 32}, {2, 65535, 1, 24}, {10, 4097, 4096, 24}};
    const Bytes tga = corpus("tga24-3x2.tga");
    for (const auto& [type, w, h, depth] : tgaCases) {
        const Bytes bad = patched(tga, {{2, type, 1}, {12, w, 2}, {14, h, 2}, {16, depth, 1}});
        EXPECT_TRUE(isWhite(read(bad, true)))
            << "type " << int{type} << " " << w << " x " << h << " x " << int{depth};
    }
    // Headers cut short.
    EXPECT_TRUE(isWhite(read(Bytes(bmp.begin(), bmp.begin() + 53))));
    EXPECT_TRUE(isWhite(read(Bytes(tga.begin(), tga.begin() + 17), true)));
}

TEST(TgaReader, RunLengthPacketsStopAtThePictureAndAtTheirOwnEnd) {
    const auto decode = [](std::uint16_t width, std::uint16_t height, const Bytes& body,
                           std::uint8_t depth = 24) {
        const Bytes tga = corpus("tga24-3x2.tga");
        Bytes file = patched(Bytes(tga.begin(), tga.begin() + 18),
                             {{2, 10, 1}, {12, width, 2}, {14, height, 2}, {16, depth, 1}});
        file.insert(file.end(), body.begin(), body.end());
        return read(file, true).pixels;
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

TEST(MipChain, SevenLevelsAtMost) {
    // 256 x 256 stops at 2 x 2, with no 1 x 1.
    Image big("");
    big.width = big.height = 256;
    big.bitsPerPixel = 32;
    big.pixels.assign(256 * 256 * 4, 7);
    big.buildMipChain();
    ASSERT_EQ(big.mipLevelCount, kMaxMipLevels);
    EXPECT_EQ(big.mipLevels[kMaxMipLevels - 1], Bytes(2 * 2 * 4, 7));
}

}  // namespace
}  // namespace velmora::testing
