#pragma once
// What a Direct3D device keeps, without any drawing: render, sampler and texture-stage states
// with their Direct3D defaults, the bound streams, indices, declaration and textures, the
// transforms, and the system-memory copies of managed-pool buffers and textures with their
// lock rules. The headless device is this state plus a log; the OpenGL device keeps the same
// record of what it set and mirrors it into GL. Standard library only.
#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "platform/GpuDevice.h"

namespace velmora {

/// Streams, texture stages and samplers a device accepts (the system uses 9 and 8).
inline constexpr std::uint32_t kDeviceStreams = 16;
inline constexpr std::uint32_t kDeviceTextureStages = 8;
/// Largest buffer and texture side a device makes; larger requests fail with
/// D3DERR_INVALIDCALL instead of allocating without bound.
inline constexpr std::uint32_t kMaxDeviceBufferBytes = 256u << 20;
inline constexpr std::uint32_t kMaxDeviceTextureSize = 8192;

/// Indices that primitiveCount primitives of the type read; 0 for an unknown type.
std::uint64_t primitiveIndexCount(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount);
/// Bytes of one declaration element of the type; 0 for a type the devices do not take.
std::uint32_t declTypeSize(std::uint8_t type);
/// The adapter's display mode as both devices report it: the operating system's current
/// mode of the primary display, in D3DFMT_X8R8G8B8. Only D3DADAPTER_DEFAULT exists.
HRESULT adapterDisplayMode(OperatingSystem& os, std::uint32_t adapter, D3DDISPLAYMODE& mode);

/// The system-memory copy of a vertex or index buffer. lock hands out the copy; unlock
/// reports the range that was locked so the owner can upload it.
class ManagedBytes {
  public:
    explicit ManagedBytes(std::uint32_t length) : bytes(length) {}
    /// Offset 0 and size 0 lock everything; a range past the end or a second lock fails.
    HRESULT lock(std::uint32_t offset, std::uint32_t size, void** data);
    /// Fails when not locked.
    HRESULT unlock(std::uint32_t& offset, std::uint32_t& size);

    std::vector<std::uint8_t> bytes;
    bool locked = false;
    std::uint32_t lockOffset = 0;
    std::uint32_t lockSize = 0;
};

/// The levels of a managed texture, 4 bytes per texel (B, G, R, A; three-byte formats leave
/// the fourth byte unused), rows packed with pitch width x 4.
class ManagedTexels {
  public:
    struct Level {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        std::vector<std::uint8_t> texels;
        bool locked = false;
    };
    /// Number of levels from width x height down to 1 x 1.
    static std::uint32_t fullChainLength(std::uint32_t width, std::uint32_t height);
    /// Checks a D3DXCreateTexture request and makes the levels (0 asks for the whole chain,
    /// more than the chain is clamped). D3DERR_INVALIDCALL for a zero or oversize side or a
    /// format other than R8G8B8, A8R8G8B8 and X8R8G8B8.
    HRESULT create(std::uint32_t width, std::uint32_t height, std::uint32_t levelCount,
                   D3DFORMAT textureFormat);
    HRESULT lockRect(std::uint32_t level, D3DLOCKED_RECT& locked);
    HRESULT unlockRect(std::uint32_t level);

