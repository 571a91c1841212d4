#pragma once
// The OpenGL device: the GPU seam on a real context, OpenGL 3.3 core on the desktop (SDL2
// window or EGL surface, libepoxy) or WebGL 2 in the page (platform/GlDialect.h).
// Implements: managed vertex and index buffers (32-bit indices), vertex declarations as
// vertex array objects (the nine semantic names at locations 0..8), textures in R8G8B8,
// A8R8G8B8 and X8R8G8B8 with their levels, render states that have a GL meaning (depth test
// and writes, fill mode, cull mode, blending and its factors, the scissor test), the scissor
// rectangle, sampler filters (one GL sampler object per stage), effects (GlEffect), clear,
// present, reset and the last presented frame.
// Direct3D conventions carry over: depth 0..1 through glClipControl (GL_LOWER_LEFT,
// GL_ZERO_TO_ONE) with GL_LEQUAL, D3DCULL_CW keeps triangles counter-clockwise as seen,
// colours 0xAARRGGBB travel as GL_BGRA / GL_UNSIGNED_BYTE, scissor rows count from the top.
// Leaves out: fixed-function drawing (lighting, texture-stage operations, transforms and
// point sprites are kept as state but do nothing, as on Direct3D while shaders run); a draw
// outside an effect pass draws nothing. Multisampling and the stencil are not used. The back
// buffer is not stretched to a window of another size: it covers the window's lower-left
// corner (the caller resizes the window and resets the device together).
// Depends on: SDL2 (context, swap, swap interval) and libepoxy. The window must have been
// made with SDL_WINDOW_OPENGL after prepareSdlGlWindowAttributes(), and must outlive the
// device (release the device first). Objects the device made may outlive it.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/DeviceState.h"
#include "platform/GlContext.h"
#include "platform/GlResources.h"
#include "platform/GpuDevice.h"

namespace velmora {

class GlEffect;

class GlDevice final : public StateKeepingDevice {
  public:
    /// Makes a device on the context; D3DERR_NOTAVAILABLE without OpenGL 3.3 and clip control.
    static HRESULT create(std::unique_ptr<GlContext> context, D3DPRESENT_PARAMETERS& parameters,
                          std::unique_ptr<Device>& out);
    ~GlDevice() override;

