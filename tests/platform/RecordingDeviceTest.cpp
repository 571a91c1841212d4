// The recording device: its failure switch, the rules it shares with the OpenGL device
// (lock ranges, draws that would read outside their buffers, texture level chains), what it
// keeps and logs, and objects that go away while bound.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/RecordingDevice.h"
#include "platform/ScriptedOperatingSystem.h"

namespace velmora {
namespace {

const D3DVERTEXELEMENT9 kPositionOnly[2] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END};

class RecordingDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WindowClass windowClass;
        windowClass.windowProc = [](WindowHandle, std::uint32_t, std::uintptr_t,
                                    std::intptr_t) -> std::intptr_t { return 0; };
        windowClass.className = "w";
        os.registerClass(windowClass);
        window = os.createWindow("w", "w", WS_POPUP, 0, 0, 640, 480);
        parameters.hDeviceWindow = window;
        parameters.EnableAutoDepthStencil = true;
        ASSERT_EQ(direct3d.createDevice(D3DADAPTER_DEFAULT, window, 0, parameters, made), D3D_OK);
    }
    RecordingDevice& device() { return static_cast<RecordingDevice&>(*made); }

    /// Three vertices, four indices {0, 1, 2, last}, a declaration, all bound.
    void bindTriangle(std::uint32_t last) {
        ASSERT_EQ(device().createVertexBuffer(36, 0, 0, D3DPOOL_MANAGED, vertices), D3D_OK);
        ASSERT_EQ(device().createIndexBuffer(16, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, indices),
                  D3D_OK);
        ASSERT_EQ(device().createVertexDeclaration(kPositionOnly, declaration), D3D_OK);
        void* data = nullptr;
        ASSERT_EQ(indices->lock(0, 0, &data, 0), D3D_OK);
        const std::uint32_t values[4] = {0, 1, 2, last};
        std::memcpy(data, values, sizeof values);
        indices->unlock();
        device().setVertexDeclaration(declaration.get());
        device().setStreamSource(0, vertices.get(), 0, 12);
        device().setIndices(indices.get());
    }

    ScriptedOperatingSystem os;
    WindowHandle window = nullptr;
    RecordingDirect3D direct3d{os};
    D3DPRESENT_PARAMETERS parameters;
    std::unique_ptr<Device> made;
    std::unique_ptr<VertexBuffer> vertices;
    std::unique_ptr<IndexBuffer> indices;
    std::unique_ptr<VertexDeclaration> declaration;
};

TEST_F(RecordingDeviceTest, FailureSwitchHitsTheNthCallOnce) {
    std::unique_ptr<VertexBuffer> buffer;
    device().faults().failOn(RecordingCall::CreateVertexBuffer, 2);
    EXPECT_EQ(device().createVertexBuffer(4, 0, 0, D3DPOOL_MANAGED, buffer), D3D_OK);
    buffer.reset();
    EXPECT_LT(device().createVertexBuffer(4, 0, 0, D3DPOOL_MANAGED, buffer), 0);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(device().createVertexBuffer(4, 0, 0, D3DPOOL_MANAGED, buffer), D3D_OK);

    void* data = nullptr;
    device().faults().failOn(RecordingCall::Lock, 1);
    EXPECT_LT(buffer->lock(0, 0, &data, 0), 0);
    device().faults().failOn(RecordingCall::Unlock, 1);
    EXPECT_EQ(buffer->lock(0, 0, &data, 0), D3D_OK);
    EXPECT_LT(buffer->unlock(), 0);

    direct3d.faults().failOn(RecordingCall::CreateDevice, 1);
    std::unique_ptr<Device> second;
    EXPECT_LT(direct3d.createDevice(D3DADAPTER_DEFAULT, window, 0, parameters, second), 0);
    EXPECT_EQ(second, nullptr);
    device().faults().failOn(RecordingCall::CreateDevice, 0);  // disarmed: nothing fails
    EXPECT_EQ(direct3d.createDevice(D3DADAPTER_DEFAULT, window, 0, parameters, second), D3D_OK);

    // Effect loading fails with the text given, or with none; the file is not even read.
    std::unique_ptr<Effect> effect;
    std::string errors;
    device().faults().failEffectLoad(1, "compiler says no");
    EXPECT_LT(device().createEffectFromFile("any.fx", effect, errors), 0);
    EXPECT_EQ(errors, "compiler says no");
    device().faults().failEffectLoad(1, "");
    EXPECT_LT(device().createEffectFromFile("any.fx", effect, errors), 0);
    EXPECT_TRUE(errors.empty());
}

