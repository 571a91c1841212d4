// The OpenGL device's states: each is kept in the DeviceState and, where GL has a meaning for
// it, mirrored into GL at once.

#include "platform/GlCheck.h"
#include "platform/GlDevice.h"
#include "platform/GlDialect.h"

namespace velmora {
namespace {

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

}  // namespace

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
            gl::polygonMode(value == D3DFILL_POINT       ? gl::Fill::Points
                            : value == D3DFILL_WIREFRAME ? gl::Fill::Lines
                                                         : gl::Fill::Solid);
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

}  // namespace velmora
