// The batched frame on the recording device: which draws it makes and what the batches'
// buffers hold, as particles move, are pinned, linked, added and removed; and that a frame
// allocates nothing once the batches hold the scene.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/Scene.h"
#include "app/Window.h"
#include "physics/Particle.h"
#include "platform/RecordingDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "render/SphereArrays.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "scenes/BuiltInScenes.h"
#include "tests/app/AllocationCounter.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora {
namespace {

template <typename T>
std::vector<T> bufferContents(const ManagedBytes& store) {
    std::vector<T> out(store.bytes.size() / sizeof(T));
    std::memcpy(out.data(), store.bytes.data(), out.size() * sizeof(T));
    return out;
}

std::vector<Vec3> positionsOf(BatchMesh& batch) {
    return bufferContents<Vec3>(
        static_cast<RecordingVertexBuffer*>(batch.mesh.geometry->positionBuffer())->store);
}

std::vector<std::uint32_t> indicesOf(BatchMesh& batch) {
    return bufferContents<std::uint32_t>(
        static_cast<RecordingIndexBuffer*>(batch.mesh.geometry->indexBuffer())->store);
}

class SceneDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(chdir(VELMORA_BUILD_DIR), 0);  // bin/min.fx and the pictures
        resetRendererToConstructedState();
        gTextureManager->clear();
        window = test::open800x600(os);
        gRenderer->usePlatform(os, recordingDirect3DCreate);
        ASSERT_TRUE(gRenderer->init(window, false, false));
        ASSERT_TRUE(gRenderer->loadEffect("bin/min.fx", effect));
        aspectRatio = 800.0f / 600.0f;
        scene = std::make_unique<Scene>();
    }
    void TearDown() override {
        particles.clear();
        scene.reset();
        gTextureManager->clear();
        effect.reset();
        resetRendererToConstructedState();
    }
    RecordingDevice& device() { return static_cast<RecordingDevice&>(*gRenderer->device); }

    /// Draws particles 0 .. count - 1 and checks the frame: sky and five panels, one draw of
    /// the free particles' spheres (orange) and one of the pinned ones' (noise), each in list
    /// order and each sphere at its particle, then one line list holding every link of a
    /// drawn particle once.
    void drawAndCheck(std::size_t count) {
        device().draws.clear();
        drawFrame(*scene, particles, count, effect.get());
        const std::vector<RecordedDraw>& draws = device().draws;
        ASSERT_GE(draws.size(), 6u);
        std::size_t next = 6;  // sky box, then the five panels
        for (const bool pinned : {false, true}) {
            std::vector<Vec3> centres;
            for (std::size_t i = 0; i < count; ++i) {
                if (particles[i]->pinned == pinned)
                    centres.push_back(particles[i]->current.position);
            }
            if (!centres.empty()) {
                ASSERT_LT(next, draws.size());
                expectSpheres(draws[next++], centres,
                              pinned ? scene->noiseTexture : scene->orangeTexture);
            }
        }
        std::vector<std::pair<std::size_t, std::size_t>> links;
        for (std::size_t i = 0; i < particles.size(); ++i) {
            for (const ParticleLink& link : particles[i]->links) {
                const std::size_t j = indexOf(link.other);
                if ((i < j && i < count) || (j >= count && i < count))
                    links.emplace_back(i, j);
            }
        }
        if (!links.empty()) {
            ASSERT_LT(next, draws.size());
            expectLines(draws[next++], links);
        }
        EXPECT_EQ(draws.size(), next);
        for (const RecordedDraw& draw : draws)
            EXPECT_EQ(draw.result, D3D_OK);
    }

    void expectSpheres(const RecordedDraw& draw, const std::vector<Vec3>& centres,
                       Texture* texture) {
        SphereArrays model = sphereShape(8, 8);
        fillSphereArrays(model, 1.0f);
        const std::size_t perSphere = model.indices.size();
        EXPECT_EQ(draw.type, D3DPT_TRIANGLELIST);
        EXPECT_EQ(draw.textures[0], texture->nativeTexture());
        ASSERT_EQ(draw.primitiveCount, centres.size() * perSphere / 3);
        const auto positions = positionsOf(scene->particleSpheres);
        const auto indices = indicesOf(scene->particleSpheres);
        ASSERT_LE(draw.startIndex + centres.size() * perSphere, indices.size());
        std::size_t wrong = 0;
        for (std::size_t s = 0; s < centres.size(); ++s) {
            for (std::size_t m = 0; m < perSphere; ++m) {
                const std::uint32_t index = indices[draw.startIndex + s * perSphere + m];
                const Vec3 expected = model.positions[model.indices[m]] + centres[s];
                // Written as model vertex + centre, the very sum computed here.
                const bool same = index < positions.size() && positions[index].x == expected.x &&
                                  positions[index].y == expected.y &&
                                  positions[index].z == expected.z;
                if (!same && wrong++ == 0)
                    ADD_FAILURE() << "sphere " << s << ", index " << m << " of its draw";
            }
        }
        EXPECT_EQ(wrong, 0u);
    }

    void expectLines(const RecordedDraw& draw,
                     std::vector<std::pair<std::size_t, std::size_t>> expected) {
        EXPECT_EQ(draw.type, D3DPT_LINELIST);
        EXPECT_EQ(draw.textures[0], gTextureManager->load("bin/def.bmp", false)->nativeTexture());
        ASSERT_EQ(draw.primitiveCount, expected.size());
        const auto positions = positionsOf(scene->linkLines);
        const auto indices = indicesOf(scene->linkLines);
        std::vector<std::pair<std::size_t, std::size_t>> seen;
        for (std::size_t l = 0; l < expected.size(); ++l) {
            const std::size_t a = atPosition(positions.at(indices.at(draw.startIndex + 2 * l)));
            const std::size_t b = atPosition(positions.at(indices.at(draw.startIndex + 2 * l + 1)));
            seen.emplace_back(std::min(a, b), std::max(a, b));
        }
        for (auto& [a, b] : expected)
            std::tie(a, b) = std::pair(std::min(a, b), std::max(a, b));
        std::sort(seen.begin(), seen.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(seen, expected);
    }

    std::size_t indexOf(const Particle* particle) const {
        for (std::size_t i = 0; i < particles.size(); ++i) {
            if (particles[i].get() == particle)
                return i;
        }
        return particles.size();
    }
    /// The particle at exactly this point (the fixtures keep them apart); size() if none.
    std::size_t atPosition(const Vec3& p) const {
        for (std::size_t i = 0; i < particles.size(); ++i) {
            const Vec3& q = particles[i]->current.position;
            if (q.x == p.x && q.y == p.y && q.z == p.z)
                return i;
        }
        return particles.size();
    }
    Particle& add(const Vec3& position) {
        particles.push_back(std::make_unique<Particle>(position));
        return *particles.back();
    }

    ScriptedOperatingSystem os;
    WindowHandle window = nullptr;
    std::unique_ptr<Effect> effect;
    std::unique_ptr<Scene> scene;
    ParticleList particles;
};

