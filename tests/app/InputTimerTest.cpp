#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/FrameTimer.h"
#include "app/InputState.h"
#include "platform/ScriptedOperatingSystem.h"

namespace velmora {
namespace {

TEST(InputState, FirstUpdateReportsKeysAlreadyHeldAndTheCursorReadAtConstruction) {
    ScriptedOperatingSystem os;
    os.cursor = {10, 20};
    os.setKey('W', true);
    os.setKey(VK_LBUTTON, true);
    InputState input(os);
    EXPECT_FALSE(input.down['W']);
    EXPECT_EQ(input.cursor, (Point{10, 20}));
    os.cursor = {15, 18};
    input.update();
    EXPECT_TRUE(input.pressed['W'] && input.down['W']);
    EXPECT_TRUE(input.pressed[VK_LBUTTON]);
    EXPECT_FALSE(input.pressed['S']);
    EXPECT_EQ(input.previousCursor, (Point{10, 20}));
    EXPECT_EQ(input.cursor, (Point{15, 18}));
}

/// The three flags of one code as "pdr", a dash for each one that is off.
std::string flagsOf(const InputState& input, int k) {
    return {input.pressed[k] ? 'p' : '-', input.down[k] ? 'd' : '-', input.released[k] ? 'r' : '-'};
}

TEST(InputState, EdgesOfAHeldKeyAndAPressTooShortToSee) {
    ScriptedOperatingSystem os;
    InputState input(os);
    std::vector<std::string> passes;
    for (bool held : {false, true, true, true, false, false}) {
        os.setKey(VK_ESCAPE, held);
        // Tab goes down and up again between two updates: never seen.
        os.setKey(VK_TAB, true);
        os.setKey(VK_TAB, false);
        input.update();
        passes.push_back(flagsOf(input, VK_ESCAPE) + flagsOf(input, VK_TAB));
    }
    EXPECT_EQ(passes, (std::vector<std::string>{"------", "pd----", "-d----", "-d----", "--r---",
                                                "------"}));
}

TEST(InputState, FlagInvariantsHoldForEveryCodeOverRandomPasses) {
    ScriptedOperatingSystem os;
    InputState input(os);
    std::mt19937 random(1234);
    for (int pass = 0; pass < 200; ++pass) {
        for (int k = 1; k < kVirtualKeyCount; ++k) {
            if (random() % 4 == 0) {
                os.setKey(k, !os.keys[k]);
            }
        }
        const auto before = input.down;
        input.update();
        for (int k = 0; k < kVirtualKeyCount; ++k) {
            ASSERT_FALSE(input.pressed[k] && input.released[k]) << k;
            ASSERT_TRUE(!input.pressed[k] || input.down[k]) << k;
            ASSERT_TRUE(!input.released[k] || !input.down[k]) << k;
            ASSERT_EQ(input.pressed[k] || input.released[k], before[k] != input.down[k]) << k;
        }
        ASSERT_FALSE(input.down[0]);
    }
}

TEST(InputState, MotionAfterRecentringIsMeasuredFromTheHomePoint) {
    ScriptedOperatingSystem os;
    os.cursor = {430, 280};
    InputState input(os);
    input.update();
    // What the main loop does after mouse look or a drag step.
    os.setCursorPos(400, 300);
    input.cursor = {400, 300};
    os.cursor = {407, 296};
    input.update();
    EXPECT_EQ(input.cursor.x - input.previousCursor.x, 7);
    EXPECT_EQ(input.cursor.y - input.previousCursor.y, -4);
    input.update();  // the mouse stayed put: no motion
    EXPECT_EQ(input.cursor, input.previousCursor);
}

TEST(FrameTimer, DeltasCountFromTheLastTick) {
    ScriptedOperatingSystem os;
    os.frequency = 1000;
    os.counter = 500;
    FrameTimer timer(os);
    ASSERT_TRUE(timer.start());
    EXPECT_DOUBLE_EQ(timer.secondsPerTick, 0.001);
    os.counter = 2500;  // start-up takes two seconds
    timer.tick();
    os.counter = 2516;
    timer.tick();
    EXPECT_FLOAT_EQ(timer.deltaTime, 0.016f);  // from the last tick, not from start
    timer.tick();
    EXPECT_EQ(timer.deltaTime, 0.0f);
    os.counter += 7000;  // one stall
    timer.tick();
    EXPECT_FLOAT_EQ(timer.deltaTime, 7.0f);
}

TEST(FrameTimer, WithoutAUsableCounterTimeStandsStill) {
    for (const bool zeroFrequency : {false, true}) {
        ScriptedOperatingSystem os;
        os.frequencyFails = !zeroFrequency;
        os.frequency = zeroFrequency ? 0 : 1000;
        os.counter = 100;
        FrameTimer timer(os);
        EXPECT_FALSE(timer.start());
        EXPECT_EQ(timer.lastCount, 0);
        os.counter = 5000;
        timer.tick();
        EXPECT_EQ(timer.deltaTime, 0.0f);
    }
    // A counter read that fails does not send time backwards.
    ScriptedOperatingSystem os;
    os.frequency = 100;
    os.counter = 1000;
    FrameTimer timer(os);
    ASSERT_TRUE(timer.start());
    os.counterFails = true;
    timer.tick();
    EXPECT_EQ(timer.deltaTime, 0.0f);
    os.counterFails = false;
    os.counter = 1050;
    timer.tick();
    EXPECT_FLOAT_EQ(timer.deltaTime, 0.5f);
}

}  // namespace
}  // namespace velmora
