#include "overlay/HelpPicture.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace velmora {
namespace {

/// Space round the contents and between the columns, pixels.
constexpr float kPadding = 8.0f;
/// Space between rows, pixels.
constexpr float kRowGap = 2.0f;
/// The key column: this many characters, the keys' longest word.
constexpr int kKeyCharacters = 13;
constexpr ImU32 kBackground = IM_COL32(15, 15, 15, 255);
constexpr ImU32 kTitleColour = IM_COL32(255, 255, 255, 255);
constexpr ImU32 kHeadingColour = IM_COL32(255, 217, 89, 255);
constexpr ImU32 kKeyColour = IM_COL32(140, 204, 255, 255);
constexpr ImU32 kEffectColour = IM_COL32(230, 230, 230, 255);
constexpr const char* kTitle = "Help (F1 closes it)";

struct Columns {
    std::span<const HelpRow> rows;
    const ImFont& font;
    float size = 0.0f;
    float keyWidth = 0.0f;
    float effectWidth = 0.0f;

    float textHeight(const char* text, float wrap) const {
        return font.CalcTextSizeA(size, 1e9f, wrap, text).y;
    }
    float height(const HelpRow& e) const {
        if (e.right == nullptr)
            return size + kRowGap;
        return std::max(textHeight(e.left, keyWidth), textHeight(e.right, effectWidth)) + kRowGap;
    }
    /// The first entry of the second column: the split that makes the taller column
    /// shortest, with no heading left at the foot of the first.
    std::size_t split() const {
        const std::size_t count = rows.size();
        float total = 0.0f;
        for (std::size_t i = 0; i < count; ++i)
            total += height(rows[i]);
        std::size_t best = count;
        float bestTaller = total;
        float first = 0.0f;
        for (std::size_t i = 0; i < count; ++i) {
            first += height(rows[i]);
            if (std::max(first, total - first) < bestTaller) {
                bestTaller = std::max(first, total - first);
                best = i + 1;
            }
        }
        return best > 0 && best < count && rows[best - 1].right == nullptr ? best - 1 : best;
    }
    /// Draws entries [from, to) from (x, y) down; returns the y below them.
    float draw(ImDrawList& list, std::size_t from, std::size_t to, float x, float y) const {
        for (std::size_t i = from; i < to; ++i) {
            const HelpRow& e = rows[i];
            if (e.right == nullptr) {
                list.AddText(&font, size, {x, y}, kHeadingColour, e.left);
            } else {
                list.AddText(&font, size, {x, y}, kKeyColour, e.left, nullptr, keyWidth);
                list.AddText(&font, size, {x + keyWidth + kPadding, y}, kEffectColour, e.right,
                             nullptr, effectWidth);
            }
            y += height(e);
        }
        return y;
    }
};

}  // namespace

int layOutHelp(float width, std::span<const HelpRow> rows, ImDrawList& list) {
    const ImFont& font = *ImGui::GetFont();
    const float size = ImGui::GetFontSize();
    width = std::floor(width);
    const float columnWidth = std::floor((width - 4 * kPadding) * 0.5f);
    Columns columns{rows, font, size};
    columns.keyWidth = font.CalcTextSizeA(size, 1e9f, 0.0f, "M").x * kKeyCharacters;
    columns.effectWidth = std::max(columnWidth - columns.keyWidth - kPadding, 1.0f);

    const std::size_t split = columns.split();
    const float top = kPadding + size + 2 * kRowGap;
    float columnsHeight = 0.0f;
    for (std::size_t i = 0; i < split; ++i)
        columnsHeight += columns.height(rows[i]);
    float second = 0.0f;
    for (std::size_t i = split; i < rows.size(); ++i)
        second += columns.height(rows[i]);
    const int height =
        static_cast<int>(std::ceil(top + std::max(columnsHeight, second) + kPadding));

    list.AddDrawCmd();  // the first command, which every primitive joins
    list.PushClipRect({0, 0}, {width, static_cast<float>(height)});
    list.PushTextureID(font.ContainerAtlas->TexID);
    list.AddRectFilled({0, 0}, {width, static_cast<float>(height)}, kBackground);
    list.AddText(&font, size, {kPadding, kPadding}, kTitleColour, kTitle);
    columns.draw(list, 0, split, kPadding, top);
    columns.draw(list, split, rows.size(), 3 * kPadding + columnWidth, top);
    return height;
}