TEST_F(SceneDrawing, SpheresByTextureInListOrderAndEveryLinkOnceAsTheSceneChanges) {
    setUpScene(*scene, particles, startScene());
    drawAndCheck(particles.size());

    // Move everything, swap which particle is pinned, change the links, and outgrow both
    // batches: 10 spheres and 30 lines so far.
    for (auto& particle : particles)
        particle->current.position = particle->current.position + Vec3(0.25f, -0.5f, 1.0f);
    particles[kStartingStructurePinned]->pinned = false;
    particles[0]->pinned = true;
    particles[1]->unlink(particles[2].get());
    particles[4]->link(particles[9].get(), -1.0f);
    for (int k = 0; k < 14; ++k) {
        Particle& added = add({-8.0f + static_cast<float>(k), -6.0f, 3.0f});
        added.link(particles[static_cast<std::size_t>(k) % 10].get(), -1.0f);
        added.link(particles[static_cast<std::size_t>(k + 3) % 10].get(), -1.0f);
        added.pinned = k == 6;
    }
    particles.erase(particles.begin() + 3);  // takes its links with it
    drawAndCheck(particles.size());
    EXPECT_GE(scene->particleSpheres.capacity(), particles.size());

    // Only the first particles drawn: links to the rest are drawn from the drawn end, also
    // when the list runs against the particles' order in memory.
    std::sort(particles.begin(), particles.end(),
              [](const auto& a, const auto& b) { return std::greater<>{}(a.get(), b.get()); });
    drawAndCheck(particles.size() - 4);

    particles.clear();
    drawAndCheck(0);
}

TEST_F(SceneDrawing, FramesAllocateNothingOnceTheSceneIsSetUp) {
    setUpScene(*scene, particles, latticeScene(5, 5, 5));
    particles[7]->pinned = true;
    device().keepLog = false;
    testing::AllocationCounter allocations;
    for (int frame = 0; frame < 3; ++frame) {
        particles[frame]->current.position.y += 0.5f;
        // Selection rings as well, once the particles are held.
        const SceneSelection held = {frame > 0 ? particles[3].get() : nullptr,
                                     frame > 1 ? particles[4].get() : nullptr};
        drawFrame(*scene, particles, particles.size(), effect.get(), held);
    }
    EXPECT_EQ(allocations.count(), 0u);
}

}  // namespace
}  // namespace velmora
