#include "platform/SdlKeyMap.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/OperatingSystem.h"
#include "platform/VirtualKeys.h"

namespace velmora {

int virtualKeyFromScancode(SDL_Scancode scancode) {
    const int s = scancode;
    if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) {
        return 'A' + (s - SDL_SCANCODE_A);
    }
    // SDL orders the digit row 1..9, 0; Windows codes are the ASCII digits.
    if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) {
        return '1' + (s - SDL_SCANCODE_1);
    }
    if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F12) {
        return VK_F1 + (s - SDL_SCANCODE_F1);
    }
    if (s >= SDL_SCANCODE_F13 && s <= SDL_SCANCODE_F24) {
        return VK_F1 + 12 + (s - SDL_SCANCODE_F13);
    }
    if (s >= SDL_SCANCODE_KP_1 && s <= SDL_SCANCODE_KP_9) {
        return VK_NUMPAD0 + 1 + (s - SDL_SCANCODE_KP_1);
    }
    switch (scancode) {
        case SDL_SCANCODE_0:
            return '0';
        case SDL_SCANCODE_RETURN:
            return VK_RETURN;
        case SDL_SCANCODE_KP_ENTER:
            return VK_RETURN;  // Windows does not tell the two apart
        case SDL_SCANCODE_ESCAPE:
            return VK_ESCAPE;
        case SDL_SCANCODE_BACKSPACE:
            return VK_BACK;
        case SDL_SCANCODE_TAB:
            return VK_TAB;
        case SDL_SCANCODE_SPACE:
            return VK_SPACE;
        case SDL_SCANCODE_MINUS:
            return VK_OEM_MINUS;
        case SDL_SCANCODE_EQUALS:
            return VK_OEM_PLUS;
        case SDL_SCANCODE_LEFTBRACKET:
            return VK_OEM_4;
        case SDL_SCANCODE_RIGHTBRACKET:
            return VK_OEM_6;
        case SDL_SCANCODE_BACKSLASH:
            return VK_OEM_5;
        case SDL_SCANCODE_NONUSHASH:
            return VK_OEM_5;
        case SDL_SCANCODE_SEMICOLON:
            return VK_OEM_1;
        case SDL_SCANCODE_APOSTROPHE:
            return VK_OEM_7;
        case SDL_SCANCODE_GRAVE:
            return VK_OEM_3;
        case SDL_SCANCODE_COMMA:
            return VK_OEM_COMMA;
        case SDL_SCANCODE_PERIOD:
            return VK_OEM_PERIOD;
        case SDL_SCANCODE_SLASH:
            return VK_OEM_2;
        case SDL_SCANCODE_NONUSBACKSLASH:
            return VK_OEM_102;
        case SDL_SCANCODE_CAPSLOCK:
            return VK_CAPITAL;
        case SDL_SCANCODE_PRINTSCREEN:
            return VK_SNAPSHOT;
        case SDL_SCANCODE_SCROLLLOCK:
            return VK_SCROLL;
        case SDL_SCANCODE_PAUSE:
            return VK_PAUSE;
        case SDL_SCANCODE_INSERT:
            return VK_INSERT;
        case SDL_SCANCODE_HOME:
            return VK_HOME;
        case SDL_SCANCODE_PAGEUP:
            return VK_PRIOR;
        case SDL_SCANCODE_DELETE:
            return VK_DELETE;
        case SDL_SCANCODE_END:
            return VK_END;
        case SDL_SCANCODE_PAGEDOWN:
            return VK_NEXT;
        case SDL_SCANCODE_RIGHT:
            return VK_RIGHT;
        case SDL_SCANCODE_LEFT:
            return VK_LEFT;
        case SDL_SCANCODE_DOWN:
            return VK_DOWN;
        case SDL_SCANCODE_UP:
            return VK_UP;
        case SDL_SCANCODE_NUMLOCKCLEAR:
            return VK_NUMLOCK;
        case SDL_SCANCODE_KP_DIVIDE:
            return VK_DIVIDE;
        case SDL_SCANCODE_KP_MULTIPLY:
            return VK_MULTIPLY;
        case SDL_SCANCODE_KP_MINUS:
            return VK_SUBTRACT;
        case SDL_SCANCODE_KP_PLUS:
            return VK_ADD;
        case SDL_SCANCODE_KP_0:
            return VK_NUMPAD0;
        case SDL_SCANCODE_KP_PERIOD:
            return VK_DECIMAL;
        case SDL_SCANCODE_APPLICATION:
            return VK_APPS;
        case SDL_SCANCODE_LCTRL:
            return VK_LCONTROL;
        case SDL_SCANCODE_LSHIFT:
            return VK_LSHIFT;
        case SDL_SCANCODE_LALT:
            return VK_LMENU;
        case SDL_SCANCODE_LGUI:
            return VK_LWIN;
        case SDL_SCANCODE_RCTRL:
            return VK_RCONTROL;
        case SDL_SCANCODE_RSHIFT:
            return VK_RSHIFT;
        case SDL_SCANCODE_RALT:
            return VK_RMENU;
        case SDL_SCANCODE_RGUI:
            return VK_RWIN;
        default:
            return 0;
    }
}

