#pragma once
// Draws Dear ImGui's draw lists through the GPU seam, so the OpenGL device shows them and the
// recording device records them. The font atlas becomes a DeviceTexture; each frame's
// vertices are split into three streams (position, colour, texture coordinate) of dynamic
// buffers that grow only when a frame needs more, with 32-bit indices; every command is one
// indexed draw of the effect's "MyEffect" (texture x vertex colour) with alpha blending and
// bilinear filtering (neither for the opaque picture of setPicture, drawn texel for pixel), no
// depth test, no culling, solid fill, an orthographic projection in pixels and the command's
// clip rectangle as the scissor. Every device state it changes is read before and put back
// after, so the 3D frame drawn next sees the device as it left it.
// Uses the ImGui core API only (no backend); callbacks in draw lists are not supported.
#include <cstdint>
#include <memory>

#include "platform/GpuDevice.h"

struct ImDrawData;
struct ImFontAtlas;

namespace velmora {

class OverlayRenderer {
  public:
    /// Loads its own instance of the effect file (its parameters never touch the 3D effect's)
    /// and uploads the atlas's pixels as a texture whose address becomes the atlas's texture
    /// id. False, with nothing kept, when either fails. The device must outlive this object's
    /// use of it (release() first); the objects are in the managed pool and survive a reset.
    bool init(Device& device, const char* effectFile, ImFontAtlas& fonts);
    /// Drops every device object; render then draws nothing until the next init.
    void release();
    bool ready() const { return device_ != nullptr; }

    /// Uploads a picture (0xAARRGGBB, rows top down) as the overlay's one picture, replacing
    /// the one before; returns its texture, whose address draw lists use as the texture id,
    /// or null when it cannot be made. Pictures are opaque: commands that draw one are drawn
    /// without blending.
    DeviceTexture* setPicture(const std::uint32_t* pixels, int width, int height);

    /// Draws the lists inside the caller's scene (between beginScene and endScene).
    void render(const ImDrawData& drawData);

    /// What the last render put in the vertex streams (for tests): vertices in use.
    std::uint32_t vertexCount() const { return vertexCount_; }
    VertexBuffer* positionStream() const { return positions_.get(); }  ///< (x, y) floats
    VertexBuffer* colorStream() const { return colors_.get(); }        ///< 0xAARRGGBB
    VertexBuffer* texCoordStream() const { return texCoords_.get(); }  ///< (u, v) floats

  private:
    bool reserve(std::uint32_t vertices, std::uint32_t indices);
    bool upload(const ImDrawData& drawData);
    void drawLists(const ImDrawData& drawData);

    Device* device_ = nullptr;
    std::unique_ptr<Effect> effect_;
    std::unique_ptr<DeviceTexture> fontTexture_;
    std::unique_ptr<DeviceTexture> picture_;
    std::unique_ptr<VertexDeclaration> declaration_;
    std::unique_ptr<VertexBuffer> positions_;
    std::unique_ptr<VertexBuffer> colors_;
    std::unique_ptr<VertexBuffer> texCoords_;
    std::unique_ptr<IndexBuffer> indices_;
    std::uint32_t vertexCapacity_ = 0;
    std::uint32_t indexCapacity_ = 0;
    std::uint32_t vertexCount_ = 0;
};

}  // namespace velmora
