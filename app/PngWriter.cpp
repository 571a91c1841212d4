#include "app/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <string>

#include "platform/AtomicFile.h"

namespace velmora {
namespace {

void appendToBuffer(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), size);
}

void flushNothing(png_structp) {}

}  // namespace

bool writePng(const std::string& fileName, const std::vector<std::uint32_t>& pixels,
              std::uint32_t width, std::uint32_t height, std::string& error, bool quick) {
    if (width == 0 || height == 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        error = "no frame to write";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        error = "libpng could not start";
        return false;
    }
    // Rows are converted before libpng is entered, so nothing needs freeing after a longjmp.
    std::vector<png_byte> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        rgb[i * 3 + 0] = static_cast<png_byte>(pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<png_byte>(pixels[i]);
    }
    std::vector<png_bytep> rows(height);
    for (std::uint32_t y = 0; y < height; ++y) {
        rows[y] = rgb.data() + static_cast<std::size_t>(y) * width * 3;
    }
    // The picture is encoded in memory and then replaces the file in one step, so a failed
    // write never leaves half a picture where an old one was.
    std::string encoded;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "libpng failed encoding the picture";
        return false;
    }
    png_set_write_fn(png, &encoded, appendToBuffer, flushNothing);
    if (quick) {
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    }
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return replaceFile(fileName, encoded, error);
}

}  // namespace velmora
