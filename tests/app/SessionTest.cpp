// Recording a session through the real loop on the scripted system and replaying it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "app/Application.h"
#include "app/SessionPlayer.h"
#include "app/SessionReader.h"
#include "app/SessionRecorder.h"
#include "app/Window.h"
#include "physics/StateSummary.h"
#include "platform/RecordingDevice.h"
#include "platform/ScriptedOperatingSystem.h"
#include "render/D3DRenderer.h"
#include "render/TextureManager.h"
#include "tests/app/RunVelmora.h"

namespace velmora {
namespace {

void resetGlobals() {
    resetRendererToConstructedState();
    resetWindowState();
    gTextureManager->clear();
}

const std::string kFile = "session-test.jsonl";

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(chdir(VELMORA_BUILD_DIR), 0);
        resetGlobals();
    }
    void TearDown() override {
        resetGlobals();
        std::remove(kFile.c_str());
        std::remove((kFile + ".cut").c_str());
    }

    /// One user session on the scripted system, recorded; every pass's state hash after it.
    std::vector<std::uint64_t> recordSession() {
        ScriptedOperatingSystem os;
        SessionRecorder recorder(os);
        Application app(recorder, recordingDirect3DCreate);
        std::string error;
        EXPECT_FALSE(app.startUp(SW_SHOWNORMAL).has_value());
        EXPECT_TRUE(recorder.open(kFile, {"velmora test", "start", false, 800, 600}, error));
        std::vector<std::uint64_t> hashes;
        const Point home = cursorHomeOnScreen(os);
        const auto pass = [&](std::initializer_list<int> held, int dx = 0, int dy = 0,
                              float dt = 0.016f) {
            os.keys = {};
            for (int k : held) {
                os.setKey(k, true);
            }
            os.cursor = {home.x + dx, home.y + dy};
            os.counterStep = static_cast<std::int64_t>(dt * 1e6f);
            recorder.beginPass();
            EXPECT_TRUE(app.runPass());
            recorder.endPass(app.passDt);
            hashes.push_back(stateHash(app.particles));
        };
        pass({});
        pass({'W', VK_SHIFT});
        pass({'D'}, 0, 0, 0.1f);  // a long frame, sub-stepped
        pass({'A', VK_SPACE});
        pass({'S', VK_CONTROL});
        pass({'E'}, 30, -10);      // mouse look, then the cursor goes home
        pass({'E'}, 30, -10);      // the same read again: no longer where it was
        pass({VK_MBUTTON}, 0, 0);  // spawn at the centre
        pass({VK_TAB});
        pass({VK_RBUTTON}, 0, 0);  // select the new particle ...
        pass({});
        pass({VK_RBUTTON}, 0, 0);  // ... and pin it
        pass({'N'});
        pass({VK_LBUTTON}, 0, 0);  // grab and drag it
        pass({VK_LBUTTON}, 12, 5);
        pass({});
        pass({VK_MBUTTON}, 0, 0);  // delete it
        pass({VK_TAB, 'Q', 'F'});
        os.pushWindowMessage(WM_KILLFOCUS);
        pass({VK_MENU});
        pass({VK_MENU, VK_RETURN});  // full screen on a display of the scripted size
        os.displayMode = {1024, 768, 60};
        pass({VK_MENU});
        pass({VK_MENU, VK_RETURN});
        pass({VK_HOME});
        pass({'R'});
        for (int i = 0; i < 20; ++i) {
            pass({}, 0, 0, 0.01f + 0.001f * static_cast<float>(i));
        }
        pass({VK_ESCAPE});
        EXPECT_FALSE(app.runPass());
        // Every pass is on disk as it ends, before the recording is finished.
        std::ifstream written(kFile);
        std::size_t lines = 0;
        for (std::string line; std::getline(written, line);) {
            ++lines;
        }
        EXPECT_EQ(lines, hashes.size() + 1);
        EXPECT_TRUE(recorder.finish({static_cast<long>(hashes.size()), hashes.back()}, error));
        app.shutDown();
        resetGlobals();
        return hashes;
    }

