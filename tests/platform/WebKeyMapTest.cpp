// The page's keyboard, mouse and wheel events onto Windows codes, for the input the program
// polls and the wheel messages it takes.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#ifndef __EMSCRIPTEN__
#include "platform/SdlKeyMap.h"
#endif
#include "platform/VirtualKeys.h"
#include "platform/WebKeyMap.h"

namespace velmora {
namespace {

/// Every KeyboardEvent.code a desktop keyboard sends, the ones without a Windows code too.
std::vector<std::string_view> allDomCodes() {
    std::vector<std::string_view> codes = {"Backquote",
                                           "Backslash",
                                           "BracketLeft",
                                           "BracketRight",
                                           "Comma",
                                           "Equal",
                                           "IntlBackslash",
                                           "IntlRo",
                                           "IntlYen",
                                           "Minus",
                                           "Period",
                                           "Quote",
                                           "Semicolon",
                                           "Slash",
                                           "AltLeft",
                                           "AltRight",
                                           "Backspace",
                                           "CapsLock",
                                           "ContextMenu",
                                           "ControlLeft",
                                           "ControlRight",
                                           "Enter",
                                           "MetaLeft",
                                           "MetaRight",
                                           "OSLeft",
                                           "OSRight",
                                           "ShiftLeft",
                                           "ShiftRight",
                                           "Space",
                                           "Tab",
                                           "Convert",
                                           "KanaMode",
                                           "Lang1",
                                           "Lang2",
                                           "NonConvert",
                                           "Delete",
                                           "End",
                                           "Help",
                                           "Home",
                                           "Insert",
                                           "PageDown",
                                           "PageUp",
                                           "ArrowDown",
                                           "ArrowLeft",
                                           "ArrowRight",
                                           "ArrowUp",
                                           "NumLock",
                                           "NumpadAdd",
                                           "NumpadComma",
                                           "NumpadDecimal",
                                           "NumpadDivide",
                                           "NumpadEnter",
                                           "NumpadEqual",
                                           "NumpadMultiply",
                                           "NumpadSubtract",
                                           "NumpadParenLeft",
                                           "Escape",
                                           "Fn",
                                           "PrintScreen",
                                           "ScrollLock",
                                           "Pause",
                                           "AudioVolumeMute",
                                           "MediaPlayPause",
                                           "Power",
                                           "Unidentified"};
    static const char* const kLetters[] = {"KeyA", "KeyB", "KeyC", "KeyD", "KeyE", "KeyF", "KeyG",
                                           "KeyH", "KeyI", "KeyJ", "KeyK", "KeyL", "KeyM", "KeyN",
                                           "KeyO", "KeyP", "KeyQ", "KeyR", "KeyS", "KeyT", "KeyU",
                                           "KeyV", "KeyW", "KeyX", "KeyY", "KeyZ"};
    static const char* const kNumbered[] = {
        "Digit0",  "Digit1",  "Digit2",  "Digit3",  "Digit4",  "Digit5",  "Digit6",  "Digit7",
        "Digit8",  "Digit9",  "Numpad0", "Numpad1", "Numpad2", "Numpad3", "Numpad4", "Numpad5",
        "Numpad6", "Numpad7", "Numpad8", "Numpad9", "F1",      "F2",      "F3",      "F4",
        "F5",      "F6",      "F7",      "F8",      "F9",      "F10",     "F11",     "F12",
        "F13",     "F14",     "F15",     "F16",     "F17",     "F18",     "F19",     "F20",
        "F21",     "F22",     "F23",     "F24"};
    codes.insert(codes.end(), std::begin(kLetters), std::end(kLetters));
    codes.insert(codes.end(), std::begin(kNumbered), std::end(kNumbered));
    return codes;
}

TEST(WebKeyMap, KeysLandOnTheirCodesNoneAsAButtonAndEitherModifierHoldsTheGenericCode) {
    // The ends of each numbered run, where an off-by-one would land.
    EXPECT_EQ(virtualKeyFromDomCode("KeyA"), 'A');
    EXPECT_EQ(virtualKeyFromDomCode("KeyZ"), 'Z');
    EXPECT_EQ(virtualKeyFromDomCode("Digit0"), '0');
    EXPECT_EQ(virtualKeyFromDomCode("Digit9"), '9');
    EXPECT_EQ(virtualKeyFromDomCode("Numpad0"), VK_NUMPAD0);
    EXPECT_EQ(virtualKeyFromDomCode("Numpad9"), VK_NUMPAD0 + 9);
    EXPECT_EQ(virtualKeyFromDomCode("F1"), VK_F1);
    EXPECT_EQ(virtualKeyFromDomCode("F12"), VK_F12);
    EXPECT_EQ(virtualKeyFromDomCode("F24"), VK_F24);
    // Near misses of the numbered names and of the letters are no keys, nor is case ignored.
    for (std::string_view code :
         {"", "Key", "Keya", "keyA", "KeyAA", "Digit", "Digit10", "Digit01", "F", "F0", "F01",
          "F25", "F1x", "Numpad10", "enter", "Enter ", "Shift"}) {
        EXPECT_EQ(virtualKeyFromDomCode(code), 0) << code;
    }

    // A key mapped to 1, 2 or 4 would read as a held mouse button; the generic modifier
    // codes must come from both sides, never from a single key. Two keys on one code would
    // hide one of them, except where Windows itself does not tell them apart.
    const std::set<int> reserved = {VK_LBUTTON,  VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1,
                                    VK_XBUTTON2, VK_SHIFT,   VK_CONTROL, VK_MENU};
    const std::set<std::string_view> sharing = {"NumpadEnter", "OSLeft", "OSRight"};
    std::map<int, std::string_view> owner;
    for (std::string_view code : allDomCodes()) {
        const int vk = virtualKeyFromDomCode(code);
        EXPECT_TRUE(vk >= 0 && vk < kVirtualKeyCount && !reserved.contains(vk)) << code;
        if (vk != 0 && !sharing.contains(code)) {
            const auto [it, fresh] = owner.emplace(vk, code);
            EXPECT_TRUE(fresh) << code << " and " << it->second;
        }
    }
#ifndef __EMSCRIPTEN__  // the desktop's key map is not in the web build, which runs this too
    // The page knows the keys the desktop knows, so a control works in both or in neither.
    std::set<int> desktop;
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
        if (const int vk = virtualKeyFromScancode(static_cast<SDL_Scancode>(s)); vk != 0) {
            desktop.insert(vk);
        }
    }
    std::set<int> page;
    for (const auto& [vk, code] : owner) {
        page.insert(vk);
    }
    EXPECT_EQ(page, desktop);
#endif
    EXPECT_EQ(virtualKeyFromDomCode("NumpadEnter"), VK_RETURN);  // Enter, as on Windows

