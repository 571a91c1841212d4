// SDL scancodes onto Windows virtual-key codes, for the key state the program polls.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "platform/SdlKeyMap.h"
#include "platform/VirtualKeys.h"

namespace velmora {
namespace {

TEST(SdlKeyMap, KeysLandOnTheirCodesNoneAsAButtonAndEitherModifierHoldsTheGenericCode) {
    EXPECT_EQ(virtualKeyFromScancode(SDL_SCANCODE_0), '0');  // after 9 in SDL, before 1 here
    // A key mapped to 1, 2 or 4 would read as a held mouse button; the generic modifier
    // codes must come from both sides, never from a single key.
    const std::set<int> reserved = {VK_LBUTTON,  VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1,
                                    VK_XBUTTON2, VK_SHIFT,   VK_CONTROL, VK_MENU};
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
        const int vk = virtualKeyFromScancode(static_cast<SDL_Scancode>(s));
        EXPECT_TRUE(vk >= 0 && vk < kVirtualKeyCount && !reserved.contains(vk)) << s;
    }

    std::array<Uint8, SDL_NUM_SCANCODES> state{};
    state[SDL_SCANCODE_RSHIFT] = 1;
    state[SDL_SCANCODE_LCTRL] = 1;
    state[SDL_SCANCODE_KP_ENTER] = 1;  // Enter, as on Windows
    std::set<int> held;
    for (int vk = 0; vk <= kVirtualKeyCount; ++vk) {
        held.insert(sdlVirtualKeyHeld(vk, state.data()) ? vk : -1);
    }
    EXPECT_EQ(held, (std::set<int>{-1, VK_RETURN, VK_SHIFT, VK_CONTROL, VK_RSHIFT, VK_LCONTROL}));
}

}  // namespace
}  // namespace velmora
