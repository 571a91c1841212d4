// The shell on the scripted operating system: the input snapshot, the frame timer, and the
// window's display mode.
#include <gtest/gtest.h>

#include <string>

#include "app/FrameTimer.h"
#include "app/InputState.h"
#include "app/Window.h"
#include "platform/ScriptedOperatingSystem.h"

namespace velmora {
namespace {

TEST(InputState, FirstUpdateAndCursorMotionMeasuredFromTheLastReadOrWarp) {
    ScriptedOperatingSystem os;
    os.cursor = {10, 20};
    os.setKey('W', true);
    InputState input(os);
    EXPECT_FALSE(input.down['W']);
    os.cursor = {15, 18};
    input.update();  // keys held before construction come as presses
    EXPECT_TRUE(input.pressed['W'] && input.down['W']);
    EXPECT_EQ(input.previousCursor, (Point{10, 20}));  // read at construction
    EXPECT_EQ(input.cursor, (Point{15, 18}));

    // What the main loop does after mouse look or a drag step.
    os.setCursorPos(400, 300);
    input.cursor = {400, 300};
    os.cursor = {407, 296};
    input.update();
    EXPECT_EQ(input.previousCursor, (Point{400, 300}));
    EXPECT_EQ(input.cursor, (Point{407, 296}));
}

TEST(InputState, EdgesOfAHeldKeyAndAPressTooShortToSee) {
    ScriptedOperatingSystem os;
    InputState input(os);
    std::string passes;
    for (bool held : {false, true, true, true, false, false}) {
        os.setKey(VK_ESCAPE, held);
        // Tab goes down and up again between two updates: never seen.
        os.setKey(VK_TAB, true);
        os.setKey(VK_TAB, false);
        input.update();
        for (int k : {VK_ESCAPE, VK_TAB}) {
            passes += {input.pressed[k] ? 'p' : '-', input.down[k] ? 'd' : '-',
                       input.released[k] ? 'r' : '-'};
        }
        passes += ' ';
    }
    EXPECT_EQ(passes, "------ pd---- -d---- -d---- --r--- ------ ");
}

TEST(FrameTimer, DeltasCountFromTheLastTickAndNeverGoBackwards) {
    ScriptedOperatingSystem os;
    os.frequency = 1000;
    os.counter = 500;
    FrameTimer timer(os);
    ASSERT_TRUE(timer.start());
    os.counter = 2500;  // start-up takes two seconds
    timer.tick();
    os.counter = 2516;
    timer.tick();
    EXPECT_FLOAT_EQ(timer.deltaTime, 0.016f);  // from the last tick, not from start
    os.counter += 7000;                        // one stall, one large delta
    timer.tick();
    EXPECT_FLOAT_EQ(timer.deltaTime, 7.0f);
    // A counter read that fails does not send time backwards.
    os.counterFails = true;
    timer.tick();
    EXPECT_EQ(timer.deltaTime, 0.0f);
    os.counterFails = false;
    os.counter += 500;
    timer.tick();
    EXPECT_FLOAT_EQ(timer.deltaTime, 0.5f);

    // Without a usable frequency, time stands still.
    for (const bool zeroFrequency : {false, true}) {
        os.frequencyFails = !zeroFrequency;
        os.frequency = zeroFrequency ? 0 : 1000;
        FrameTimer still(os);
        EXPECT_FALSE(still.start());
        os.counter += 5000;
        still.tick();
        EXPECT_EQ(still.deltaTime, 0.0f);
    }
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
    EXPECT_FLOAT_EQ(aspectRatio, 804.0f / 632.0f);  // the outer ratio, frame included
}

}  // namespace
}  // namespace velmora
