// Videos and pictures without a display: what --video writes decodes to every pass drawn, as
// the screenshot of the same pass shows it; a replay renders the same frames every time; a
// name, a folder or a run that cannot give a video leaves none behind; F12 and F9 save into
// the save folder.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "tests/app/ApplicationFixture.h"
#include "tests/app/RunVelmora.h"
#include "tests/app/VideoFrames.h"
#include "tests/overlay/OverlayText.h"

namespace velmora::test {
namespace {

using testing::Outcome;
using testing::runVelmora;

/// Headless, with no display to fall back on: the pixels must come from EGL.
constexpr const char* kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY";
/// Fixed passes, and no overlay: its frame-rate figures are the wall clock's.
constexpr const char* kPasses = "--headless --frame-time 0.0166667 --no-overlay";

TEST(Video, EveryPassDrawnIsAFrameAsItsScreenshotShowsIt) {
    testing::TempFolder dir;
    const Outcome run =
        runVelmora(std::string(kPasses) + " --frames 24 --video " + dir.path("run.mp4") +
                       " --screenshot " + dir.path("last.png"),
                   VELMORA_BUILD_DIR, kNoDisplay);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("video written to " + dir.path("run.mp4") + " (24 frames)"),
              std::string::npos)
        << run.out;
    std::string codec;
    std::vector<double> seconds;
    const std::vector<Picture> frames = decodeVideo(dir.path("run.mp4"), &codec, &seconds);
    ASSERT_EQ(frames.size(), 24u);
    EXPECT_EQ(codec, "h264");
    // A frame a pass, each at the time its pass ended: 1/60 s apart.
    ASSERT_EQ(seconds.size(), 24u);
    EXPECT_NEAR(seconds.back() - seconds.front(), 23.0 / 60.0, 0.002);
    EXPECT_NEAR(seconds[12] - seconds[11], 1.0 / 60.0, 0.002);
    EXPECT_EQ(frames[0].width, 800);
    EXPECT_EQ(frames[0].height, 600);
    EXPECT_GT(psnr(readPng(dir.path("last.png")), frames.back()), 40.0);
    const Outcome first =
        runVelmora(std::string(kPasses) + " --frames 1 --screenshot " + dir.path("first.png"),
                   VELMORA_BUILD_DIR, kNoDisplay);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_GT(psnr(readPng(dir.path("first.png")), frames.front()), 40.0);
    EXPECT_LT(psnr(frames.front(), frames.back()), 30.0);  // the structure fell between them

    // A picture a pass: the last is the screenshot, pixel for pixel.
    const Outcome pictures =
        runVelmora(std::string(kPasses) + " --frames 24 --size 320x240 --video " +
                       dir.path("pass%04d.png") + " --screenshot " + dir.path("small.png"),
                   VELMORA_BUILD_DIR, kNoDisplay);
    ASSERT_EQ(pictures.exitCode, 0) << pictures.err;
    EXPECT_TRUE(std::filesystem::exists(dir.path("pass0024.png")));
    EXPECT_FALSE(std::filesystem::exists(dir.path("pass0025.png")));
    const Picture last = readPng(dir.path("pass0024.png"));
    EXPECT_EQ(last.width, 320);
    EXPECT_EQ(last.pixels, readPng(dir.path("small.png")).pixels);
}

TEST(Video, AReplayRendersTheSameFramesEveryTimeAtTheSizeAskedFor) {
    testing::TempFolder dir;
    const std::string session = dir.path("session.jsonl");
    ASSERT_EQ(runVelmora("--headless --frames 40 --record " + session).exitCode, 0);
    std::vector<Picture> renders[2];
    for (int i = 0; i < 2; ++i) {
        const std::string video = dir.path("replay" + std::to_string(i) + ".webm");
        const Outcome replay =
            runVelmora("--replay " + session + " --no-overlay --video " + video + " --size 400x200",
                       VELMORA_BUILD_DIR, kNoDisplay);
        ASSERT_EQ(replay.exitCode, 0) << replay.err;
        // Not a terminal: progress comes as lines, the last at the end.
        EXPECT_NE(replay.err.find("velmora: pass 40 of 40 (100%)"), std::string::npos)
            << replay.err;
        std::string codec;
        renders[i] = decodeVideo(video, &codec);
        EXPECT_EQ(codec, "vp9");
    }
    ASSERT_EQ(renders[0].size(), 40u);
    EXPECT_EQ(renders[0][0].width, 400);
    EXPECT_EQ(renders[0][0].height, 200);
    // 800 x 600 shown 266 x 200 in the middle, black bars either side.
    EXPECT_LT(renders[0][10].pixels[100 * 400 + 20] & 0xfefefe, 0x101010u);
    for (std::size_t f = 0; f < renders[0].size() && f < renders[1].size(); ++f)
        EXPECT_EQ(renders[0][f].pixels, renders[1][f].pixels) << "frame " << f;
}

TEST(Video, ABadNameAFolderNotWritableOrARunCutShortLeavesNoVideo) {
    testing::TempFolder dir;
    const Outcome badName =
        runVelmora("--headless --frames 5 --video " + dir.path("film.avi"), VELMORA_BUILD_DIR);
    EXPECT_EQ(badName.exitCode, 2);
    EXPECT_NE(badName.err.find("--video needs a file name ending in .mp4 or .webm"),
              std::string::npos);
    const Outcome noFolder =
        runVelmora("--headless --frames 5 --video " + dir.path("missing/film.mp4"),
                   VELMORA_BUILD_DIR, kNoDisplay);
    EXPECT_EQ(noFolder.exitCode, 3);
    EXPECT_EQ(noFolder.out, "");  // not a pass was run
    EXPECT_EQ(std::count(noFolder.err.begin(), noFolder.err.end(), '\n'), 1) << noFolder.err;
    // Killed half way: the name stays free.
    const Outcome killed =
        runVelmora("--headless --frames 100000 --video " + dir.path("cut.mp4"), VELMORA_BUILD_DIR,
                   std::string(kNoDisplay) + " timeout -s KILL 3");
    EXPECT_NE(killed.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path("cut.mp4")));
}

