#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace velmora {
namespace {

TEST(CommandLine, FlagsParseAndBadOnesAreRefusedWithAReason) {
    std::string error;
    auto none = parseCommandLine({}, error);
    ASSERT_TRUE(none.has_value());
    EXPECT_FALSE(none->frames.has_value());
    EXPECT_FALSE(none->headless);
    EXPECT_TRUE(none->screenshot.empty());

    auto all = parseCommandLine({"--frames", "300", "--screenshot", "out/shot.PNG"}, error);
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ(all->frames, 300);
    EXPECT_EQ(all->screenshot, "out/shot.PNG");

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--frames"}, {"--frames", "0"}, {"--frames", "-3"}, {"--frames", "12x"},
             {"--frames", "99999999999999999999"}, {"--screenshot"}, {"--screenshot", "a.jpg"},
             {"--fullscreen"}, {"frames"}, {"--headless", "--screenshot", "a.png"}}) {
        error.clear();
        EXPECT_FALSE(parseCommandLine(bad, error).has_value()) << bad[0];
        EXPECT_FALSE(error.empty());
    }
    EXPECT_NE(usageText().find("--headless"), std::string::npos);
}

}  // namespace
}  // namespace velmora
