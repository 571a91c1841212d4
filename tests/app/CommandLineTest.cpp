#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace velmora {
namespace {

TEST(CommandLine, FlagsParseAndBadOnesAreRefusedWithAReason) {
    std::string error;
    auto none = parseCommandLine({}, error);
    ASSERT_TRUE(none.has_value());
    EXPECT_FALSE(none->frames.has_value() || none->headless || !none->screenshot.empty());
    auto all = parseCommandLine({"--frames", "300", "--screenshot", "out/shot.PNG"}, error);
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ(all->frames, 300);
    EXPECT_EQ(all->screenshot, "out/shot.PNG");

    using Args = std::vector<std::string>;
    for (const Args& bad :
         {Args{"--frames"}, Args{"--frames", "0"}, Args{"--frames", "-3"}, Args{"--frames", "12x"},
          Args{"--frames", "99999999999999999999"}, Args{"--screenshot"},
          Args{"--screenshot", "a.jpg"}, Args{"--fullscreen"}, Args{"frames"},
          Args{"--headless", "--screenshot", "a.png"}}) {
        error.clear();
        EXPECT_FALSE(parseCommandLine(bad, error).has_value()) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace velmora
