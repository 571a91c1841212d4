#include "platform/GlDevice.h"

#include <algorithm>
#include <cstdio>

#include "platform/GlCheck.h"
#include "platform/GlDialect.h"

namespace velmora {

int reportGlErrors(const char* file, int line) {
    int count = 0;
    // A lost context reports errors forever; a bound keeps this from spinning.
    for (GLenum error = glGetError(); error != GL_NO_ERROR && count < 16; error = glGetError()) {
        std::fprintf(stderr, "%s:%d: GL error 0x%04x\n", file, line, error);
        ++count;
    }
    return count;
}

// Creation and teardown.

HRESULT GlDevice::create(std::unique_ptr<GlContext> context, D3DPRESENT_PARAMETERS& parameters,
                         std::unique_ptr<Device>& out) {
    if (context == nullptr)
        return D3DERR_NOTAVAILABLE;
    context->makeCurrent();
    if (!gl::contextSuffices())
        return D3DERR_NOTAVAILABLE;
    std::unique_ptr<GlDevice> device(new GlDevice(std::move(context)));
    device->reset(parameters);
    out = std::move(device);
    return D3D_OK;
}

GlDevice::GlDevice(std::unique_ptr<GlContext> context)
    : context_(std::move(context)), self_(std::make_shared<GlDevice*>(this)) {
    glGenSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
    for (std::uint32_t stage = 0; stage < kDeviceTextureStages; ++stage) {
        glBindSampler(stage, samplers_[stage]);
    }
    glGenBuffers(1, &framePixels_);
    glDepthFunc(GL_LEQUAL);
    gl::useDirect3DDepthRange();
    VELMORA_GL_CHECK();
}

GlDevice::~GlDevice() {
    context_->makeCurrent();
    glDeleteSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
    glDeleteBuffers(1, &framePixels_);
    // Objects still alive now only free their copies; the context takes their GL names.
    *self_ = nullptr;
}

void GlDevice::fillBackBufferSize(D3DPRESENT_PARAMETERS& parameters) const {
    if (parameters.BackBufferWidth != 0 && parameters.BackBufferHeight != 0)
        return;
    int width = 0;
    int height = 0;
    context_->drawableSize(width, height);
    if (parameters.BackBufferWidth == 0) {
        parameters.BackBufferWidth = static_cast<std::uint32_t>(std::max(width, 1));
    }
    if (parameters.BackBufferHeight == 0) {
        parameters.BackBufferHeight = static_cast<std::uint32_t>(std::max(height, 1));
    }
}

HRESULT GlDevice::reset(D3DPRESENT_PARAMETERS& parameters) {
    fillBackBufferSize(parameters);
    context_->fitSize(static_cast<int>(parameters.BackBufferWidth),
                      static_cast<int>(parameters.BackBufferHeight));
    presentParameters = parameters;
    restoreDefaults();
    glViewport(0, 0, static_cast<GLsizei>(parameters.BackBufferWidth),
               static_cast<GLsizei>(parameters.BackBufferHeight));
    context_->setSwapInterval(parameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0
                                                                                               : 1);
    inScene_ = false;
    VELMORA_GL_CHECK();
    return D3D_OK;
}

void GlDevice::restoreDefaults() {
    state.restoreDefaults(presentParameters.EnableAutoDepthStencil,
                          {0, 0, static_cast<std::int32_t>(presentParameters.BackBufferWidth),
                           static_cast<std::int32_t>(presentParameters.BackBufferHeight)});
    for (const auto& [type, value] : state.renderStates) {
        applyRenderState(static_cast<D3DRENDERSTATETYPE>(type), value);
    }
    applyScissorRect();
    for (std::uint32_t stage = 0; stage < kDeviceTextureStages; ++stage) {
        applySampler(stage);
        glActiveTexture(GL_TEXTURE0 + stage);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    useProgram(0);
    glBindVertexArray(0);
}

// Frames.

HRESULT GlDevice::clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) {
    constexpr std::uint32_t kStencilFlag = 0x4;  // D3DCLEAR_STENCIL
    if (flags == 0 || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | kStencilFlag)) != 0) {
        return D3DERR_INVALIDCALL;
    }
    GLbitfield mask = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) {
        glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                     static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                     static_cast<float>(color & 0xFF) / 255.0f,
                     static_cast<float>(color >> 24) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_ZBUFFER) != 0) {
        gl::clearDepth(std::clamp(z, 0.0f, 1.0f));
        glDepthMask(GL_TRUE);  // Clear ignores the depth write state, as on Direct3D
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if ((flags & kStencilFlag) != 0) {
        glClearStencil(static_cast<GLint>(stencil));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    glClear(mask);
    if ((flags & D3DCLEAR_ZBUFFER) != 0) {
        glDepthMask(state.renderState(D3DRS_ZWRITEENABLE) != 0 ? GL_TRUE : GL_FALSE);
    }
    VELMORA_GL_CHECK();
    return D3D_OK;
}

HRESULT GlDevice::beginScene() {
    if (inScene_)
        return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT GlDevice::endScene() {
    if (!inScene_)
        return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT GlDevice::present() {
    // The frame is copied into a pixel-pack buffer before the swap (the back buffer is
    // undefined after it); the copy is mapped only when someone asks for the pixels.
    int drawableWidth = 0;
    int drawableHeight = 0;
    context_->drawableSize(drawableWidth, drawableHeight);
    const auto width = std::min(presentParameters.BackBufferWidth,
                                static_cast<std::uint32_t>(std::max(drawableWidth, 0)));
    const auto height = std::min(presentParameters.BackBufferHeight,
                                 static_cast<std::uint32_t>(std::max(drawableHeight, 0)));
    if (!gl::kKeepsFrames) {
        context_->swapBuffers();
        return D3D_OK;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, framePixels_);
    if (width != frameWidth_ || height != frameHeight_) {
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(width) * height * 4, nullptr,
                     GL_STREAM_READ);
    }
    frameWidth_ = width;
    frameHeight_ = height;
    if (width > 0 && height > 0) {
        gl::readFrameIntoPackBuffer(static_cast<GLsizei>(width), static_cast<GLsizei>(height));
        hasFrame_ = true;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    VELMORA_GL_CHECK();
    context_->swapBuffers();
    return D3D_OK;
}

HRESULT GlDevice::getFrontBufferData(std::vector<std::uint32_t>& pixels, std::uint32_t& width,
                                     std::uint32_t& height) {
    if (!hasFrame_ || frameWidth_ == 0 || frameHeight_ == 0)
        return D3DERR_NOTAVAILABLE;
    const std::size_t rowWords = frameWidth_;
    const std::size_t bytes = rowWords * frameHeight_ * 4;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, framePixels_);
    const void* mapped = gl::mapPackBuffer(bytes);
    if (mapped == nullptr) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        return D3DERR_NOTAVAILABLE;
    }
    pixels.resize(rowWords * frameHeight_);
    const auto* source = static_cast<const std::uint32_t*>(mapped);
    // GL rows run bottom to top; the back buffer has no alpha channel to speak of.
    for (std::size_t row = 0; row < frameHeight_; ++row) {
        const std::uint32_t* from = source + (frameHeight_ - 1 - row) * rowWords;
        std::uint32_t* to = pixels.data() + row * rowWords;
        for (std::size_t x = 0; x < rowWords; ++x)
            to[x] = from[x] | 0xFF000000u;
    }
    gl::unmapPackBuffer();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    VELMORA_GL_CHECK();
    width = frameWidth_;
    height = frameHeight_;
    return D3D_OK;
}

// Reading back what was set.

std::uint32_t GlDevice::queryTextureBinding(std::uint32_t stage) const {
    GLint name = 0;
    glActiveTexture(GL_TEXTURE0 + stage);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<std::uint32_t>(name);
}

std::uint32_t GlDevice::takeGlError() {
    const GLenum first = glGetError();
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    return first;
}

}  // namespace velmora
