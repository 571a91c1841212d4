#pragma once
// The five pictures the scene loads, drawn procedurally and deterministically (no clock, no
// random device), and a writer for 24-bit bottom-up BMP files that the picture reader
// accepts.
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::pictures {

/// Pixels row by row from the top of the picture, each R, G, B.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b);
};

/// Brown wood with curved, uneven grain lines, 256 x 256.
Picture woodgrain();
/// Plain light grey, 16 x 16.
Picture plainGrey();
/// An orange ball shade: lit from the upper left, darker toward the rim, 64 x 64.
Picture orangeBall();
/// Near-black with grey speckles, 64 x 64: reads as "pinned" next to the orange.
Picture darkSpeckle();
/// Sky blue, lighter toward the bottom, crossed by a pale grid every 32 pixels, 256 x 256.
Picture skyGrid();

/// A whole 24-bit BMP file: 14 + 40 header bytes, rows bottom-up, padded to 4 bytes.
std::vector<std::uint8_t> encodeBmp24(const Picture& picture);

struct NamedPicture {
    const char* fileName;
    Picture (*make)();
};
/// The five files the scene reads from bin/, with their makers.
extern const NamedPicture kScenePictures[5];

/// Writes the five files into folder (which must exist); false when one cannot be written.
bool writeScenePictures(const std::string& folder);

}  // namespace velmora::pictures
