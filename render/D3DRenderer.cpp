#include "render/D3DRenderer.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "render/GeometryBuffer.h"
#include "render/Texture.h"

namespace velmora {
namespace {

D3DRenderer gRendererInstance;

}  // namespace

D3DRenderer* const gRenderer = &gRendererInstance;

void resetRendererToConstructedState() {
    *gRenderer = D3DRenderer();
}

void D3DRenderer::usePlatform(OperatingSystem& operatingSystem, Direct3DCreateFn create) {
    os = &operatingSystem;
    createDirect3D = create;
}

D3DPRESENT_PARAMETERS D3DRenderer::fillPresentParameters(WindowHandle window, bool fullscreen,
                                                         bool vsync) {
    D3DPRESENT_PARAMETERS parameters;
    if (fullscreen) {
        D3DDISPLAYMODE mode;
        if (direct3d != nullptr)
            direct3d->getAdapterDisplayMode(D3DADAPTER_DEFAULT, mode);
        parameters.BackBufferWidth = mode.Width;
        parameters.BackBufferHeight = mode.Height;
        parameters.BackBufferFormat = mode.Format;
        parameters.FullScreen_RefreshRateInHz = mode.RefreshRate;
    } else {
        const Rect client = os != nullptr ? os->getClientRect(window) : Rect{};
        parameters.BackBufferWidth = static_cast<std::uint32_t>(client.right);
        parameters.BackBufferHeight = static_cast<std::uint32_t>(client.bottom);
        parameters.BackBufferFormat = D3DFMT_UNKNOWN;
        parameters.FullScreen_RefreshRateInHz = 0;
    }
    parameters.BackBufferCount = 2;
    parameters.SwapEffect = D3DSWAPEFFECT_FLIP;
    parameters.hDeviceWindow = window;
    parameters.Windowed = !fullscreen;
    parameters.EnableAutoDepthStencil = true;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    parameters.PresentationInterval =
        vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    return parameters;
}

bool D3DRenderer::init(WindowHandle window, bool fullscreen, bool vsync) {
    // A second init replaces the device; the old one goes before its Direct3D object.
    device.reset();
    direct3d = createDirect3D != nullptr && os != nullptr ? createDirect3D(*os) : nullptr;
    if (direct3d == nullptr)
        return false;
    D3DPRESENT_PARAMETERS parameters = fillPresentParameters(window, fullscreen, vsync);
    if (direct3d->createDevice(D3DADAPTER_DEFAULT, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                               parameters, device) != D3D_OK ||
        device == nullptr) {
        device.reset();
        return false;
    }
    applyDefaultStates();
    return true;
}

bool D3DRenderer::reset(WindowHandle window, bool fullscreen, bool vsync) {
    if (device == nullptr)
        return true;
    D3DPRESENT_PARAMETERS parameters = fillPresentParameters(window, fullscreen, vsync);
    device->reset(parameters);
    applyDefaultStates();
    // The defaults fill solid; the wireframe the user chose stays, or the next Q would only
    // seem to do nothing.
    if (wireframe)
        device->setRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    return true;
}

void D3DRenderer::shutdown() {
    device.reset();
    direct3d.reset();
}

bool D3DRenderer::loadEffect(const char* fileName, std::unique_ptr<Effect>& out) {
    if (device == nullptr)
        return false;
    std::string errors;
    if (device->createEffectFromFile(fileName, out, errors) >= 0 && out != nullptr)
        return true;
    if (!errors.empty() && os != nullptr)
        os->messageBox(errors.c_str(), "FX File Load Error");
    return false;
}

void D3DRenderer::setEffect(Effect* newEffect) {
    effect = newEffect;
}

void D3DRenderer::setProjection(float fovDegrees, float zNear, float zFar, float aspect) {
    projection = perspectiveFov(fovDegrees, zNear, zFar, aspect);
    if (device != nullptr)
        device->setTransform(D3DTS_PROJECTION, projection);
}

void D3DRenderer::setView(const Vec3& eye, const Vec3& target) {
    view = lookAt(eye, target);
    if (device != nullptr)
        device->setTransform(D3DTS_VIEW, view);
}

void D3DRenderer::setWorld(const Matrix4& m) {
    world = m;
    if (device != nullptr)
        device->setTransform(D3DTS_WORLD, world);
}

void D3DRenderer::beginScene() {
    if (device != nullptr)
        device->beginScene();
}

void D3DRenderer::clear(std::uint32_t color, float depth) {
    if (device != nullptr)
        device->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, depth, 0);
}

void D3DRenderer::clearDepth(float depth) {
    if (device != nullptr)
        device->clear(D3DCLEAR_ZBUFFER, 0, depth, 0);
}

void D3DRenderer::endSceneAndPresent() {
    if (device == nullptr)
        return;
    device->endScene();
    device->present();
}

