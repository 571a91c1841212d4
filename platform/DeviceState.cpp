#include "platform/DeviceState.h"

#include <algorithm>

#include "platform/EffectFile.h"

namespace velmora {

std::uint64_t primitiveIndexCount(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount) {
    const std::uint64_t n = primitiveCount;
    switch (type) {
        case D3DPT_POINTLIST:
            return n;
        case D3DPT_LINELIST:
            return 2 * n;
        case D3DPT_LINESTRIP:
            return n == 0 ? 0 : n + 1;
        case D3DPT_TRIANGLELIST:
            return 3 * n;
        case D3DPT_TRIANGLESTRIP:
            return n == 0 ? 0 : n + 2;
    }
    return 0;
}

std::uint32_t declTypeSize(std::uint8_t type) {
    switch (type) {
        case D3DDECLTYPE_FLOAT1:
        case D3DDECLTYPE_D3DCOLOR:
        case D3DDECLTYPE_UBYTE4:
            return 4;
        case D3DDECLTYPE_FLOAT2:
            return 8;
        case D3DDECLTYPE_FLOAT3:
            return 12;
        case D3DDECLTYPE_FLOAT4:
            return 16;
        default:
            return 0;
    }
}

HRESULT adapterDisplayMode(OperatingSystem& os, std::uint32_t adapter, D3DDISPLAYMODE& mode) {
    if (adapter != D3DADAPTER_DEFAULT)
        return D3DERR_INVALIDCALL;
    const DisplayMode current = os.currentDisplayMode();
    mode.Width = static_cast<std::uint32_t>(std::max(current.width, 0));
    mode.Height = static_cast<std::uint32_t>(std::max(current.height, 0));
    mode.RefreshRate = static_cast<std::uint32_t>(std::max(current.refreshRate, 0));
    mode.Format = D3DFMT_X8R8G8B8;
    return D3D_OK;
}

HRESULT ManagedBytes::lock(std::uint32_t offset, std::uint32_t size, void** data) {
    if (data == nullptr || locked)
        return D3DERR_INVALIDCALL;
    if (offset == 0 && size == 0)
        size = static_cast<std::uint32_t>(bytes.size());
    if (std::uint64_t{offset} + size > bytes.size())
        return D3DERR_INVALIDCALL;
    locked = true;
    lockOffset = offset;
    lockSize = size;
    *data = bytes.data() + offset;
    return D3D_OK;
}

HRESULT ManagedBytes::unlock(std::uint32_t& offset, std::uint32_t& size) {
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    offset = lockOffset;
    size = lockSize;
    return D3D_OK;
}

std::uint32_t ManagedTexels::fullChainLength(std::uint32_t width, std::uint32_t height) {
    std::uint32_t count = 1;
    for (std::uint32_t side = std::max(width, height); side > 1; side >>= 1)
        ++count;
    return count;
}

HRESULT ManagedTexels::create(std::uint32_t width, std::uint32_t height, std::uint32_t levelCount,
                              D3DFORMAT textureFormat) {
    if (width == 0 || height == 0 || width > kMaxDeviceTextureSize ||
        height > kMaxDeviceTextureSize) {
        return D3DERR_INVALIDCALL;
    }
    if (textureFormat != D3DFMT_R8G8B8 && textureFormat != D3DFMT_A8R8G8B8 &&
        textureFormat != D3DFMT_X8R8G8B8) {
        return D3DERR_INVALIDCALL;
    }
    const std::uint32_t chain = fullChainLength(width, height);
    const std::uint32_t count = levelCount == 0 ? chain : std::min(levelCount, chain);
    format = textureFormat;
    levels.assign(count, {});
    for (std::uint32_t i = 0; i < count; ++i) {
        Level& level = levels[i];
        level.width = std::max(1u, width >> i);
        level.height = std::max(1u, height >> i);
        level.texels.assign(std::size_t{level.width} * level.height * 4, 0);
    }
    return D3D_OK;
}

HRESULT ManagedTexels::lockRect(std::uint32_t level, D3DLOCKED_RECT& locked) {
    if (level >= levels.size() || levels[level].locked)
        return D3DERR_INVALIDCALL;
    levels[level].locked = true;
    locked.Pitch = static_cast<std::int32_t>(levels[level].width * 4);
    locked.pBits = levels[level].texels.data();
    return D3D_OK;
}

HRESULT ManagedTexels::unlockRect(std::uint32_t level) {
    if (level >= levels.size() || !levels[level].locked)
        return D3DERR_INVALIDCALL;
    levels[level].locked = false;
    return D3D_OK;
}

HRESULT checkDrawReads(std::span<const StreamRead> streams, const ManagedBytes& indices,
                       D3DPRIMITIVETYPE type, std::int32_t baseVertex, std::uint32_t startIndex,
                       std::uint32_t primitiveCount) {
    const std::uint64_t count = primitiveIndexCount(type, primitiveCount);
    if (count == 0)
        return primitiveCount == 0 ? D3D_OK : D3DERR_INVALIDCALL;
    const std::uint64_t available = indices.bytes.size() / 4;
    if (startIndex + count > available)
        return D3DERR_INVALIDCALL;
    std::int64_t highest = -1;
    const std::uint8_t* data = indices.bytes.data();
    for (std::uint64_t i = startIndex; i < startIndex + count; ++i) {
        std::uint32_t index = 0;
        std::copy_n(data + i * 4, 4, reinterpret_cast<std::uint8_t*>(&index));
        const std::int64_t vertex = std::int64_t{index} + baseVertex;
        if (vertex < 0)
            return D3DERR_INVALIDCALL;
        highest = std::max(highest, vertex);
    }
    for (const StreamRead& read : streams) {
        if (read.bytes == nullptr)
            continue;
        const std::uint64_t end = std::uint64_t{read.source->offset} + read.element->offset +
                                  declTypeSize(read.element->type) +
                                  static_cast<std::uint64_t>(highest) * read.source->stride;
        if (end > read.bytes->bytes.size())
            return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT copyDeclaration(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>& out) {
    if (elements == nullptr)
        return D3DERR_INVALIDCALL;
    std::vector<D3DVERTEXELEMENT9> copy;
    std::uint32_t seen = 0;  // one bit per attribute location
    for (int i = 0; i < 65; ++i) {
        const D3DVERTEXELEMENT9& e = elements[i];
        if (e.stream == 0xFF) {
            out = std::move(copy);
            return D3D_OK;
        }
        const int location = semanticLocation(e.usage, e.usageIndex);
        if (e.stream >= kDeviceStreams || declTypeSize(e.type) == 0 || location < 0 ||
            e.method != D3DDECLMETHOD_DEFAULT || (seen & (1u << location)) != 0) {
            return D3DERR_INVALIDCALL;
        }
        seen |= 1u << location;
        copy.push_back(e);
    }
    return D3DERR_INVALIDCALL;  // no end marker within 64 elements
}

void DeviceState::restoreDefaults(bool autoDepthStencil, const Rect& backBuffer) {
    renderStates = {
        {D3DRS_ZENABLE, autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_ZWRITEENABLE, 1},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ALPHABLENDENABLE, 0},
        {D3DRS_LIGHTING, 1},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_POINTSPRITEENABLE, 0},
        {D3DRS_POINTSCALEENABLE, 0},
        {D3DRS_SCISSORTESTENABLE, 0},
    };
    for (auto& sampler : samplerStates) {
        sampler.fill(0);
        sampler[1] = sampler[2] = sampler[3] = 1;  // address modes: wrap
        sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        sampler[10] = 1;  // max anisotropy
    }
    for (std::uint32_t stage = 0; stage < kDeviceTextureStages; ++stage) {
        auto& s = stageStates[stage];
        s.fill(0);
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    }
    textures.fill(nullptr);
    streams.fill({});
    indices = nullptr;
    declaration = nullptr;
    world = view = projection = Matrix4{};
    scissorRect = backBuffer;
}

std::uint32_t DeviceState::renderState(D3DRENDERSTATETYPE type) const {
    const auto it = renderStates.find(type);
    return it == renderStates.end() ? 0 : it->second;
}

HRESULT DeviceState::setSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type,
                                     std::uint32_t value) {
    if (sampler >= kDeviceTextureStages || type == 0 || type >= 14)
        return D3DERR_INVALIDCALL;
    samplerStates[sampler][type] = value;
    return D3D_OK;
}

