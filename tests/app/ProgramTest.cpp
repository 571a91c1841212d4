// The built program without a display: the run report, bad command lines and start-up
// failures with their exit codes, a save and a load that reach the same state, and bad scene
// files refused with exit code 4 and one line naming the file, what is wrong and where.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
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
                            "physics_ms=[0-9]+\\.[0-9]{2} draw_ms=[0-9]+\\.[0-9]{2} "
                            "kinetic=7\\.125 energy=630\\.919\n")))
        << run.out;
    // A fixed frame of 0.1 s is six sub-steps of 0.1 / 6 s; far too long frames leave the cube
    // intact.
    const Outcome tenth = runVelmora("--headless --frames 60 --frame-time 0.1");
    EXPECT_EQ(reportField(tenth.out, "hash"), "b6226a08c3035c85") << tenth.out;
    const Outcome slow = runVelmora("--headless --frames 1200 --frame-time 2");
    const float stretch = std::stof("0" + reportField(slow.out, "stretch"));
    EXPECT_TRUE(stretch > 0.5f && stretch <= 1.5f) << slow.out;
}

TEST(Program, TheReadmeListsEveryControlAndOptionAsHelpAndTheOverlayDo) {
    // --help and the help panel print the program's tables; the README is written by hand.
    std::ifstream readme(std::string(VELMORA_SOURCE_DIR) + "/README.md");
    std::vector<std::pair<std::string, std::string>> rows;
    const std::regex row("\\| `?([^|`]+)`? \\| (.+) \\|");
    std::smatch m;
    for (std::string line; std::getline(readme, line);) {
        if (std::regex_match(line, m, row))
            rows.emplace_back(m[1], m[2]);
    }
    const auto listed = [&](const char* first, const char* second) {
        return std::find(rows.begin(), rows.end(),
                         std::pair<std::string, std::string>(first, second)) != rows.end();
    };
    for (const ControlRow& control : controlsTable())
        EXPECT_TRUE(listed(control.input, control.effect)) << control.input;
    for (const OptionRow& option : optionsTable())
        EXPECT_TRUE(listed(option.form, option.effect)) << option.form;
}

