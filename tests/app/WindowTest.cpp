#include <gtest/gtest.h>

#include "app/FrameTimer.h"
#include "app/Window.h"
#include "platform/ScriptedOperatingSystem.h"

namespace velmora {
namespace {

/// A scripted operating system with a caption frame, the window created as at start-up.
class WindowTest : public ::testing::Test {
  protected:
    ScriptedOperatingSystem os;
    FrameTimer frameTimer{os};

    void SetUp() override {
        resetWindowState();
        os.frame = {2, 30, 2, 2};
        os.frequency = 1000;
        instanceHandle = &os;
        timer = &frameTimer;
        frameTimer.start();
        ASSERT_TRUE(createWindow("renderer", SW_SHOWNORMAL));
    }
    void TearDown() override {
        timer = nullptr;
        resetWindowState();
    }
};

TEST_F(WindowTest, CreatedShownWithFocusAndTheProcedureQuitsOnCloseAndDestroy) {
    EXPECT_EQ(os.getClientRect(windowHandle), (Rect{0, 0, 800, 600}));
    EXPECT_EQ(os.getWindowStyle(windowHandle), kWindowedStyle);
    EXPECT_EQ(os.windowTitle(windowHandle), "Velmora");
    EXPECT_TRUE(os.isVisible(windowHandle) && hasFocus);
    const Rect before = os.getWindowRect(windowHandle);
    EXPECT_EQ(os.dispatchMessage({windowHandle, WM_CLOSE, 0, 0}), 0);
    EXPECT_EQ(os.dispatchMessage({windowHandle, WM_DESTROY, 0, 0}), 0);
    EXPECT_EQ(os.postedQuits, (std::vector<int>{0, 0}));
    EXPECT_TRUE(os.defaultHandled.empty());  // the window is not destroyed
    EXPECT_EQ(os.getWindowRect(windowHandle), before);

    EXPECT_EQ(os.dispatchMessage({windowHandle, WM_KILLFOCUS, 0, 0}), 0);
    EXPECT_FALSE(hasFocus);
    EXPECT_EQ(os.dispatchMessage({windowHandle, WM_SETFOCUS, 0, 0}), 0);
    EXPECT_TRUE(hasFocus);
    os.dispatchMessage({windowHandle, 0x000F, 7, 9});  // WM_PAINT goes to the default
    ASSERT_EQ(os.defaultHandled.size(), 1u);
    EXPECT_EQ(os.defaultHandled[0].wParam, 7u);
}

TEST_F(WindowTest, FullScreenRoundTripRestoresTheSavedOuterRectangle) {
    const Rect windowed = os.getWindowRect(windowHandle);
    os.counter = 5000;
    frameTimer.tick();
    os.calls.clear();
    os.counter = 5040;

    fullScreen = true;
    EXPECT_TRUE(switchDisplayMode());
    EXPECT_EQ(savedWindowRect, windowed);
    EXPECT_FLOAT_EQ(aspectRatio, 1.6f);
    EXPECT_EQ(os.calls,
              (std::vector<std::string>{"getWindowRect", "currentDisplayMode", "setWindowStyle",
                                        "setWindowPos", "queryPerformanceCounter"}));
    EXPECT_FLOAT_EQ(frameTimer.deltaTime, 0.04f);  // one tick, at the end of the switch
    EXPECT_EQ(os.getWindowRect(windowHandle), (Rect{0, 0, 1280, 800}));

    os.counter = 5100;
    fullScreen = false;
    switchDisplayMode();
    EXPECT_EQ(os.getWindowRect(windowHandle), windowed);
    EXPECT_EQ(os.getClientRect(windowHandle), (Rect{0, 0, 800, 600}));
    EXPECT_EQ(os.styles, (std::vector<std::uint32_t>{kFullScreenStyle, kWindowedStyle}));
    EXPECT_FLOAT_EQ(aspectRatio, 804.0f / 632.0f);  // the outer ratio, frame included
    EXPECT_FLOAT_EQ(frameTimer.deltaTime, 0.06f);
    EXPECT_EQ(os.counterReads, 4);
}

TEST_F(WindowTest, ADisplayModeWithoutAreaLeavesTheWindowAsItIs) {
    const Rect windowed = os.getWindowRect(windowHandle);
    const float ratio = aspectRatio;
    for (const DisplayMode mode : {DisplayMode{1280, 0, 60}, DisplayMode{0, 800, 60}}) {
        os.displayMode = mode;
        os.styles.clear();
        fullScreen = true;
        EXPECT_FALSE(switchDisplayMode());
        EXPECT_EQ(os.getWindowRect(windowHandle), windowed);
        EXPECT_TRUE(os.styles.empty());
        EXPECT_EQ(savedWindowRect, Rect{});
        EXPECT_EQ(aspectRatio, ratio);
    }
}

}  // namespace
}  // namespace velmora
