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
    input->cursor = kCursorHome;
}

PickRay makePickRay(OperatingSystem& os) {
    const Point client = os.screenToClient(windowHandle, os.getCursorPos());
    // The client area the picture fills, in either mode; a window resized from outside
    // picks where it shows.
    return pickRayAt(client, os.getClientRect(windowHandle));
}

PickRay pickRayAt(Point client, const Rect& area) {
    const float cx = static_cast<float>(client.x);
    const float cy = static_cast<float>(client.y);
    // An empty area (minimised) keeps the window's own size.
    D3DVIEWPORT9 viewport;
    viewport.Width =
        area.width() > 0 ? static_cast<std::uint32_t>(area.width()) : kPickViewportWidth;
    viewport.Height =
        area.height() > 0 ? static_cast<std::uint32_t>(area.height()) : kPickViewportHeight;
    viewport.MinZ = 0.0f;
    viewport.MaxZ = 1.0f;

    gRenderer->setWorld(Matrix4());
    PickRay ray;
    ray.nearPoint = d3dxVec3Unproject({cx, cy, 0.0f}, viewport, gRenderer->projection,
                                      gRenderer->view, gRenderer->world);
    ray.farPoint = d3dxVec3Unproject({cx, cy, 1.0f}, viewport, gRenderer->projection,
                                     gRenderer->view, gRenderer->world);
    return ray;
}

}  // namespace velmora
