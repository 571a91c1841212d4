#include <gtest/gtest.h>

#include <sstream>

#include "app/CommandLine.h"

namespace velmora {
namespace {

TEST(CommandLine, FlagsParseAndBadOnesAreRefusedWithAReason) {
    std::string error;
    const auto all =
        parseCommandLine({"--frames", "300", "--screenshot", "out/shot.PNG", "--frame-time", "0.25",
                          "--paused", "--scene", "saves/a.json", "--save-scene", "out/end.json"},
                         error);
    ASSERT_TRUE(all.has_value()) << error;
    EXPECT_TRUE(all->frames == 300 && all->frameTime == 0.25f && all->paused);
    EXPECT_EQ(all->screenshot, "out/shot.PNG");
    EXPECT_EQ(all->scene, "saves/a.json");
    EXPECT_EQ(all->saveScene, "out/end.json");
    EXPECT_EQ(parseCommandLine({}, error)->scene, "start");
    EXPECT_EQ(parseCommandLine({"--frame-time", "0"}, error)->frameTime, 0.0f);

    EXPECT_FALSE(parseCommandLine({"--scene", ""}, error).has_value());
    const char* const badOnes[] = {"--frames",
                                   "--frames 0",
                                   "--frames -3",
                                   "--frames 12x",
                                   "--frames 99999999999999999999",
                                   "--screenshot",
                                   "--screenshot a.jpg",
                                   "--fullscreen",
                                   "--headless --screenshot a.png",
                                   "--frame-time -0.1",
                                   "--frame-time 61",
                                   "--frame-time nan",
                                   "--frames 5 --frames 2",
                                   "--help -h",
                                   "--scene",
                                   "--save-scene end.txt",
                                   "--save-scene .json",
                                   "--replay a.jsonl --frames 3"};
    for (const std::string bad : badOnes) {
        std::vector<std::string> args;
        std::istringstream words(bad);
        for (std::string word; words >> word;)
            args.push_back(word);
        error.clear();
        EXPECT_FALSE(parseCommandLine(args, error).has_value()) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

}  // namespace
}  // namespace velmora
