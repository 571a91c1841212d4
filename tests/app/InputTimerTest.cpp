#include <gtest/gtest.h>

#include <string>

#include "app/FrameTimer.h"
#include "app/InputState.h"
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

}  // namespace
}  // namespace velmora
