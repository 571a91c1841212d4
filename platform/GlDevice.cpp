#include "platform/GlDevice.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>

#include "platform/GlCheck.h"
#include "platform/GlEffect.h"

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

namespace {

/// GL_POINTS is 0, so an unknown type answers through `known`.
GLenum glPrimitive(D3DPRIMITIVETYPE type, bool& known) {
    known = true;
    switch (type) {
        case D3DPT_POINTLIST:
            return GL_POINTS;
        case D3DPT_LINELIST:
            return GL_LINES;
        case D3DPT_LINESTRIP:
            return GL_LINE_STRIP;
        case D3DPT_TRIANGLELIST:
            return GL_TRIANGLES;
        case D3DPT_TRIANGLESTRIP:
            return GL_TRIANGLE_STRIP;
    }
    known = false;
    return GL_POINTS;
}

GLenum glBlendFactor(std::uint32_t blend) {
    switch (blend) {
        case D3DBLEND_ZERO:
            return GL_ZERO;
        case 3:  // D3DBLEND_SRCCOLOR
            return GL_SRC_COLOR;
        case 4:  // D3DBLEND_INVSRCCOLOR
            return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA:
            return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case 7:  // D3DBLEND_DESTALPHA
            return GL_DST_ALPHA;
        case 8:  // D3DBLEND_INVDESTALPHA
            return GL_ONE_MINUS_DST_ALPHA;
        case 9:  // D3DBLEND_DESTCOLOR
            return GL_DST_COLOR;
        case 10:  // D3DBLEND_INVDESTCOLOR
            return GL_ONE_MINUS_DST_COLOR;
        default:
            return GL_ONE;
    }
}

void attributePointer(GLuint location, const D3DVERTEXELEMENT9& element, GLsizei stride,
                      std::uintptr_t offset) {
    const void* pointer = reinterpret_cast<const void*>(offset);
    switch (element.type) {
        case D3DDECLTYPE_D3DCOLOR:
            glVertexAttribPointer(location, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, pointer);
            break;
        case D3DDECLTYPE_UBYTE4:
            glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride, pointer);
            break;
        default:  // FLOAT1..FLOAT4, the only other types a declaration accepts
            glVertexAttribPointer(location, static_cast<GLint>(element.type) + 1, GL_FLOAT,
                                  GL_FALSE, stride, pointer);
            break;
    }
}

}  // namespace

// Creation and teardown.

