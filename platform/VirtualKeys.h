#pragma once
// Windows virtual-key codes, the indices of the input snapshot and of getAsyncKeyState.
// Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30) and have no
// names of their own, as on Windows.

namespace velmora {

enum : int {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_MBUTTON = 0x04,
    VK_XBUTTON1 = 0x05,
    VK_XBUTTON2 = 0x06,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,    ///< either Shift key
    VK_CONTROL = 0x11,  ///< either Ctrl key
    VK_MENU = 0x12,     ///< either Alt key
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,  ///< VK_NUMPAD1..9 follow in order
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,  ///< VK_F2..F24 follow in order
    VK_F12 = 0x7B,
    VK_F24 = 0x87,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0,
    VK_RSHIFT = 0xA1,
    VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4,
    VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA,  ///< ;:
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,    ///< /?
    VK_OEM_3 = 0xC0,    ///< `~
    VK_OEM_4 = 0xDB,    ///< [{
    VK_OEM_5 = 0xDC,    ///< \|
    VK_OEM_6 = 0xDD,    ///< ]}
    VK_OEM_7 = 0xDE,    ///< '"
    VK_OEM_102 = 0xE2,  ///< the extra key left of Z on ISO keyboards
};

/// The number of virtual-key codes, 0 to 255.
inline constexpr int kVirtualKeyCount = 256;

}  // namespace velmora
