// Geometry buffers on the recording device: what create makes and copies, and how every
// failing step leaves the counts at 0.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/RecordingDevice.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

class GeometryBufferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRendererToConstructedState();
        gRenderer->usePlatform(os, recordingDirect3DCreate);
        ASSERT_TRUE(gRenderer->init(open800x600(os), false, true));
    }
    void TearDown() override { resetRendererToConstructedState(); }
    RecordingDevice& device() { return static_cast<RecordingDevice&>(*gRenderer->device); }

    template <typename T>
    static std::vector<T> contents(VertexBuffer* buffer) {
        const auto& bytes = dynamic_cast<RecordingVertexBuffer&>(*buffer).store.bytes;
        std::vector<T> values(bytes.size() / sizeof(T));
        std::memcpy(values.data(), bytes.data(), bytes.size());
        return values;
    }

    ScriptedOperatingSystem os;
    GeometryData data{3, 0x80FF0000};
    const std::uint32_t indices[3] = {2, 1, 0};
    const Vec3 tangents[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const float scalars[3] = {0.5f, 1.5f, 2.5f};
};

TEST_F(GeometryBufferTest, CreateCopiesEveryStreamAndMakesOptionalOnesOnlyWhenGiven) {
    D3DGeometryBuffer plain;
    // Tangents and scalars without normals are not read: all three streams stay zero.
    plain.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr,
                 tangents, scalars, indices, 3, 3, data.blend.data(), nullptr, nullptr);
    EXPECT_EQ(plain.vertexCount, 3u);
    EXPECT_EQ(plain.indexCount, 3u);
    EXPECT_EQ(contents<float>(plain.positionBuffer())[3], 1.0f);
    EXPECT_EQ(contents<std::uint32_t>(plain.colorBuffer())[2], 0x80FF0000u);
    EXPECT_EQ(contents<float>(plain.tangentBuffer()), std::vector<float>(9, 0.0f));
    EXPECT_EQ(contents<float>(plain.normalBuffer()), std::vector<float>(9, 0.0f));
    EXPECT_EQ(contents<float>(plain.scalarBuffer()), std::vector<float>(3, 0.0f));
    EXPECT_EQ(plain.texCoord2Buffer(), nullptr);
    EXPECT_EQ(plain.blendIndexBuffer(), nullptr);  // indices without weights: neither
    EXPECT_EQ(plain.blendWeightBuffer(), nullptr);
    const auto& elements =
        dynamic_cast<RecordingVertexDeclaration&>(*plain.vertexDeclaration()).elements;
    EXPECT_EQ(elements.size(), 9u);  // all nine streams are named either way
    const auto& indexBytes = dynamic_cast<RecordingIndexBuffer&>(*plain.indexBuffer()).store.bytes;
    ASSERT_EQ(indexBytes.size(), 12u);
    EXPECT_EQ(indexBytes[0], 2);

    D3DGeometryBuffer full;
    full.create(data.positions.data(), data.colors.data(), data.texCoords.data(), tangents,
                tangents, scalars, indices, 3, 3, data.blend.data(), data.blend.data(),
                data.texCoords2.data());
    EXPECT_EQ(contents<float>(full.normalBuffer())[4], 1.0f);
    EXPECT_EQ(contents<float>(full.tangentBuffer())[8], 1.0f);
    EXPECT_EQ(contents<float>(full.scalarBuffer())[2], 2.5f);
    EXPECT_EQ(contents<std::uint32_t>(full.blendWeightBuffer())[0], 0x01020304u);
    EXPECT_EQ(contents<float>(full.texCoord2Buffer())[5], 1.0f);
}

TEST_F(GeometryBufferTest, EveryFailingStepLeavesTheCountsZeroAndKeepsWhatWasMade) {
    // With every optional stream: 9 vertex buffers, 10 locks and unlocks, 1 index buffer,
    // 1 declaration. Failing any one of them leaves the counts at 0.
    const std::pair<RecordingCall, std::uint32_t> calls[] = {
        {RecordingCall::CreateVertexBuffer, 9},
        {RecordingCall::Lock, 10},
        {RecordingCall::Unlock, 10},
        {RecordingCall::CreateIndexBuffer, 1},
        {RecordingCall::CreateVertexDeclaration, 1}};
    for (const auto& [call, made] : calls) {
        for (std::uint32_t nth = 1; nth <= made + 1; ++nth) {
            device().faults().failOn(call, nth);
            D3DGeometryBuffer geometry;
            geometry.create(data.positions.data(), data.colors.data(), data.texCoords.data(),
                            tangents, tangents, scalars, indices, 3, 3, data.blend.data(),
                            data.blend.data(), data.texCoords2.data());
            const std::uint32_t expected = nth <= made ? 0 : 3;
            EXPECT_EQ(geometry.vertexCount, expected) << int(call) << " " << nth;
            EXPECT_EQ(geometry.indexCount, expected) << int(call) << " " << nth;
            device().faults().failOn(call, 0);
        }
    }
    // The fifth vertex buffer (normals, after the second texture coordinates) fails.
    device().faults().failOn(RecordingCall::CreateVertexBuffer, 5);
    D3DGeometryBuffer partial;
    partial.create(data.positions.data(), data.colors.data(), data.texCoords.data(), tangents,
                   nullptr, nullptr, indices, 3, 3, nullptr, nullptr, data.texCoords2.data());
    EXPECT_EQ(partial.vertexCount, 0u);
    EXPECT_NE(partial.texCoord2Buffer(), nullptr);
    EXPECT_NE(partial.indexBuffer(), nullptr);
    EXPECT_EQ(partial.normalBuffer(), nullptr);
    gRenderer->setEffect(nullptr);
    gRenderer->drawGeometry(&partial, Triangles);  // no effect and no counts: draws nothing
    EXPECT_TRUE(device().draws.empty());
}

TEST_F(GeometryBufferTest, SizesBeyondThirtyTwoBitsFailBeforeAnyArrayIsRead) {
    D3DGeometryBuffer huge;
    // 0x15555556 vertices are 4 GiB + 8 bytes of positions: a wrapped size would be 8 bytes
    // and the copy would read the caller's arrays far past their end.
    huge.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr, nullptr,
                nullptr, indices, 0x15555556u, 3, nullptr, nullptr, nullptr);
    EXPECT_EQ(huge.vertexCount, 0u);
    EXPECT_EQ(huge.positionBuffer(), nullptr);
    huge.create(data.positions.data(), data.colors.data(), data.texCoords.data(), nullptr, nullptr,
                nullptr, indices, 3, 0x40000001u, nullptr, nullptr, nullptr);
    EXPECT_EQ(huge.indexCount, 0u);
    EXPECT_EQ(huge.indexBuffer(), nullptr);
}

}  // namespace
}  // namespace velmora::test
