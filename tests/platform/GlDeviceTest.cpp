// The OpenGL device on its own (Xvfb): texture formats and their alpha, the managed pool's
// uploads and survival across reset, refused draws, and objects that outlive the device.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/GlDevice.h"
#include "platform/GlEffect.h"
#include "tests/render/PictureFiles.h"
#include "tests/render/RendererTestSupport.h"

namespace velmora::test {
namespace {

// Positions are clip coordinates; the pixel is the alpha tex0 holds at its centre.
const std::string kAlphaEffect =
    "@technique MyEffect\n@pass P0\n@vertex\n#version 330 core\nuniform mat4 wvp;\n"
    "in vec3 POSITION0;\nvoid main() { gl_Position = wvp * vec4(POSITION0, 1.0); }\n@end\n"
    "@fragment\n#version 330 core\nuniform sampler2D tex0;\nout vec4 color;\n"
    "void main() { color = vec4(texture(tex0, vec2(0.5)).aaa, 1.0); }\n@end\n@end\n@end\n";

const D3DVERTEXELEMENT9 kPositionOnly[2] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END};

class GlDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = open800x600(os);
        ASSERT_NE(window, nullptr);
        direct3d = glDirect3DCreate(os);
        ASSERT_NE(direct3d, nullptr);
        D3DPRESENT_PARAMETERS parameters;
        parameters.hDeviceWindow = window;
        parameters.EnableAutoDepthStencil = true;
        ASSERT_EQ(direct3d->createDevice(D3DADAPTER_DEFAULT, window, 0, parameters, made), D3D_OK);
        device().setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        const std::string path = dir.write("alpha.fx", kAlphaEffect);
        std::string errors;
        ASSERT_EQ(device().createEffectFromFile(path.c_str(), effect, errors), D3D_OK) << errors;
        ASSERT_EQ(device().createVertexBuffer(36, 0, 0, D3DPOOL_MANAGED, positions), D3D_OK);
        ASSERT_EQ(device().createIndexBuffer(12, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, indices),
                  D3D_OK);
        ASSERT_EQ(device().createVertexDeclaration(kPositionOnly, declaration), D3D_OK);
        const std::uint32_t order[3] = {0, 1, 2};
        write(*indices, 0, order, sizeof order);
        moveTriangle(0.0f);
    }
    void TearDown() override {
        if (made != nullptr) {
            EXPECT_EQ(device().takeGlError(), 0u);
        }
    }

    GlDevice& device() { return static_cast<GlDevice&>(*made); }

    template <typename Buffer>
    static void write(Buffer& buffer, std::uint32_t offset, const void* data, std::uint32_t size) {
        void* target = nullptr;
        ASSERT_EQ(buffer.lock(offset, size, &target, 0), D3D_OK);
        std::memcpy(target, data, size);
        ASSERT_EQ(buffer.unlock(), D3D_OK);
    }
    /// A triangle covering the middle of the screen, shifted right by dx (clip units).
    void moveTriangle(float dx) {
        const float corners[9] = {-0.5f + dx, -0.5f, 0.5f, 0.5f + dx, -0.5f, 0.5f, dx, 0.5f, 0.5f};
        write(*positions, 0, corners, sizeof corners);
    }
    std::unique_ptr<DeviceTexture> texture(D3DFORMAT format, std::uint32_t texel) {
        std::unique_ptr<DeviceTexture> made;
        EXPECT_EQ(device().createTexture(1, 1, 1, 0, format, D3DPOOL_MANAGED, made), D3D_OK);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(made->lockRect(0, locked), D3D_OK);
        std::memcpy(locked.pBits, &texel, 4);
        EXPECT_EQ(made->unlockRect(0), D3D_OK);
        return made;
    }
    /// Draws the triangle with tex0 = t and returns the presented pixel at the centre.
    std::uint32_t centreAfterDraw(DeviceTexture* t) {
        device().clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF800000, 1.0f, 0);
        device().setVertexDeclaration(declaration.get());
        device().setStreamSource(0, positions.get(), 0, 12);
        device().setIndices(indices.get());
        effect->setTexture("tex0", t);
        std::uint32_t passes = 0;
        effect->begin(&passes, 0);
        effect->beginPass(0);
        lastResult = device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1);
        effect->endPass();
        effect->end();
        device().present();
        std::vector<std::uint32_t> pixels;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        EXPECT_EQ(device().getFrontBufferData(pixels, width, height), D3D_OK);
        return pixels.at(height / 2 * width + width / 2);
    }

    velmora::testing::TempFolder dir;
    SdlOperatingSystem os;
    WindowHandle window = nullptr;
    std::unique_ptr<Direct3D> direct3d;
    std::unique_ptr<Device> made;
    std::unique_ptr<Effect> effect;
    std::unique_ptr<VertexBuffer> positions;
    std::unique_ptr<IndexBuffer> indices;
    std::unique_ptr<VertexDeclaration> declaration;
    HRESULT lastResult = D3D_OK;
};