std::uint32_t DeviceState::samplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type) const {
    if (sampler >= kDeviceTextureStages || type >= 14)
        return 0;
    return samplerStates[sampler][type];
}

HRESULT DeviceState::setTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                          std::uint32_t value) {
    if (stage >= kDeviceTextureStages || type == 0 || type >= 7)
        return D3DERR_INVALIDCALL;
    stageStates[stage][type] = value;
    return D3D_OK;
}

std::uint32_t DeviceState::textureStageState(std::uint32_t stage,
                                             D3DTEXTURESTAGESTATETYPE type) const {
    if (stage >= kDeviceTextureStages || type >= 7)
        return 0;
    return stageStates[stage][type];
}

HRESULT DeviceState::setTransform(D3DTRANSFORMSTATETYPE type, const Matrix4& matrix) {
    switch (type) {
        case D3DTS_WORLD:
            world = matrix;
            return D3D_OK;
        case D3DTS_VIEW:
            view = matrix;
            return D3D_OK;
        case D3DTS_PROJECTION:
            projection = matrix;
            return D3D_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT DeviceState::setScissorRect(const Rect& rect) {
    if (rect.left < 0 || rect.top < 0 || rect.right < rect.left || rect.bottom < rect.top)
        return D3DERR_INVALIDCALL;
    scissorRect = rect;
    return D3D_OK;
}

HRESULT DeviceState::getSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type,
                                     std::uint32_t& value) const {
    if (sampler >= kDeviceTextureStages || type == 0 || type >= 14)
        return D3DERR_INVALIDCALL;
    value = samplerStates[sampler][type];
    return D3D_OK;
}

HRESULT DeviceState::getTexture(std::uint32_t stage, DeviceTexture*& texture) const {
    if (stage >= kDeviceTextureStages)
        return D3DERR_INVALIDCALL;
    texture = textures[stage];
    return D3D_OK;
}

HRESULT DeviceState::getStreamSource(std::uint32_t stream, VertexBuffer*& buffer,
                                     std::uint32_t& offset, std::uint32_t& stride) const {
    if (stream >= kDeviceStreams)
        return D3DERR_INVALIDCALL;
    buffer = streams[stream].buffer;
    offset = streams[stream].offset;
    stride = streams[stream].stride;
    return D3D_OK;
}

void DeviceState::unbind(const VertexBuffer* buffer) {
    for (auto& stream : streams) {
        if (stream.buffer == buffer)
            stream = {};
    }
}

void DeviceState::unbind(const IndexBuffer* buffer) {
    if (indices == buffer)
        indices = nullptr;
}

void DeviceState::unbind(const VertexDeclaration* vertexDeclaration) {
    if (declaration == vertexDeclaration)
        declaration = nullptr;
}

void DeviceState::unbind(const DeviceTexture* texture) {
    for (auto& bound : textures) {
        if (bound == texture)
            bound = nullptr;
    }
}

}  // namespace velmora
