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
    os.registerClass(cls);
    const Rect outer = os.adjustWindowRect({0, 0, 800, 600}, WS_CAPTION);
    EXPECT_EQ(outer, (Rect{-3, -25, 804, 605}));
    EXPECT_EQ(os.adjustWindowRect({0, 0, 800, 600}, WS_POPUP), (Rect{0, 0, 800, 600}));

    // A default position centres the client area on the display.
    const WindowHandle w = os.createWindow("c", "t", WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                                           outer.width(), outer.height());
    EXPECT_EQ(os.getClientRect(w), (Rect{0, 0, 800, 600}));
    EXPECT_EQ(os.getWindowRect(w), (Rect{97, 75, 904, 705}));
    EXPECT_EQ(os.screenToClient(w, {100, 100}), (Point{0, 0}));
    os.setWindowStyle(w, WS_POPUP);
    os.setWindowPos(w, 0, 0, 1000, 800);
    EXPECT_EQ(os.getClientRect(w), (Rect{0, 0, 1000, 800}));
}

}  // namespace
}  // namespace velmora
