#include "app/OverlayInput.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

namespace velmora {

float overlayTimeStep(float seconds) {
    return std::isfinite(seconds) && seconds > 0.0f ? seconds : 1.0f / 60.0f;
}

void feedOverlayInput(ImGuiIO& io, const InputState& input, WindowHandle window, float seconds) {
    const Rect client = input.os.getClientRect(window);
    io.DisplaySize = ImVec2(static_cast<float>(std::max(client.width(), 0)),
                            static_cast<float>(std::max(client.height(), 0)));
    io.DeltaTime = overlayTimeStep(seconds);
    const Point cursor = input.os.screenToClient(window, input.cursor);
    io.MousePos = ImVec2(static_cast<float>(cursor.x), static_cast<float>(cursor.y));
    io.MouseDown[ImGuiMouseButton_Left] = input.down[VK_LBUTTON];
    io.MouseDown[ImGuiMouseButton_Right] = input.down[VK_RBUTTON];
    io.MouseDown[ImGuiMouseButton_Middle] = input.down[VK_MBUTTON];
}

}  // namespace velmora
