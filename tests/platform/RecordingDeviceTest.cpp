// The recording device refuses what the OpenGL device must refuse: locks outside a buffer,
// draws that would read past their buffers, and objects that went away while bound.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/RecordingDevice.h"
#include "platform/ScriptedOperatingSystem.h"

namespace velmora {
namespace {

class RecordingDeviceTest : public ::testing::Test {
  protected:
    /// A device with three vertices and the indices {0, 1, 2, 3} bound: index 3 names a
    /// vertex the buffer lacks.
    void SetUp() override {
        WindowClass windowClass;
        windowClass.className = "w";
        os.registerClass(windowClass);
        D3DPRESENT_PARAMETERS parameters;
        parameters.hDeviceWindow = os.createWindow("w", "w", WS_POPUP, 0, 0, 640, 480);
        ASSERT_EQ(direct3d.createDevice(D3DADAPTER_DEFAULT, nullptr, 0, parameters, made), D3D_OK);
        const D3DVERTEXELEMENT9 position[2] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            D3DDECL_END};
        ASSERT_EQ(device().createVertexDeclaration(position, declaration), D3D_OK);
        ASSERT_EQ(device().createVertexBuffer(36, 0, 0, D3DPOOL_MANAGED, vertices), D3D_OK);
        ASSERT_EQ(device().createIndexBuffer(16, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, indices),
                  D3D_OK);
        void* data = nullptr;
        ASSERT_EQ(indices->lock(0, 0, &data, 0), D3D_OK);
        const std::uint32_t values[4] = {0, 1, 2, 3};
        std::memcpy(data, values, sizeof values);
        indices->unlock();
        device().setVertexDeclaration(declaration.get());
        device().setStreamSource(0, vertices.get(), 0, 12);
        device().setIndices(indices.get());
    }
    RecordingDevice& device() { return static_cast<RecordingDevice&>(*made); }

    ScriptedOperatingSystem os;
    RecordingDirect3D direct3d{os};
    std::unique_ptr<Device> made;
    std::unique_ptr<VertexDeclaration> declaration;
    std::unique_ptr<VertexBuffer> vertices;
    std::unique_ptr<IndexBuffer> indices;
};

TEST_F(RecordingDeviceTest, LocksAndSizesStayInsideTheirBounds) {
    void* data = nullptr;
    EXPECT_LT(vertices->unlock(), 0);
    EXPECT_LT(vertices->lock(30, 12, &data, 0), 0);
    EXPECT_LT(vertices->lock(0xFFFFFFF0u, 0x20, &data, 0), 0);  // wraps in 32 bits
    ASSERT_EQ(vertices->lock(8, 8, &data, 0), D3D_OK);
    EXPECT_LT(vertices->lock(0, 0, &data, 0), 0);  // already locked
    std::memset(data, 0xAB, 8);
    EXPECT_EQ(vertices->unlock(), D3D_OK);
    const auto& bytes = static_cast<RecordingVertexBuffer&>(*vertices).store.bytes;
    EXPECT_EQ(bytes[7], 0);
    EXPECT_EQ(bytes[8], 0xAB);
    std::unique_ptr<VertexBuffer> huge;  // refused before anything is allocated
    EXPECT_LT(device().createVertexBuffer(0xFFFFFFFFu, 0, 0, D3DPOOL_MANAGED, huge), 0);
    std::unique_ptr<DeviceTexture> texture;
    ASSERT_EQ(device().createTexture(4, 2, 0, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, texture), D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_LT(texture->lockRect(texture->levelCount(), locked), 0);
}

TEST_F(RecordingDeviceTest, DrawsReadingOutsideTheirBuffersAreRefused) {
    EXPECT_EQ(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 1, 1), 0);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_LINELIST, 0, 0, 3, 2, 2), 0);  // 5th index
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_POINTLIST, -1, 0, 3, 0, 1), 0);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_POINTLIST, 1, 0, 3, 1, 2), 0);  // base + 2
    EXPECT_EQ(device().drawIndexedPrimitive(D3DPT_POINTLIST, 1, 0, 3, 0, 2), D3D_OK);
    // Counts that wrap 32 bits.
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0xFFFFFFFFu, 1), 0);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 0x7FFFFFFF), 0);
}

TEST_F(RecordingDeviceTest, DestroyedObjectsNoLongerCountAsBound) {
    std::unique_ptr<DeviceTexture> texture;
    ASSERT_EQ(device().createTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture),
              D3D_OK);
    device().setTexture(3, texture.get());
    vertices.reset();
    indices.reset();
    texture.reset();
    EXPECT_EQ(device().state.streams[0].buffer, nullptr);
    EXPECT_EQ(device().state.indices, nullptr);
    EXPECT_EQ(device().state.textures[3], nullptr);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), 0);
    made.reset();  // the declaration outlives its device and frees itself quietly
}

}  // namespace
}  // namespace velmora