TEST_F(GlDeviceTest, OnlyTheFourByteFormatKeepsItsAlpha) {
    const auto rgb = texture(D3DFMT_R8G8B8, 0x00112233);     // fourth byte unused
    const auto xrgb = texture(D3DFMT_X8R8G8B8, 0x00112233);  // alpha ignored
    const auto argb = texture(D3DFMT_A8R8G8B8, 0x00112233);  // alpha 0 kept
    EXPECT_EQ(centreAfterDraw(rgb.get()), 0xFFFFFFFFu);
    EXPECT_EQ(centreAfterDraw(xrgb.get()), 0xFFFFFFFFu);
    EXPECT_EQ(centreAfterDraw(argb.get()), 0xFF000000u);
    EXPECT_EQ(lastResult, D3D_OK);
}

TEST_F(GlDeviceTest, LockedRangesReachTheGpuSurviveAResetAndAreNeverReadPast) {
    const auto white = texture(D3DFMT_R8G8B8, 0);
    EXPECT_EQ(centreAfterDraw(white.get()), 0xFFFFFFFFu);
    moveTriangle(1.2f);  // off the centre: the new positions must be uploaded
    EXPECT_EQ(centreAfterDraw(white.get()), 0xFF800000u);

    // A partial lock inside the buffer: only the third corner's x moves, back over the centre.
    const float x = -0.8f;
    write(*positions, 24, &x, 4);
    EXPECT_EQ(centreAfterDraw(white.get()), 0xFFFFFFFFu);

    D3DPRESENT_PARAMETERS smaller;
    smaller.hDeviceWindow = window;
    smaller.BackBufferWidth = 400;
    smaller.BackBufferHeight = 300;
    smaller.EnableAutoDepthStencil = true;
    EXPECT_EQ(device().reset(smaller), D3D_OK);
    EXPECT_EQ(device().queryViewport(), (std::array<std::int32_t, 4>{0, 0, 400, 300}));
    device().setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    EXPECT_EQ(centreAfterDraw(white.get()), 0xFFFFFFFFu);  // same buffers, smaller frame

    const std::uint32_t far = 1000;  // an index past the three vertices: refused, no GL error
    write(*indices, 8, &far, 4);
    EXPECT_EQ(centreAfterDraw(white.get()), 0xFF800000u);
    EXPECT_EQ(lastResult, D3DERR_INVALIDCALL);
    EXPECT_EQ(device().lastDraw.glCount, 0u);
    // Outside a pass there is no program to draw with.
    EXPECT_EQ(device().drawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
}

TEST_F(GlDeviceTest, ObjectsThatOutliveTheDeviceAreFreedSafely) {
    auto clear = texture(D3DFMT_A8R8G8B8, 0x00FFFFFF);
    device().setTexture(2, clear.get());
    EXPECT_EQ(centreAfterDraw(clear.get()), 0xFF000000u);
    clear.reset();  // unbound from the stage and from the effect's tex0
    EXPECT_EQ(device().state.textures[2], nullptr);
    EXPECT_EQ(device().queryTextureBinding(2), 0u);
    EXPECT_EQ(dynamic_cast<GlEffect&>(*effect).core.textures[0], nullptr);
    EXPECT_EQ(centreAfterDraw(nullptr), 0xFFFFFFFFu);  // no texture samples as (0, 0, 0, 1)

    // The texture, effect, buffers and declaration all outlive the device from here.
    auto white = texture(D3DFMT_A8R8G8B8, 0xFFFFFFFF);
    made.reset();
    white.reset();
}

}  // namespace
}  // namespace velmora::test
