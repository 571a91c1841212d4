#include "tools/Pictures.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace velmora::pictures {

namespace {

// A fixed integer hash stands in for a random generator: the same pixel always gets the
// same value, on every run and every machine.
std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float unitHash(int x, int y, std::uint32_t seed) {
    return static_cast<float>(
               hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) >> 8) /
           static_cast<float>(1u << 24);
}

float smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

// Value noise on an integer lattice, 0..1.
float valueNoise(float x, float y, std::uint32_t seed) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float tx = smooth(x - fx);
    const float ty = smooth(y - fy);
    const float top = std::lerp(unitHash(ix, iy, seed), unitHash(ix + 1, iy, seed), tx);
    const float bottom = std::lerp(unitHash(ix, iy + 1, seed), unitHash(ix + 1, iy + 1, seed), tx);
    return std::lerp(top, bottom, ty);
}

float fractalNoise(float x, float y, std::uint32_t seed) {
    float sum = 0.0f;
    float amplitude = 0.5f;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amplitude * valueNoise(x, y, seed + static_cast<std::uint32_t>(octave));
        x *= 2.0f;
        y *= 2.0f;
        amplitude *= 0.5f;
    }
    return sum / 0.9375f;
}

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f);
}

struct Colour {
    float r, g, b;
};

Colour mix(const Colour& a, const Colour& b, float t) {
    return {std::lerp(a.r, b.r, t), std::lerp(a.g, b.g, t), std::lerp(a.b, b.b, t)};
}

Picture blank(int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    return p;
}

void setColour(Picture& p, int x, int y, const Colour& c) {
    p.set(x, y, toByte(c.r), toByte(c.g), toByte(c.b));
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

}  // namespace

void Picture::set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    rgb[at] = r;
    rgb[at + 1] = g;
    rgb[at + 2] = b;
}

Picture woodgrain() {
    constexpr int kSize = 256;
    const Colour light{200, 146, 86};
    const Colour dark{118, 70, 34};
    Picture p = blank(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float u = static_cast<float>(x) / kSize;
            const float v = static_cast<float>(y) / kSize;
            // Grain lines run along x; noise and a slow wave bend them, as growth rings do
            // when a board is cut along the trunk.
            const float bend = 1.2f * fractalNoise(u * 3.0f, v * 6.0f, 11) +
                               0.25f * std::sin(u * 2.0f * 3.14159f + v * 3.0f);
            const float ring = v * 14.0f + bend;
            const float line = std::pow(std::fabs(std::sin(ring * 3.14159f)), 6.0f);
            const float fibre = fractalNoise(u * 64.0f, v * 4.0f, 23);
            const float t = std::clamp(0.75f * line + 0.35f * (fibre - 0.5f) + 0.1f, 0.0f, 1.0f);
            setColour(p, x, y, mix(light, dark, t));
        }
    }
    return p;
}

Picture plainGrey() {
    Picture p = blank(16, 16);
    std::fill(p.rgb.begin(), p.rgb.end(), std::uint8_t{208});
    return p;
}

Picture orangeBall() {
    constexpr int kSize = 64;
    const Colour orange{255, 140, 16};
    const float lx = -0.45f, ly = -0.55f, lz = 0.70f;  // toward the upper left, in front
    const float lightLength = std::sqrt(lx * lx + ly * ly + lz * lz);
    Picture p = blank(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float nx = (x + 0.5f - kSize * 0.5f) / (kSize * 0.5f);
            const float ny = (y + 0.5f - kSize * 0.5f) / (kSize * 0.5f);
            const float rr = nx * nx + ny * ny;
            // Outside the disc the shade of its rim, so the sphere's seam stays quiet.
            const float diffuse =
                rr >= 1.0f
                    ? 0.0f
                    : std::max(0.0f, (nx * lx + ny * ly + std::sqrt(1.0f - rr) * lz) / lightLength);
            const float highlight = std::pow(diffuse, 24.0f);
            const float shade = 0.45f + 0.55f * diffuse;
            const Colour lit{orange.r * shade, orange.g * shade, orange.b * shade};
            setColour(p, x, y, mix(lit, Colour{255, 244, 220}, 0.8f * highlight));
        }
    }
    return p;
}

Picture darkSpeckle() {
    constexpr int kSize = 64;
    Picture p = blank(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const std::uint32_t h =
                hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 7);
            const float base = 28.0f + static_cast<float>(h % 12);
            const bool speckle = (h >> 8) % 100 < 14;
            const float v = speckle ? 110.0f + static_cast<float>((h >> 16) % 70) : base;
            setColour(p, x, y, Colour{v, v, v * 1.05f});
        }
    }
    return p;
}

Picture skyGrid() {
    constexpr int kSize = 256;
    constexpr int kCell = 32;
    const Colour top{64, 120, 210};
    const Colour bottom{176, 212, 244};
    const Colour line{236, 244, 252};
    Picture p = blank(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        const Colour sky = mix(top, bottom, static_cast<float>(y) / (kSize - 1));
        for (int x = 0; x < kSize; ++x) {
            const bool onLine = x % kCell < 2 || y % kCell < 2;
            setColour(p, x, y, onLine ? mix(sky, line, 0.6f) : sky);
        }
    }
    return p;
}

std::vector<std::uint8_t> encodeBmp24(const Picture& picture) {
    const auto w = static_cast<std::uint32_t>(picture.width);
    const auto h = static_cast<std::uint32_t>(picture.height);
    const std::uint32_t stride = (3 * w + 3) & ~3u;
    const std::uint32_t imageBytes = stride * h;
    std::vector<std::uint8_t> out{'B', 'M'};
    put32(out, 54 + imageBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, w);
    put32(out, h);
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, imageBytes);
    put32(out, 2835);  // 72 dots per inch
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (std::uint32_t row = 0; row < h; ++row) {
        const std::uint32_t y = h - 1 - row;  // the bottom row comes first
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint8_t* px = &picture.rgb[(static_cast<std::size_t>(y) * w + x) * 3];
            out.push_back(px[2]);
            out.push_back(px[1]);
            out.push_back(px[0]);
        }
        out.insert(out.end(), stride - 3 * w, 0);
    }
    return out;
}

const NamedPicture kScenePictures[5] = {
    {"woodgrain.bmp", woodgrain}, {"def.bmp", plainGrey}, {"orange.bmp", orangeBall},
    {"noise.bmp", darkSpeckle},   {"grid.bmp", skyGrid},
};

bool writeScenePictures(const std::string& folder) {
    for (const NamedPicture& named : kScenePictures) {
        const std::vector<std::uint8_t> bytes = encodeBmp24(named.make());
        std::ofstream file(folder + "/" + named.fileName, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            return false;
        }
    }
    return true;
}

}  // namespace velmora::pictures