    /// Replays the file on a fresh scripted system; the state hash at the end and the passes.
    std::pair<std::uint64_t, long> replay(const std::string& file) {
        SessionReader reader;
        std::string error;
        EXPECT_TRUE(reader.open(file, error)) << error;
        ScriptedOperatingSystem os;
        os.displayMode = {640, 480, 60};  // what the recording says wins
        SessionPlayer player(os);
        Application app(player, recordingDirect3DCreate);
        EXPECT_FALSE(app.startUp(SW_SHOWNORMAL).has_value());
        const long passes = replayPasses(app, player, reader);
        const std::uint64_t hash = stateHash(app.particles);
        app.shutDown();
        resetGlobals();
        return {hash, passes};
    }
};

TEST_F(SessionTest, AReplayReachesTheRecordedStateEvenWhenCutOff) {
    const std::vector<std::uint64_t> hashes = recordSession();
    std::ifstream in(kFile);
    std::stringstream text;
    text << in.rdbuf();
    const std::string recording = text.str();

    // Every control and mouse button went down somewhere in it.
    std::set<int> downs;
    for (std::size_t at = recording.find("\"down\":["); at != std::string::npos;
         at = recording.find("\"down\":[", at + 1)) {
        std::istringstream list(recording.substr(at + 8, recording.find(']', at) - at - 8));
        for (std::string code; std::getline(list, code, ',');) {
            downs.insert(std::stoi(code));
        }
    }
    const int controls[] = {'W', 'S',     'D',       'A',        VK_SPACE,   VK_CONTROL, VK_SHIFT,
                            'E', VK_TAB,  'Q',       'F',        VK_MENU,    VK_RETURN,  'N',
                            'R', VK_HOME, VK_ESCAPE, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    for (int code : controls) {
        EXPECT_TRUE(downs.contains(code)) << code;
    }
    EXPECT_NE(recording.find("\"message\":[8,0]"), std::string::npos);
    EXPECT_NE(recording.find("\"display\":[1280,800]"), std::string::npos);

    const auto [hash, passes] = replay(kFile);
    EXPECT_EQ(passes, static_cast<long>(hashes.size()));
    EXPECT_EQ(hash, hashes.back());

    // Cut anywhere, the recording replays its whole passes and reaches their state.
    const std::size_t headerEnd = recording.find('\n') + 1;
    for (std::size_t cut = headerEnd; cut < recording.size(); cut += 53) {
        std::ofstream(kFile + ".cut") << recording.substr(0, cut);
        long whole = -1;
        for (std::size_t i = headerEnd; i < cut; ++i) {
            whole += recording[i] == '\n' ? 1 : 0;
        }
        const auto [cutHash, cutPasses] = replay(kFile + ".cut");
        ASSERT_EQ(cutPasses, whole + 1) << "cut at byte " << cut;
        const std::uint64_t expected = cutPasses == 0
                                           ? 0x14432ef888b2746aull
                                           : hashes[static_cast<std::size_t>(cutPasses - 1)];
        EXPECT_EQ(cutHash, expected) << "cut at byte " << cut;
    }
}

TEST(SessionProgram, ReplaysEndInTheRecordedStateOrSaySoWithTheirExitCodes) {
    using testing::runVelmora;
    const std::string file = "program-session.jsonl";
    // Replaces the text from `from` on (to the end of the file if `toEnd`) with `to`.
    const auto rewrite = [&](const std::string& from, const std::string& to, bool toEnd = false) {
        std::stringstream text;
        text << std::ifstream(std::string(VELMORA_BUILD_DIR) + "/" + file).rdbuf();
        std::string s = text.str();
        s.replace(s.find(from), toEnd ? std::string::npos : from.size(), to);
        std::ofstream(std::string(VELMORA_BUILD_DIR) + "/" + file + ".changed") << s;
    };
    const testing::Outcome recorded =
        runVelmora("--headless --frames 90 --scene rope:6 --paused --record " + file);
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err;
    const std::string hash = recorded.out.substr(recorded.out.find("hash="), 21);
    const testing::Outcome replayed = runVelmora("--replay " + file);
    EXPECT_EQ(replayed.exitCode, 0) << replayed.err;
    EXPECT_NE(replayed.out.find("passes=90 particles=6 links=5"), std::string::npos);
    EXPECT_NE(replayed.out.find(hash), std::string::npos);

    rewrite(hash.substr(5), "0123456789abcdef");  // a recording of another end state
    const testing::Outcome differs = runVelmora("--replay " + file + ".changed");
    EXPECT_EQ(differs.exitCode, 5);
    EXPECT_NE(differs.err.find("0123456789abcdef"), std::string::npos) << differs.err;
    rewrite("{\"end\"", "{\"dt\":0}\n{\"dt\":0.01", true);  // cut off in its last line
    const testing::Outcome cut = runVelmora("--replay " + file + ".changed");
    EXPECT_EQ(cut.exitCode, 4);
    EXPECT_NE(cut.out.find("passes=91"), std::string::npos) << cut.out;
    EXPECT_NE(cut.err.find("without its end line"), std::string::npos) << cut.err;
    rewrite("\"version\":1", "\"version\":7");
    const testing::Outcome version = runVelmora("--replay " + file + ".changed");
    EXPECT_EQ(version.exitCode, 4);
    EXPECT_TRUE(version.out.empty());
    rewrite("rope:6", "rope:99");
    EXPECT_EQ(runVelmora("--replay " + file + ".changed").exitCode, 4);
    EXPECT_EQ(runVelmora("--replay " + file + " --frames 3").exitCode, 2);
    std::remove((std::string(VELMORA_BUILD_DIR) + "/" + file).c_str());
    std::remove((std::string(VELMORA_BUILD_DIR) + "/" + file + ".changed").c_str());
}

TEST(SessionFormat, HostileRecordingsAreRefusedWithTheLine) {
    const std::string header =
        R"({"format":"velmora-session","version":1,"program":"v","scene":"start","paused":false,"client":[800,600]})";
    struct Case {
        std::string text;
        const char* why;
    };
    const Case cases[] = {
        {"", "line 1: no header"},
        {"\x89PNG\r\n\x1a\n", "line 1: not a JSON object"},
        {R"({"format":"velmora-session","version":2})"
         "\n",
         "version 2"},
        {R"({"format":"other","version":1})"
         "\n",
         "not a velmora session"},
        {std::string(header).replace(header.find("800"), 3, "99999") + "\n", "client size"},
        {header + "\n{\"dt\":0.01}\n{\"dt\":-1}\n", "line 3: a frame time"},
        {header + "\n{\"dt\":61}\n", "line 2: a frame time"},
        {header + "\n{\"dt\":1e400}\n", "line 2: not a JSON object"},
        {header + "\n{\"dt\":0.01,\"down\":[300]}\n", "line 2: a bad \"down\""},
        {header + "\n{\"dt\":0.01,\"cursor\":[[1,0,0],[0,5,5]]}\n", "a bad \"cursor\""},
        {header + "\n{\"dt\":0.01,\"message\":[18,0]}\n", "a bad \"message\""},
        {header + "\n{\"dt\":0.01,\"display\":[0,600]}\n", "a bad \"display\""},
        {header + "\n{\"dt\":0.01,\"extra\":1}\n", "unknown field"},
        {header + "\n{\"dt\":0.01}\n" + std::string(9000, ' ') + "\n", "line 3: line too long"},
        {header + "\n{\"dt\":0.01}\n{\"end\":true,\"passes\":2,\"hash\":\"0000000000000000\"}\n",
         "counts 2 passes"},
        {header + "\n{\"end\":true,\"passes\":0,\"hash\":\"0000000000000000\"}\n{\"dt\":0}\n",
         "text after the end"},
        {header + "\n{\"end\":true,\"passes\":0,\"hash\":\"XYZ\"}\n", "a bad end line"},
    };
    for (const Case& c : cases) {
        const std::string file = std::string(VELMORA_BUILD_DIR) + "/hostile-session.jsonl";
        std::ofstream(file, std::ios::binary) << c.text;
        SessionReader reader;
        std::string error;
        EXPECT_FALSE(reader.open(file, error)) << c.why;
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
        EXPECT_EQ(error.rfind(file, 0), 0u) << error;
        std::remove(file.c_str());
    }
    SessionReader missing;
    std::string error;
    EXPECT_FALSE(missing.open("/nonexistent/session.jsonl", error));
}

}  // namespace
}  // namespace velmora
