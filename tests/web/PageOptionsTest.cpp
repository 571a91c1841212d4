#include "web/PageOptions.h"

#include <gtest/gtest.h>

#include <limits>

#include "app/Application.h"

namespace velmora {
namespace {

std::optional<PageOptions> parse(std::string_view query, std::string& error) {
    error.clear();
    return parsePageQuery(query, error);
}

TEST(PageOptions, TheAddressAsksWhatTheProgramsOptionsDo) {
    std::string error;
    auto none = parse("", error);
    ASSERT_TRUE(none) << error;
    EXPECT_EQ(none->program.scene, "start");
    EXPECT_FALSE(none->program.paused);
    EXPECT_TRUE(none->program.overlay);
    EXPECT_TRUE(none->replay.empty());

    // An encoded colon and a plain one read alike; empty items between '&' are nothing.
    auto some = parse(
        "?scene=lattice%3A5x5x5&&paused&frame-time=0.0166667&no-overlay&"
        "size=640x480",
        error);
    ASSERT_TRUE(some) << error;
    EXPECT_EQ(some->program.scene, "lattice:5x5x5");
    EXPECT_TRUE(some->program.paused);
    ASSERT_TRUE(some->program.frameTime);
    EXPECT_FLOAT_EQ(*some->program.frameTime, 0.0166667f);
    EXPECT_FALSE(some->program.overlay);
    EXPECT_EQ(some->program.width, 640);
    EXPECT_EQ(some->program.height, 480);
    ASSERT_TRUE(parse("scene=rope:10", error));

    auto replay = parse("replay=recordings%2Fa%20b.velmora%3Fv%3D2", error);
    ASSERT_TRUE(replay) << error;
    EXPECT_EQ(replay->replay, "recordings/a b.velmora?v=2");
}

TEST(PageOptions, HostileAddressesAreRefusedWithOneLine) {
    std::string error;
    const std::pair<const char*, const char*> refused[] = {
        {"?headless", "unknown page option 'headless'"},
        {"?screenshot=x.png", "unknown page option 'screenshot'"},
        {"?scene", "needs a value"},
        {"?paused=1", "takes no value"},
        {"?frame-time=fast", "frame-time needs a number"},
        {"?paused&paused", "given twice"},
        {"?scene=%zz", "broken %-escape"},
        {"?scene=%4", "broken %-escape"},
        {"?scene=a%00b", "broken %-escape"},
        {"?replay=r.velmora&scene=start", "scene cannot go with replay"},
        {"?size=0x0", "size needs WIDTHxHEIGHT"},
    };
    for (const auto& [query, said] : refused) {
        EXPECT_FALSE(parse(query, error)) << query;
        EXPECT_NE(error.find(said), std::string::npos) << query << ": " << error;
        // The page's names, not the command line's.
        EXPECT_EQ(error.find("--"), std::string::npos) << error;
    }
    const std::string longest(kLongestPageQuery - 6, 'a');
    EXPECT_FALSE(parse("scene=" + longest + "a", error));
    EXPECT_NE(error.find("asks too much"), std::string::npos) << error;
    // At the bound itself the options are read (the scene is looked for when the page opens).
    EXPECT_TRUE(parse("scene=" + longest, error)) << error;
}

TEST(PageOptions, TheLargestHistoryBudgetFitsTheAddressSpace) {
    // Under node this runs in the page's 32-bit memory, where 4096 MB once wrapped to nothing.
    std::string error;
    const auto options = parse("history-mb=4096", error);
    ASSERT_TRUE(options) << error;
    const std::size_t budget = historyBudgetBytes(*options->program.historyMegabytes);
    EXPECT_GE(budget, std::size_t{512} << 20);
    EXPECT_LE(budget, std::numeric_limits<std::size_t>::max() / 2);
    EXPECT_EQ(historyBudgetBytes(64), std::size_t{64} << 20);
}

TEST(PageOptions, PercentDecodingKeepsEveryByteButNul) {
    std::string out;
    ASSERT_TRUE(percentDecode("a+b%2B%C3%A9%7e", out));
    EXPECT_EQ(out, "a b+\xC3\xA9~");
    EXPECT_FALSE(percentDecode("%", out));
    EXPECT_FALSE(percentDecode("%2", out));
    EXPECT_FALSE(percentDecode("%g0", out));
}

}  // namespace
}  // namespace velmora
