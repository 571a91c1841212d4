#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "render/Image.h"
#include "tests/render/PictureFiles.h"

namespace velmora {
namespace {

using testing::bmpPicture;
using testing::BmpSpec;
using testing::Bytes;
using testing::channel;
using testing::tgaPicture;
using testing::TgaSpec;

bool isWhite(const Image& image) {
    return image.width == 1 && image.height == 1 && image.bitsPerPixel == 32 &&
           image.pixels == Bytes{0xFF, 0xFF, 0xFF, 0xFF};
}

// Every stored row r holds the channel() pixels of file row fileRow(r), in padded rows.
template <typename FileRow>
void expectPixels(const Image& image, int width, int height, int bits, FileRow fileRow) {
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    ASSERT_EQ(image.bitsPerPixel, bits);
    const std::size_t stride = Image::rowBytesFor(width, bits);
    ASSERT_EQ(image.pixels.size(), stride * height);
    for (int r = 0; r < height; ++r) {
        for (int i = 0; i < width * bits / 8; ++i) {
            ASSERT_EQ(image.pixels[r * stride + i],
                      channel(i / (bits / 8), fileRow(r), i % (bits / 8)))
                << "stored row " << r << " byte " << i;
        }
    }
}
const auto sameRow = [](int r) { return r; };

TEST(ImageReaders, ChosenByTheLastThreeCharactersInAnyCase) {
    testing::TempFolder dir;
    const Bytes file = testing::bmpFile(bmpPicture(2, 1));
    for (const char* name : {"p.BMP", "p.Bmp", "pbmp"}) {
        expectPixels(Image(dir.write(name, file).c_str()), 2, 1, 24, sameRow);
    }
    expectPixels(Image(dir.write("q.TgA", testing::tgaFile(tgaPicture(2, 1))).c_str()), 2, 1, 24,
                 sameRow);
    for (const char* name : {"p.jpg", "p.tgax"}) {
        EXPECT_TRUE(isWhite(Image(dir.write(name, file).c_str()))) << name;
    }
    // Names too short for an extension, and a file that is not there.
    for (const std::string& name : {std::string("mp"), std::string(), dir.path("missing.bmp")}) {
        EXPECT_TRUE(isWhite(Image(name.c_str()))) << name;
    }
    EXPECT_TRUE(isWhite(Image(nullptr)));
}

TEST(BmpReader, ReadsPaddedRowsFromThePixelOffsetInEitherRowOrder) {
    testing::TempFolder dir;
    EXPECT_EQ(Image::rowBytesFor(3, 24), 12u);
    EXPECT_EQ(Image::rowBytesFor(4, 24), 12u);
    EXPECT_EQ(Image::rowBytesFor(5, 24), 16u);
    for (const auto& [w, bits] : {std::pair{3, 24}, {4, 24}, {5, 24}, {3, 32}}) {
        expectPixels(Image(dir.write("a.bmp", testing::bmpFile(bmpPicture(w, 2, bits))).c_str()), w,
                     2, bits, sameRow);
    }

    BmpSpec table = bmpPicture(3, 2);
    table.between = Bytes(16, 0xEE);  // a colour table before the pixels
    BmpSpec v5 = bmpPicture(3, 2, 32);
    v5.headerSize = 124;
    v5.compression = 3;  // BI_BITFIELDS with the plain B, G, R, A masks inside the header
    for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) {
        testing::put(v5.headerTail, mask, 4);
    }
    v5.headerTail.resize(124 - 40, 0x11);
    v5.between = Bytes(8, 0xEE);
    BmpSpec bogusOffset = bmpPicture(3, 2);
    bogusOffset.dataOffset = 20;  // inside the headers: the pixels are taken to follow them
    for (const BmpSpec& s : {table, v5, bogusOffset}) {
        expectPixels(Image(dir.write("o.bmp", testing::bmpFile(s)).c_str()), 3, 2, s.bitCount,
                     sameRow);
    }

    // A negative height stores rows top-down; they are turned bottom-up.
    BmpSpec topDown = bmpPicture(2, -3);
    expectPixels(Image(dir.write("t.bmp", testing::bmpFile(topDown)).c_str()), 2, 3, 24,
                 [](int r) { return 2 - r; });

    // A short file: what it lacks is zero, in either row order.
    BmpSpec cut = bmpPicture(2, 2);
    cut.pixels.resize(8 + 2);
    const Image shortFile(dir.write("s.bmp", testing::bmpFile(cut)).c_str());
    EXPECT_EQ(Bytes(shortFile.pixels.begin() + 8, shortFile.pixels.end()),
              (Bytes{channel(0, 1, 0), channel(0, 1, 1), 0, 0, 0, 0, 0, 0}));
    cut.height = -2;
    const Image shortTopDown(dir.write("s.bmp", testing::bmpFile(cut)).c_str());
    EXPECT_EQ(Bytes(shortTopDown.pixels.begin(), shortTopDown.pixels.begin() + 8),
              (Bytes{channel(0, 1, 0), channel(0, 1, 1), 0, 0, 0, 0, 0, 0}));
}

TEST(ImageReaders, HostileOrUnsupportedFilesGiveTheWhitePicture) {
    testing::TempFolder dir;
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
        EXPECT_TRUE(isWhite(Image(dir.write("bad.bmp", testing::bmpFile(s)).c_str())))
            << w << " x " << h << " x " << bits << " compression " << compression;
    }
    BmpSpec rgbaMasks = bmpPicture(2, 2, 32);
    rgbaMasks.compression = 3;
    for (std::uint32_t m : {0xFFu, 0xFF00u, 0xFF0000u})
        testing::put(rgbaMasks.between, m, 4);
    EXPECT_TRUE(isWhite(Image(dir.write("rgba.bmp", testing::bmpFile(rgbaMasks)).c_str())));

