#pragma once
// What the overlay drew, read back from the headless device: the text of its glyphs.
#include <imgui.h>

#include <map>
#include <string>
#include <vector>

#include "overlay/Overlay.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {

inline std::string withoutSpaces(std::string text) {
    std::erase(text, ' ');
    return text;
}

/// The text of (u, v) pairs, a character per glyph quad found (spaces have none), in order.
inline std::string glyphText(const std::vector<float>& uv) {
    const ImFont& font = *ImGui::GetIO().Fonts->Fonts[0];
    std::map<std::pair<float, float>, const ImFontGlyph*> byCorner;
    for (char c = '!'; c <= '~'; ++c) {
        const ImFontGlyph* glyph = font.FindGlyphNoFallback(static_cast<ImWchar>(c));
        if (glyph != nullptr)
            byCorner[{glyph->U0, glyph->V0}] = glyph;
    }
    std::string text;
    // A glyph is four vertices: top left (U0, V0), top right, bottom right (U1, V1), bottom left.
    for (std::size_t v = 0; v + 3 < uv.size() / 2;) {
        const auto found = byCorner.find({uv[2 * v], uv[2 * v + 1]});
        if (found != byCorner.end() && uv[2 * v + 4] == found->second->U1 &&
            uv[2 * v + 5] == found->second->V1) {
            text += static_cast<char>(found->second->Codepoint);
            v += 4;
        } else {
            ++v;
        }
    }
    return text;
}

/// The text the overlay's last render put in the device's buffers.
inline std::string drawnText(const Overlay& overlay) {
    ImGui::SetCurrentContext(overlay.context());
    const OverlayRenderer& renderer = overlay.renderer();
    return glyphText(contents<float>(renderer.texCoordStream(), renderer.vertexCount() * 2u));
}

}  // namespace velmora::test
