#pragma once
// Pictures of the program's window for pixel checks: grabbed from the X server, or read
// from the PNG the program wrote. Pixels are 0xRRGGBB, rows top to bottom.
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::test {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool operator==(const Picture&) const = default;
};

/// The window's client area as the X server shows it now; empty on failure.
Picture grabWindow(unsigned long window);
/// An 8-bit RGB or RGBA PNG; empty on failure.
Picture readPng(const std::string& fileName);

inline int red(std::uint32_t p) { return (p >> 16) & 0xff; }
inline int green(std::uint32_t p) { return (p >> 8) & 0xff; }
inline int blue(std::uint32_t p) { return p & 0xff; }

/// Counts the pixels in a rectangle that satisfy a colour test.
template <typename Test>
int countPixels(const Picture& picture, int x0, int y0, int x1, int y1, Test test) {
    int n = 0;
    for (int y = y0; y < y1 && y < picture.height; ++y) {
        for (int x = x0; x < x1 && x < picture.width; ++x) {
            n += test(picture.at(x, y)) ? 1 : 0;
        }
    }
    return n;
}

/// Share of pixels that differ between two pictures of one size.
double differingShare(const Picture& a, const Picture& b);

}  // namespace velmora::test