    // image type, width, height, depth
    const std::tuple<std::uint8_t, std::uint16_t, std::uint16_t, std::uint8_t> tgaCases[] = {
        {0, 2, 2, 24},  {1, 2, 2, 24},     {3, 2, 2, 24},       {9, 2, 2, 24},
        {11, 2, 2, 24}, {2, 2, 2, 16},     {10, 2, 2, 8},       {2, 0, 2, 24},
        {10, 2, 0, 32}, {2, 65535, 1, 24}, {10, 4097, 4096, 24}};
    for (const auto& [type, w, h, depth] : tgaCases) {
        TgaSpec s = tgaPicture(2, 2);
        std::tie(s.imageType, s.width, s.height, s.depth) = std::tie(type, w, h, depth);
        EXPECT_TRUE(isWhite(Image(dir.write("bad.tga", testing::tgaFile(s)).c_str())))
            << "type " << int{type} << " " << w << " x " << h << " x " << int{depth};
    }
    // Headers cut short.
    const Bytes bmpBytes = testing::bmpFile(bmpPicture(1, 1));
    const Bytes tgaBytes = testing::tgaFile(tgaPicture(1, 1));
    EXPECT_TRUE(isWhite(
        Image(dir.write("cut.bmp", Bytes(bmpBytes.begin(), bmpBytes.begin() + 53)).c_str())));
    EXPECT_TRUE(isWhite(
        Image(dir.write("cut.tga", Bytes(tgaBytes.begin(), tgaBytes.begin() + 17)).c_str())));
}

TEST(TgaReader, UnpaddedRowsSkippingIdAndColourMapHonouringTheOrigin) {
    testing::TempFolder dir;
    TgaSpec withExtras = tgaPicture(3, 2);
    withExtras.id = {'v', 'e', 'l'};
    withExtras.colourMapEntries = 4;
    for (const TgaSpec& s : {tgaPicture(3, 2), withExtras, tgaPicture(3, 2, 32)}) {
        expectPixels(Image(dir.write("r.tga", testing::tgaFile(s)).c_str()), 3, 2, s.depth,
                     sameRow);
    }
    TgaSpec topLeft = tgaPicture(3, 3);
    topLeft.descriptor = 0x20;
    expectPixels(Image(dir.write("t.tga", testing::tgaFile(topLeft)).c_str()), 3, 3, 24,
                 [](int r) { return 2 - r; });
}

TEST(TgaReader, RunLengthPacketsStopAtThePictureAndAtTheirOwnEnd) {
    testing::TempFolder dir;
    auto decode = [&](std::uint16_t width, std::uint16_t height, Bytes body,
                      std::uint8_t depth = 24) {
        TgaSpec s = tgaPicture(width, height, depth);
        s.imageType = 10;
        s.body = std::move(body);
        return Image(dir.write("rle.tga", testing::tgaFile(s)).c_str()).pixels;
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

// A picture of channel() pixels, made without a file.
Image picture(int width, int height, int bits) {
    Image image("");
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bits;
    image.pixels = testing::pixelRows(width, height, bits / 8, Image::rowBytesFor(width, bits));
    return image;
}

// Level k, packed, holds base pixel (row i * 2^k, column j * 2^k) at (i, j).
void expectPointSamples(const Image& image) {
    const int b = image.bitsPerPixel / 8;
    for (std::uint32_t k = 1; k <= image.mipLevelCount; ++k) {
        const int w = image.width >> k;
        const int h = image.height >> k;
        const testing::Bytes& level = image.mipLevels[k - 1];
        ASSERT_EQ(level.size(), static_cast<std::size_t>(w * h * b)) << "level " << k;
        for (int i = 0; i < w * h * b; ++i) {
            const int pixel = i / b;
            ASSERT_EQ(level[i], channel((pixel % w) << k, (pixel / w) << k, i % b))
                << "level " << k << " byte " << i;
        }
    }
}

TEST(MipChain, PointSamplesHalvingUntilASideWouldBeZeroMadeOnce) {
    Image image = picture(8, 4, 32);
    image.buildMipChain();
    ASSERT_EQ(image.mipLevelCount, 2u);  // 4 x 2 and 2 x 1
    expectPointSamples(image);
    const auto before = image.mipLevels;
    image.pixels.assign(image.pixels.size(), 0);
    image.buildMipChain();
    EXPECT_EQ(image.mipLevels, before);

    Image big = picture(256, 256, 24);
    big.buildMipChain();
    EXPECT_EQ(big.mipLevelCount, kMaxMipLevels);  // 128 down to 2, no 1 x 1
    EXPECT_EQ(big.mipLevels[6].size(), 2u * 2u * 3u);
    // 24-bit rows of width 6 or 7 carry padding; 7 and 9 do not divide by 2 or 4.
    for (const auto& [w, h, bits, levels] :
         {std::tuple{4, 4, 32, 2u}, {6, 4, 24, 2u}, {7, 9, 24, 2u}, {1, 8, 24, 0u}}) {
        Image other = picture(w, h, bits);
        other.buildMipChain();
        EXPECT_EQ(other.mipLevelCount, levels);
        expectPointSamples(other);
    }
}

}  // namespace
}  // namespace velmora
