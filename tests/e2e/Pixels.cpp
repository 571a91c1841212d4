#include "Pixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <cstdio>
#include <memory>

namespace velmora::test {

Picture grabWindow(unsigned long window) {
    Picture picture;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return picture;
    }
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) != 0) {
        XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height,
                                  AllPlanes, ZPixmap);
        if (image != nullptr) {
            picture.width = attributes.width;
            picture.height = attributes.height;
            picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
            for (int y = 0; y < picture.height; ++y) {
                for (int x = 0; x < picture.width; ++x) {
                    picture.pixels[static_cast<std::size_t>(y) * picture.width + x] =
                        static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xffffffu;
                }
            }
            XDestroyImage(image);
        }
    }
    XCloseDisplay(display);
    return picture;
}

Picture readPng(const std::string& fileName) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, fileName.c_str())) {
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return picture;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        picture.pixels[i] = (std::uint32_t{rgb[i * 3]} << 16) | (std::uint32_t{rgb[i * 3 + 1]} << 8) |
                            rgb[i * 3 + 2];
    }
    return picture;
}

double differingShare(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) {
        return 1.0;
    }
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        differing += a.pixels[i] != b.pixels[i] ? 1 : 0;
    }
    return static_cast<double>(differing) / static_cast<double>(a.pixels.size());
}

}  // namespace velmora::test
