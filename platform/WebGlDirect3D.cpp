// Direct3DCreate9 of the OpenGL device in the page: devices on a WebGL 2 context of the
// canvas. The browser shows what was drawn when the pass hands control back to it.
#include <emscripten/html5.h>

#include "platform/GlDevice.h"
#include "platform/WebOperatingSystem.h"

namespace velmora {
namespace {

class WebGlContext final : public GlContext {
  public:
    WebGlContext(const char* canvas, EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context)
        : canvas_(canvas), context_(context) {}
    ~WebGlContext() override { emscripten_webgl_destroy_context(context_); }
    void makeCurrent() override { emscripten_webgl_make_context_current(context_); }
    void swapBuffers() override {}
    void drawableSize(int& width, int& height) const override {
        emscripten_get_canvas_element_size(canvas_, &width, &height);
    }

  private:
    const char* canvas_;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_;
};

class WebGlDirect3D final : public Direct3D {
  public:
    explicit WebGlDirect3D(OperatingSystem& os) : os_(os) {}
    HRESULT getAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) override {
        return adapterDisplayMode(os_, adapter, mode);
    }
    HRESULT createDevice(std::uint32_t adapter, WindowHandle /*focusWindow*/,
                         std::uint32_t /*behaviorFlags*/, D3DPRESENT_PARAMETERS& parameters,
                         std::unique_ptr<Device>& out) override {
        if (adapter != D3DADAPTER_DEFAULT)
            return D3DERR_INVALIDCALL;
        return GlDevice::create(makeWebGlContext(WebOperatingSystem::kCanvasSelector), parameters,
                                out);
    }

  private:
    OperatingSystem& os_;
};

}  // namespace

std::unique_ptr<GlContext> makeWebGlContext(const char* canvas) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = false;  // the room is opaque; the page behind must not show through
    attributes.depth = true;
    attributes.stencil = false;
    attributes.antialias = false;  // as the desktop's back buffer: no multisampling
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context(canvas, &attributes);
    if (context <= 0)
        return nullptr;
    return std::make_unique<WebGlContext>(canvas, context);
}

std::unique_ptr<Direct3D> webGlDirect3DCreate(OperatingSystem& os) {
    return std::make_unique<WebGlDirect3D>(os);
}

}  // namespace velmora
