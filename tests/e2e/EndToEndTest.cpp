// The real program on a private Xvfb screen: started from its build folder, driven with
// xdotool like a user, judged by its exit code and by pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "Pixels.h"
#include "ProgramUnderTest.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

bool isOrange(std::uint32_t p) {
    const int r = red(p), g = green(p), b = blue(p);
    return r > 100 && g * 100 >= r * 35 && g * 100 <= r * 70 && b * 100 < r * 20;
}
bool isSky(std::uint32_t p) { return blue(p) > red(p) + 40 && blue(p) > 120; }
bool isWood(std::uint32_t p) {
    const int r = red(p), g = green(p), b = blue(p);
    return r > 40 && g * 100 >= r * 45 && g * 100 <= r * 85 && b * 100 >= r * 20 &&
           b * 100 <= r * 55;
}


/// Holds a key or button long enough for several passes to see it: the program polls, so a
/// press and release between two passes would go unseen, as on the desktop.
bool press(const std::string& what, bool button = false) {
    const std::string down = button ? "mousedown " : "keydown ";
    const std::string up = button ? "mouseup " : "keyup ";
    const bool ok = shell("xdotool " + down + what);
    sleepSeconds(0.2);
    return shell("xdotool " + up + what) && ok;
}

TEST(EndToEnd, ScreenshotShowsRoomSkyAndOrangeSpheres) {
    const fs::path shot = fs::temp_directory_path() / "velmora-e2e-first.png";
    fs::remove(shot);
    ProgramUnderTest program(VELMORA_BINARY, VELMORA_BUILD_DIR,
                             {"--frames", "60", "--screenshot", shot.string()});
    const auto code = program.waitForExit(60.0);
    ASSERT_TRUE(code.has_value()) << "the program did not end after 60 passes";
    EXPECT_EQ(*code, 0) << program.standardError();

    const Picture picture = readPng(shot.string());
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 600);
    const int all = picture.width * picture.height;
    // The sky shows above the room's far wall, the wood all round, the spheres in between.
    EXPECT_GT(countPixels(picture, 0, 0, 800, 600, isSky), all / 100);
    EXPECT_GT(countPixels(picture, 0, 0, 800, 600, isWood), all / 10);
    EXPECT_GT(countPixels(picture, 0, 0, 800, 600, isOrange), 500);
    // The floor fills the bottom of the picture between the walls; the sky shows beside
    // the room, never inside it.
    EXPECT_GT(countPixels(picture, 100, 560, 700, 600, isWood), 600 * 40 / 2);
    EXPECT_EQ(countPixels(picture, 100, 560, 700, 600, isSky), 0);
    EXPECT_GT(countPixels(picture, 0, 0, 40, 600, isSky), 40 * 600 / 2);
    fs::remove(shot);
}

TEST(EndToEnd, PauseLookSpawnAndQuitLikeAUser) {
    ProgramUnderTest program(VELMORA_BINARY, VELMORA_BUILD_DIR);
    const unsigned long window = program.waitForWindow(30.0);
    ASSERT_NE(window, 0u) << program.standardError();
    const std::string id = std::to_string(window);
    ASSERT_TRUE(shell("xdotool windowfocus --sync " + id + " >/dev/null 2>&1"));
    sleepSeconds(1.0);

    // Running: the structure swings, so the picture changes.
    const Picture swinging1 = grabWindow(window);
    sleepSeconds(0.5);
    const Picture swinging2 = grabWindow(window);
    ASSERT_EQ(swinging1.width, 800);
    EXPECT_GT(differingShare(swinging1, swinging2), 0.0);

    // Tab pauses: two pictures a second apart are the same.
    ASSERT_TRUE(press("Tab"));
    sleepSeconds(0.5);
    const Picture paused1 = grabWindow(window);
    sleepSeconds(1.0);
    const Picture paused2 = grabWindow(window);
    EXPECT_EQ(differingShare(paused1, paused2), 0.0);

    // E held with the mouse moved left turns the view left, about 12 degrees, away from
    // the structure but still inside the room.
    ASSERT_TRUE(shell("xdotool mousemove --window " + id + " 400 300"));
    ASSERT_TRUE(shell("xdotool keydown e"));
    for (int i = 0; i < 2; ++i) {
        sleepSeconds(0.2);
        ASSERT_TRUE(shell("xdotool mousemove_relative -- -22 0"));
    }
    sleepSeconds(0.3);
    ASSERT_TRUE(shell("xdotool keyup e"));
    sleepSeconds(0.5);
    const Picture turned = grabWindow(window);
    EXPECT_GT(differingShare(paused2, turned), 0.1);
    const int orangeAtCentreBefore = countPixels(turned, 380, 280, 420, 320, isOrange);

    // A middle click at the window centre adds a sphere there.
    ASSERT_TRUE(shell("xdotool mousemove --window " + id + " 400 300"));
    ASSERT_TRUE(press("2", true));
    sleepSeconds(0.5);
    const Picture spawned = grabWindow(window);
    EXPECT_LT(orangeAtCentreBefore, 40);
    EXPECT_GT(countPixels(spawned, 380, 280, 420, 320, isOrange), 400);

    // Escape quits with 0.
    ASSERT_TRUE(press("Escape"));
    const auto code = program.waitForExit(20.0);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0) << program.standardError();
}

TEST(EndToEnd, MissingEffectFileExitsWith255AndSaysWhy) {
    const fs::path folder = fs::temp_directory_path() / "velmora-e2e-no-effect";
    fs::remove_all(folder);
    fs::create_directories(folder / "bin");
    ProgramUnderTest program(VELMORA_BINARY, folder.string());
    const auto code = program.waitForExit(30.0);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 255);
    EXPECT_NE(program.standardError().find("bin/min.fx"), std::string::npos)
        << program.standardError();
    fs::remove_all(folder);
}

}  // namespace
}  // namespace velmora::test