TEST_F(RecordingDeviceTest, LocksStayInsideTheBufferAndUnlockNeedsALock) {
    std::unique_ptr<VertexBuffer> buffer;
    ASSERT_EQ(device().createVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, buffer), D3D_OK);
    void* data = nullptr;
    EXPECT_LT(buffer->unlock(), 0);
    EXPECT_LT(buffer->lock(8, 12, &data, 0), 0);
    EXPECT_LT(buffer->lock(0xFFFFFFF0u, 0x20, &data, 0), 0);  // wraps in 32 bits
    ASSERT_EQ(buffer->lock(8, 8, &data, 0), D3D_OK);
    EXPECT_LT(buffer->lock(0, 0, &data, 0), 0);  // already locked
    std::memset(data, 0xAB, 8);
    EXPECT_EQ(buffer->unlock(), D3D_OK);
    const auto& bytes = static_cast<RecordingVertexBuffer&>(*buffer).store.bytes;
    EXPECT_EQ(bytes[7], 0);
    EXPECT_EQ(bytes[8], 0xAB);
    EXPECT_EQ(bytes[15], 0xAB);
    // Zero or unbounded sizes are refused before anything is allocated.
    EXPECT_LT(device().createVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, buffer), 0);
    EXPECT_LT(device().createVertexBuffer(0xFFFFFFFFu, 0, 0, D3DPOOL_MANAGED, buffer), 0);
}

TEST_F(RecordingDeviceTest, DrawsReadingOutsideTheirBuffersAreRefusedAndLogged) {
    bindTriangle(3);  // index 3 names a fourth vertex that the buffer lacks
    EXPECT_EQ(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 1, 1), 0);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_LINELIST, 0, 0, 3, 2, 2), 0);  // 5th index
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_POINTLIST, -1, 0, 3, 0, 1), 0);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_POINTLIST, 1, 0, 3, 1, 2), 0);
    EXPECT_EQ(device().drawIndexedPrimitive(D3DPT_POINTLIST, 1, 0, 3, 0, 2), D3D_OK);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0xFFFFFFFFu, 1), 0);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 0x7FFFFFFF), 0);
    ASSERT_EQ(device().draws.size(), 8u);
    EXPECT_EQ(device().draws[0].streamMask, 1u);
    EXPECT_EQ(device().draws[1].result, D3DERR_INVALIDCALL);

    device().setIndices(nullptr);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), 0);
    device().setIndices(indices.get());
    device().setVertexDeclaration(nullptr);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), 0);
    // A declaration may only name the nine vertex inputs, once each.
    const D3DVERTEXELEMENT9 twice[3] = {kPositionOnly[0], kPositionOnly[0], D3DDECL_END};
    std::unique_ptr<VertexDeclaration> bad;
    EXPECT_LT(device().createVertexDeclaration(twice, bad), 0);
    const D3DVERTEXELEMENT9 unknown[2] = {
        {0, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 7}, D3DDECL_END};
    EXPECT_LT(device().createVertexDeclaration(unknown, bad), 0);
}

TEST_F(RecordingDeviceTest, DestroyedObjectsNoLongerCountAsBound) {
    bindTriangle(2);
    std::unique_ptr<DeviceTexture> texture;
    ASSERT_EQ(device().createTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture),
              D3D_OK);
    device().setTexture(3, texture.get());
    vertices.reset();
    indices.reset();
    declaration.reset();
    texture.reset();
    const DeviceState& s = device().state;
    EXPECT_EQ(s.streams[0].buffer, nullptr);
    EXPECT_EQ(s.indices, nullptr);
    EXPECT_EQ(s.declaration, nullptr);
    EXPECT_EQ(s.textures[3], nullptr);
    EXPECT_LT(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), 0);
    // And objects that outlive their device free themselves quietly.
    ASSERT_EQ(device().createTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture),
              D3D_OK);
    made.reset();
    texture.reset();
}

TEST_F(RecordingDeviceTest, TexturesGetTheLevelChainAskedFor) {
    std::unique_ptr<DeviceTexture> texture;
    ASSERT_EQ(device().createTexture(256, 64, 0, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, texture),
              D3D_OK);
    EXPECT_EQ(texture->levelCount(), 9u);  // 256 x 64 down to 1 x 1
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->lockRect(8, locked), D3D_OK);
    EXPECT_EQ(locked.Pitch, 4);
    EXPECT_LT(texture->lockRect(8, locked), 0);
    EXPECT_EQ(texture->unlockRect(8), D3D_OK);
    ASSERT_EQ(texture->lockRect(1, locked), D3D_OK);
    EXPECT_EQ(locked.Pitch, 128 * 4);  // three-byte texels are stored in four bytes
    EXPECT_LT(texture->lockRect(9, locked), 0);

    ASSERT_EQ(device().createTexture(8, 8, 30, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, texture),
              D3D_OK);
    EXPECT_EQ(texture->levelCount(), 4u);
    EXPECT_LT(device().createTexture(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture), 0);
    EXPECT_LT(device().createTexture(1u << 20, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture),
              0);
    EXPECT_LT(device().createTexture(8, 8, 1, 0, D3DFMT_D24S8, D3DPOOL_MANAGED, texture), 0);
}

}  // namespace
}  // namespace velmora
