#include "app/Window.h"

#include "app/FrameTimer.h"

namespace velmora {

OperatingSystem* instanceHandle = nullptr;
WindowHandle windowHandle = nullptr;
bool fullScreen = false;
bool hasFocus = false;
float aspectRatio = 1.3333334f;
Rect savedWindowRect;
std::int32_t clientWidth = kClientWidth;
std::int32_t clientHeight = kClientHeight;

void resetWindowState() {
    instanceHandle = nullptr;
    windowHandle = nullptr;
    fullScreen = false;
    hasFocus = false;
    aspectRatio = 1.3333334f;
    savedWindowRect = Rect{};
    clientWidth = kClientWidth;
    clientHeight = kClientHeight;
}

bool createWindow(const char* className, int showCommand) {
    if (instanceHandle == nullptr) {
        return false;
    }
    OperatingSystem& os = *instanceHandle;

    WindowClass windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.windowProc = windowProc;
    windowClass.instance = instanceHandle;
    windowClass.arrowCursor = true;
    windowClass.className = className;
    // A failed registration shows up as a failed creation below.
    os.registerClass(windowClass);

    const Rect outer = os.adjustWindowRect(Rect{0, 0, clientWidth, clientHeight}, kWindowedStyle);
    windowHandle = os.createWindow(className, "Velmora", kWindowedStyle, CW_USEDEFAULT,
                                   CW_USEDEFAULT, outer.width(), outer.height());
    if (windowHandle == nullptr) {
        return false;
    }
    os.showWindow(windowHandle, showCommand);
    os.updateWindow(windowHandle);
    os.setFocus(windowHandle);
    hasFocus = true;
    return true;
}

std::intptr_t windowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
    switch (message) {
        case WM_CLOSE:  // not passed on: the window stays until the program ends
        case WM_DESTROY:
            instanceHandle->postQuitMessage(0);
            return 0;
        case WM_SETFOCUS:
            hasFocus = true;
            return 0;
        case WM_KILLFOCUS:
            hasFocus = false;
            return 0;
        default:
            return instanceHandle->defWindowProc(window, message, wParam, lParam);
    }
}

float clientAspectRatio(const Rect& client, float current) {
    if (client.width() <= 0 || client.height() <= 0) {
        return current;
    }
    return static_cast<float>(client.width()) / static_cast<float>(client.height());
}

bool switchDisplayMode() {
    OperatingSystem& os = *instanceHandle;
    if (fullScreen) {
        const Rect windowed = os.getWindowRect(windowHandle);
        const DisplayMode mode = os.currentDisplayMode();
        // A mode without area would shrink the window to nothing, and the pick viewport
        // with it; the window stays as it is.
        if (mode.width <= 0 || mode.height <= 0) {
            return false;
        }
        savedWindowRect = windowed;
        os.setWindowStyle(windowHandle, kFullScreenStyle);
        os.setWindowPos(windowHandle, 0, 0, mode.width, mode.height);
    } else {
        os.setWindowStyle(windowHandle, kWindowedStyle);
        os.setWindowPos(windowHandle, savedWindowRect.left, savedWindowRect.top,
                        savedWindowRect.width(), savedWindowRect.height());
    }
    // The picture's ratio is the client area's, in both modes: the outer rectangle's would
    // stretch it by the frame.
    aspectRatio = clientAspectRatio(os.getClientRect(windowHandle), aspectRatio);
    // Restyling and moving the window do not count into the next pass's time.
    if (timer != nullptr) {
        timer->tick();
    }
    return true;
}

}  // namespace velmora
