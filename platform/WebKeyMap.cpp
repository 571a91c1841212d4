#include "platform/WebKeyMap.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int kKeyF11 = VK_F1 + 10;

struct NamedKey {
    std::string_view code;
    int virtualKey;
};

constexpr NamedKey kNamedKeys[] = {
    {"Enter", VK_RETURN},
    {"NumpadEnter", VK_RETURN},  // Windows does not tell the two apart
    {"Escape", VK_ESCAPE},
    {"Backspace", VK_BACK},
    {"Tab", VK_TAB},
    {"Space", VK_SPACE},
    {"Minus", VK_OEM_MINUS},
    {"Equal", VK_OEM_PLUS},
    {"BracketLeft", VK_OEM_4},
    {"BracketRight", VK_OEM_6},
    {"Backslash", VK_OEM_5},  // also the key left of Enter on ISO keyboards
    {"Semicolon", VK_OEM_1},
    {"Quote", VK_OEM_7},
    {"Backquote", VK_OEM_3},
    {"Comma", VK_OEM_COMMA},
    {"Period", VK_OEM_PERIOD},
    {"Slash", VK_OEM_2},
    {"IntlBackslash", VK_OEM_102},
    {"CapsLock", VK_CAPITAL},
    {"PrintScreen", VK_SNAPSHOT},
    {"ScrollLock", VK_SCROLL},
    {"Pause", VK_PAUSE},
    {"Insert", VK_INSERT},
    {"Home", VK_HOME},
    {"PageUp", VK_PRIOR},
    {"Delete", VK_DELETE},
    {"End", VK_END},
    {"PageDown", VK_NEXT},
    {"ArrowRight", VK_RIGHT},
    {"ArrowLeft", VK_LEFT},
    {"ArrowDown", VK_DOWN},
    {"ArrowUp", VK_UP},
    {"NumLock", VK_NUMLOCK},
    {"NumpadDivide", VK_DIVIDE},
    {"NumpadMultiply", VK_MULTIPLY},
    {"NumpadSubtract", VK_SUBTRACT},
    {"NumpadAdd", VK_ADD},
    {"NumpadDecimal", VK_DECIMAL},
    {"ContextMenu", VK_APPS},
    {"ControlLeft", VK_LCONTROL},
    {"ShiftLeft", VK_LSHIFT},
    {"AltLeft", VK_LMENU},
    {"MetaLeft", VK_LWIN},
    {"OSLeft", VK_LWIN},  // Firefox's name for it before version 118
    {"ControlRight", VK_RCONTROL},
    {"ShiftRight", VK_RSHIFT},
    {"AltRight", VK_RMENU},
    {"MetaRight", VK_RWIN},
    {"OSRight", VK_RWIN},
};

/// The number after `prefix` in `code`, without sign or leading zero; -1 when there is none.
int numberAfter(std::string_view code, std::string_view prefix) {
    if (!code.starts_with(prefix) || code.size() == prefix.size() ||
        code.size() > prefix.size() + 2) {
        return -1;
    }
    const std::string_view digits = code.substr(prefix.size());
    if (digits.size() > 1 && digits.front() == '0') {
        return -1;
    }
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

int virtualKeyFromDomCode(std::string_view code) {
    if (code.size() == 4 && code.starts_with("Key") && code[3] >= 'A' && code[3] <= 'Z') {
        return code[3];
    }
    if (const int digit = numberAfter(code, "Digit"); digit >= 0 && digit <= 9) {
        return '0' + digit;
    }
    if (const int digit = numberAfter(code, "Numpad"); digit >= 0 && digit <= 9) {
        return VK_NUMPAD0 + digit;
    }
    if (const int f = numberAfter(code, "F"); f >= 1 && f <= 24) {
        return VK_F1 + (f - 1);
    }
    for (const NamedKey& key : kNamedKeys) {
        if (key.code == code) {
            return key.virtualKey;
        }
    }
    return 0;
}

int virtualKeyFromMouseButton(int button) {
    switch (button) {
        case 0:
            return VK_LBUTTON;
        case 1:
            return VK_MBUTTON;
        case 2:
            return VK_RBUTTON;
        case 3:
            return VK_XBUTTON1;
        case 4:
            return VK_XBUTTON2;
        default:
            return 0;
    }
}

bool pageKeepsKey(int virtualKey, bool ctrlHeld) {
    if (virtualKey <= 0 || virtualKey >= kVirtualKeyCount || virtualKey == VK_ESCAPE ||
        virtualKey == kKeyF11) {
        return false;
    }
    if (!ctrlHeld) {
        return true;
    }
    // Ctrl is the camera's down thrust, so Ctrl with W, A, S, D, Space, Shift or E is flying,
    // not Ctrl+S saving the page or Ctrl+D bookmarking it; Ctrl+Z and Ctrl+Y undo and redo.
    switch (virtualKey) {
        case 'W':
        case 'A':
        case 'S':
        case 'D':
        case 'E':
        case 'Z':
        case 'Y':
        case VK_SPACE:
        case VK_LSHIFT:
        case VK_RSHIFT:
        case VK_LCONTROL:
        case VK_RCONTROL:
            return true;
        default:
            return false;
    }
}

bool WebKeyboard::held(int virtualKey) const {
    const auto down = [this](int vk) { return keys[static_cast<std::size_t>(vk)]; };
    switch (virtualKey) {
        case VK_SHIFT:
            return down(VK_LSHIFT) || down(VK_RSHIFT);
        case VK_CONTROL:
            return down(VK_LCONTROL) || down(VK_RCONTROL);
        case VK_MENU:
            return down(VK_LMENU) || down(VK_RMENU);
        default:
            return virtualKey > 0 && virtualKey < kVirtualKeyCount && down(virtualKey);
    }
}

int WheelNotches::amount(double deltaY, unsigned deltaMode) {
    double perNotch = 0.0;
    switch (deltaMode) {
        case kDomDeltaPixel:
            perNotch = kWheelPixelsPerNotch;
            break;
        case kDomDeltaLine:
            perNotch = kWheelLinesPerNotch;
            break;
        case kDomDeltaPage:
            perNotch = kWheelPagesPerNotch;
            break;
        default:
            return 0;
    }
    if (!std::isfinite(deltaY) || deltaY == 0.0) {
        return 0;
    }
    const double notches = -deltaY / perNotch;  // away from the user positive
    // Turning back drops what was left over the other way, or it would swallow the first
    // deltas of the turn.
    if ((notches > 0.0) != (pending > 0.0)) {
        pending = 0.0;
    }
    pending += notches;
    // Tenths of a notch add up to a little less than one in doubles: a millionth is let go.
    constexpr double kSlack = 1e-6;
    double whole = std::trunc(pending + (pending > 0.0 ? kSlack : -kSlack));
    if (whole == 0.0 && std::abs(notches) >= 0.5) {
        // A wheel whose notches are reported as less than a notch (53 pixels): one is one.
        whole = notches > 0.0 ? 1.0 : -1.0;
        pending = 0.0;
    } else {
        pending -= whole;
    }
    const double most = kMostWheelNotchesPerEvent;
    return static_cast<int>(std::clamp(whole, -most, most)) * 120;
}

}  // namespace velmora
