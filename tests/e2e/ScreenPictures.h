#pragma once
// Pictures of the program's window for the end-to-end test: grabbed from the X server or read
// from its screenshot (0xRRGGBB, rows top down), the colours of the scene's objects, and where
// the starting camera shows a world point.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "math/Vec3.h"
#include "tests/render/PngPictures.h"

// Last: X11 defines macros (None, Bool, Status) that clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velmora::test {

/// The window's client area as the X server shows it now; empty on failure.
Picture grabWindow(unsigned long window) {
    Picture picture;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return picture;
    XWindowAttributes a;
    XImage* image = XGetWindowAttributes(display, window, &a) == 0
                        ? nullptr
                        : XGetImage(display, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (image != nullptr) {
        picture = {a.width, a.height, {}};
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                picture.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) &
                                         0xffffffu);
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return picture;
}

/// Red, green and blue of a pixel.
struct Rgb {
    int r, g, b;
    explicit Rgb(std::uint32_t p) : r((p >> 16) & 0xff), g((p >> 8) & 0xff), b(p & 0xff) {}
};
bool isOrange(std::uint32_t p) {
    const Rgb c(p);
    return c.r > 100 && c.g * 100 >= c.r * 35 && c.g * 100 <= c.r * 70 && c.b * 100 < c.r * 20;
}
bool isSky(std::uint32_t p) {
    const Rgb c(p);
    return c.b > c.r + 40 && c.b > 120;
}
bool isWood(std::uint32_t p) {
    const Rgb c(p);
    return c.r > 40 && c.g * 100 >= c.r * 45 && c.g * 100 <= c.r * 85 && c.b * 100 >= c.r * 20 &&
           c.b * 100 <= c.r * 55;
}
bool isLinkGrey(std::uint32_t p) {
    const Rgb c(p);
    return c.r > 150 && std::abs(c.r - c.g) < 16 && std::abs(c.g - c.b) < 16;
}
bool isRingYellow(std::uint32_t p) {
    const Rgb c(p);
    return c.r > 100 && std::abs(c.r - c.g) * 8 < c.r && c.b * 100 < c.r * 20;
}

/// Counts the pixels in a rectangle that pass a colour test.
template <typename Test>
int countPixels(const Picture& picture, int x0, int y0, int x1, int y1, Test test) {
    int n = 0;
    for (int y = std::max(0, y0); y < y1 && y < picture.height; ++y)
        for (int x = std::max(0, x0); x < x1 && x < picture.width; ++x)
            n += test(picture.pixels[static_cast<std::size_t>(y) * picture.width + x]) ? 1 : 0;
    return n;
}

/// The overlay's status corner (top left) and messages (bottom middle) change by themselves:
/// frame rate, physics time, messages that expire. Comparisons of the scene leave them out.
bool changesByItself(int x, int y) {
    return (x < 260 && y < 120) || (y >= 540 && x >= 150 && x < 650);
}

/// Share of the pixels, bar those that change by themselves, that differ between two pictures.
double differingShare(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 1.0;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const int x = static_cast<int>(i % static_cast<std::size_t>(a.width));
        const int y = static_cast<int>(i / static_cast<std::size_t>(a.width));
        differing += a.pixels[i] != b.pixels[i] && !changesByItself(x, y) ? 1 : 0;
    }
    return static_cast<double>(differing) / static_cast<double>(a.pixels.size());
}

/// The start pose (eye (0, 0, 25), target (0, 0.1, 0), 60 degrees, 800 x 600) written out.
struct StartCamera {
    Vec3 eye{0, 0, 25};
    Vec3 forward = unitVector({0, 0.1f, -25});
    Vec3 right{1, 0, 0};                // forward x (0, 1, 0), normalised
    Vec3 up{0, -forward.z, forward.y};  // right x forward
    float tanHalf = std::tan(60.0f * 0.017453f * 0.5f);

    /// Client pixel (x right, y down) of a world point in front of the camera.
    Vec3 pixelOf(Vec3 world) const {
        const Vec3 d = world - eye;
        const float depth = dot(d, forward);
        return {400 + 300 * dot(d, right) / (depth * tanHalf),
                300 - 300 * dot(d, up) / (depth * tanHalf), depth};
    }
    /// The world point on the plane z = 0 under a client pixel.
    Vec3 onPlaneZ0(Vec3 pixel) const {
        const Vec3 ray = forward + right * ((pixel.x - 400) / 300 * tanHalf) +
                         up * ((300 - pixel.y) / 300 * tanHalf);
        return eye + ray * (-eye.z / ray.z);
    }
};

/// The mean position of the pixels passing a test in a square around a point; z counts them.
template <typename Test>
Vec3 centroid(const Picture& picture, Vec3 around, int halfSide, Test test) {
    Vec3 sum;
    const int cx = static_cast<int>(std::lround(around.x));
    const int cy = static_cast<int>(std::lround(around.y));
    for (int y = std::max(0, cy - halfSide); y <= cy + halfSide && y < picture.height; ++y) {
        for (int x = std::max(0, cx - halfSide); x <= cx + halfSide && x < picture.width; ++x) {
            if (test(picture.pixels[static_cast<std::size_t>(y) * picture.width + x]))
                sum = sum + Vec3(static_cast<float>(x), static_cast<float>(y), 1);
        }
    }
    return sum.z == 0 ? sum : Vec3(sum.x / sum.z, sum.y / sum.z, sum.z);
}

/// Whether a grey line runs between two pixels: near every point of its middle third.
bool lineBetween(const Picture& picture, Vec3 a, Vec3 b) {
    for (float t = 0.35f; t <= 0.651f; t += 0.05f) {
        const Vec3 p = a + (b - a) * t;
        const int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
        if (countPixels(picture, x - 2, y - 2, x + 3, y + 3, isLinkGrey) == 0)
            return false;
    }
    return true;
}

}  // namespace velmora::test