void D3DRenderer::toggleWireframe() {
    wireframe = !wireframe;
    if (device != nullptr) {
        device->setRenderState(D3DRS_FILLMODE, wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    }
}

void D3DRenderer::setBlending(bool enabled) {
    if (device == nullptr)
        return;
    if (!enabled) {
        device->setRenderState(D3DRS_ALPHABLENDENABLE, 0);
        return;
    }
    device->setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->setTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->setRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    device->setRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void D3DRenderer::setTexture(std::uint32_t stage, Texture* texture) {
    DeviceTexture* native = texture != nullptr ? texture->nativeTexture() : nullptr;
    if (device != nullptr) {
        device->setTexture(stage, native);
        device->setSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->setSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        if (stage > 0) {
            device->setTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            if (stage % 2 == 0) {
                device->setTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            } else {
                // An odd stage keeps the colour so far and takes its alpha from its texture.
                device->setTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_CURRENT);
                device->setTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
                device->setTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            }
        }
    }
    if (effect != nullptr) {
        char name[16];
        std::snprintf(name, sizeof name, "tex%u", static_cast<unsigned>(stage));
        effect->setTexture(name, native);
    }
}

void D3DRenderer::drawGeometry(GeometryBuffer* geometry, PrimitiveMode mode) {
    if (geometry == nullptr)
        return;
    drawGeometryPart(geometry, mode, 0, geometry->indexCount);
}

void D3DRenderer::drawGeometryPart(GeometryBuffer* geometry, PrimitiveMode mode,
                                   std::uint32_t firstIndex, std::uint32_t indexCount) {
    if (geometry == nullptr)
        return;
    if (device == nullptr)
        return;
    firstIndex = std::min(firstIndex, geometry->indexCount);
    const std::uint32_t n = std::min(indexCount, geometry->indexCount - firstIndex);
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    std::uint32_t primitives = n / 3;
    switch (mode) {
        case Points:
            type = D3DPT_POINTLIST;
            primitives = n;
            break;
        case Lines:
            type = D3DPT_LINELIST;
            primitives = n / 2;
            break;
        case LineStrip:
            type = D3DPT_LINESTRIP;
            primitives = n < 2 ? 0 : n - 1;
            break;
        case TriangleStrip:
            type = D3DPT_TRIANGLESTRIP;
            primitives = n < 3 ? 0 : n - 2;
            break;
        default:
            break;
    }

    if (effect != nullptr) {
        device->setVertexDeclaration(geometry->vertexDeclaration());
        device->setStreamSource(0, geometry->positionBuffer(), 0, 12);
        device->setStreamSource(1, geometry->colorBuffer(), 0, 4);
        device->setStreamSource(2, geometry->texCoordBuffer(), 0, 8);
        device->setStreamSource(3, geometry->normalBuffer(), 0, 12);
        device->setStreamSource(4, geometry->tangentBuffer(), 0, 12);
        device->setStreamSource(5, geometry->scalarBuffer(), 0, 4);
        // A stream this geometry lacks is unbound rather than left to an earlier geometry,
        // whose buffer the draw would read with this geometry's indices.
        VertexBuffer* const optional[3] = {geometry->blendIndexBuffer(),
                                           geometry->blendWeightBuffer(),
                                           geometry->texCoord2Buffer()};
        for (std::uint32_t i = 0; i < 3; ++i) {
            const std::uint32_t stream = 6 + i;
            if (optional[i] != nullptr) {
                device->setStreamSource(stream, optional[i], 0, stream == 8 ? 8 : 4);
            } else {
                device->setStreamSource(stream, nullptr, 0, 0);
            }
        }
        device->setIndices(geometry->indexBuffer());

        worldViewProjection = (world * view) * projection;
        effect->setMatrix("wvp", worldViewProjection);
        effect->setTechnique("MyEffect");
        std::uint32_t passCount = 0;
        if (effect->begin(&passCount, D3DXFX_DONOTSAVESTATE) < 0) {
            if (os != nullptr)
                os->messageBox("Begin technique failed", "FX Failure");
        } else {
            for (std::uint32_t pass = 0; pass < passCount; ++pass) {
                if (effect->beginPass(pass) < 0) {
                    if (os != nullptr)
                        os->messageBox("Begin pass failed", "FX Failure");
                    break;
                }
                device->drawIndexedPrimitive(type, 0, 0, geometry->vertexCount, firstIndex,
                                             primitives);
                effect->endPass();
            }
            effect->end();
        }
    }
    // Blending never outlasts one draw.
    device->setRenderState(D3DRS_ALPHABLENDENABLE, 0);
}

void D3DRenderer::applyDefaultStates() {
    if (device == nullptr)
        return;
    device->setRenderState(D3DRS_LIGHTING, 0);
    device->setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->setRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->setSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    device->setRenderState(D3DRS_POINTSPRITEENABLE, 0);
    device->setRenderState(D3DRS_POINTSCALEENABLE, 0);
    device->setRenderState(D3DRS_ZWRITEENABLE, 1);
    device->setRenderState(D3DRS_ALPHABLENDENABLE, 0);
}

}  // namespace velmora
