#pragma once
#include <cstdint>

#include "platform/OperatingSystem.h"

namespace velmora {

/// The operating system the entry point was started with. It stands where a Windows program
/// keeps its module instance handle: the window class is registered with it, and the window
/// code reaches the platform through it.
extern OperatingSystem* instanceHandle;
/// The one window; null until it exists.
extern WindowHandle windowHandle;
/// Display mode; the caller inverts it before each switchDisplayMode.
extern bool fullScreen;
/// The window has the keyboard focus; only mouse look reads it.
extern bool hasFocus;
/// Width / height handed to the projection.
extern float aspectRatio;
/// The window's outer rectangle, screen pixels, when full screen was last entered.
extern Rect savedWindowRect;

inline constexpr std::int32_t kClientWidth = 800;
inline constexpr std::int32_t kClientHeight = 600;
/// The client area createWindow asks for, pixels: kClientWidth x kClientHeight unless the
/// command line says otherwise.
extern std::int32_t clientWidth;
extern std::int32_t clientHeight;
/// Caption and system menu; no sizing border, no minimise or maximise box.
inline constexpr std::uint32_t kWindowedStyle =
    WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
/// Borderless pop-up.
inline constexpr std::uint32_t kFullScreenStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
static_assert(kWindowedStyle == 0x06C80000u && kFullScreenStyle == 0x86000000u);

/// Registers the class and creates, shows and focuses the window (title "Velmora",
/// clientWidth x clientHeight client area, windowed style). False if the window cannot be created.
bool createWindow(const char* className, int showCommand);

/// The class's window procedure: close and destroy post quit 0, focus messages set
/// hasFocus, everything else goes to the default procedure.
std::intptr_t windowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam);

/// The client area's width / height, or current while the area is empty (a minimised
/// window), so that the projection never receives NaN or infinity.
float clientAspectRatio(const Rect& client, float current);

/// Applies the mode that fullScreen now holds, then ticks the global timer once. Returns
/// false, touching neither the window nor savedWindowRect nor aspectRatio, when full screen
/// was asked for and the display's mode has no area (it could not be read); the caller then
/// puts fullScreen back.
bool switchDisplayMode();

/// Puts every window-state global above back to its start value.
void resetWindowState();

}  // namespace velmora
