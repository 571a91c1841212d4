// Meshes and their textures on the headless device: what each builder puts in its buffers,
// which faces show, sizes the device cannot take, and mip levels.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "render/Mesh.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

using MeshTest = HeadlessRenderer;
using velmora::testing::Bytes;

struct Triangle {
    Vec3 normal;  ///< right-hand rule, unnormalised
    Vec3 centre;
};

// The mesh's triangles in world space, degenerate ones (the sphere's poles) left out.
std::vector<Triangle> triangles(Mesh& mesh) {
    const auto positions = contents<Vec3>(mesh.geometry->positionBuffer());
    const auto order = contents<std::uint32_t>(mesh.geometry->indexBuffer());
    std::vector<Triangle> out;
    for (std::size_t i = 0; i + 2 < order.size(); i += 3) {
        const Vec3 a = transformRow(positions.at(order[i]), mesh.transform);
        const Vec3 b = transformRow(positions.at(order[i + 1]), mesh.transform);
        const Vec3 c = transformRow(positions.at(order[i + 2]), mesh.transform);
        const Vec3 normal = (b - a).cross(c - a);
        if (length(normal) > 1e-6f) {
            out.push_back({normal, (a + b + c) / 3.0f});
        }
    }
    return out;
}

// Triangles facing a viewer at eye, that is, counter-clockwise as the viewer sees them.
int facing(Mesh& mesh, const Vec3& eye) {
    int n = 0;
    for (const Triangle& t : triangles(mesh)) {
        n += dot(t.normal, eye - t.centre) > 0 ? 1 : 0;
    }
    return n;
}

#if !defined(__SANITIZE_ADDRESS__)
// A 10000 x 10000 sphere, past the device's buffers, gets the geometry that draws nothing
// and allocates none of its gigabytes of arrays: run in a child whose address space may grow
// by `headroom` bytes only.
bool oversizeGeometryStaysEmpty(rlim_t headroom) {
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + headroom;
    const rlimit addressSpace{limit, limit};
    if (setrlimit(RLIMIT_AS, &addressSpace) != 0) {
        return false;
    }
    Mesh sphere;
    sphere.createSphere(1, 10000, 10000, 0xFFFFFFFFu);
    return sphere.geometry != nullptr && sphere.geometry->indexCount == 0;
}
#endif

TEST_F(MeshTest, SphereCountsPolesAndOutwardWinding) {
    Mesh sphere;
    sphere.createSphere(1, 8, 8, 0xFF00FF00u);
    ASSERT_EQ(sphere.geometry->vertexCount, 81u);
    ASSERT_EQ(sphere.geometry->indexCount, 384u);
    const auto positions = contents<Vec3>(sphere.geometry->positionBuffer());
    EXPECT_TRUE(positions[0].nearlyEqual({0, 1, 0}));
    EXPECT_TRUE(positions[80].nearlyEqual({0, -1, 0}));
    // (u, v) runs from (0, 1) at the +y pole to (1, 0) at the -y pole; vertex 17, column 8
    // of ring 1, repeats column 0 with u = 1.
    const auto uv = contents<float>(sphere.geometry->texCoordBuffer());
    EXPECT_EQ((std::vector<float>{uv[0], uv[1], uv[160], uv[161]}),
              (std::vector<float>{0, 1, 1, 0}));
    EXPECT_EQ(uv[2 * 17], 1.0f);
    for (const Triangle& t : triangles(sphere)) {
        ASSERT_GT(dot(t.normal, t.centre), 0.0f) << "a triangle faces inward";
    }
}

