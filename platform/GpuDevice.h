#pragma once
// The GPU seam: the subset of Direct3D 9 and D3DX 9 the system calls, under their own names
// and with their own numeric values, as one interface. Two implementations: the OpenGL 3.3
// core device (the real one) and the headless device (keeps every state, buffer and
// texture, logs draws, needs no GL context). Nothing outside platform/ sees GL.
//
// Objects are owned through std::unique_ptr where Direct3D would hand out a reference
// count of one; an object must not outlive the device that made it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/Matrix4.h"
#include "platform/OperatingSystem.h"

namespace velmora {

/// Direct3D's result code: 0 is D3D_OK, negative values are failures.
using HRESULT = std::int32_t;
inline constexpr HRESULT D3D_OK = 0;
inline constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
inline constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline bool succeeded(HRESULT hr) {
    return hr >= 0;
}

enum D3DFORMAT : std::uint32_t {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_R8G8B8 = 20,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_D24S8 = 75,
    D3DFMT_INDEX32 = 102,
};
enum D3DPOOL : std::uint32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1 };
enum : std::uint32_t { D3DUSAGE_WRITEONLY = 0x00000008 };

enum D3DRENDERSTATETYPE : std::uint32_t {
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_LIGHTING = 137,
    D3DRS_DIFFUSEMATERIALSOURCE = 145,
    D3DRS_POINTSPRITEENABLE = 156,
    D3DRS_POINTSCALEENABLE = 157,
    D3DRS_SCISSORTESTENABLE = 174,
};
enum : std::uint32_t { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };
enum D3DFILLMODE : std::uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DCULL : std::uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DBLEND : std::uint32_t {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
};
enum : std::uint32_t { D3DMCS_MATERIAL = 0, D3DMCS_COLOR1 = 1, D3DMCS_COLOR2 = 2 };

enum D3DSAMPLERSTATETYPE : std::uint32_t {
    D3DSAMP_MAGFILTER = 5,
    D3DSAMP_MINFILTER = 6,
    D3DSAMP_MIPFILTER = 7,
};
enum D3DTEXTUREFILTERTYPE : std::uint32_t {
    D3DTEXF_NONE = 0,
    D3DTEXF_POINT = 1,
    D3DTEXF_LINEAR = 2,
};

enum D3DTEXTURESTAGESTATETYPE : std::uint32_t {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
};
enum D3DTEXTUREOP : std::uint32_t {
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1 = 2,
    D3DTOP_SELECTARG2 = 3,
    D3DTOP_MODULATE = 4,
};
enum : std::uint32_t { D3DTA_DIFFUSE = 0, D3DTA_CURRENT = 1, D3DTA_TEXTURE = 2 };

enum D3DTRANSFORMSTATETYPE : std::uint32_t {
    D3DTS_VIEW = 2,
    D3DTS_PROJECTION = 3,
    D3DTS_WORLD = 256,
};

enum D3DPRIMITIVETYPE : std::uint32_t {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
};

enum : std::uint32_t { D3DCLEAR_TARGET = 0x1, D3DCLEAR_ZBUFFER = 0x2 };

/// Vertex declaration element (D3DVERTEXELEMENT9).
struct D3DVERTEXELEMENT9 {
    std::uint16_t stream;
    std::uint16_t offset;
    std::uint8_t type;
    std::uint8_t method;
    std::uint8_t usage;
    std::uint8_t usageIndex;
};
enum D3DDECLTYPE : std::uint8_t {
    D3DDECLTYPE_FLOAT1 = 0,
    D3DDECLTYPE_FLOAT2 = 1,
    D3DDECLTYPE_FLOAT3 = 2,
    D3DDECLTYPE_FLOAT4 = 3,
    D3DDECLTYPE_D3DCOLOR = 4,
    D3DDECLTYPE_UBYTE4 = 5,
    D3DDECLTYPE_UNUSED = 17,
};
enum : std::uint8_t { D3DDECLMETHOD_DEFAULT = 0 };
enum D3DDECLUSAGE : std::uint8_t {
    D3DDECLUSAGE_POSITION = 0,
    D3DDECLUSAGE_BLENDWEIGHT = 1,
    D3DDECLUSAGE_BLENDINDICES = 2,
    D3DDECLUSAGE_NORMAL = 3,
    D3DDECLUSAGE_TEXCOORD = 5,
    D3DDECLUSAGE_TANGENT = 6,
    D3DDECLUSAGE_COLOR = 10,
};
/// Closes a declaration.
inline constexpr D3DVERTEXELEMENT9 D3DDECL_END = {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0};