namespace {

/// For each virtual key, the scancodes that hold it.
using ScancodeTable = std::array<std::vector<SDL_Scancode>, kVirtualKeyCount>;

ScancodeTable buildScancodeTable() {
    ScancodeTable table;
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
        const auto scancode = static_cast<SDL_Scancode>(s);
        const int vk = virtualKeyFromScancode(scancode);
        if (vk == 0) {
            continue;
        }
        table[vk].push_back(scancode);
        if (vk == VK_LSHIFT || vk == VK_RSHIFT) {
            table[VK_SHIFT].push_back(scancode);
        } else if (vk == VK_LCONTROL || vk == VK_RCONTROL) {
            table[VK_CONTROL].push_back(scancode);
        } else if (vk == VK_LMENU || vk == VK_RMENU) {
            table[VK_MENU].push_back(scancode);
        }
    }
    return table;
}

}  // namespace

bool sdlVirtualKeyHeld(int virtualKey, const Uint8* keyboardState) {
    static const ScancodeTable table = buildScancodeTable();
    if (virtualKey < 0 || virtualKey >= kVirtualKeyCount || keyboardState == nullptr) {
        return false;
    }
    for (SDL_Scancode scancode : table[virtualKey]) {
        if (keyboardState[scancode] != 0) {
            return true;
        }
    }
    return false;
}

SdlMessage messageFromEvent(const SDL_Event& event) {
    if (event.type == SDL_MOUSEWHEEL) {
        // WM_MOUSEWHEEL's high word: 120 a notch, away from the user positive.
        const int notches =
            event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        const auto delta = static_cast<std::int16_t>(std::clamp(notches, -273, 273) * 120);
        return {event.wheel.windowID, delta == 0 ? 0u : std::uint32_t{WM_MOUSEWHEEL},
                static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16};
    }
    if (event.type != SDL_WINDOWEVENT) {
        return {};
    }
    switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            return {event.window.windowID, WM_CLOSE, 0};
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return {event.window.windowID, WM_SETFOCUS, 0};
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return {event.window.windowID, WM_KILLFOCUS, 0};
        default:
            return {};
    }
}

Uint32 mouseMaskOf(int virtualKey) {
    switch (virtualKey) {
        case VK_LBUTTON:
            return SDL_BUTTON_LMASK;
        case VK_RBUTTON:
            return SDL_BUTTON_RMASK;
        case VK_MBUTTON:
            return SDL_BUTTON_MMASK;
        case VK_XBUTTON1:
            return SDL_BUTTON_X1MASK;
        case VK_XBUTTON2:
            return SDL_BUTTON_X2MASK;
        default:
            return 0;
    }
}

}  // namespace velmora