    WebKeyboard keyboard;
    keyboard.press(virtualKeyFromDomCode("ShiftRight"));
    keyboard.press(virtualKeyFromDomCode("ControlLeft"));
    keyboard.press(virtualKeyFromDomCode("NumpadEnter"));
    const auto heldSet = [&keyboard] {
        std::set<int> held;
        for (int vk = -1; vk <= kVirtualKeyCount; ++vk) {
            if (keyboard.held(vk)) {
                held.insert(vk);
            }
        }
        return held;
    };
    EXPECT_EQ(heldSet(), (std::set<int>{VK_RETURN, VK_SHIFT, VK_CONTROL, VK_RSHIFT, VK_LCONTROL}));
    // Both Shifts down, one let go: Shift is still held.
    keyboard.press(VK_LSHIFT);
    keyboard.release(VK_RSHIFT);
    EXPECT_TRUE(keyboard.held(VK_SHIFT));
    keyboard.release(VK_LSHIFT);
    EXPECT_FALSE(keyboard.held(VK_SHIFT));
    // Releasing a key that was never pressed, or no key, touches nothing held.
    keyboard.release(0);
    keyboard.release(VK_RMENU);
    EXPECT_EQ(heldSet(), (std::set<int>{VK_RETURN, VK_CONTROL, VK_LCONTROL}));
    // Out-of-range codes are ignored, not written past the table.
    keyboard.press(-1);
    keyboard.press(kVirtualKeyCount);
    EXPECT_EQ(heldSet(), (std::set<int>{VK_RETURN, VK_CONTROL, VK_LCONTROL}));
    keyboard.releaseAll();
    EXPECT_TRUE(heldSet().empty());
}

TEST(WebKeyMap, MouseButtonsLandOnTheirCodesInTheDomOrder) {
    // The DOM numbers the middle button 1 and the right one 2, Windows the other way round.
    EXPECT_EQ(virtualKeyFromMouseButton(0), VK_LBUTTON);
    EXPECT_EQ(virtualKeyFromMouseButton(1), VK_MBUTTON);
    EXPECT_EQ(virtualKeyFromMouseButton(2), VK_RBUTTON);
    EXPECT_EQ(virtualKeyFromMouseButton(3), VK_XBUTTON1);
    EXPECT_EQ(virtualKeyFromMouseButton(4), VK_XBUTTON2);
    EXPECT_EQ(virtualKeyFromMouseButton(5), 0);
    EXPECT_EQ(virtualKeyFromMouseButton(-1), 0);

    WebKeyboard buttons;
    buttons.press(virtualKeyFromMouseButton(2));
    EXPECT_TRUE(buttons.held(VK_RBUTTON));
    EXPECT_FALSE(buttons.held(VK_MBUTTON));
    buttons.releaseAll();
    EXPECT_FALSE(buttons.held(VK_RBUTTON));
}

TEST(WebKeyMap, ThePageKeepsTheProgramsKeysAndLeavesTheBrowserItsOwn) {
    // Reloading on F5 or Ctrl+S's save dialog would lose the run; Tab, Space and the arrows
    // would move the focus or scroll the page.
    using Keys = std::initializer_list<int>;
    for (int vk : Keys{VK_F1 + 4, VK_F1, VK_TAB, VK_SPACE, VK_LEFT, VK_DOWN, VK_HOME, 'W', VK_LMENU,
                       VK_RETURN, VK_F12}) {
        EXPECT_TRUE(pageKeepsKey(vk, false)) << vk;
    }
    for (int vk : Keys{'W', 'S', 'D', 'A', 'Z', 'Y', VK_SPACE}) {
        EXPECT_TRUE(pageKeepsKey(vk, true)) << vk;
    }
    // Escape leaves pointer lock and full screen; F11, Ctrl+R and Ctrl+Tab are the user's.
    EXPECT_FALSE(pageKeepsKey(VK_ESCAPE, false));
    EXPECT_FALSE(pageKeepsKey(VK_F1 + 10, false));
    EXPECT_FALSE(pageKeepsKey('R', true));
    EXPECT_FALSE(pageKeepsKey(VK_TAB, true));
    EXPECT_FALSE(pageKeepsKey(0, false));
}

TEST(WebKeyMap, WheelDeltasGiveWholeNotchesAwayFromTheUserPositive) {
    // A notch of each browser: 100 pixels, 3 lines, a page, 53 pixels; up is away.
    WheelNotches wheel;
    EXPECT_EQ(wheel.amount(-100.0, kDomDeltaPixel), 120);
    EXPECT_EQ(wheel.amount(100.0, kDomDeltaPixel), -120);
    EXPECT_EQ(wheel.amount(3.0, kDomDeltaLine), -120);
    EXPECT_EQ(wheel.amount(-1.0, kDomDeltaPage), 120);
    for (int notch = 0; notch < 5; ++notch) {
        EXPECT_EQ(wheel.amount(53.0, kDomDeltaPixel), -120) << notch;
    }
    EXPECT_EQ(wheel.amount(-200.0, kDomDeltaPixel), 240);

    // A trackpad's small deltas add up to a notch: none alone, none lost.
    WheelNotches trackpad;
    for (int event = 1; event < 25; ++event) {
        EXPECT_EQ(trackpad.amount(4.0, kDomDeltaPixel), 0) << event;
    }
    EXPECT_EQ(trackpad.amount(4.0, kDomDeltaPixel), -120);
    // What was left over towards the user does not delay a turn away.
    for (int event = 0; event < 5; ++event) {
        trackpad.amount(9.0, kDomDeltaPixel);
    }
    for (int event = 1; event < 10; ++event) {
        EXPECT_EQ(trackpad.amount(-10.0, kDomDeltaPixel), 0) << event;
    }
    EXPECT_EQ(trackpad.amount(-10.0, kDomDeltaPixel), 120);

    // A flick gives a bounded count and leaves nothing to spill into the next events.
    WheelNotches flick;
    EXPECT_EQ(flick.amount(1e9, kDomDeltaPixel), -kMostWheelNotchesPerEvent * 120);
    EXPECT_EQ(flick.amount(40.0, kDomDeltaPixel), 0);
    // Nothing from a delta that is no number, or in a mode the DOM does not have.
    WheelNotches odd;
    EXPECT_EQ(odd.amount(std::numeric_limits<double>::quiet_NaN(), kDomDeltaPixel), 0);
    EXPECT_EQ(odd.amount(-std::numeric_limits<double>::infinity(), kDomDeltaLine), 0);
    EXPECT_EQ(odd.amount(-3.0, 3), 0);
    EXPECT_EQ(odd.amount(-100.0, kDomDeltaPixel), 120);

    // The program reads the amount back from the high word, sign and all.
    for (int amount : {120, -120, -kMostWheelNotchesPerEvent * 120}) {
        EXPECT_EQ(static_cast<std::int16_t>(wheelWParam(amount) >> 16), amount);
    }
}

}  // namespace
}  // namespace velmora