TEST(Program, StartUpFailuresSayWhyWithTheirExitCodesBeforeAnyPass) {
    velmora::testing::TempFolder empty;  // no bin/min.fx
    const std::string missing = empty.path("missing/end");
    const std::string huge = empty.path("huge.jsonl");
    ASSERT_EQ(truncate(empty.write("huge.jsonl", std::string()).c_str(), 10ll << 30), 0);
    std::filesystem::copy_file(std::string(VELMORA_BUILD_DIR) + "/velmora", empty.path("velmora"));
    struct Case {
        std::string arguments, folder, prefix;
        int exitCode;
        std::string says;
    };
    const std::string build = VELMORA_BUILD_DIR;
    const Case cases[] = {
        // SDL would otherwise fall back to a driver whose window nobody sees, and run on.
        {"", build, "env -u DISPLAY -u WAYLAND_DISPLAY timeout 20", 1, "no display"},
        // A copy of the program in a folder without bin/ finds its data nowhere.
        {"--headless", empty.path(""), "", 255, "bin/min.fx"},
        // An output naming an input, however spelled, would destroy it.
        {"--headless --scene " + empty.path("s.json") + " --save-scene " + empty.path(".//s.json"),
         build, "", 2, "--save-scene names the --scene file; it would be replaced"},
        {"--replay " + empty.path("r.json") + " --save-scene " + empty.path("r.json"), build, "", 2,
         "--save-scene names the --replay file"},
        {"--headless --frames 5 --frames 2", build, "", 2, "'--frames' given twice"},
        {"--headless --scene rope:11", build, "", 2,
         "velmora: bad size in scene 'rope:11'; the scenes are start, lattice:AxBxC"},
        // Outputs that cannot be written are refused before the window opens.
        {"--headless --frames 5 --save-scene " + missing + ".json", build, "", 3, missing},
        {"--frames 5 --screenshot " + missing + ".png", build, "", 3, missing},
        // Recordings that are no regular file or far too large are refused before a read.
        {"--replay /dev/zero", build, "timeout 20", 4, "/dev/zero: is not a regular file"},
        {"--replay /tmp", build, "", 4, "velmora: /tmp: is a folder"},
        {"--replay " + huge, build, "timeout 20", 4, "is larger than 256 MiB (10737418240 bytes)"},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // Bad command lines: exit 2 with the reason and where to read the usage.
    for (const char* bad : {"--frames",
                            "--frames 0",
                            "--frames -3",
                            "--frames 12x",
                            "--frames 99999999999999999999",
                            "--screenshot",
                            "--screenshot a.jpg",
                            "--fullscreen",
                            "--video",
                            "--video a.avi",
                            "--video frame%d.png",
                            "--video frames.png",
                            "--frame-time -0.1",
                            "--frame-time 61",
                            "--frame-time nan",
                            "--help -h",
                            "--scene ''",
                            "--save-scene end.txt",
                            "--save-scene .json",
                            "--replay a.jsonl --frames 3",
                            "--size 63x600",
                            "--size 800",
                            "--size 800x600x2",
                            "--size 8193x600",
                            "--save-folder",
                            "--replay a.jsonl --size 640x480",
                            "--history-mb",
                            "--history-mb 0",
                            "--history-mb -64",
                            "--history-mb 4097",
                            "--history-mb 1e3",
                            "--history-mb 64MB",
                            "--replay a.jsonl --history-mb 8"})
        all.push_back({bad, build, "", 2, "\nTry 'velmora --help'.\n"});
    for (const Case& c : all) {
        const Outcome run =
            c.folder == build ? runVelmora(c.arguments, c.folder, c.prefix)
                              : runVelmora(c.arguments, c.folder, c.prefix, empty.path("velmora"));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.arguments << "\n" << run.err;
        EXPECT_EQ(run.out, "") << c.arguments;
        if (c.exitCode == 4) {
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        }
    }
}

TEST(SceneProgram, ASaveAfter100PassesLoadsToTheSameState) {
    velmora::testing::TempFolder dir;
    const std::string file = dir.path("after100.json");
    const Outcome saved = runVelmora("--headless --frames 100 --save-scene " + file);
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_NE(saved.out.find("scene saved to " + file), std::string::npos) << saved.out;
    const Outcome loaded = runVelmora("--headless --scene " + file + " --paused --frames 1");
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
    EXPECT_EQ(reportField(loaded.out, "hash"), reportField(saved.out, "hash"));
    EXPECT_EQ(reportField(loaded.out, "links"), "30");

    // A scene's own physics rules from its first pass: with no gravity a particle at rest
    // 2 above the floor stays there, its energy the kinetic 0 alone; the same file saved
    // again keeps the settings.
    const std::string still = dir.write(
        "still.json", std::string(R"({"format": "velmora-scene", "version": 1, "links": [],
            "particles": [{"position": [0, -7.5, 0]}], "settings": {"gravity": [0, 0, 0]}})"));
    const Outcome weightless =
        runVelmora("--headless --frames 60 --scene " + still + " --save-scene " + file);
    EXPECT_EQ(reportField(weightless.out, "speed"), "0.000") << weightless.out;
    EXPECT_EQ(reportField(weightless.out, "energy"), "0.000") << weightless.out;
    EXPECT_NE(velmora::testing::readText(file).find(R"("gravity": [0.0, 0.0, 0.0])"),
              std::string::npos);
}

std::string sceneWith(const std::string& particles, const std::string& links,
                      const std::string& extra = "") {
    return R"({"format": "velmora-scene", "version": 1, "particles": [)" + particles +
           R"(], "links": [)" + links + "]" + extra + "}";
}

TEST(SceneProgram, BadSceneFilesExitWith4AndOneLineSayingWhatAndWhere) {
    velmora::testing::TempFolder dir;
    const std::string two = R"({"position": [0, 0, 0]}, {"position": [2, 0, 0]})";
    struct Case {
        const char* name;
        std::string contents;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"empty.json", "", "invalid JSON at line 1, column 1: "},
        {"lines.json", "{\n  \"particles\": [\n    x", "invalid JSON at line 3, column 5: "},
        {"truncated.json", sceneWith(two, "").substr(0, 80), "invalid JSON at line 1, column 81: "},
        {"nan.json", sceneWith(R"({"position": [NaN, 0, 0]})", ""), "invalid literal"},
        {"overflow.json", sceneWith(R"({"position": [1e999, 0, 0]})", ""), "number overflow"},
        {"binary.json", std::string("\x89PNG\r\n\x1a\n\0\0", 10),
         "invalid JSON at line 1, column 1: "},
        {"nul.json", sceneWith(two, "") + std::string("\0}", 2),
         "invalid JSON at line 1, column 120: a NUL"},
        {"array.json", "[" + sceneWith(two, "") + "]", "must hold one JSON object, not an array"},
        {"other.json", R"({"name": "a shopping list", "items": [1, 2]})", "not a velmora scene"},
        {"format.json", R"({"format": "velmora-sceme", "version": 1})",
         "\"format\" is \"velmora-sceme\""},
        {"version.json", R"({"format": "velmora-scene", "version": 2, "particles": []})",
         "\"version\" must be 1"},
        {"no-links.json", R"({"format": "velmora-scene", "version": 1, "particles": []})",
         "no \"links\" array"},
        {"particles-object.json",
         R"({"format": "velmora-scene", "version": 1, "particles": {}, "links": []})",
         "\"particles\" must be an array, not an object"},
        {"short.json", sceneWith(two + R"(, {"position": [1, 2]})", ""),
         "particle 2: \"position\" needs 3 numbers, not 2"},
        {"text-number.json", sceneWith(R"({"position": [1, "2", 3]})", ""),
         "particle 0: \"position\" must be an array of 3 numbers, not a string"},
        {"no-position.json", sceneWith(two + R"(, {"pinned": true})", ""),
         "particle 2: no \"position\""},
        {"misspelt.json", sceneWith(R"({"position": [1, 2, 3], "pined": true})", ""),
         "particle 0: unknown key \"pined\""},
        {"twice.json", sceneWith(R"({"position": [1, 2, 3], "position": [1, 2, 3]})", ""),
         "particle 0: \"position\" given twice"},
        {"beyond-float.json", sceneWith(two + R"(, {"position": [1, 3.5e38, 3]})", ""),
         "particle 2: a number beyond the float range"},
        {"half-index.json", sceneWith(two, R"({"a": 0, "b": 1.5})"),
         "link 0: \"b\" must be a whole number from 0 to 999"},
        {"huge-index.json", sceneWith(two, R"({"a": 1e30, "b": 1})"),
         "link 0: \"a\" must be a whole number"},
        {"self.json", sceneWith(two, R"({"a": 1, "b": 1})"), "link 0: joins particle 1 to itself"},
        {"again.json", sceneWith(two, R"({"a": 0, "b": 1}, {"a": 1, "b": 0})"),
         "link 1: links particles 0 and 1 again (link 0 did already)"},
        {"rest-negative.json", sceneWith(two, R"({"a": 0, "b": 1, "rest": -1})"),
         "link 0: \"rest\" must be a finite number, 0 or more"},
        {"camera.json", sceneWith(two, "", R"(, "camera": {"eye": [0, 0, 9]})"),
         "camera: no \"target\""},
        // Cameras with no view to draw: a black frame that Home and R kept.
        {"camera-at-eye.json",
         sceneWith(two, "", R"(, "camera": {"eye": [1, 2, 3], "target": [1, 2, 3]})"),
         "camera: eye and target are the same point"},
        {"camera-down.json",
         sceneWith(two, "", R"(, "camera": {"eye": [1, 2, 3], "target": [1, -7, 3]})"),
         "camera: looks straight down"},
        // Physics settings out of their ranges, and links with their own.
        {"time-scale.json", sceneWith(two, "", R"(, "settings": {"time-scale": 4})"),
         "settings: \"time-scale\" must be from 0.0625 to 2"},
        {"stiffness-negative.json", sceneWith(two, "", R"(, "settings": {"stiffness": -1})"),
         "settings: \"stiffness\" must be from 0 to 10000"},
        {"no-damper.json", sceneWith(two, "", R"(, "settings": {"damping": 0})"),
         "settings: \"damping\" must be from 0.1 to 1000"},
        {"bounce-gains.json", sceneWith(two, "", R"(, "settings": {"wall-bounce": 1.5})"),
         "settings: \"wall-bounce\" must be from 0 to 1"},
        {"gravity-short.json", sceneWith(two, "", R"(, "settings": {"gravity": [0, -9.8]})"),
         "settings: \"gravity\" needs 3 numbers, not 2"},
        {"gravity-huge.json", sceneWith(two, "", R"(, "settings": {"gravity": [0, -1e3, 0]})"),
         "settings: \"gravity\" components must be from -100 to 100"},
        {"settings-nan.json", sceneWith(two, "", R"(, "settings": {"drag": NaN})"),
         "invalid literal"},
        {"settings-text.json", sceneWith(two, "", R"(, "settings": {"drag": "0.1"})"),
         "settings: \"drag\" must be a number, not a string"},
        {"settings-misspelt.json", sceneWith(two, "", R"(, "settings": {"gravitation": 1})"),
         "settings: unknown key \"gravitation\""},
        {"settings-array.json", sceneWith(two, "", R"(, "settings": [])"),
         "\"settings\" must be an object, not an array"},
        {"link-stiffness.json", sceneWith(two, R"({"a": 0, "b": 1, "stiffness": -5})"),
         "link 0: \"stiffness\" must be from 0 to 10000"},
        {"link-damping.json", sceneWith(two, R"({"a": 0, "b": 1, "damping": 1e30})"),
         "link 0: \"damping\" must be from 0.1 to 1000"},
    };
    std::vector<std::pair<std::string, std::string>> files;  // path, what it must say
    for (const Case& c : cases) {
        files.emplace_back(dir.write(c.name, c.contents), c.says);
    }
    files.emplace_back(dir.path("missing.json"), "cannot open: No such file or directory");
    // Without a slash, the .json ending alone makes it a file (in the working folder).
    files.emplace_back("no-such-scene.json", "cannot open: No such file or directory");
    std::filesystem::create_directories(dir.path("folder.json"));
    files.emplace_back(dir.path("folder.json"), "is a folder");
    ASSERT_EQ(mkfifo(dir.path("fifo.json").c_str(), 0600), 0);  // no writer: an open would wait
    files.emplace_back(dir.path("fifo.json"), "is not a regular file");
    files.emplace_back(dir.path("big.json"), "is larger than 64 MiB");
    ASSERT_EQ(truncate(dir.write("big.json", std::string("{")).c_str(), (64 << 20) + 1), 0);
    if (geteuid() != 0) {  // the superuser reads anything
        files.emplace_back(dir.write("locked.json", sceneWith(two, "")), "Permission denied");
        chmod(files.back().first.c_str(), 0);
    }

    for (const auto& [path, says] : files) {
        const Outcome run = runVelmora("--headless --frames 1 --scene " + path);
        EXPECT_EQ(run.exitCode, 4) << path;
        EXPECT_EQ(run.out, "") << path;  // not a pass was run
        const std::string prefix = "velmora: " + path + ": ";
        EXPECT_TRUE(run.err.starts_with(prefix)) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;  // one line
        EXPECT_NE(run.err.find(says), std::string::npos) << "wanted: " << says << "\n" << run.err;
    }
}

}  // namespace
}  // namespace velmora
