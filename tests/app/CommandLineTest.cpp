#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace velmora {
namespace {

TEST(CommandLine, FlagsParseAndBadOnesAreRefusedWithAReason) {
    std::string error;
    auto none = parseCommandLine({}, error);
    ASSERT_TRUE(none.has_value());
    EXPECT_FALSE(none->frames.has_value() || none->headless || !none->screenshot.empty());
    auto all = parseCommandLine(
        {"--frames", "300", "--screenshot", "out/shot.PNG", "--frame-time", "0.25"}, error);
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ(all->frames, 300);
    EXPECT_EQ(all->screenshot, "out/shot.PNG");
    EXPECT_EQ(all->frameTime, 0.25f);
    EXPECT_EQ(parseCommandLine({"--frame-time", "0"}, error)->frameTime, 0.0f);
    EXPECT_EQ(none->scene, "start");
    EXPECT_FALSE(none->paused || !none->saveScene.empty());
    auto scenes = parseCommandLine(
        {"--paused", "--scene", "saves/a.json", "--save-scene", "out/end.json"}, error);
    ASSERT_TRUE(scenes.has_value());
    EXPECT_EQ(scenes->scene, "saves/a.json");
    EXPECT_EQ(scenes->saveScene, "out/end.json");
    EXPECT_TRUE(scenes->paused);

    using Args = std::vector<std::string>;
    for (const Args& bad : {Args{"--frames"},
                            Args{"--frames", "0"},
                            Args{"--frames", "-3"},
                            Args{"--frames", "12x"},
                            Args{"--frames", "99999999999999999999"},
                            Args{"--screenshot"},
                            Args{"--screenshot", "a.jpg"},
                            Args{"--fullscreen"},
                            Args{"frames"},
                            Args{"--headless", "--screenshot", "a.png"},
                            Args{"--frame-time", "-0.1"},
                            Args{"--frame-time", "61"},
                            Args{"--frame-time", "nan"},
                            Args{"--frame-time", "1s"},
                            Args{"--frames", "5", "--frames", "2"},
                            Args{"--help", "-h"},
                            Args{"--scene"},
                            Args{"--scene", ""},
                            Args{"--save-scene", "end.txt"},
                            Args{"--save-scene", ".json"},
                            Args{"--save-scene"},
                            Args{"--paused", "--paused"}}) {
        error.clear();
        EXPECT_FALSE(parseCommandLine(bad, error).has_value()) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace velmora