enum D3DSWAPEFFECT : std::uint32_t { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_FLIP = 2 };
enum : std::uint32_t {
    D3DPRESENT_INTERVAL_DEFAULT = 0,
    D3DPRESENT_INTERVAL_ONE = 1,
    D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u,
};
enum : std::uint32_t { D3DADAPTER_DEFAULT = 0 };
enum : std::uint32_t { D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40 };
enum : std::uint32_t { D3DXFX_DONOTSAVESTATE = 1 };

/// D3DPRESENT_PARAMETERS, the members the system fills.
struct D3DPRESENT_PARAMETERS {
    std::uint32_t BackBufferWidth = 0;
    std::uint32_t BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
    std::uint32_t BackBufferCount = 0;
    D3DSWAPEFFECT SwapEffect = static_cast<D3DSWAPEFFECT>(0);
    WindowHandle hDeviceWindow = nullptr;
    bool Windowed = false;
    bool EnableAutoDepthStencil = false;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    std::uint32_t FullScreen_RefreshRateInHz = 0;
    std::uint32_t PresentationInterval = 0;
};

struct D3DDISPLAYMODE {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint32_t RefreshRate = 0;
    D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct D3DLOCKED_RECT {
    std::int32_t Pitch = 0;  ///< bytes from one row to the next
    void* pBits = nullptr;
};

/// D3DVIEWPORT9.
struct D3DVIEWPORT9 {
    std::uint32_t X = 0;
    std::uint32_t Y = 0;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    float MinZ = 0.0f;
    float MaxZ = 1.0f;
};

class VertexBuffer {
  public:
    virtual ~VertexBuffer() = default;
    /// Lock(offset, size, out, flags); offset 0 and size 0 lock the whole buffer.
    virtual HRESULT lock(std::uint32_t offset, std::uint32_t size, void** data,
                         std::uint32_t flags) = 0;
    virtual HRESULT unlock() = 0;
};

class IndexBuffer {
  public:
    virtual ~IndexBuffer() = default;
    virtual HRESULT lock(std::uint32_t offset, std::uint32_t size, void** data,
                         std::uint32_t flags) = 0;
    virtual HRESULT unlock() = 0;
};

class VertexDeclaration {
  public:
    virtual ~VertexDeclaration() = default;
};

/// IDirect3DTexture9: a 2D texture with a chain of levels, level 0 the largest.
class DeviceTexture {
  public:
    virtual ~DeviceTexture() = default;
    virtual std::uint32_t levelCount() const = 0;
    /// Locks a whole level, no flags.
    virtual HRESULT lockRect(std::uint32_t level, D3DLOCKED_RECT& locked) = 0;
    virtual HRESULT unlockRect(std::uint32_t level) = 0;
};

/// ID3DXEffect: techniques of passes; parameters by name. A name the effect lacks is
/// ignored by the setters.
class Effect {
  public:
    virtual ~Effect() = default;
    virtual HRESULT setMatrix(const char* name, const Matrix4& value) = 0;
    virtual HRESULT setTexture(const char* name, DeviceTexture* texture) = 0;
    virtual HRESULT setTechnique(const char* name) = 0;
    virtual HRESULT begin(std::uint32_t* passCount, std::uint32_t flags) = 0;
    virtual HRESULT beginPass(std::uint32_t pass) = 0;
    virtual HRESULT endPass() = 0;
    virtual HRESULT end() = 0;
};

/// IDirect3DDevice9 with the D3DX creation calls that take a device.
class Device {
  public:
    virtual ~Device() = default;

