#include "overlay/OverlayRenderer.h"

#include <imgui.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

namespace velmora {
namespace {

const D3DVERTEXELEMENT9 kOverlayDeclaration[4] = {
    {0, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {1, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {2, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END,
};
constexpr std::uint32_t kPositionBytes = 8;
constexpr std::uint32_t kColorBytes = 4;
constexpr std::uint32_t kTexCoordBytes = 8;
/// Head room when the buffers grow, so a panel opening does not regrow them every pass.
constexpr std::uint32_t kVertexSlack = 5000;
constexpr std::uint32_t kIndexSlack = 10000;
/// Far beyond any overlay; keeps the byte sizes inside 32 bits.
constexpr std::uint32_t kMaxOverlayBufferBytes = 64u << 20;

/// The render and sampler states the overlay sets; each is read first and put back after.
constexpr D3DRENDERSTATETYPE kChangedRenderStates[] = {
    D3DRS_ZENABLE,  D3DRS_ZWRITEENABLE, D3DRS_FILLMODE,         D3DRS_CULLMODE,
    D3DRS_SRCBLEND, D3DRS_DESTBLEND,    D3DRS_ALPHABLENDENABLE, D3DRS_SCISSORTESTENABLE,
};
constexpr D3DSAMPLERSTATETYPE kChangedSamplerStates[] = {D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER,
                                                         D3DSAMP_MIPFILTER};
constexpr std::uint32_t kOverlayStreams = 3;

/// What the 3D frame had in force before the overlay, to be put back after it.
struct SavedDeviceState {
    void save(Device& device) {
        for (std::size_t i = 0; i < std::size(kChangedRenderStates); ++i)
            device.getRenderState(kChangedRenderStates[i], renderStates[i]);
        for (std::size_t i = 0; i < std::size(kChangedSamplerStates); ++i)
            device.getSamplerState(0, kChangedSamplerStates[i], samplerStates[i]);
        device.getTexture(0, texture);
        for (std::uint32_t s = 0; s < kOverlayStreams; ++s)
            device.getStreamSource(s, streams[s].buffer, streams[s].offset, streams[s].stride);
        device.getIndices(indices);
        device.getVertexDeclaration(declaration);
        device.getScissorRect(scissorRect);
    }
    void restore(Device& device) const {
        for (std::size_t i = 0; i < std::size(kChangedRenderStates); ++i)
            device.setRenderState(kChangedRenderStates[i], renderStates[i]);
        for (std::size_t i = 0; i < std::size(kChangedSamplerStates); ++i)
            device.setSamplerState(0, kChangedSamplerStates[i], samplerStates[i]);
        device.setTexture(0, texture);
        for (std::uint32_t s = 0; s < kOverlayStreams; ++s)
            device.setStreamSource(s, streams[s].buffer, streams[s].offset, streams[s].stride);
        device.setIndices(indices);
        device.setVertexDeclaration(declaration);
        device.setScissorRect(scissorRect);
    }

    struct Stream {
        VertexBuffer* buffer = nullptr;
        std::uint32_t offset = 0;
        std::uint32_t stride = 0;
    };
    std::array<std::uint32_t, std::size(kChangedRenderStates)> renderStates{};
    std::array<std::uint32_t, std::size(kChangedSamplerStates)> samplerStates{};
    DeviceTexture* texture = nullptr;
    std::array<Stream, kOverlayStreams> streams{};
    IndexBuffer* indices = nullptr;
    VertexDeclaration* declaration = nullptr;
    Rect scissorRect;
};

/// ImGui packs colours as 0xAABBGGRR; the device takes 0xAARRGGBB.
std::uint32_t argbOf(ImU32 abgr) {
    return (abgr & 0xFF00FF00u) | ((abgr & 0xFFu) << 16) | ((abgr >> 16) & 0xFFu);
}

/// Maps the display rectangle to clip space with y down, at depth 0.5 (row vectors).
Matrix4 pixelProjection(const ImDrawData& drawData) {
    const float left = drawData.DisplayPos.x;
    const float top = drawData.DisplayPos.y;
    const float right = left + drawData.DisplaySize.x;
    const float bottom = top + drawData.DisplaySize.y;
    Matrix4 m;
    m.m[0][0] = 2.0f / (right - left);
    m.m[1][1] = 2.0f / (top - bottom);
    m.m[2][2] = 0.0f;
    m.m[3][0] = (right + left) / (left - right);
    m.m[3][1] = (top + bottom) / (bottom - top);
    m.m[3][2] = 0.5f;
    return m;
}

/// The command's clip rectangle in back-buffer pixels, cut to the display; empty when
/// nothing of it is on screen.
Rect scissorOf(const ImDrawCmd& command, const ImDrawData& drawData) {
    const float width = drawData.DisplaySize.x;
    const float height = drawData.DisplaySize.y;
    const ImVec2 origin = drawData.DisplayPos;
    const auto pixel = [](float v, float limit) {
        return static_cast<std::int32_t>(std::clamp(v, 0.0f, limit));
    };
    Rect r;
    r.left = pixel(std::floor(command.ClipRect.x - origin.x), width);
    r.top = pixel(std::floor(command.ClipRect.y - origin.y), height);
    r.right = pixel(std::ceil(command.ClipRect.z - origin.x), width);
    r.bottom = pixel(std::ceil(command.ClipRect.w - origin.y), height);
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

}  // namespace

bool OverlayRenderer::init(Device& device, const char* effectFile, ImFontAtlas& fonts) {
    release();
    std::string errors;
    std::unique_ptr<Effect> effect;
    if (device.createEffectFromFile(effectFile, effect, errors) != D3D_OK || effect == nullptr ||
        effect->setTechnique("MyEffect") != D3D_OK) {
        return false;
    }
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    fonts.GetTexDataAsRGBA32(&pixels, &width, &height);
    std::unique_ptr<DeviceTexture> texture;
    if (pixels == nullptr || width <= 0 || height <= 0 ||
        device.createTexture(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                             1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture) != D3D_OK) {
        return false;
    }
    D3DLOCKED_RECT locked;
    if (texture->lockRect(0, locked) != D3D_OK)
        return false;
    for (int y = 0; y < height; ++y) {
        const unsigned char* from = pixels + static_cast<std::size_t>(y) * width * 4;
        auto* to =
            static_cast<std::uint8_t*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch;
        for (int x = 0; x < width; ++x, from += 4, to += 4) {
            to[0] = from[2];  // R, G, B, A -> B, G, R, A
            to[1] = from[1];
            to[2] = from[0];
            to[3] = from[3];
        }
    }
    if (texture->unlockRect(0) != D3D_OK)
        return false;
    std::unique_ptr<VertexDeclaration> declaration;
    if (device.createVertexDeclaration(kOverlayDeclaration, declaration) != D3D_OK)
        return false;

    device_ = &device;
    effect_ = std::move(effect);
    fontTexture_ = std::move(texture);
    declaration_ = std::move(declaration);
    fonts.SetTexID(static_cast<ImTextureID>(fontTexture_.get()));
    return true;
}

DeviceTexture* OverlayRenderer::setPicture(const std::uint32_t* pixels, int width, int height) {
    picture_.reset();
    std::unique_ptr<DeviceTexture> texture;
    if (device_ == nullptr || pixels == nullptr || width <= 0 || height <= 0 ||
        device_->createTexture(static_cast<std::uint32_t>(width),
                               static_cast<std::uint32_t>(height), 1, 0, D3DFMT_A8R8G8B8,
                               D3DPOOL_MANAGED, texture) != D3D_OK) {
        return nullptr;
    }
    D3DLOCKED_RECT locked;
    if (texture->lockRect(0, locked) != D3D_OK)
        return nullptr;
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        std::memcpy(static_cast<std::uint8_t*>(locked.pBits) +
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(locked.Pitch),
                    pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                    rowBytes);
    }
    if (texture->unlockRect(0) != D3D_OK)
        return nullptr;
    picture_ = std::move(texture);
    return picture_.get();
}

void OverlayRenderer::release() {
    picture_.reset();
    indices_.reset();
    texCoords_.reset();
    colors_.reset();
    positions_.reset();
    declaration_.reset();
    fontTexture_.reset();
    effect_.reset();
    device_ = nullptr;
    vertexCapacity_ = indexCapacity_ = vertexCount_ = 0;
}

bool OverlayRenderer::reserve(std::uint32_t vertices, std::uint32_t indices) {
    // Byte sizes must fit the device's 32 bits with the slack added.
    constexpr std::uint32_t kMaxVertices = kMaxOverlayBufferBytes / kTexCoordBytes - kVertexSlack;
    constexpr std::uint32_t kMaxIndices = kMaxOverlayBufferBytes / 4 - kIndexSlack;
    if (vertices > kMaxVertices || indices > kMaxIndices)
        return false;
    Device& device = *device_;
    if (vertices > vertexCapacity_) {
        positions_.reset();
        colors_.reset();
        texCoords_.reset();
        vertexCapacity_ = 0;
        const std::uint32_t capacity = vertices + kVertexSlack;
        if (device.createVertexBuffer(capacity * kPositionBytes, D3DUSAGE_WRITEONLY, 0,
                                      D3DPOOL_MANAGED, positions_) != D3D_OK ||
            device.createVertexBuffer(capacity * kColorBytes, D3DUSAGE_WRITEONLY, 0,
                                      D3DPOOL_MANAGED, colors_) != D3D_OK ||
            device.createVertexBuffer(capacity * kTexCoordBytes, D3DUSAGE_WRITEONLY, 0,
                                      D3DPOOL_MANAGED, texCoords_) != D3D_OK) {
            return false;
        }
        vertexCapacity_ = capacity;
    }
    if (indices > indexCapacity_) {
        indices_.reset();
        indexCapacity_ = 0;
        const std::uint32_t capacity = indices + kIndexSlack;
        if (device.createIndexBuffer(capacity * 4, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32,
                                     D3DPOOL_MANAGED, indices_) != D3D_OK) {
            return false;
        }
        indexCapacity_ = capacity;
    }
    return true;
}

bool OverlayRenderer::upload(const ImDrawData& drawData) {
    const auto vertices = static_cast<std::uint32_t>(drawData.TotalVtxCount);
    const auto indexCount = static_cast<std::uint32_t>(drawData.TotalIdxCount);
    if (!reserve(vertices, indexCount))
        return false;
    void* position = nullptr;
    void* color = nullptr;
    void* texCoord = nullptr;
    void* index = nullptr;
    const bool locked = positions_->lock(0, vertices * kPositionBytes, &position, 0) == D3D_OK &&
                        colors_->lock(0, vertices * kColorBytes, &color, 0) == D3D_OK &&
                        texCoords_->lock(0, vertices * kTexCoordBytes, &texCoord, 0) == D3D_OK &&
                        indices_->lock(0, indexCount * 4, &index, 0) == D3D_OK;
    if (locked) {
        auto* p = static_cast<float*>(position);
        auto* c = static_cast<std::uint32_t*>(color);
        auto* t = static_cast<float*>(texCoord);
        auto* i = static_cast<std::uint32_t*>(index);
        for (int n = 0; n < drawData.CmdListsCount; ++n) {
            const ImDrawList& list = *drawData.CmdLists[n];
            for (const ImDrawVert& v : list.VtxBuffer) {
                *p++ = v.pos.x;
                *p++ = v.pos.y;
                *c++ = argbOf(v.col);
                *t++ = v.uv.x;
                *t++ = v.uv.y;
            }
            i = std::copy(list.IdxBuffer.begin(), list.IdxBuffer.end(), i);
        }
    }
    // Whatever was locked is unlocked; a failed lock leaves the others' unlock refused.
    bool unlocked = positions_->unlock() == D3D_OK;
    unlocked = colors_->unlock() == D3D_OK && unlocked;
    unlocked = texCoords_->unlock() == D3D_OK && unlocked;
    unlocked = indices_->unlock() == D3D_OK && unlocked;
    vertexCount_ = locked && unlocked ? vertices : 0;
    return locked && unlocked;
}

void OverlayRenderer::render(const ImDrawData& drawData) {
    if (device_ == nullptr || !drawData.Valid || drawData.TotalIdxCount <= 0 ||
        drawData.DisplaySize.x <= 0.0f || drawData.DisplaySize.y <= 0.0f) {
        return;
    }
    if (!upload(drawData))
        return;
    Device& device = *device_;
    SavedDeviceState saved;
    saved.save(device);

    device.setRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device.setRenderState(D3DRS_ZWRITEENABLE, 0);
    device.setRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device.setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device.setRenderState(D3DRS_SCISSORTESTENABLE, 1);
    device.setSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device.setVertexDeclaration(declaration_.get());
    device.setStreamSource(0, positions_.get(), 0, kPositionBytes);
    device.setStreamSource(1, colors_.get(), 0, kColorBytes);
    device.setStreamSource(2, texCoords_.get(), 0, kTexCoordBytes);
    device.setIndices(indices_.get());
    effect_->setMatrix("wvp", pixelProjection(drawData));

    drawLists(drawData);
    saved.restore(device);
}

void OverlayRenderer::drawLists(const ImDrawData& drawData) {
    Device& device = *device_;
    std::uint32_t passCount = 0;
    if (effect_->begin(&passCount, D3DXFX_DONOTSAVESTATE) != D3D_OK)
        return;
    for (std::uint32_t pass = 0; pass < passCount; ++pass) {
        // The texture is an effect parameter, which takes effect at beginPass.
        bool inPass = false;
        DeviceTexture* passTexture = nullptr;
        std::int32_t listVertexStart = 0;
        std::uint32_t listIndexStart = 0;
        for (int n = 0; n < drawData.CmdListsCount; ++n) {
            const ImDrawList& list = *drawData.CmdLists[n];
            for (const ImDrawCmd& command : list.CmdBuffer) {
                const Rect clip = scissorOf(command, drawData);
                if (command.UserCallback != nullptr || command.ElemCount == 0 ||
                    clip.width() == 0 || clip.height() == 0) {
                    continue;
                }
                auto* texture = static_cast<DeviceTexture*>(command.GetTexID());
                if (!inPass || texture != passTexture) {
                    if (inPass)
                        effect_->endPass();
                    // A picture is drawn texel for pixel: no blending, no filtering.
                    const bool picture = texture != nullptr && texture == picture_.get();
                    device.setRenderState(D3DRS_ALPHABLENDENABLE, picture ? 0 : 1);
                    for (const D3DSAMPLERSTATETYPE filter : {D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER})
                        device.setSamplerState(0, filter, picture ? D3DTEXF_POINT : D3DTEXF_LINEAR);
                    effect_->setTexture("tex0", texture);
                    inPass = effect_->beginPass(pass) == D3D_OK;
                    passTexture = texture;
                    if (!inPass)
                        break;
                }
                device.setScissorRect(clip);
                device.drawIndexedPrimitive(
                    D3DPT_TRIANGLELIST,
                    listVertexStart + static_cast<std::int32_t>(command.VtxOffset), 0,
                    static_cast<std::uint32_t>(list.VtxBuffer.Size),
                    listIndexStart + command.IdxOffset, command.ElemCount / 3);
            }
            listVertexStart += list.VtxBuffer.Size;
            listIndexStart += static_cast<std::uint32_t>(list.IdxBuffer.Size);
        }
        if (inPass)
            effect_->endPass();
    }
    effect_->end();
}

}  // namespace velmora