TEST_F(MeshTest, CountsTheDeviceRefusesAllocateNothing) {
    EXPECT_FALSE(fitsDeviceBuffers(std::uint64_t{1} << 62, 3));  // no wrap in the byte size
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves terabytes, so no address-space limit fits";
#else
    EXPECT_EXIT(std::_Exit(oversizeGeometryStaysEmpty(64u << 20) ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
#endif
}

TEST_F(MeshTest, TheSkyBoxIsSeenFromInsideOnly) {
    Mesh box;
    box.createBox(3, 3, 3, 0xFFFFFFFFu);
    EXPECT_EQ(box.geometry->vertexCount, 24u);
    // Each face's own texture coordinates: the top face, then the z = +hz face.
    const auto uv = contents<float>(box.geometry->texCoordBuffer());
    EXPECT_EQ((std::vector<float>(uv.begin(), uv.begin() + 8)),
              (std::vector<float>{1, 0, 1, 1, 0, 0, 0, 1}));
    EXPECT_EQ((std::vector<float>(uv.begin() + 40, uv.end())),
              (std::vector<float>{1, 1, 1, 0, 0, 1, 0, 0}));
    // A transform applied later acts after the one held: moved up, then turned about z.
    box.applyTransform(translation({0, 16, 0}));
    Mesh turned;
    turned.applyTransform(translation({0, 16, 0}));
    turned.applyTransform(rotationZ(kPi * 0.5f));
    EXPECT_TRUE(transformRow({0, 0, 0}, turned.transform).nearlyEqual({-16, 0, 0}));
    ASSERT_EQ(triangles(box).size(), 12u);
    EXPECT_EQ(facing(box, {0, 16, 0}), 12);
    // From outside, in front of the z = +1.5 face, the five other faces show through it.
    EXPECT_EQ(facing(box, {0, 16, 10}), 10);
}

// The texture manager: mip levels, and the white picture for what the device cannot hold.
using TextureManagerTest = HeadlessRenderer;

Bytes corpus(const char* name) {
    return velmora::testing::readBytes(sourcePath("tests/render/corpus/") + name);
}

TEST_F(TextureManagerTest, EachMipLevelHoldsEverySecondRowAndColumnOfTheLevelAbove) {
    // 10 x 8 at 24 bits, so each stored row ends in 2 bytes of padding; the pixel of stored
    // row r, column c is B r, G c, R 0x80.
    Bytes file = velmora::testing::patched(corpus("bmp24-3x2.bmp"), {{18, 10, 4}, {22, 8, 4}});
    file.resize(54);
    for (std::uint8_t r = 0; r < 8; ++r) {
        for (std::uint8_t c = 0; c < 10; ++c)
            file.insert(file.end(), {r, c, 0x80});
        file.insert(file.end(), {0, 0});
    }
    const auto& levels =
        texels(gTextureManager->load(dir.write("m.bmp", file).c_str(), true)).levels;
    ASSERT_EQ(levels.size(), 4u);  // 10 x 8, 5 x 4, 2 x 2, 1 x 1
    // Level 1's last row is stored row 6, columns 0, 2, 4, 6, 8; level 2 holds rows 0 and 4,
    // columns 0 and 4. Texels are B, G, R and a fourth byte left 0.
    EXPECT_EQ(Bytes(levels[1].texels.end() - 20, levels[1].texels.end()),
              (Bytes{6, 0, 0x80, 0, 6, 2, 0x80, 0, 6, 4, 0x80, 0, 6, 6, 0x80, 0, 6, 8, 0x80, 0}));
    EXPECT_EQ(levels[2].texels,
              (Bytes{0, 0, 0x80, 0, 0, 4, 0x80, 0, 4, 0, 0x80, 0, 4, 4, 0x80, 0}));
}

TEST_F(TextureManagerTest, APictureTheDeviceCannotHoldShowsWhiteAndNullIsNeverLocked) {
    // Too large for the device's textures, or refused once: the white picture instead.
    const std::string huge =
        dir.write("huge.bmp", velmora::testing::patched(corpus("bmp32-2x2.bmp"), {{18, 16384, 4}}));
    const std::string name = dir.write("p.bmp", corpus("bmp24-3x2.bmp"));
    device().faults().failOn(HeadlessCall::CreateTexture, 1);
    for (const std::string& file : {name, huge}) {
        const ManagedTexels& store = texels(gTextureManager->load(file.c_str(), false));
        ASSERT_EQ(store.levels.size(), 1u) << file;
        EXPECT_EQ(store.levels[0].texels, (Bytes{0xFF, 0xFF, 0xFF, 0xFF})) << file;
    }
    // Refused for its size and then the white picture too, or no device: nothing to lock.
    gTextureManager->clear();
    device().faults().failOn(HeadlessCall::CreateTexture, 2);
    EXPECT_EQ(gTextureManager->load(huge.c_str(), false)->nativeTexture(), nullptr);
    gTextureManager->clear();
    resetRendererToConstructedState();
    EXPECT_EQ(gTextureManager->load(name.c_str(), false)->nativeTexture(), nullptr);
}

}  // namespace
}  // namespace velmora::test