bool paintQuads(const ImDrawList& list, ImFontAtlas& atlas, int width, int height,
                HelpPicture& picture) {
    picture = {};
    unsigned char* texels = nullptr;
    int atlasWidth = 0;
    int atlasHeight = 0;
    atlas.GetTexDataAsRGBA32(&texels, &atlasWidth, &atlasHeight);
    if (texels == nullptr || width <= 0 || height <= 0 || list.IdxBuffer.Size % 6 != 0)
        return false;
    for (const ImDrawCmd& command : list.CmdBuffer) {
        if (command.VtxOffset != 0 || command.UserCallback != nullptr)
            return false;
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0xFF000000u);
    const auto& vertices = list.VtxBuffer;
    const auto& indices = list.IdxBuffer;
    for (int q = 0; q < indices.Size; q += 6) {
        // A quad as the draw list writes one: corners a b c d clockwise, triangles a b c, a c d.
        const unsigned a = indices[q];
        if (indices[q + 1] != a + 1 || indices[q + 2] != a + 2 || indices[q + 3] != a ||
            indices[q + 4] != a + 2 || indices[q + 5] != a + 3 ||
            static_cast<int>(a) + 3 >= vertices.Size) {
            return false;
        }
        const ImDrawVert& topLeft = vertices[static_cast<int>(a)];
        const ImDrawVert& bottomRight = vertices[static_cast<int>(a) + 2];
        const ImDrawVert& topRight = vertices[static_cast<int>(a) + 1];
        const ImDrawVert& bottomLeft = vertices[static_cast<int>(a) + 3];
        if (topRight.pos.x != bottomRight.pos.x || topRight.pos.y != topLeft.pos.y ||
            bottomLeft.pos.x != topLeft.pos.x || bottomLeft.pos.y != bottomRight.pos.y ||
            topLeft.col != bottomRight.col) {
            return false;
        }
        const ImU32 colour = topLeft.col;  // 0xAABBGGRR
        const float spanX = bottomRight.pos.x - topLeft.pos.x;
        const float spanY = bottomRight.pos.y - topLeft.pos.y;
        const int x0 = std::max(0, static_cast<int>(std::lround(topLeft.pos.x)));
        const int y0 = std::max(0, static_cast<int>(std::lround(topLeft.pos.y)));
        const int x1 = std::min(width, static_cast<int>(std::lround(bottomRight.pos.x)));
        const int y1 = std::min(height, static_cast<int>(std::lround(bottomRight.pos.y)));
        for (int y = y0; y < y1; ++y) {
            const float v = topLeft.uv.y + (static_cast<float>(y) + 0.5f - topLeft.pos.y) / spanY *
                                               (bottomRight.uv.y - topLeft.uv.y);
            const int ty = std::clamp(static_cast<int>(v * static_cast<float>(atlasHeight)), 0,
                                      atlasHeight - 1);
            for (int x = x0; x < x1; ++x) {
                const float u = topLeft.uv.x + (static_cast<float>(x) + 0.5f - topLeft.pos.x) /
                                                   spanX * (bottomRight.uv.x - topLeft.uv.x);
                const int tx = std::clamp(static_cast<int>(u * static_cast<float>(atlasWidth)), 0,
                                          atlasWidth - 1);
                const unsigned coverage =
                    texels[(static_cast<std::size_t>(ty) * atlasWidth + tx) * 4 + 3] *
                    ((colour >> 24) & 0xFFu) / 255u;
                std::uint32_t& pixel = pixels[static_cast<std::size_t>(y) * width + x];
                std::uint32_t blended = 0xFF000000u;
                // The list's red, green, blue sit at bits 0, 8, 16; the picture's at 16, 8, 0.
                for (const unsigned shift : {0u, 8u, 16u}) {
                    const unsigned source = (colour >> shift) & 0xFFu;
                    const unsigned target = (pixel >> (16u - shift)) & 0xFFu;
                    const unsigned mixed = (source * coverage + target * (255u - coverage)) / 255u;
                    blended |= mixed << (16u - shift);
                }
                pixel = blended;
            }
        }
    }
    picture = {width, height, std::move(pixels)};
    return true;
}

}  // namespace velmora
