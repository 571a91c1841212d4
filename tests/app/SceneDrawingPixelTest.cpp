// The batched frame against the per-object drawing on the OpenGL device (Xvfb): the same
// picture but at object edges (at most 0.5% of the pixels, each on an edge in both object
// pictures, drawn flat with every particle in its own colour), and no allocation per frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

#include "app/SceneFrame.h"
#include "app/Window.h"
#include "physics/Particle.h"
#include "platform/GlDevice.h"
#include "render/Image.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "scenes/BuiltInScenes.h"
#include "tests/app/AllocationCounter.h"
#include "tests/app/PerObjectDrawing.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora {
namespace {

using Pixels = std::vector<std::uint32_t>;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
// Object colours of the second frame; particle i is kFirstParticle + i.
constexpr std::uint32_t kSky = 0xFF0000FF, kPanel = 0xFF00FF00, kLine = 0xFFFF0000;
constexpr std::uint32_t kFirstParticle = 0xFF800000;

int channelDifference(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        largest = std::max(largest, std::abs(d));
    }
    return largest;
}

/// Whether pixel (x, y) of an object picture has one of another object within 2 pixels.
bool onEdge(const Pixels& objects, int x, int y) {
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const int u = x + dx, v = y + dy;
            if (u >= 0 && v >= 0 && u < kWidth && v < kHeight &&
                objects[v * kWidth + u] != objects[y * kWidth + x]) {
                return true;
            }
        }
    }
    return false;
}

struct Frames {
    Pixels perObject, batched;                ///< as the program draws them
    Pixels perObjectObjects, batchedObjects;  ///< which object shows at each pixel
};

class ScenePixels : public test::GlRenderer {
  protected:
    void SetUp() override {
        ASSERT_EQ(chdir(VELMORA_BUILD_DIR), 0);  // the pictures in bin/
        GlRenderer::SetUp();
        aspectRatio = 800.0f / 600.0f;
        scene = std::make_unique<Scene>();
        perObject = std::make_unique<PerObjectDrawing>();
        perObject->setUp();
    }
    void TearDown() override {
        particles.clear();
        perObject.reset();
        scene.reset();
        GlRenderer::TearDown();
    }
    /// Swaps the scene's pictures with flat ones (white spheres), and back on the next call.
    void swapTextures() {
        if (swapped.empty()) {
            for (const std::uint32_t argb : {0xFFFFFFFFu, 0xFFFFFFFFu, kPanel, kSky, kLine})
                swapped.push_back(texture(argb));
        }
        Texture** inScene[] = {&scene->orangeTexture, &scene->noiseTexture,
                               &scene->roomPlane.textures[0], &scene->skyBox.textures[0],
                               &scene->linkLines.mesh.textures[0]};
        for (std::size_t i = 0; i < 5; ++i)
            std::swap(*inScene[i], swapped[i]);
        perObject->linkLine.textures[0] = scene->linkLines.mesh.textures[0];
    }
    /// Vertex colours of the batch's spheres, in the order the last frame drew them.
    void paintBatchedSpheres(bool white) {
        BatchMesh& spheres = scene->particleSpheres;
        ASSERT_GE(spheres.capacity(), particles.size());
        void* data = nullptr;
        ASSERT_EQ(spheres.mesh.geometry->colorBuffer()->lock(0, 0, &data, 0), D3D_OK);
        for (std::size_t copy = 0; copy < scene->sphereOrder.size(); ++copy) {
            const std::uint32_t colour =
                white ? 0xFFFFFFFF : kFirstParticle + scene->sphereOrder[copy].particle;
            for (std::uint32_t v = 0; v < spheres.modelVertexCount(); ++v) {
                std::memcpy(
                    static_cast<std::uint8_t*>(data) + 4 * (copy * spheres.modelVertexCount() + v),
                    &colour, 4);
            }
        }
        spheres.mesh.geometry->colorBuffer()->unlock();
    }