HRESULT GlDevice::create(SDL_Window* window, D3DPRESENT_PARAMETERS& parameters,
                         std::unique_ptr<Device>& out) {
    if (window == nullptr || (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) {
        return D3DERR_INVALIDCALL;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr)
        return D3DERR_NOTAVAILABLE;
    // Projection matrices map depth to 0..1 as on Direct3D; without clip control GL would
    // clip at -w, so geometry nearer than zNear would be drawn instead of clipped.
    if (epoxy_gl_version() < 33 ||
        (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control"))) {
        SDL_GL_DeleteContext(context);
        return D3DERR_NOTAVAILABLE;
    }
    std::unique_ptr<GlDevice> device(new GlDevice(window, context));
    device->reset(parameters);
    out = std::move(device);
    return D3D_OK;
}

GlDevice::GlDevice(SDL_Window* window, void* context)
    : window_(window), context_(context), self_(std::make_shared<GlDevice*>(this)) {
    glGenSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
    for (std::uint32_t stage = 0; stage < kDeviceTextureStages; ++stage) {
        glBindSampler(stage, samplers_[stage]);
    }
    glGenBuffers(1, &framePixels_);
    glDepthFunc(GL_LEQUAL);
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    VELMORA_GL_CHECK();
}

GlDevice::~GlDevice() {
    SDL_GL_MakeCurrent(window_, static_cast<SDL_GLContext>(context_));
    glDeleteSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
    glDeleteBuffers(1, &framePixels_);
    // Objects still alive now only free their copies; the context takes their GL names.
    *self_ = nullptr;
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
}

void GlDevice::fillBackBufferSize(D3DPRESENT_PARAMETERS& parameters) const {
    if (parameters.BackBufferWidth != 0 && parameters.BackBufferHeight != 0)
        return;
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window_, &width, &height);
    if (parameters.BackBufferWidth == 0) {
        parameters.BackBufferWidth = static_cast<std::uint32_t>(std::max(width, 1));
    }
    if (parameters.BackBufferHeight == 0) {
        parameters.BackBufferHeight = static_cast<std::uint32_t>(std::max(height, 1));
    }
}

HRESULT GlDevice::reset(D3DPRESENT_PARAMETERS& parameters) {
    fillBackBufferSize(parameters);
    presentParameters = parameters;
    restoreDefaults();
    glViewport(0, 0, static_cast<GLsizei>(parameters.BackBufferWidth),
               static_cast<GLsizei>(parameters.BackBufferHeight));
    // Drivers without swap control keep their own.
    SDL_GL_SetSwapInterval(parameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0
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

// Resources.

HRESULT GlDevice::createVertexBuffer(std::uint32_t length, std::uint32_t /*usage*/,
                                     std::uint32_t /*fvf*/, D3DPOOL /*pool*/,
                                     std::unique_ptr<VertexBuffer>& out) {
    if (length == 0 || length > kMaxDeviceBufferBytes)
        return D3DERR_INVALIDCALL;
    out = std::make_unique<GlVertexBuffer>(self_, length);
    return D3D_OK;
}

HRESULT GlDevice::createIndexBuffer(std::uint32_t length, std::uint32_t /*usage*/, D3DFORMAT format,
                                    D3DPOOL /*pool*/, std::unique_ptr<IndexBuffer>& out) {
    if (length == 0 || length > kMaxDeviceBufferBytes || format != D3DFMT_INDEX32) {
        return D3DERR_INVALIDCALL;
    }
    out = std::make_unique<GlIndexBuffer>(self_, length);
    return D3D_OK;
}

HRESULT GlDevice::createVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                          std::unique_ptr<VertexDeclaration>& out) {
    std::vector<D3DVERTEXELEMENT9> copy;
    const HRESULT hr = copyDeclaration(elements, copy);
    if (hr != D3D_OK)
        return hr;
    out = std::make_unique<GlVertexDeclaration>(self_, std::move(copy));
    return D3D_OK;
}

HRESULT GlDevice::createTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                std::uint32_t /*usage*/, D3DFORMAT format, D3DPOOL /*pool*/,
                                std::unique_ptr<DeviceTexture>& out) {
    ManagedTexels store;
    const HRESULT hr = store.create(width, height, levels, format);
    if (hr != D3D_OK)
        return hr;
    out = std::make_unique<GlTexture>(self_, std::move(store));
    return D3D_OK;
}

HRESULT GlDevice::createEffectFromFile(const char* fileName, std::unique_ptr<Effect>& out,
                                       std::string& errors) {
    errors.clear();
    EffectFileSource source;
    if (!loadEffectFile(fileName, source, errors))
        return E_FAIL;
    std::unique_ptr<GlEffect> effect =
        GlEffect::compile(self_, fileName, std::move(source), errors);
    if (effect == nullptr)
        return E_FAIL;
    out = std::move(effect);
    return D3D_OK;
}

void GlDevice::forget(const DeviceTexture* texture) {
    for (std::uint32_t stage = 0; stage < kDeviceTextureStages; ++stage) {
        if (state.textures[stage] == texture)
            setTexture(stage, nullptr);
    }
    for (GlEffect* effect : effects_)
        effect->core.forget(texture);
}

void GlDevice::removeEffect(GlEffect* effect) {
    effects_.erase(std::remove(effects_.begin(), effects_.end(), effect), effects_.end());
}

void GlDevice::useProgram(std::uint32_t program) {
    if (program != program_)
        glUseProgram(program);
    program_ = program;
}

// States.

HRESULT GlDevice::setVertexDeclaration(VertexDeclaration* declaration) {
    if (declaration != nullptr && dynamic_cast<GlVertexDeclaration*>(declaration) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    state.declaration = declaration;
    return D3D_OK;
}

HRESULT GlDevice::setStreamSource(std::uint32_t stream, VertexBuffer* buffer, std::uint32_t offset,
                                  std::uint32_t stride) {
    if (stream >= kDeviceStreams)
        return D3DERR_INVALIDCALL;
    if (buffer != nullptr && (stride == 0 || dynamic_cast<GlVertexBuffer*>(buffer) == nullptr)) {
        return D3DERR_INVALIDCALL;
    }
    state.streams[stream] = {buffer, offset, stride};
    return D3D_OK;
}

HRESULT GlDevice::setIndices(IndexBuffer* indices) {
    if (indices != nullptr && dynamic_cast<GlIndexBuffer*>(indices) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    state.indices = indices;
    return D3D_OK;
}

HRESULT GlDevice::setRenderState(D3DRENDERSTATETYPE type, std::uint32_t value) {
    state.renderStates[type] = value;
    applyRenderState(type, value);
    VELMORA_GL_CHECK();
    return D3D_OK;
}

void GlDevice::applyRenderState(D3DRENDERSTATETYPE type, std::uint32_t value) {
    switch (type) {
        case D3DRS_ZENABLE:
            value != D3DZB_FALSE ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
            break;
        case D3DRS_FILLMODE:
            glPolygonMode(GL_FRONT_AND_BACK, value == D3DFILL_POINT       ? GL_POINT
                                             : value == D3DFILL_WIREFRAME ? GL_LINE
                                                                          : GL_FILL);
            break;
        case D3DRS_ZWRITEENABLE:
            glDepthMask(value != 0 ? GL_TRUE : GL_FALSE);
            break;
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            glBlendFunc(glBlendFactor(state.renderState(D3DRS_SRCBLEND)),
                        glBlendFactor(state.renderState(D3DRS_DESTBLEND)));
            break;
        case D3DRS_CULLMODE:
            // Direct3D names the winding it culls, as seen on screen; GL names the front.
            if (value == D3DCULL_CW || value == D3DCULL_CCW) {
                glEnable(GL_CULL_FACE);
                glFrontFace(value == D3DCULL_CW ? GL_CCW : GL_CW);
                glCullFace(GL_BACK);
            } else {
                glDisable(GL_CULL_FACE);
            }
            break;
        case D3DRS_ALPHABLENDENABLE:
            value != 0 ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
            break;
        case D3DRS_SCISSORTESTENABLE:
            value != 0 ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
            break;
        default:  // fixed-function states: kept, no GL meaning while shaders run
            break;
    }
}

HRESULT GlDevice::setSamplerState(std::uint32_t sampler, D3DSAMPLERSTATETYPE type,
                                  std::uint32_t value) {
    const HRESULT hr = state.setSamplerState(sampler, type, value);
    if (hr == D3D_OK)
        applySampler(sampler);
    return hr;
}

void GlDevice::applySampler(std::uint32_t stage) {
    const std::uint32_t mag = state.samplerState(stage, D3DSAMP_MAGFILTER);
    const std::uint32_t min = state.samplerState(stage, D3DSAMP_MINFILTER);
    const std::uint32_t mip = state.samplerState(stage, D3DSAMP_MIPFILTER);
    const bool minLinear = min >= D3DTEXF_LINEAR;
    GLenum minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    if (mip == D3DTEXF_POINT) {
        minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    } else if (mip >= D3DTEXF_LINEAR) {
        minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
    glSamplerParameteri(samplers_[stage], GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    glSamplerParameteri(samplers_[stage], GL_TEXTURE_MAG_FILTER,
                        mag >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    VELMORA_GL_CHECK();
}

HRESULT GlDevice::setTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                       std::uint32_t value) {
    return state.setTextureStageState(stage, type, value);
}

HRESULT GlDevice::setTexture(std::uint32_t stage, DeviceTexture* texture) {
    if (stage >= kDeviceTextureStages)
        return D3DERR_INVALIDCALL;
    auto* glTexture = dynamic_cast<GlTexture*>(texture);
    if (texture != nullptr && glTexture == nullptr)
        return D3DERR_INVALIDCALL;
    state.textures[stage] = texture;
    glActiveTexture(GL_TEXTURE0 + stage);
    glBindTexture(GL_TEXTURE_2D, glTexture != nullptr ? glTexture->name : 0);
    VELMORA_GL_CHECK();
    return D3D_OK;
}

HRESULT GlDevice::setTransform(D3DTRANSFORMSTATETYPE type, const Matrix4& matrix) {
    return state.setTransform(type, matrix);
}

HRESULT GlDevice::setScissorRect(const Rect& rect) {
    const HRESULT hr = state.setScissorRect(rect);
    if (hr == D3D_OK)
        applyScissorRect();
    return hr;
}

void GlDevice::applyScissorRect() {
    // GL counts rows from the bottom of the back buffer, which covers the viewport.
    const Rect& r = state.scissorRect;
    glScissor(r.left, static_cast<GLint>(presentParameters.BackBufferHeight) - r.bottom, r.width(),
              r.height());
    VELMORA_GL_CHECK();
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
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
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
    SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
    const auto width = std::min(presentParameters.BackBufferWidth,
                                static_cast<std::uint32_t>(std::max(drawableWidth, 0)));
    const auto height = std::min(presentParameters.BackBufferHeight,
                                 static_cast<std::uint32_t>(std::max(drawableHeight, 0)));
    glBindBuffer(GL_PIXEL_PACK_BUFFER, framePixels_);
    if (width != frameWidth_ || height != frameHeight_) {
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(width) * height * 4, nullptr,
                     GL_STREAM_READ);
    }
    frameWidth_ = width;
    frameHeight_ = height;
    if (width > 0 && height > 0) {
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                     GL_UNSIGNED_BYTE, nullptr);
        hasFrame_ = true;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    VELMORA_GL_CHECK();
    SDL_GL_SwapWindow(window_);
    return D3D_OK;
}

HRESULT GlDevice::getFrontBufferData(std::vector<std::uint32_t>& pixels, std::uint32_t& width,
                                     std::uint32_t& height) {
    if (!hasFrame_ || frameWidth_ == 0 || frameHeight_ == 0)
        return D3DERR_NOTAVAILABLE;
    const std::size_t rowWords = frameWidth_;
    const std::size_t bytes = rowWords * frameHeight_ * 4;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, framePixels_);
    const void* mapped =
        glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(bytes), GL_MAP_READ_BIT);
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
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    VELMORA_GL_CHECK();
    width = frameWidth_;
    height = frameHeight_;
    return D3D_OK;
}

HRESULT GlDevice::drawIndexedPrimitive(D3DPRIMITIVETYPE type, std::int32_t baseVertexIndex,
                                       std::uint32_t /*minVertexIndex*/,
                                       std::uint32_t /*numVertices*/, std::uint32_t startIndex,
                                       std::uint32_t primitiveCount) {
    bool known = false;
    const GLenum mode = glPrimitive(type, known);
    auto* declaration = dynamic_cast<GlVertexDeclaration*>(state.declaration);
    auto* indices = dynamic_cast<GlIndexBuffer*>(state.indices);
    if (declaration == nullptr || indices == nullptr || program_ == 0 || !known) {
        return D3DERR_INVALIDCALL;
    }
    // Fixed arrays: a draw allocates nothing.
    std::array<StreamRead, kMaxDeclarationElements> reads;
    std::array<GlVertexBuffer*, kMaxDeclarationElements> buffers{};
    const std::size_t elementCount =
        std::min(declaration->elements.size(), kMaxDeclarationElements);
    for (std::size_t i = 0; i < elementCount; ++i) {
        const auto& element = declaration->elements[i];
        const StreamSource& source = state.streams[element.stream];
        auto* buffer = static_cast<GlVertexBuffer*>(source.buffer);  // checked when bound
        reads[i] = {&element, &source, buffer != nullptr ? &buffer->store : nullptr};
        buffers[i] = buffer;
    }
    const HRESULT checked = checkDrawReads(std::span(reads.data(), elementCount), indices->store,
                                           type, baseVertexIndex, startIndex, primitiveCount);
    const std::uint64_t count = primitiveIndexCount(type, primitiveCount);
    if (checked != D3D_OK || count == 0)
        return checked;

    glBindVertexArray(declaration->vao);
    std::uint32_t enabled = 0;
    for (std::size_t i = 0; i < elementCount; ++i) {
        if (buffers[i] == nullptr)
            continue;
        const auto& element = declaration->elements[i];
        const auto location =
            static_cast<GLuint>(semanticLocation(element.usage, element.usageIndex));
        glBindBuffer(GL_ARRAY_BUFFER, buffers[i]->name);
        attributePointer(location, element, static_cast<GLsizei>(reads[i].source->stride),
                         std::uintptr_t{reads[i].source->offset} + element.offset);
        glEnableVertexAttribArray(location);
        enabled |= 1u << location;
    }
    // Inputs without a stream read the constant (0, 0, 0, 1).
    for (GLuint location = 0; location < 9; ++location) {
        if ((enabled & (1u << location)) == 0)
            glDisableVertexAttribArray(location);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices->name);
    glDrawElementsBaseVertex(mode, static_cast<GLsizei>(count), GL_UNSIGNED_INT,
                             reinterpret_cast<const void*>(std::uintptr_t{startIndex} * 4),
                             baseVertexIndex);
    VELMORA_GL_CHECK();
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

// Direct3D.

GlDirect3D::~GlDirect3D() {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

HRESULT GlDirect3D::getAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) {
    return adapterDisplayMode(os_, adapter, mode);
}

HRESULT GlDirect3D::createDevice(std::uint32_t adapter, WindowHandle focusWindow,
                                 std::uint32_t /*behaviorFlags*/, D3DPRESENT_PARAMETERS& parameters,
                                 std::unique_ptr<Device>& out) {
    if (adapter != D3DADAPTER_DEFAULT)
        return D3DERR_INVALIDCALL;
    if (parameters.hDeviceWindow == nullptr)
        parameters.hDeviceWindow = focusWindow;
    return GlDevice::create(reinterpret_cast<SDL_Window*>(parameters.hDeviceWindow), parameters,
                            out);
}

std::unique_ptr<Direct3D> glDirect3DCreate(OperatingSystem& os) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    return std::make_unique<GlDirect3D>(os);
}

}  // namespace velmora
