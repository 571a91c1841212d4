#pragma once
// Pictures the program wrote, read back as 0xRRGGBB pixels, rows top down, and how far apart
// two pictures are.
#include <png.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::test {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(float x, float y) const {
        return pixels[static_cast<std::size_t>(std::lround(y)) * width +
                      static_cast<std::size_t>(std::lround(x))];
    }
};

/// The PNG the program wrote; empty on failure.
inline Picture readPng(const std::string& fileName) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, fileName.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    Picture picture{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        picture.pixels.push_back((std::uint32_t{rgb[i]} << 16) | (rgb[i + 1] << 8) | rgb[i + 2]);
    return picture;
}

/// Peak signal-to-noise ratio of b against a over their luma (BT.601), dB, as video quality is
/// measured: a video keeps colour at half the resolution, so colour edges alone would cap it.
/// Infinite for equal pictures, 0 for pictures of different sizes.
inline double psnr(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 0.0;
    const auto luma = [](std::uint32_t p) {
        return 0.299 * ((p >> 16) & 0xff) + 0.587 * ((p >> 8) & 0xff) + 0.114 * (p & 0xff);
    };
    double sum = 0.0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const double d = luma(a.pixels[i]) - luma(b.pixels[i]);
        sum += d * d;
    }
    const double mse = sum / static_cast<double>(a.pixels.size());
    return mse == 0.0 ? INFINITY : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace velmora::test
