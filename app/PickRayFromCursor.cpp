#include "app/PickRayFromCursor.h"

#include "app/InputState.h"
#include "app/Window.h"
#include "platform/GpuDevice.h"
#include "render/D3DRenderer.h"

namespace velmora {

Point cursorHomeOnScreen(OperatingSystem& os) {
    return os.clientToScreen(windowHandle, kCursorHome);
}

void putCursorHome(OperatingSystem& os) {
    const Point home = cursorHomeOnScreen(os);
    os.setCursorPos(home.x, home.y);
    input->cursor = home;
}

PickRay makePickRay(OperatingSystem& os) {
    const Point client = os.screenToClient(windowHandle, os.getCursorPos());
    const float cx = static_cast<float>(client.x);
    const float cy = static_cast<float>(client.y);

    D3DVIEWPORT9 viewport;
    viewport.Width = kPickViewportWidth;
    viewport.Height = kPickViewportHeight;
    viewport.MinZ = 0.0f;
    viewport.MaxZ = 1.0f;
    if (fullScreen) {
        const Rect window = os.getWindowRect(windowHandle);
        viewport.Width = static_cast<std::uint32_t>(window.right);
        viewport.Height = static_cast<std::uint32_t>(window.bottom);
    }

    gRenderer->setWorld(Matrix4());
    PickRay ray;
    ray.nearPoint = d3dxVec3Unproject({cx, cy, 0.0f}, viewport, gRenderer->projection,
                                      gRenderer->view, gRenderer->world);
    ray.farPoint = d3dxVec3Unproject({cx, cy, 1.0f}, viewport, gRenderer->projection,
                                     gRenderer->view, gRenderer->world);
    return ray;
}

}  // namespace velmora
