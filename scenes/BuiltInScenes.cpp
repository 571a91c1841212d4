#include "scenes/BuiltInScenes.h"

#include <charconv>
#include <vector>

namespace velmora {
namespace {

constexpr float kSpacing = 2.0f;
constexpr int kMaxLatticeSide = 10;
constexpr int kMinRope = 2, kMaxRope = 10;
constexpr int kMinSheetSide = 2, kMaxSheetSide = 10;

float centred(int i, int count) {
    return (static_cast<float>(i) - static_cast<float>(count - 1) / 2.0f) * kSpacing;
}

/// Whole numbers separated by 'x', each in [low, high]; exactly `count` of them.
bool parseSides(std::string_view text, std::size_t count, int low, int high,
                std::vector<int>& sides) {
    sides.clear();
    while (true) {
        int value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end == text.data() || value < low || value > high) {
            return false;
        }
        sides.push_back(value);
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        if (text.empty()) {
            return sides.size() == count;
        }
        if (text.front() != 'x' || sides.size() == count) {
            return false;
        }
        text.remove_prefix(1);
    }
}

}  // namespace

SceneDescription startScene() {
    static constexpr Vec3 kPositions[kStartingStructureParticles] = {
        {0, 0, 0},    {0, 5, 0}, {5, 0, 0}, {5, 5, 0}, {0, 7.5f, 0},
        {5, 9.5f, 0}, {0, 0, 5}, {0, 5, 5}, {5, 0, 5}, {5, 5, 5},
    };
    static constexpr LinkSpec kLinks[kStartingStructureLinks] = {
        {0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}, {3, 4}, {4, 5}, {6, 7}, {6, 8},
        {6, 9}, {7, 8}, {7, 9}, {8, 9}, {0, 6}, {1, 7}, {2, 8}, {3, 9}, {0, 7}, {1, 6},
        {2, 9}, {3, 8}, {0, 8}, {1, 9}, {2, 6}, {3, 7}, {0, 9}, {1, 8}, {2, 7}, {3, 6},
    };
    SceneDescription scene;
    for (const Vec3& p : kPositions) {
        scene.particles.push_back({p, {}, false});
    }
    scene.particles[kStartingStructurePinned].pinned = true;
    scene.links.assign(std::begin(kLinks), std::end(kLinks));
    return scene;
}

SceneDescription latticeScene(int a, int b, int c) {
    SceneDescription scene;
    const auto index = [&](int i, int j, int k) {
        return static_cast<std::uint32_t>((i * b + j) * c + k);
    };
    for (int i = 0; i < a; ++i) {
        for (int j = 0; j < b; ++j) {
            for (int k = 0; k < c; ++k) {
                scene.particles.push_back(
                    {{centred(i, a), centred(j, b), centred(k, c)}, {}, false});
            }
        }
    }
    for (int i = 0; i < a; ++i) {
        for (int j = 0; j < b; ++j) {
            for (int k = 0; k < c; ++k) {
                if (i + 1 < a)
                    scene.links.push_back({index(i, j, k), index(i + 1, j, k), kSpacing});
                if (j + 1 < b)
                    scene.links.push_back({index(i, j, k), index(i, j + 1, k), kSpacing});
                if (k + 1 < c)
                    scene.links.push_back({index(i, j, k), index(i, j, k + 1), kSpacing});
            }
        }
    }
    return scene;
}

SceneDescription ropeScene(int n) {
    SceneDescription scene;
    for (int i = 0; i < n; ++i) {
        scene.particles.push_back(
            {{-9.0f + kSpacing * static_cast<float>(i), 9.0f, 0.0f}, {}, i == 0});
        if (i > 0) {
            scene.links.push_back(
                {static_cast<std::uint32_t>(i - 1), static_cast<std::uint32_t>(i), kSpacing});
        }
    }
    return scene;
}

SceneDescription sheetScene(int w, int h) {
    SceneDescription scene;
    const auto index = [&](int i, int j) { return static_cast<std::uint32_t>(j * w + i); };
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const bool topCorner = j == 0 && (i == 0 || i == w - 1);
            scene.particles.push_back(
                {{centred(i, w), 9.0f - kSpacing * static_cast<float>(j), 0.0f}, {}, topCorner});
        }
    }
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            if (i + 1 < w)
                scene.links.push_back({index(i, j), index(i + 1, j), kSpacing});
            if (j + 1 < h)
                scene.links.push_back({index(i, j), index(i, j + 1), kSpacing});
        }
    }
    return scene;
}

std::optional<SceneDescription> builtInScene(std::string_view name, std::string& error) {
    std::vector<int> sides;
    const auto after = [&](std::string_view prefix, std::string_view& rest) {
        if (!name.starts_with(prefix))
            return false;
        rest = name.substr(prefix.size());
        return true;
    };
    std::string_view rest;
    if (name == "start") {
        return startScene();
    }
    if (after("lattice:", rest) && parseSides(rest, 3, 1, kMaxLatticeSide, sides)) {
        return latticeScene(sides[0], sides[1], sides[2]);
    }
    if (after("rope:", rest) && parseSides(rest, 1, kMinRope, kMaxRope, sides)) {
        return ropeScene(sides[0]);
    }
    if (after("sheet:", rest) && parseSides(rest, 2, kMinSheetSide, kMaxSheetSide, sides)) {
        return sheetScene(sides[0], sides[1]);
    }
    const bool knownKind =
        name.starts_with("lattice:") || name.starts_with("rope:") || name.starts_with("sheet:");
    error = (knownKind ? "bad size in scene '" : "unknown scene '") + std::string(name) +
            "'; the scenes are " + kBuiltInSceneNames +
            ", or a scene file (a name with a / or ending in .json)";
    return std::nullopt;
}

}  // namespace velmora
