#pragma once
// The help panel's contents drawn once into a picture, so that an open help panel costs one
// opaque textured rectangle a pass. On a software renderer the thousands of small glyph
// quads of the help text cost several times their own pixels every pass; their picture costs
// its pixels once each.
#include <cstdint>
#include <span>
#include <vector>

struct ImDrawList;
struct ImFontAtlas;

namespace velmora {

/// A row of the help: a key or an option beside what it does, or a heading (right is null).
struct HelpRow {
    const char* left = nullptr;
    const char* right = nullptr;
};

/// A picture, 0xAARRGGBB, rows top down.
struct HelpPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

/// Lays out the help for a panel `width` pixels wide into list, in its pixels from (0, 0):
/// a background, a title line, then the rows in two columns balanced in height, each row a
/// key beside its wrapped effect. Uses ImGui's current font; list must be new, made on the
/// current context's shared data. Returns the height the layout takes, pixels.
int layOutHelp(float width, std::span<const HelpRow> rows, ImDrawList& list);

/// Paints the list's quads over each other in order into a width x height picture: solid
/// rectangles and glyphs, each an axis-aligned quad sampling the atlas (nearest texel) times
/// its colour, written as Dear ImGui 1.86 writes one (four corners clockwise from the top
/// left, triangles 0 1 2 and 0 2 3). False, with the picture empty, when the list holds any
/// other triangle: a Dear ImGui that writes them otherwise (the overlay test says so).
bool paintQuads(const ImDrawList& list, ImFontAtlas& atlas, int width, int height,
                HelpPicture& picture);

}  // namespace velmora
