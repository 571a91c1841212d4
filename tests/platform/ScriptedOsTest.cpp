#include <gtest/gtest.h>

#include "platform/ScriptedOperatingSystem.h"

namespace velmora {
namespace {

TEST(ScriptedOs, QuitComesOutAfterEverythingQueuedAndOnlyOnce) {
    ScriptedOperatingSystem os;
    os.pushMessage({nullptr, WM_SETFOCUS, 0, 0});
    os.postQuitMessage(3);
    os.pushMessage({nullptr, WM_CLOSE, 0, 0});
    os.postQuitMessage(5);  // a second post replaces the code, it adds no second quit
    std::vector<std::uint32_t> taken;
    Message m;
    while (os.peekMessage(m)) {
        taken.push_back(m.message);
    }
    EXPECT_EQ(taken, (std::vector<std::uint32_t>{WM_SETFOCUS, WM_CLOSE, WM_QUIT}));
    EXPECT_EQ(m.wParam, 5u);
}

TEST(ScriptedOs, WindowsNeedARegisteredClassAndGrowByTheFrameOfFramedStylesOnly) {
    ScriptedOperatingSystem os;
    os.frame = {3, 25, 4, 5};
    os.displayMode = {1000, 800, 60};
    EXPECT_EQ(os.createWindow("c", "t", WS_CAPTION, 0, 0, 100, 100), nullptr);
    WindowClass cls;
    cls.className = "c";
    EXPECT_TRUE(os.registerClass(cls));
    EXPECT_FALSE(os.registerClass(cls));
    const Rect outer = os.adjustWindowRect({0, 0, 800, 600}, WS_CAPTION);
    EXPECT_EQ(outer, (Rect{-3, -25, 804, 605}));
    EXPECT_EQ(os.adjustWindowRect({0, 0, 800, 600}, WS_POPUP), (Rect{0, 0, 800, 600}));

    // A default position centres the client area on the display.
    const WindowHandle w = os.createWindow("c", "t", WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                                           outer.width(), outer.height());
    EXPECT_EQ(os.getClientRect(w), (Rect{0, 0, 800, 600}));
    EXPECT_EQ(os.getWindowRect(w), (Rect{97, 75, 904, 705}));
    EXPECT_EQ(os.screenToClient(w, {100, 100}), (Point{0, 0}));
    EXPECT_EQ(os.clientToScreen(w, {400, 300}), (Point{500, 400}));
    os.setWindowStyle(w, WS_POPUP);
    os.setWindowPos(w, 0, 0, 1000, 800);
    EXPECT_EQ(os.getClientRect(w), (Rect{0, 0, 1000, 800}));
    EXPECT_EQ(os.screenToClient(w, {10, 20}), (Point{10, 20}));
}

TEST(ScriptedOs, GenericModifiersFollowEitherSideAndWarpsMoveTheCursor) {
    ScriptedOperatingSystem os;
    os.setKey(VK_RSHIFT, true);
    os.setKey(VK_LMENU, true);
    EXPECT_NE(os.getAsyncKeyState(VK_SHIFT) & 0x8000, 0);
    EXPECT_NE(os.getAsyncKeyState(VK_MENU) & 0x8000, 0);
    EXPECT_EQ(os.getAsyncKeyState(VK_CONTROL), 0);
    EXPECT_EQ(os.getAsyncKeyState(VK_LSHIFT), 0);
    EXPECT_EQ(os.getAsyncKeyState(300), 0);
    os.cursor = {5, 6};
    os.setCursorPos(400, 300);
    EXPECT_EQ(os.getCursorPos(), (Point{400, 300}));
}

}  // namespace
}  // namespace velmora
