#include "app/InputState.h"

#include "app/Window.h"

namespace velmora {

InputState* input = nullptr;

InputState::InputState(OperatingSystem& os_) : os(os_) {}

void InputState::update() {
    for (int k = 0; k < kVirtualKeyCount; ++k) {
        // Only the held bit counts; the went-down-since-last-call bit is not to be trusted.
        const bool now = (os.getAsyncKeyState(k) & 0x8000) != 0;
        const bool was = down[k];
        pressed[k] = now && !was;
        released[k] = was && !now;
        down[k] = now;
    }
    previousCursor = cursor;
    cursor = os.screenToClient(windowHandle, os.getCursorPos());
}

}  // namespace velmora
