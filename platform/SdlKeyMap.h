#pragma once
// SDL scancodes to Windows virtual-key codes. Positional, like the scancodes themselves:
// the key in the place of US "A" is 0x41 whatever the layout prints on it. And SDL's window
// events and mouse masks in the same Windows terms.
#include <SDL.h>

#include <cstdint>

namespace velmora {

/// The specific virtual-key code of a scancode (VK_LSHIFT, not VK_SHIFT), 0 for none.
int virtualKeyFromScancode(SDL_Scancode scancode);

/// Whether the virtual key is held in SDL's keyboard state (SDL_GetKeyboardState). The
/// generic VK_SHIFT, VK_CONTROL and VK_MENU are held while either of their keys is.
bool sdlVirtualKeyHeld(int virtualKey, const Uint8* keyboardState);

/// A window message an SDL event stands for: message 0 for none.
struct SdlMessage {
    Uint32 windowId = 0;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
};
/// Close, focus gained and lost, and the mouse wheel (WM_MOUSEWHEEL, 120 a notch).
SdlMessage messageFromEvent(const SDL_Event& event);
/// SDL's mouse-state mask of a mouse button's virtual key, 0 for any other key.
Uint32 mouseMaskOf(int virtualKey);

}  // namespace velmora
