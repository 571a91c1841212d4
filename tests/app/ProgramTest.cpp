// The built program without a display: the run report, start-up failures with their exit
// codes, and the help text against the README, so the lists of controls cannot drift apart.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>

#include "app/Controls.h"
#include "tests/app/RunVelmora.h"
#include "tests/render/PictureFiles.h"

namespace velmora {
namespace {

using testing::Outcome;
using testing::reportField;
using testing::runVelmora;

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
    EXPECT_EQ(reportField(tenth.out, "hash"), "b6226a08c3035c85") << tenth.out;
    const Outcome slow = runVelmora("--headless --frames 1200 --frame-time 2");
    const float stretch = std::stof("0" + reportField(slow.out, "stretch"));
    EXPECT_TRUE(stretch > 0.5f && stretch <= 1.5f) << slow.out;
}

TEST(Program, StartUpFailuresSayWhyWithTheirExitCodesBeforeAnyPass) {
    velmora::testing::TempFolder empty;  // no bin/min.fx
    const std::string missing = empty.path("missing/end");
    struct Case {
        std::string arguments, folder, prefix;
        int exitCode;
        std::string says;
    };
    const std::string build = VELMORA_BUILD_DIR;
    const Case cases[] = {
        // SDL would otherwise fall back to a driver whose window nobody sees, and run on.
        {"", build, "env -u DISPLAY -u WAYLAND_DISPLAY timeout 20", 1, "no display"},
        {"--headless", empty.path(""), "", 255, "bin/min.fx"},
        {"--headless --frames 5 --frames 2", build, "", 2, "'--frames' given twice"},
        {"--headless --scene rope:11", build, "", 2,
         "velmora: bad size in scene 'rope:11'; the scenes are start, lattice:AxBxC"},
        // Outputs that cannot be written are refused before the window opens.
        {"--headless --frames 5 --save-scene " + missing + ".json", build, "", 3, missing},
        {"--frames 5 --screenshot " + missing + ".png", build, "", 3, missing},
    };
    for (const Case& c : cases) {
        const Outcome run = runVelmora(c.arguments, c.folder, c.prefix);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << c.arguments;
    }
}

/// The rows of the README table under the heading, first two cells, backticks removed.
std::vector<std::pair<std::string, std::string>> readmeTable(const std::string& heading) {
    std::ifstream readme(std::string(VELMORA_SOURCE_DIR) + "/README.md");
    std::string line;
    while (std::getline(readme, line) && line != heading) {
    }
    while (std::getline(readme, line) && !line.starts_with("|---")) {
    }
    std::vector<std::pair<std::string, std::string>> rows;
    const std::regex row("\\| `?([^|`]+)`? \\| (.+) \\|");
    std::smatch m;
    while (std::getline(readme, line) && std::regex_match(line, m, row))
        rows.emplace_back(m[1], m[2]);
    return rows;
}

TEST(Program, HelpAndReadmeListEveryControlAndOption) {
    const Outcome help = runVelmora("--help");
    EXPECT_EQ(help.exitCode, 0);
    std::vector<std::pair<std::string, std::string>> controls, options;
    for (const ControlRow& row : controlsTable()) {
        controls.emplace_back(row.input, row.effect);
        EXPECT_NE(help.out.find(row.effect), std::string::npos) << row.effect;
    }
    for (const OptionRow& row : optionsTable()) {
        options.emplace_back(row.form, row.effect);
        EXPECT_NE(help.out.find(row.form), std::string::npos) << row.form;
    }
    EXPECT_EQ(readmeTable("## Controls"), controls);
    EXPECT_EQ(readmeTable("## Options"), options);
}

}  // namespace
}  // namespace velmora
