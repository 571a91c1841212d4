#pragma once
// The headless GPU device: implements the GPU seam without drawing and without a GL context,
// for runs without a display (--headless, replays) and for tests. It keeps every state,
// buffer, texture and effect parameter it is given (DeviceState and the managed copies),
// applies the same rules as the OpenGL device (lock ranges, declaration checks, draw reads
// inside the buffers, effect files parsed by the same loader), and records every draw with the
// states in force (RecordedDraw), which is what tests read back instead of pixels. It fails
// chosen calls on demand so failure paths can be tested. It keeps no pixels:
// getFrontBufferData is D3DERR_NOTAVAILABLE. Its Direct3D reports the display mode of the
// OperatingSystem it was made with. Standard library only.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/EffectCore.h"
#include "platform/EffectFile.h"
#include "platform/GpuDevice.h"

namespace velmora {

/// The calls a headless device can be told to fail.
enum class HeadlessCall : std::uint8_t {
    CreateVertexBuffer,
    CreateIndexBuffer,
    CreateVertexDeclaration,
    CreateTexture,
    Lock,    ///< vertex and index buffers
    Unlock,  ///< vertex and index buffers
    Count,
};

/// Which call fails next. Shared by a headless Direct3D, its devices and their objects.
class HeadlessFaults {
  public:
    /// The nth call of that kind from now on (1: the next one) fails, once; 0 disarms.
    void failOn(HeadlessCall call, std::uint32_t nth);
    /// Counts one call of that kind; true when it is the one to fail.
    bool fails(HeadlessCall call);

  private:
    std::array<std::uint32_t, static_cast<std::size_t>(HeadlessCall::Count)> countdown_{};
};

class HeadlessDevice;

struct RecordedDraw {
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    std::int32_t baseVertexIndex = 0;
    std::uint32_t minVertexIndex = 0;
    std::uint32_t numVertices = 0;
    std::uint32_t startIndex = 0;
    std::uint32_t primitiveCount = 0;
    HRESULT result = D3D_OK;       ///< D3DERR_INVALIDCALL when the draw was refused
    std::uint32_t streamMask = 0;  ///< bit s set when stream s had a buffer
    VertexDeclaration* declaration = nullptr;
    IndexBuffer* indices = nullptr;
    const Effect* effect = nullptr;  ///< whose pass was in force; null outside a pass
    Matrix4 wvp;                     ///< the pass's "wvp" (identity outside a pass)
    std::array<DeviceTexture*, kDeviceTextureStages> textures{};  ///< stages 0..7
    std::uint32_t fillMode = D3DFILL_SOLID;
    bool blending = false;  ///< D3DRS_ALPHABLENDENABLE
    std::uint32_t sourceBlend = D3DBLEND_ONE;
    std::uint32_t destBlend = D3DBLEND_ZERO;
    bool depthTest = true;  ///< D3DRS_ZENABLE
    std::uint32_t cullMode = D3DCULL_CCW;
    bool scissorTest = false;  ///< D3DRS_SCISSORTESTENABLE
    Rect scissorRect;          ///< in force whether or not the test is on
};

/// A vertex or index buffer; the two differ only in the interface the device hands out.
template <class Interface>
class HeadlessBuffer final : public Interface {
  public:
    HeadlessBuffer(std::uint32_t length, std::shared_ptr<HeadlessFaults> faults,
                   std::shared_ptr<HeadlessDevice*> device)
        : store(length), faults_(std::move(faults)), device_(std::move(device)) {}
    ~HeadlessBuffer() override;
    HRESULT lock(std::uint32_t offset, std::uint32_t size, void** data,
                 std::uint32_t flags) override;
    HRESULT unlock() override;

    ManagedBytes store;

  private:
    std::shared_ptr<HeadlessFaults> faults_;
    std::shared_ptr<HeadlessDevice*> device_;
};
using HeadlessVertexBuffer = HeadlessBuffer<VertexBuffer>;
using HeadlessIndexBuffer = HeadlessBuffer<IndexBuffer>;

class HeadlessVertexDeclaration final : public VertexDeclaration {
  public:
    explicit HeadlessVertexDeclaration(std::shared_ptr<HeadlessDevice*> device)
        : device_(std::move(device)) {}
    ~HeadlessVertexDeclaration() override;

    std::vector<D3DVERTEXELEMENT9> elements;  ///< without the end marker

  private:
    std::shared_ptr<HeadlessDevice*> device_;
};

class HeadlessTexture final : public DeviceTexture {
  public:
    explicit HeadlessTexture(std::shared_ptr<HeadlessDevice*> device)
        : device_(std::move(device)) {}
    ~HeadlessTexture() override;
    std::uint32_t levelCount() const override {
        return static_cast<std::uint32_t>(store.levels.size());
    }
    HRESULT lockRect(std::uint32_t level, D3DLOCKED_RECT& locked) override {
        return store.lockRect(level, locked);
    }
    HRESULT unlockRect(std::uint32_t level) override { return store.unlockRect(level); }

    ManagedTexels store;

  private:
    std::shared_ptr<HeadlessDevice*> device_;
};

class HeadlessEffect final : public EffectWithCore {
  public:
    HeadlessEffect(EffectFileSource source, std::shared_ptr<HeadlessDevice*> device);
    ~HeadlessEffect() override;

    HRESULT begin(std::uint32_t* passCount, std::uint32_t flags) override;
    /// Binds the texture parameters the pass's source names to their device stages and puts
    /// "wvp" in force for the draws until endPass.
    HRESULT beginPass(std::uint32_t pass) override;
    HRESULT endPass() override;
    HRESULT end() override;

  private:
    std::shared_ptr<HeadlessDevice*> device_;  ///< null inside once the device is gone
};

class HeadlessDevice final : public StateKeepingDevice {
  public:
    HeadlessDevice(std::shared_ptr<HeadlessFaults> faults, OperatingSystem& os,
                   const D3DPRESENT_PARAMETERS& parameters);
    ~HeadlessDevice() override;

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

    HeadlessFaults& faults() { return *faults_; }

    /// As given to createDevice or the last reset, a zero back-buffer size filled in from
    /// the window's client area.
    D3DPRESENT_PARAMETERS presentParameters;
    bool inScene = false;
    std::uint32_t resetCount = 0;
    /// Whether draws are logged; a long headless run turns it off so its memory stays flat.
    bool keepLog = true;
    std::vector<RecordedDraw> draws;

    /// The effect pass in force (set by HeadlessEffect::beginPass), null outside one.
    const Effect* passEffect = nullptr;
    Matrix4 passWvp;

  private:
    void fillBackBufferSize(D3DPRESENT_PARAMETERS& parameters);
    Rect backBufferRect() const;

    std::shared_ptr<HeadlessFaults> faults_;
    OperatingSystem& os_;
    std::shared_ptr<HeadlessDevice*> self_;
};

class HeadlessDirect3D final : public Direct3D {
  public:
    explicit HeadlessDirect3D(OperatingSystem& os);
    /// The OperatingSystem's current display mode, in D3DFMT_X8R8G8B8.
    HRESULT getAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) override;
    HRESULT createDevice(std::uint32_t adapter, WindowHandle focusWindow,
                         std::uint32_t behaviorFlags, D3DPRESENT_PARAMETERS& parameters,
                         std::unique_ptr<Device>& out) override;

  private:
    OperatingSystem& os_;
    std::shared_ptr<HeadlessFaults> faults_;
};

/// Direct3DCreate9 of the headless device; never null.
std::unique_ptr<Direct3D> headlessDirect3DCreate(OperatingSystem& os);

}  // namespace velmora
