#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/RecordingState.h"
#include "render/D3DGeometryBuffer.h"
#include "render/Mesh.h"
#include "tests/render/RecordingRenderer.h"

namespace velmora {
namespace {

using MeshTest = testing::RecordingRenderer;
using testing::contents;

struct Triangle {
    Vec3 normal;  ///< right-hand rule, unnormalised
    Vec3 centre;
};

// The mesh's triangles in world space, degenerate ones (the sphere's poles) left out.
std::vector<Triangle> triangles(Mesh& mesh) {
    const auto positions = testing::contents<Vec3>(mesh.geometry->positionBuffer());
    const auto order = testing::indices(*mesh.geometry);
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
// Under an address-space limit `headroom` bytes above what the process holds now: a
// 10000 x 10000 sphere and a buffer one vertex over the device's limit get the geometry that
// draws nothing, and allocate no arrays on the way (they would take gigabytes and end in
// std::bad_alloc). Run in a child: the limit stays.
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
    D3DGeometryBuffer buffer;
    const Vec3 positions[3]{};
    const std::uint32_t colours[3]{}, order[3]{};
    const float texCoords[6]{};
    buffer.create(positions, colours, texCoords, nullptr, nullptr, nullptr, order,
                  kMaxDeviceBufferBytes / 12 + 1, 3, nullptr, nullptr, nullptr);
    return sphere.geometry != nullptr && sphere.geometry->indexCount == 0 &&
           buffer.vertexCount == 0 && buffer.positionBuffer() == nullptr;
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
    EXPECT_TRUE(positions[9 * 4 + 2].nearlyEqual({0, 0, -1}));  // equator, a quarter turn
    // (u, v) runs from (0, 1) at the +y pole to (1, 0) at the -y pole; vertex 17, column 8
    // of ring 1, repeats column 0 with u = 1.
    const auto uv = contents<float>(sphere.geometry->texCoordBuffer());
    EXPECT_EQ((std::vector<float>{uv[0], uv[1], uv[160], uv[161]}),
              (std::vector<float>{0, 1, 1, 0}));
    EXPECT_EQ(uv[2 * 17], 1.0f);
    for (const Triangle& t : triangles(sphere)) {
        ASSERT_GT(dot(t.normal, t.centre), 0.0f) << "a triangle faces inward";
    }

    Mesh small;  // raised to 2 rings, 3 segments
    small.createSphere(2, 1, 2, 0xFFFFFFFFu);
    EXPECT_EQ(small.geometry->indexCount, 36u);
}

TEST_F(MeshTest, CountsTheDeviceRefusesAllocateNothing) {
    constexpr std::uint64_t kVertices = kMaxDeviceBufferBytes / 12;
    constexpr std::uint64_t kIndices = kMaxDeviceBufferBytes / 4;
    EXPECT_TRUE(fitsDeviceBuffers(kVertices, kIndices));
    EXPECT_FALSE(fitsDeviceBuffers(kVertices + 1, 3));
    EXPECT_FALSE(fitsDeviceBuffers(3, kIndices + 1));
    EXPECT_FALSE(fitsDeviceBuffers(std::uint64_t{1} << 62, 3));  // no wrap in the byte size
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves terabytes, so no address-space limit fits";
#else
    // In a child whose address space may grow by 64 MB only.
    EXPECT_EXIT(std::_Exit(oversizeGeometryStaysEmpty(64u << 20) ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
#endif
}

TEST_F(MeshTest, QuadsShowBothFacesAndOddOrientationsCollapse) {
    Mesh floor;
    floor.createQuad(20, 20, PlaneXZ, 0xFFFFFFFFu);
    const std::vector<Vec3> corners{{-10, 0, 10}, {-10, 0, -10}, {10, 0, 10}, {10, 0, -10}};
    const auto positions = contents<Vec3>(floor.geometry->positionBuffer());
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(positions[i].nearlyEqual(corners[i])) << i;
    }
    EXPECT_EQ(contents<float>(floor.geometry->texCoordBuffer()),
              (std::vector<float>{0, 0, 0, 1, 1, 0, 1, 1}));

    // Two triangles face each side of every plane: from above, below, in front, behind.
    const std::pair<QuadOrientation, Vec3> planes[] = {
        {PlaneXZ, {0, 1, 0}}, {PlaneXY, {0, 0, 1}}, {PlaneYZ, {1, 0, 0}}};
    for (const auto& [orientation, axis] : planes) {
        Mesh quad;
        quad.createQuad(4, 2, orientation, 0xFFFFFFFFu);
        EXPECT_EQ(facing(quad, axis * 5.0f), 2) << orientation;
        EXPECT_EQ(facing(quad, axis * -5.0f), 2) << orientation;
    }
    Mesh quad;
    quad.createQuad(4, 2, PlaneYZ, 0xFFFFFFFFu);  // width along z, depth along y
    EXPECT_TRUE(contents<Vec3>(quad.geometry->positionBuffer())[3].nearlyEqual({0, 1, 2}));
    quad.createQuad(4, 2, static_cast<QuadOrientation>(3), 0xFFFFFFFFu);
    EXPECT_TRUE(triangles(quad).empty());  // all four vertices at the origin
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
    // From outside, in front of the z = +1.5 face: that face is culled and the inner sides
    // of the five others show through it.
    EXPECT_EQ(facing(box, {0, 16, 10}), 10);
}

TEST_F(MeshTest, TextureCountFollowsFilledSlots) {
    Texture* t = gTextureManager->load(dir.path("none.bmp").c_str(), false);
    Mesh a;
    a.setTexture(t, 0);
    a.setTexture(t, 0);
    EXPECT_EQ(a.textureCount, 1u);

    Mesh b;
    b.setTexture(nullptr, 0);
    b.setTexture(nullptr, 0);  // the slot still holds null, so it counts again
    EXPECT_EQ(b.textureCount, 2u);

    // Loading into slot 1 of a fresh mesh counts one slot: draw binds stage 0 only, and
    // binds it to null, so the texture in slot 1 goes unused.
    Mesh c;
    c.createQuad(1, 1, PlaneXY, 0xFFFFFFFFu);
    EXPECT_EQ(c.loadTexture(dir.path("none.bmp").c_str(), true, 1), t);
    EXPECT_EQ(c.textureCount, 1u);
    EXPECT_EQ(c.textures[1], t);
    c.draw();
    EXPECT_EQ(device().state.textures[1], nullptr);

    // Counting stops at the eight slots; stages past them are ignored.
    Mesh d;
    for (int i = 0; i < 12; ++i) {
        d.setTexture(nullptr, 0);
    }
    d.setTexture(t, 8);
    EXPECT_EQ(d.loadTexture(dir.path("none.bmp").c_str(), false, 9), t);
    EXPECT_EQ(d.textureCount, kMaxTextureStages);
    d.textureCount = 1000;
    d.draw();  // binds the eight stages and reads no slot past them
}

}  // namespace
}  // namespace velmora