class Capture : public ApplicationTest {};

TEST_F(Capture, F12SavesThePictureAndF9RecordsTheWindowIntoTheSaveFolder) {
    testing::TempFolder saves;
    app = std::make_unique<Application>(os, glOffscreenDirect3DCreate);
    app->saveFolder = saves.path("");
    ASSERT_FALSE(app->startUp(SW_SHOWNORMAL).has_value()) << app->failure;
    setDt(1.0f / 60.0f);
    hold({});
    hold({VK_F12});
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(saves.path("")))
        files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].extension(), ".png");
    EXPECT_EQ(readPng(files[0].string()).width, 800);
    EXPECT_NE(app->lastMessage.find("screenshot written to"), std::string::npos);

    hold({VK_F1 + 8});  // F9: recording
    ASSERT_NE(app->video, nullptr);
    hold({}, 9);
    hold({VK_F1 + 8});  // F9 again: stopped, and said where
    EXPECT_EQ(app->video, nullptr);
    EXPECT_NE(app->lastMessage.find("video written to"), std::string::npos) << app->lastMessage;
    std::string video;
    for (const auto& entry : std::filesystem::directory_iterator(saves.path("")))
        if (entry.path().extension() == ".mp4")
            video = entry.path().string();
    ASSERT_FALSE(video.empty());
    EXPECT_EQ(decodeVideo(video).size(), 10u);  // the pass F9 went down in, and nine more

    // Full screen on a larger display: the offscreen surface grows with the device, and the
    // picture reaches into the far corner.
    os.displayMode = {1280, 800, 60};
    hold({VK_MENU});
    hold({VK_MENU, VK_RETURN});
    hold({});
    for (const auto& entry : std::filesystem::directory_iterator(saves.path("")))
        std::filesystem::remove(entry.path());
    hold({VK_F1 + 11});
    files.clear();
    for (const auto& entry : std::filesystem::directory_iterator(saves.path("")))
        files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    const Picture full = readPng(files[0].string());
    ASSERT_EQ(full.width, 1280);
    ASSERT_EQ(full.height, 800);
    EXPECT_NE(full.pixels.back(), 0u);  // drawn, not left black
}

TEST_F(Capture, ADeviceWithoutPicturesSaysSoAndLeavesNothingBehind) {
    testing::TempFolder saves;
    start(1.0f / 60.0f);  // the headless device keeps no pixels
    app->saveFolder = saves.path("");
    hold({});  // the overlay's first frame only measures itself
    hold({VK_F1 + 8});
    // REC shows while the video is on, and the first frame it cannot have stops it.
    EXPECT_NE(drawnText(app->overlay).find("REC"), std::string::npos) << drawnText(app->overlay);
    EXPECT_EQ(app->video, nullptr);
    hold({});
    EXPECT_EQ(drawnText(app->overlay).find("REC"), std::string::npos);
    EXPECT_NE(drawnText(app->overlay).find(withoutSpaces("the video stopped")), std::string::npos);
    hold({VK_F1 + 11});
    EXPECT_NE(app->lastMessage.find("cannot write a screenshot"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(saves.path("")));
}

}  // namespace
}  // namespace velmora::test
