// The built program without a display: options, the run report, and the help text against the
// README, so the three lists of controls cannot drift apart.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>

#include "app/Controls.h"
#include "tests/app/RunVelmora.h"

namespace velmora {
namespace {

using testing::Outcome;
using testing::runVelmora;

float field(const std::string& report, const std::string& name) {
    std::smatch m;
    const std::regex pattern(" " + name + "=([0-9.]+)");
    return std::regex_search(report, m, pattern) ? std::stof(m[1]) : -1.0f;
}

TEST(Program, HeadlessRunsEndWithOneReportLine) {
    // 600 headless passes of 8333 us reach the state the rules give, whatever the machine.
    const Outcome run = runVelmora("--headless --frames 600");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(std::regex_match(
        run.out, std::regex("velmora: passes=600 particles=10 links=30 stretch=1\\.144 "
                            "speed=2\\.079 hash=a3a562b233a15625 mean_ms=[0-9]+\\.[0-9]{2} "
                            "physics_ms=[0-9]+\\.[0-9]{2} draw_ms=[0-9]+\\.[0-9]{2}\n")))
        << run.out;
    // A fixed frame of 0.1 s is six sub-steps of 0.1 / 6 s: the hash of 360 such passes of
    // the rules. Frames far too long for the springs leave the cube intact.
    const Outcome tenth = runVelmora("--headless --frames 60 --frame-time 0.1");
    EXPECT_NE(tenth.out.find(" hash=b6226a08c3035c85 "), std::string::npos) << tenth.out;
    const Outcome slow = runVelmora("--headless --frames 1200 --frame-time 2");
    EXPECT_EQ(slow.exitCode, 0);
    EXPECT_GT(field(slow.out, "stretch"), 0.5f) << slow.out;
    EXPECT_LE(field(slow.out, "stretch"), 1.5f) << slow.out;
    EXPECT_EQ(runVelmora("--headless --frames 5 --frames 2").exitCode, 2);
}

/// The rows of the README table under the heading, first two cells, backticks removed.
std::vector<std::pair<std::string, std::string>> readmeTable(const std::string& heading) {
    std::ifstream readme(std::string(VELMORA_SOURCE_DIR) + "/README.md");
    std::string line;
    while (std::getline(readme, line) && line != heading) {
    }
    std::vector<std::pair<std::string, std::string>> rows;
    const std::regex row("\\| `?([^|`]+)`? \\| (.+) \\|");
    bool inTable = false;
    while (std::getline(readme, line) && !line.starts_with("## ")) {
        std::smatch m;
        if (std::regex_match(line, m, row)) {
            if (inTable) {
                rows.emplace_back(m[1], m[2]);
            }
            inTable = true;  // the first matching row is the header
        } else if (inTable && !line.starts_with("|---")) {
            break;
        }
    }
    return rows;
}

TEST(Program, HelpAndReadmeListEveryControlAndOption) {
    const Outcome help = runVelmora("--help");
    EXPECT_EQ(help.exitCode, 0);
    const auto controls = readmeTable("## Controls");
    ASSERT_EQ(controls.size(), controlsTable().size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(controls[i].first, controlsTable()[i].input);
        EXPECT_EQ(controls[i].second, controlsTable()[i].effect);
        EXPECT_NE(help.out.find(controlsTable()[i].effect), std::string::npos);
    }
    const auto options = readmeTable("## Options");
    ASSERT_EQ(options.size(), optionsTable().size());
    for (std::size_t i = 0; i < options.size(); ++i) {
        EXPECT_EQ(options[i].first, optionsTable()[i].form);
        EXPECT_EQ(options[i].second, optionsTable()[i].effect);
        EXPECT_NE(help.out.find(optionsTable()[i].form), std::string::npos);
    }
}

}  // namespace
}  // namespace velmora
