#include "scenes/StressScenes.h"

#include <cmath>

namespace velmora {
namespace {

std::uint32_t index(std::size_t i) {
    return static_cast<std::uint32_t>(i);
}

}  // namespace

SceneDescription hubScene(float spokeLength) {
    constexpr float kGolden = 1.618034f;
    constexpr Vec3 kCorners[12] = {{-1, kGolden, 0},  {1, kGolden, 0},   {-1, -kGolden, 0},
                                   {1, -kGolden, 0},  {0, -1, kGolden},  {0, 1, kGolden},
                                   {0, -1, -kGolden}, {0, 1, -kGolden},  {kGolden, 0, -1},
                                   {kGolden, 0, 1},   {-kGolden, 0, -1}, {-kGolden, 0, 1}};
    SceneDescription scene;
    scene.particles.push_back({{0.0f, 0.0f, 0.0f}, {}, false});
    for (const Vec3& corner : kCorners) {
        scene.particles.push_back({unitVector(corner) * spokeLength, {}, false});
        scene.links.push_back({0, index(scene.particles.size() - 1), -1.0f});
    }
    return scene;
}

SceneDescription tautStringScene(int count, float restShare) {
    SceneDescription scene;
    const float spacing = 18.0f / static_cast<float>(count - 1);
    for (int i = 0; i < count; ++i) {
        const bool end = i == 0 || i == count - 1;
        scene.particles.push_back({{-9.0f + spacing * static_cast<float>(i), 0.0f, 0.0f}, {}, end});
        if (i > 0) {
            scene.links.push_back({index(i - 1), index(i), spacing * restShare});
        }
    }
    scene.particles[static_cast<std::size_t>(count / 2)].position.z = 0.01f;
    return scene;
}

SceneDescription towerScene(int storeys) {
    SceneDescription scene;
    const auto at = [](int x, int y, int z) {
        return index(static_cast<std::size_t>((y * 2 + x) * 2 + z));
    };
    for (int y = 0; y < storeys; ++y) {
        for (int x = 0; x < 2; ++x) {
            for (int z = 0; z < 2; ++z) {
                scene.particles.push_back(
                    {{-1.0f + 2.0f * x, -9.5f + 2.0f * y, -1.0f + 2.0f * z}, {}, false});
            }
        }
    }
    for (int y = 0; y < storeys; ++y) {
        for (int x = 0; x < 2; ++x) {
            for (int z = 0; z < 2; ++z) {
                if (x == 0)
                    scene.links.push_back({at(x, y, z), at(1, y, z), -1.0f});
                if (z == 0)
                    scene.links.push_back({at(x, y, z), at(x, y, 1), -1.0f});
                if (y + 1 < storeys)
                    scene.links.push_back({at(x, y, z), at(x, y + 1, z), -1.0f});
            }
        }
    }
    return scene;
}

SceneDescription pileScene(int layers) {
    SceneDescription scene;
    for (int layer = 0; layer < layers; ++layer) {
        const float shift = 0.01f * static_cast<float>(layer);
        for (int i = 0; i < 8; ++i) {
            for (int k = 0; k < 8; ++k) {
                scene.particles.push_back({{-8.0f + 2.2f * static_cast<float>(i) + shift,
                                            -8.0f + 3.0f * static_cast<float>(layer),
                                            -8.0f + 2.2f * static_cast<float>(k)},
                                           {},
                                           false});
            }
        }
    }
    return scene;
}

SceneDescription fullyLinkedScene(int count) {
    SceneDescription scene;
    const int side = static_cast<int>(std::ceil(std::cbrt(static_cast<float>(count))));
    const float spacing = 18.0f / static_cast<float>(std::max(side - 1, 1));
    for (int i = 0; i < count; ++i) {
        const int x = i % side, y = (i / side) % side, z = i / (side * side);
        scene.particles.push_back(
            {{-9.0f + spacing * x, -9.0f + spacing * y, -9.0f + spacing * z}, {}, false});
    }
    for (int a = 0; a < count; ++a) {
        for (int b = a + 1; b < count; ++b) {
            scene.links.push_back({index(a), index(b), -1.0f});
        }
    }
    return scene;
}

}  // namespace velmora
