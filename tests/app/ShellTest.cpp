// The shell on the scripted operating system: the frame timer and the window's display mode.
#include <gtest/gtest.h>

#include "app/FrameTimer.h"
#include "app/Window.h"
#include "platform/ScriptedOperatingSystem.h"

namespace velmora {
namespace {

TEST(FrameTimer, ACounterReadThatFailsNeverSendsTimeBackwards) {
    ScriptedOperatingSystem os;
    os.frequency = 1000;
    os.counter = 500;
    FrameTimer timer(os);
    ASSERT_TRUE(timer.start());
    os.counterFails = true;
    timer.tick();
    EXPECT_EQ(timer.deltaTime, 0.0f);
    os.counterFails = false;
    os.counter += 500;
    timer.tick();
    EXPECT_FLOAT_EQ(timer.deltaTime, 0.5f);
}

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

TEST_F(WindowTest, FullScreenRoundTripRestoresTheWindowAndAModeWithoutAreaChangesNothing) {
    const Rect windowed = os.getWindowRect(windowHandle);
    for (const DisplayMode mode : {DisplayMode{1280, 0, 60}, DisplayMode{0, 800, 60}}) {
        os.displayMode = mode;
        fullScreen = true;
        EXPECT_FALSE(switchDisplayMode());
        EXPECT_EQ(os.getWindowRect(windowHandle), windowed);
        EXPECT_EQ(savedWindowRect, Rect{});
        EXPECT_FLOAT_EQ(aspectRatio, 800.0f / 600.0f);
    }

    os.displayMode = {1280, 800, 60};
    os.counter = 5000;
    frameTimer.tick();
    os.counter = 5040;
    EXPECT_TRUE(switchDisplayMode());
    EXPECT_FLOAT_EQ(frameTimer.deltaTime, 0.04f);  // ticked: the switch stays out of a pass
    EXPECT_EQ(savedWindowRect, windowed);
    EXPECT_FLOAT_EQ(aspectRatio, 1.6f);
    EXPECT_EQ(os.getWindowRect(windowHandle), (Rect{0, 0, 1280, 800}));

    fullScreen = false;
    switchDisplayMode();
    EXPECT_EQ(os.getWindowRect(windowHandle), windowed);
    EXPECT_EQ(os.getClientRect(windowHandle), (Rect{0, 0, 800, 600}));
    EXPECT_FLOAT_EQ(aspectRatio, 800.0f / 600.0f);  // the client's, not the outer 804 x 632
}

}  // namespace
}  // namespace velmora
