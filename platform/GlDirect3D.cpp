// Direct3DCreate9 of the OpenGL device on the desktop: devices on an SDL window's context, or
// offscreen through EGL for pictures without a display.
#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "platform/GlDevice.h"

namespace velmora {

GlDirect3D::~GlDirect3D() {
    if (!offscreen_)
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
    if (!offscreen_) {
        auto* window = reinterpret_cast<SDL_Window*>(parameters.hDeviceWindow);
        if (window == nullptr || (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0)
            return D3DERR_INVALIDCALL;
        return GlDevice::create(makeSdlGlContext(window), parameters, out);
    }
    const WindowHandle window = parameters.hDeviceWindow;
    OperatingSystem& os = os_;
    const char* why = "";
    auto context = makeOffscreenGlContext(
        [&os, window] {
            const Rect client = os.getClientRect(window);
            return std::pair(std::max(client.width(), 1), std::max(client.height(), 1));
        },
        why);
    if (context == nullptr)
        std::fprintf(stderr, "velmora: no offscreen OpenGL: %s\n", why);
    return GlDevice::create(std::move(context), parameters, out);
}

std::unique_ptr<Direct3D> glDirect3DCreate(OperatingSystem& os) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    return std::make_unique<GlDirect3D>(os);
}

std::unique_ptr<Direct3D> glOffscreenDirect3DCreate(OperatingSystem& os) {
    return std::make_unique<GlDirect3D>(os, true);
}

}  // namespace velmora
