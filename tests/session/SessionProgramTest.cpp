// Recordings through the built program, and hostile recordings refused with the line at
// fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "session/SessionReader.h"
#include "tests/app/RunVelmora.h"

namespace velmora {
namespace {

TEST(SessionProgram, ReplaysEndInTheRecordedStateOrSaySoWithTheirExitCodes) {
    using testing::runVelmora;
    const std::string file = std::string(VELMORA_BUILD_DIR) + "/program-session.jsonl";
    const std::string scene = std::string(VELMORA_BUILD_DIR) + "/program-session-scene.json";
    const std::string changed = file + ".changed";
    // Replaces the text from `from` on (to the end of the file if `toEnd`) with `to`.
    const auto rewrite = [&](const std::string& from, const std::string& to, bool toEnd = false) {
        std::string s = testing::readText(file);
        s.replace(s.find(from), toEnd ? std::string::npos : from.size(), to);
        std::ofstream(changed) << s;
        return runVelmora("--replay " + changed);
    };
    ASSERT_EQ(runVelmora("--headless --frames 1 --scene rope:6 --save-scene " + scene).exitCode, 0);
    const testing::Outcome recorded =
        runVelmora("--headless --frames 150 --scene " + scene + " --record " + file);
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err;
    const std::string hash = testing::reportField(recorded.out, "hash");
    const std::string text = testing::readText(file);

    // A recording of before the scene travelled with it: no scene line, no checks.
    std::string older = std::regex_replace(text, std::regex(R"(,"check":"[0-9a-f]{16}")"), "");
    older.erase(older.find('\n') + 1, older.find('\n', older.find('\n') + 1) - older.find('\n'));
    older.replace(older.find("\"version\":2"), 11, "\"version\":1");
    std::ofstream(changed) << older;
    const testing::Outcome first = runVelmora("--replay " + changed);
    EXPECT_EQ(testing::reportField(first.out, "hash"), hash) << first.err;

    // The scene file gone, the recording still replays, and says it matched.
    std::remove(scene.c_str());
    const testing::Outcome replayed = runVelmora("--replay " + file);
    EXPECT_EQ(replayed.exitCode, 0) << replayed.err;
    EXPECT_NE(replayed.out.find("passes=150 particles=6 links=5"), std::string::npos);
    EXPECT_NE(replayed.out.find("velmora: replay matches the recording (hash " + hash + ")"),
              std::string::npos)
        << replayed.out;

    const testing::Outcome differs = rewrite("\"hash\":\"" + hash, "\"hash\":\"0123456789abcdef");
    EXPECT_EQ(differs.exitCode, 5);
    EXPECT_NE(differs.err.find("0123456789abcdef"), std::string::npos) << differs.err;
    // However long its name and its program field (the file's own words, up to 256 bytes),
    // the message holds both whole, each line once.
    std::string longer = text;
    const std::string program(256, 'p');
    longer.replace(longer.find("velmora 0.1.0"), 13, program);
    longer.replace(longer.find("\"hash\":\"" + hash), 8 + hash.size(),
                   "\"hash\":\"0123456789abcdef");
    const std::string folder = std::string(VELMORA_BUILD_DIR) + "/" + std::string(240, 'd');
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/r.jsonl") << longer;
    const testing::Outcome named = runVelmora("--replay " + folder + "/r.jsonl");
    EXPECT_EQ(named.exitCode, 5);
    EXPECT_EQ(named.err, "velmora: the replay ends after 150 passes in state " + hash + "; " +
                             folder + "/r.jsonl ended after 150 in 0123456789abcdef (recorded by " +
                             program + ")\n");
    // A frame time changed after pass 60's check: the replay names the next one.
    std::string late = text;
    std::size_t line = late.find('\n', late.find('\n') + 1) + 1;  // the first pass line
    for (int pass = 1; pass < 70; ++pass)
        line = late.find('\n', line) + 1;
    const std::size_t dt = late.find("\"dt\":", line) + 5;
    late.replace(dt, late.find_first_of(",}", dt) - dt, "0.01");
    std::ofstream(changed) << late;
    const testing::Outcome drifted = runVelmora("--replay " + changed);
    EXPECT_EQ(drifted.exitCode, 5);
    EXPECT_NE(drifted.err.find("it first differs after pass 120"), std::string::npos)
        << drifted.err;
    const testing::Outcome cut = rewrite("{\"end\"", "{\"dt\":0}\n{\"dt\":0.01", true);
    EXPECT_EQ(cut.exitCode, 4);
    EXPECT_EQ(testing::reportField(cut.out, "passes"), "151") << cut.out;
    EXPECT_NE(cut.err.find("without its end line"), std::string::npos) << cut.err;
    const testing::Outcome version = rewrite("\"version\":2", "\"version\":7");
    EXPECT_EQ(version.exitCode, 4);
    EXPECT_TRUE(version.out.empty());
    const testing::Outcome badScene = rewrite("velmora-scene", "velmora-sceme");
    EXPECT_EQ(badScene.exitCode, 4);
    EXPECT_NE(badScene.err.find("the recorded scene cannot be loaded"), std::string::npos);
    std::remove(file.c_str());
    std::remove(changed.c_str());
}

TEST(SessionFormat, HostileRecordingsAreRefusedWithTheLine) {
    const std::string header =
        R"({"format":"velmora-session","version":1,"program":"v","scene":"start","paused":false,"client":[800,600]})";
    const std::pair<std::string, const char*> cases[] = {
        {"", "line 1: no header"},
        {"\x89PNG\r\n\x1a\n", "line 1: not a JSON object"},
        {R"({"format":"velmora-session","version":3})" + std::string("\n"), "version 3"},
        {std::string(header).replace(header.find("1,"), 1, "2") + "\n{\"dt\":0.01}\n",
         "line 2: no \"scene-text\" line"},
        {header + "\n{\"dt\":0.01,\"check\":\"ABCDEF0123456789\"}\n", "a bad \"check\""},
        {R"({"format":"other","version":1})" + std::string("\n"), "not a velmora session"},
        {std::string(header).replace(header.find("800"), 3, "99999") + "\n", "client size"},
        {std::string(header).insert(header.size() - 1, ",\"history-mb\":0") + "\n", "client size"},
        {header + "\n{\"dt\":0.01}\n{\"dt\":-1}\n", "line 3: a frame time"},
        {header + "\n{\"dt\":61}\n", "line 2: a frame time"},
        {header + "\n{\"dt\":1e400}\n", "line 2: not a JSON object"},
        {header + "\n{\"dt\":0.01,\"down\":[300]}\n", "line 2: a bad \"down\""},
        {header + "\n{\"dt\":0.01,\"cursor\":[[1,0,0],[0,5,5]]}\n", "a bad \"cursor\""},
        {header + "\n{\"dt\":0.01,\"message\":[18,0]}\n", "a bad \"message\""},
        {header + "\n{\"dt\":0.01,\"display\":[0,600]}\n", "a bad \"display\""},
        {header + "\n{\"dt\":0.01,\"extra\":1}\n", "unknown field"},
        {header + "\n{\"dt\":-5,\"dt\":0.01}\n", "line 2: \"dt\" given twice"},
        {header + "\n{\"dt\":0.01}" + std::string("\0{\"dt\":-1}\n", 11),
         "line 2: a NUL byte at byte 12"},
        {std::string(header).insert(header.find("start") + 5, "\\u0000") + "\n", "holds a NUL"},
        {header + "\n{\"dt\":0.01}\n" + std::string(17000, ' ') + "\n", "line 3: line too long"},
        {header + "\n{\"read\":\"a.json\"}\n", "line 2: a bad file read"},
        {header + "\n{\"read\":\"a.json\",\"text\":\"{}\"}\n{\"end\":true,\"passes\":0,"
                  "\"hash\":\"0000000000000000\"}\n",
         "line 3: a file read without its pass"},
        {header + "\n{\"dt\":0.01,\"files\":[[\"../a.json\"]]}\n", "a bad \"files\""},
        {header + "\n{\"dt\":0.01}\n{\"end\":true,\"passes\":2,\"hash\":\"0000000000000000\"}\n",
         "counts 2 passes"},
        {header + "\n{\"end\":true,\"passes\":0,\"hash\":\"0000000000000000\"}\n{\"dt\":0}\n",
         "text after the end"},
        {header + "\n{\"end\":true,\"passes\":0,\"hash\":\"XYZ\"}\n", "not 16 lower-case hex"},
        {header + "\n{\"end\":true,\"hash\":\"0000000000000000\"}\n", "a bad end line"},
    };
    const std::string file = std::string(VELMORA_BUILD_DIR) + "/hostile-session.jsonl";
    for (const auto& [text, why] : cases) {
        std::ofstream(file, std::ios::binary) << text;
        SessionReader reader;
        std::string error;
        EXPECT_FALSE(reader.open(file, error)) << why;
        EXPECT_NE(error.find(why), std::string::npos) << error;
        EXPECT_EQ(error.rfind(file, 0), 0u) << error;
        std::remove(file.c_str());
    }
}

}  // namespace
}  // namespace velmora