    virtual HRESULT createVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                                       D3DPOOL pool, std::unique_ptr<VertexBuffer>& out) = 0;
    virtual HRESULT createIndexBuffer(std::uint32_t length, std::uint32_t usage, D3DFORMAT format,
                                      D3DPOOL pool, std::unique_ptr<IndexBuffer>& out) = 0;
    /// Elements up to and including D3DDECL_END.
    virtual HRESULT createVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                            std::unique_ptr<VertexDeclaration>& out) = 0;
    /// D3DXCreateTexture: levels 0 asks for the whole chain down to 1 x 1.
    virtual HRESULT createTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                  std::uint32_t usage, D3DFORMAT format, D3DPOOL pool,
                                  std::unique_ptr<DeviceTexture>& out) = 0;
    /// D3DXCreateEffectFromFileA without macros, include handler, flags or pool. On
    /// failure errors receives the compiler's text, or stays empty when there is none.
    virtual HRESULT createEffectFromFile(const char* fileName, std::unique_ptr<Effect>& out,
                                         std::string& errors) = 0;

    virtual HRESULT setVertexDeclaration(VertexDeclaration* declaration) = 0;
    virtual HRESULT setStreamSource(std::uint32_t stream, VertexBuffer* buffer,
                                    std::uint32_t offset, std::uint32_t stride) = 0;
    virtual HRESULT setIndices(IndexBuffer* indices) = 0;
    virtual HRESULT setRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) = 0;
    virtual HRESULT setSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type,
                                    std::uint32_t value) = 0;
    virtual HRESULT setTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                         std::uint32_t value) = 0;
    virtual HRESULT setTexture(std::uint32_t stage, DeviceTexture* texture) = 0;
    virtual HRESULT setTransform(D3DTRANSFORMSTATETYPE state, const Matrix4& matrix) = 0;
    /// SetScissorRect: back-buffer pixels, right and bottom exclusive; draws are clipped to it
    /// while D3DRS_SCISSORTESTENABLE is on. A reset makes it the whole back buffer. A negative
    /// corner or a right or bottom edge before its left or top is D3DERR_INVALIDCALL.
    virtual HRESULT setScissorRect(const Rect& rect) = 0;

    // What was set, as the Get* calls of Direct3D report it (for code that must put back the
    // states it changes). Indices outside the device's ranges are D3DERR_INVALIDCALL.
    virtual HRESULT getRenderState(D3DRENDERSTATETYPE state, std::uint32_t& value) = 0;
    virtual HRESULT getSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type,
                                    std::uint32_t& value) = 0;
    virtual HRESULT getTexture(std::uint32_t stage, DeviceTexture*& texture) = 0;
    virtual HRESULT getStreamSource(std::uint32_t stream, VertexBuffer*& buffer,
                                    std::uint32_t& offset, std::uint32_t& stride) = 0;
    virtual HRESULT getIndices(IndexBuffer*& indices) = 0;
    virtual HRESULT getVertexDeclaration(VertexDeclaration*& declaration) = 0;
    virtual HRESULT getScissorRect(Rect& rect) = 0;

    /// Clear(no rectangles, flags, 0xAARRGGBB colour, depth, stencil).
    virtual HRESULT clear(std::uint32_t flags, std::uint32_t color, float z,
                          std::uint32_t stencil) = 0;
    virtual HRESULT beginScene() = 0;
    virtual HRESULT endScene() = 0;
    virtual HRESULT present() = 0;
    /// Resizes the back buffer and restores the device's default states.
    virtual HRESULT reset(D3DPRESENT_PARAMETERS& parameters) = 0;
    virtual HRESULT drawIndexedPrimitive(D3DPRIMITIVETYPE type, std::int32_t baseVertexIndex,
                                         std::uint32_t minVertexIndex, std::uint32_t numVertices,
                                         std::uint32_t startIndex,
                                         std::uint32_t primitiveCount) = 0;
    /// The last frame presented, rows top to bottom, pixels 0xAARRGGBB (screenshots and
    /// pixel tests). D3DERR_NOTAVAILABLE where the device keeps no pixels.
    virtual HRESULT getFrontBufferData(std::vector<std::uint32_t>& pixels, std::uint32_t& width,
                                       std::uint32_t& height) = 0;
};

/// IDirect3D9: the adapter and the device factory.
class Direct3D {
  public:
    virtual ~Direct3D() = default;
    virtual HRESULT getAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) = 0;
    virtual HRESULT createDevice(std::uint32_t adapter, WindowHandle focusWindow,
                                 std::uint32_t behaviorFlags, D3DPRESENT_PARAMETERS& parameters,
                                 std::unique_ptr<Device>& out) = 0;
};

/// Direct3DCreate9 of one implementation; null when it cannot be made.
using Direct3DCreateFn = std::unique_ptr<Direct3D> (*)(OperatingSystem& os);

/// D3DXVec3Unproject: a screen point with depth back to world space through
/// world * view * projection and the viewport.
Vec3 d3dxVec3Unproject(const Vec3& screen, const D3DVIEWPORT9& viewport, const Matrix4& projection,
                       const Matrix4& view, const Matrix4& world);

}  // namespace velmora
