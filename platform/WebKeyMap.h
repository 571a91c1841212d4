#pragma once
// The page's input in Windows terms, as SdlKeyMap gives SDL's: KeyboardEvent.code strings to
// virtual-key codes, the held keys and buttons the page has seen, MouseEvent.button to the mouse
// buttons' codes, WheelEvent deltas to WM_MOUSEWHEEL notches, and which keys the page keeps from
// the browser. Plain C++ with no browser headers, so that it builds and is tested natively.
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/VirtualKeys.h"

namespace velmora {

/// The specific virtual-key code of a KeyboardEvent.code (VK_LSHIFT, not VK_SHIFT), 0 for none.
/// Positional, like the codes themselves: "KeyA" is the key in the place of US "A", 0x41,
/// whatever the layout prints on it. The same keys SdlKeyMap knows, with the same codes.
int virtualKeyFromDomCode(std::string_view code);

/// The virtual key of a MouseEvent.button (0 left, 1 middle, 2 right, 3 back, 4 forward),
/// 0 for any other.
int virtualKeyFromMouseButton(int button);

/// Whether the page keeps a key from the browser (preventDefault) rather than let the browser
/// act on it. The page keeps the keys the program reads, so that Tab, Space, the arrows, F1
/// and F5 neither scroll, move the focus nor reload the page; it leaves the browser Escape
/// (leaving pointer lock and full screen), F11 (its own full screen), keys it does not know,
/// and, with Ctrl held, everything but what the program reads together with Ctrl.
bool pageKeepsKey(int virtualKey, bool ctrlHeld);

/// The keys and mouse buttons held as the page's events left them, by specific virtual-key
/// code. Codes out of range and 0 are ignored.
class WebKeyboard {
  public:
    void press(int virtualKey) { set(virtualKey, true); }
    void release(int virtualKey) { set(virtualKey, false); }
    /// Every key and button up: the page lost the focus and will not hear their releases.
    void releaseAll() { keys.fill(false); }
    /// Whether the key is held. VK_SHIFT, VK_CONTROL and VK_MENU are held while either of
    /// their left or right keys is, as sdlVirtualKeyHeld has them.
    bool held(int virtualKey) const;

  private:
    void set(int virtualKey, bool down) {
        if (virtualKey > 0 && virtualKey < kVirtualKeyCount) {
            keys[static_cast<std::size_t>(virtualKey)] = down;
        }
    }
    std::array<bool, kVirtualKeyCount> keys{};
};

/// WheelEvent.deltaMode values.
enum : unsigned { kDomDeltaPixel = 0, kDomDeltaLine = 1, kDomDeltaPage = 2 };

/// One notch of a wheel as browsers report it: 100 pixels (Chrome and Edge on Windows, and
/// Firefox when it gives pixels), 3 lines (Firefox's own mode) or a page (Windows set to
/// scroll a page a notch). Some report about 53 pixels a notch (Chrome on Linux), which is why
/// a single event of half a notch or more counts as one.
inline constexpr double kWheelPixelsPerNotch = 100.0;
inline constexpr double kWheelLinesPerNotch = 3.0;
inline constexpr double kWheelPagesPerNotch = 1.0;
/// The most notches one event gives; a flick beyond it is cut, not carried into later events.
inline constexpr int kMostWheelNotchesPerEvent = 3;

/// Turns WheelEvent deltas into WM_MOUSEWHEEL amounts. A trackpad sends many small deltas: they
/// add up until they make a whole notch, so that none is lost and none makes a notch alone.
class WheelNotches {
  public:
    /// WM_MOUSEWHEEL's signed amount for one event: 120 a notch, positive away from the user
    /// (a negative deltaY), 0 while the deltas so far make less than a notch. An unknown
    /// deltaMode or a delta that is not finite gives 0.
    int amount(double deltaY, unsigned deltaMode);

  private:
    /// Notches not yet given, away from the user positive; always less than one.
    double pending = 0.0;
};

/// WM_MOUSEWHEEL's wParam for an amount: the amount in the high word, as the SDL seam sends it.
inline std::uintptr_t wheelWParam(int amount) {
    return static_cast<std::uintptr_t>(static_cast<std::uint16_t>(amount)) << 16;
}

}  // namespace velmora
