#pragma once
// A link's colour by its strain, (length - rest) / rest, on a diverging scale: compressed blue,
// at rest white, stretched red, full at a strain of kFullStrain either way.
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velmora {

inline constexpr float kFullStrain = 0.5f;
inline constexpr std::uint32_t kCompressedColour = 0xFF3060FF;  ///< 0xAARRGGBB
inline constexpr std::uint32_t kStretchedColour = 0xFFFF3030;

/// The colour of a link `length` long with rest length `rest`; a link of rest 0 counts as
/// fully stretched once its ends part.
inline std::uint32_t strainColour(float length, float rest) {
    const float strain = rest > 0.0f ? (length - rest) / rest : length > 0.0f ? kFullStrain : 0.0f;
    const float t = std::isfinite(strain) ? std::min(std::fabs(strain) / kFullStrain, 1.0f) : 1.0f;
    const std::uint32_t end = strain < 0.0f ? kCompressedColour : kStretchedColour;
    std::uint32_t colour = 0xFF000000;
    for (const int shift : {16, 8, 0}) {
        const auto channel = static_cast<float>((end >> shift) & 0xFF);
        colour |= static_cast<std::uint32_t>(std::lround(255.0f + (channel - 255.0f) * t)) << shift;
    }
    return colour;
}

}  // namespace velmora