    HRESULT createVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                               D3DPOOL pool, std::unique_ptr<VertexBuffer>& out) override;
    HRESULT createIndexBuffer(std::uint32_t length, std::uint32_t usage, D3DFORMAT format,
                              D3DPOOL pool, std::unique_ptr<IndexBuffer>& out) override;
    HRESULT createVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                    std::unique_ptr<VertexDeclaration>& out) override;
    HRESULT createTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                          std::uint32_t usage, D3DFORMAT format, D3DPOOL pool,
                          std::unique_ptr<DeviceTexture>& out) override;
    HRESULT createEffectFromFile(const char* fileName, std::unique_ptr<Effect>& out,
                                 std::string& errors) override;

    HRESULT setVertexDeclaration(VertexDeclaration* declaration) override;
    HRESULT setStreamSource(std::uint32_t stream, VertexBuffer* buffer, std::uint32_t offset,
                            std::uint32_t stride) override;
    HRESULT setIndices(IndexBuffer* indices) override;
    HRESULT setRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) override;
    HRESULT setSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type,
                            std::uint32_t value) override;
    HRESULT setTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                 std::uint32_t value) override;
    HRESULT setTexture(std::uint32_t stage, DeviceTexture* texture) override;
    HRESULT setTransform(D3DTRANSFORMSTATETYPE state, const Matrix4& matrix) override;
    HRESULT setScissorRect(const Rect& rect) override;

    HRESULT clear(std::uint32_t flags, std::uint32_t color, float z,
                  std::uint32_t stencil) override;
    HRESULT beginScene() override;
    HRESULT endScene() override;
    HRESULT present() override;
    HRESULT reset(D3DPRESENT_PARAMETERS& parameters) override;
    HRESULT drawIndexedPrimitive(D3DPRIMITIVETYPE type, std::int32_t baseVertexIndex,
                                 std::uint32_t minVertexIndex, std::uint32_t numVertices,
                                 std::uint32_t startIndex, std::uint32_t primitiveCount) override;
    HRESULT getFrontBufferData(std::vector<std::uint32_t>& pixels, std::uint32_t& width,
                               std::uint32_t& height) override;

    // Used by the device's own objects.
    /// Unbinds an object that is being destroyed from every stage, stream and effect.
    void forget(const DeviceTexture* texture);
    void useProgram(std::uint32_t program);
    std::uint32_t currentProgram() const { return program_; }
    void addEffect(GlEffect* effect) { effects_.push_back(effect); }
    void removeEffect(GlEffect* effect);
    /// A texture unit past the stages, for uploads that must not disturb stage bindings.
    static constexpr std::uint32_t kUploadUnit = kDeviceTextureStages;

    // For the pixel tests: what GL holds.
    /// The GL texture name bound to the stage's unit, 0 for none.
    std::uint32_t queryTextureBinding(std::uint32_t stage) const;
    /// The first pending GL error (GL_NO_ERROR when none), clearing every pending one.
    std::uint32_t takeGlError();

    D3DPRESENT_PARAMETERS presentParameters;

  private:
    explicit GlDevice(std::unique_ptr<GlContext> context);
    void applyRenderState(D3DRENDERSTATETYPE type, std::uint32_t value);
    void applySampler(std::uint32_t stage);
    void applyScissorRect();
    void restoreDefaults();
    void fillBackBufferSize(D3DPRESENT_PARAMETERS& parameters) const;

    std::unique_ptr<GlContext> context_;
    GlDeviceLink self_;
    std::vector<GlEffect*> effects_;
    std::array<std::uint32_t, kDeviceTextureStages> samplers_{};
    std::uint32_t program_ = 0;
    bool inScene_ = false;
    bool hasFrame_ = false;
    std::uint32_t framePixels_ = 0;  ///< pixel-pack buffer holding the last presented frame
    std::uint32_t frameWidth_ = 0;
    std::uint32_t frameHeight_ = 0;
};

class GlDirect3D final : public Direct3D {
  public:
    /// offscreen: devices draw into an EGL surface as large as the window's client area, not
    /// into the window.
    explicit GlDirect3D(OperatingSystem& os, bool offscreen = false)
        : os_(os), offscreen_(offscreen) {}
    ~GlDirect3D() override;
    /// The OperatingSystem's current display mode, in D3DFMT_X8R8G8B8.
    HRESULT getAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) override;
    /// The window is parameters.hDeviceWindow, or focusWindow when that is null: an
    /// SDL_Window* made for OpenGL.
    HRESULT createDevice(std::uint32_t adapter, WindowHandle focusWindow,
                         std::uint32_t behaviorFlags, D3DPRESENT_PARAMETERS& parameters,
                         std::unique_ptr<Device>& out) override;

  private:
    OperatingSystem& os_;
    bool offscreen_;
};

/// Direct3DCreate9 of the OpenGL device; null when SDL's video cannot start.
std::unique_ptr<Direct3D> glDirect3DCreate(OperatingSystem& os);
/// Direct3DCreate9 of the OpenGL device drawing offscreen, for pictures without a display: the
/// window stays the operating system's (a scripted one, headless), the pixels come from EGL.
std::unique_ptr<Direct3D> glOffscreenDirect3DCreate(OperatingSystem& os);
/// Direct3DCreate9 of the OpenGL device in the web page, on the canvas that is the page's
/// window (WebOperatingSystem::kCanvasSelector).
std::unique_ptr<Direct3D> webGlDirect3DCreate(OperatingSystem& os);

}  // namespace velmora