    Frames drawBothWays(std::size_t n) {
        Frames frames;
        perObject->drawFrame(*scene, particles, n, effect.get());
        frames.perObject = presented();
        drawFrame(*scene, particles, n, effect.get());
        frames.batched = presented();

        // The object pictures: one flat colour per kind of object, and one per particle.
        swapTextures();
        for (std::size_t i = 0; i < n; ++i)
            perObject->sphereColours.push_back(kFirstParticle + static_cast<std::uint32_t>(i));
        perObject->drawFrame(*scene, particles, n, effect.get());
        frames.perObjectObjects = presented();
        paintBatchedSpheres(false);
        drawFrame(*scene, particles, n, effect.get());
        frames.batchedObjects = presented();
        paintBatchedSpheres(true);
        perObject->sphereColours.clear();
        swapTextures();
        return frames;
    }

    /// The first `count` particles drawn both ways give the same picture, which shows at
    /// least `particlesSeen` particles and `linePixels` pixels of lines.
    void expectSamePicture(const char* what, std::size_t count, std::size_t particlesSeen,
                           int linePixels) {
        SCOPED_TRACE(what);
        const Frames f = drawBothWays(count);
        std::set<std::uint32_t> seen;
        int lines = 0, differing = 0, inside = 0;
        std::ostringstream where;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * kWidth + x;
                seen.insert(f.perObjectObjects[i]);
                lines += f.perObjectObjects[i] == kLine;
                if (channelDifference(f.perObject[i], f.batched[i]) <= 1)
                    continue;
                ++differing;
                if (!onEdge(f.perObjectObjects, x, y) || !onEdge(f.batchedObjects, x, y)) {
                    if (inside++ < 5)
                        where << " (" << x << ", " << y << ")";
                }
            }
        }
        EXPECT_GE(seen.size(), particlesSeen + 1);  // the panels and the particles at least
        EXPECT_GE(lines, linePixels);
        EXPECT_LE(differing, kWidth * kHeight / 200);
        EXPECT_EQ(inside, 0) << "differing inside an object at" << where.str();
    }

    std::unique_ptr<Scene> scene;
    std::unique_ptr<PerObjectDrawing> perObject;
    std::vector<Texture*> swapped;
    ParticleList particles;
};

/// A 10 x 10 x 10 lattice shaken so spheres cut into each other, every seventh pinned, and
/// some long links across it.
void crowd(ParticleList& particles) {
    buildScene(latticeScene(10, 10, 10), particles);
    unsigned seed = 12345;
    const auto jitter = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (static_cast<float>((seed >> 16) & 0x7FFF) / 32767.0f - 0.5f) * 1.2f;
    };
    for (std::size_t i = 0; i < particles.size(); ++i) {
        Vec3& p = particles[i]->current.position;
        p = p + Vec3(jitter(), jitter(), jitter());
        particles[i]->pinned = i % 7 == 3;
    }
    for (std::size_t i = 0; i + 137 < particles.size(); i += 29)
        particles[i]->link(particles[i + 137].get(), -1.0f);
}

TEST_F(ScenePixels, BatchedAndPerObjectFramesShowTheSamePicture) {
    setUpScene(*scene, particles, startScene());
    expectSamePicture("starting structure", 10, 10, 900);
    // Six drawn, at higher addresses than the rest: links to the rest come from the drawn end.
    std::sort(particles.begin(), particles.end(),
              [](const auto& a, const auto& b) { return std::greater<>{}(a.get(), b.get()); });
    expectSamePicture("six of the starting structure", 6, 6, 300);
    particles.clear();
    crowd(particles);
    expectSamePicture("crowded lattice", particles.size(), 300, 1500);
    placeMainCamera(*scene, {{14, 8, 16}, {0, -2, 0}});
    expectSamePicture("crowded lattice, from the side", particles.size(), 180, 450);
}

TEST_F(ScenePixels, ABatchedFrameWithSelectionRingsAllocatesNothing) {
    setUpScene(*scene, particles, startScene());
    particles.clear();
    crowd(particles);
    drawFrame(*scene, particles, particles.size(), effect.get());
    drawFrame(*scene, particles, particles.size(), effect.get());
    testing::AllocationCounter allocations;
    for (int frame = 0; frame < 3; ++frame) {
        particles[frame]->current.position.y += 0.5f;
        const SceneSelection held = {frame > 0 ? particles[3].get() : nullptr,
                                     frame > 1 ? particles[4].get() : nullptr};
        drawFrame(*scene, particles, particles.size(), effect.get(), held);
    }
    EXPECT_EQ(allocations.count(), 0u);
}

}  // namespace
}  // namespace velmora