    D3DFORMAT format = D3DFMT_UNKNOWN;
    std::vector<Level> levels;
};

struct StreamSource {
    VertexBuffer* buffer = nullptr;
    std::uint32_t offset = 0;  ///< bytes
    std::uint32_t stride = 0;  ///< bytes
    bool operator==(const StreamSource&) const = default;
};

/// Elements a declaration can hold: one per vertex input location (0..8).
inline constexpr std::size_t kMaxDeclarationElements = 9;

/// One element of a declaration with the byte copy of the buffer bound to its stream.
struct StreamRead {
    const D3DVERTEXELEMENT9* element = nullptr;
    const StreamSource* source = nullptr;
    const ManagedBytes* bytes = nullptr;  ///< null when the stream has no buffer
};

/// D3D_OK when the draw reads only inside its index copy and, through every index plus
/// baseVertex, only inside the bound streams; D3DERR_INVALIDCALL otherwise. An unbound
/// stream reads nothing.
HRESULT checkDrawReads(std::span<const StreamRead> streams, const ManagedBytes& indices,
                       D3DPRIMITIVETYPE type, std::int32_t baseVertex, std::uint32_t startIndex,
                       std::uint32_t primitiveCount);

/// Checks a declaration (elements up to D3DDECL_END, at most 64) and copies it without the
/// end marker, so at most kMaxDeclarationElements remain. Streams past kDeviceStreams, unknown
/// types and semantics outside the nine vertex input names fail.
HRESULT copyDeclaration(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>& out);

/// Render, sampler and texture-stage states, bindings, transforms and the scissor rectangle of
/// a device.
class DeviceState {
  public:
    DeviceState() { restoreDefaults(true); }
    /// The state of a new or reset device: Direct3D's documented defaults, nothing bound, the
    /// scissor rectangle the whole back buffer.
    void restoreDefaults(bool autoDepthStencil, const Rect& backBuffer = {});
    bool operator==(const DeviceState&) const = default;

    std::uint32_t renderState(D3DRENDERSTATETYPE type) const;
    HRESULT setSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type, std::uint32_t value);
    std::uint32_t samplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type) const;
    HRESULT setTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                 std::uint32_t value);
    std::uint32_t textureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE type) const;
    HRESULT setTransform(D3DTRANSFORMSTATETYPE type, const Matrix4& matrix);
    /// D3DERR_INVALIDCALL for a negative corner or an edge before its opposite one.
    HRESULT setScissorRect(const Rect& rect);
    // The Get* calls of the seam, answered from what was set.
    HRESULT getSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type,
                            std::uint32_t& value) const;
    HRESULT getTexture(std::uint32_t stage, DeviceTexture*& texture) const;
    HRESULT getStreamSource(std::uint32_t stream, VertexBuffer*& buffer, std::uint32_t& offset,
                            std::uint32_t& stride) const;
    /// Drops every binding of an object that is being destroyed, so no stale pointer stays
    /// bound (Direct3D's reference counts keep bound objects alive instead).
    void unbind(const VertexBuffer* buffer);
    void unbind(const IndexBuffer* buffer);
    void unbind(const VertexDeclaration* declaration);
    void unbind(const DeviceTexture* texture);

    std::map<std::uint32_t, std::uint32_t> renderStates;  ///< every state ever set
    std::array<std::array<std::uint32_t, 14>, kDeviceTextureStages> samplerStates{};
    std::array<std::array<std::uint32_t, 7>, kDeviceTextureStages> stageStates{};
    std::array<DeviceTexture*, kDeviceTextureStages> textures{};
    std::array<StreamSource, kDeviceStreams> streams{};
    IndexBuffer* indices = nullptr;
    VertexDeclaration* declaration = nullptr;
    Matrix4 world;
    Matrix4 view;
    Matrix4 projection;
    Rect scissorRect;  ///< back-buffer pixels
};

/// A device that keeps every state it is given in a DeviceState (also what has no GL
/// meaning); the Get calls read them back, alike on both devices.
class StateKeepingDevice : public Device {
  public:
    HRESULT getRenderState(D3DRENDERSTATETYPE type, std::uint32_t& value) override {
        value = state.renderState(type);
        return D3D_OK;
    }
    HRESULT getSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type,
                            std::uint32_t& value) override {
        return state.getSamplerState(sampler, type, value);
    }
    HRESULT getTexture(std::uint32_t stage, DeviceTexture*& texture) override {
        return state.getTexture(stage, texture);
    }
    HRESULT getStreamSource(std::uint32_t stream, VertexBuffer*& buffer, std::uint32_t& offset,
                            std::uint32_t& stride) override {
        return state.getStreamSource(stream, buffer, offset, stride);
    }
    HRESULT getIndices(IndexBuffer*& indices) override {
        indices = state.indices;
        return D3D_OK;
    }
    HRESULT getVertexDeclaration(VertexDeclaration*& declaration) override {
        declaration = state.declaration;
        return D3D_OK;
    }
    HRESULT getScissorRect(Rect& rect) override {
        rect = state.scissorRect;
        return D3D_OK;
    }

    DeviceState state;
};

}  // namespace velmora
