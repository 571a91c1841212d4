// Recording a session through the real loop on the scripted system and replaying it.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

#include <unistd.h>

#include "app/ReplayPasses.h"
#include "physics/StateSummary.h"
#include "scenes/BuiltInScenes.h"
#include "scenes/SceneFile.h"
#include "session/SessionPlayer.h"
#include "session/SessionReader.h"
#include "session/SessionRecorder.h"
#include "tests/app/ApplicationFixture.h"
#include "tests/app/RunVelmora.h"
#include "tests/render/PictureFiles.h"

namespace velmora {
namespace {

// Named per process: ctest runs this file's tests side by side in the same folder.
const std::string kFile = "session-test-" + std::to_string(::getpid()) + ".jsonl";

class SessionTest : public ApplicationTest {
  protected:
    void TearDown() override {
        ApplicationTest::TearDown();
        std::remove(kFile.c_str());
        std::remove((kFile + ".cut").c_str());
    }

    /// One user session on the scripted system, recorded; every pass's state hash after it.
    std::vector<std::uint64_t> recordSession() {
        SessionRecorder recorder(os);
        Application session(recorder, headlessDirect3DCreate);
        std::string error;
        EXPECT_FALSE(session.startUp(SW_SHOWNORMAL).has_value());
        EXPECT_TRUE(recorder.open(
            kFile, {"velmora test", "start", false, 800, 600, kSessionFormatVersion, "{}"}, error));
        std::vector<std::uint64_t> hashes;
        const Point home = cursorHomeOnScreen(os);
        const auto pass = [&](std::initializer_list<int> held, int dx = 0, int dy = 0,
                              float dt = 0.016f) {
            os.keys = {};
            for (int k : held)
                os.setKey(k, true);
            os.cursor = {home.x + dx, home.y + dy};
            os.counterStep = static_cast<std::int64_t>(dt * 1e6f);
            recorder.beginPass();
            EXPECT_TRUE(session.runPass());
            recorder.endPass(session.passDt);
            hashes.push_back(stateHash(session.particles));
        };
        pass({});
        pass({'W', VK_SHIFT});
        pass({'D'}, 0, 0, 0.1f);  // a long frame, sub-stepped
        pass({'A', VK_SPACE});
        pass({'S', VK_CONTROL});
        pass({'E'}, 30, -10);  // mouse look, then the cursor goes home
        pass({'E'}, 30, -10);  // the same read again: no longer where it was
        pass({VK_MBUTTON});    // spawn at the centre
        pass({VK_TAB});
        pass({VK_RBUTTON});  // select the new particle ...
        pass({});
        pass({VK_RBUTTON});  // ... and pin it
        pass({'N'});
        pass({VK_LBUTTON});  // grab and drag it
        pass({VK_LBUTTON}, 12, 5);
        pass({});
        pass({VK_MBUTTON});  // delete it
        pass({VK_TAB, 'Q', 'F'});
        os.pushWindowMessage(WM_KILLFOCUS);
        pass({VK_MENU});
        pass({VK_MENU, VK_RETURN});  // full screen on a display of the scripted size
        os.displayMode = {1024, 768, 60};
        pass({VK_MENU});
        pass({VK_MENU, VK_RETURN});
        pass({VK_MBUTTON}, 300, 200);  // a spawn off the centre: the picture's ratio decides
        pass({VK_LBUTTON}, 300, 200);  // then, from outside, the window moves and is resized
        const Rect outer = os.getWindowRect(windowHandle);
        os.setWindowPos(windowHandle, outer.left - 40, outer.top + 25, outer.width(),
                        outer.height());
        pass({VK_LBUTTON}, 300, 200);
        os.setWindowPos(windowHandle, outer.left - 40, outer.top + 25, outer.width() + 200,
                        outer.height() - 200);
        pass({VK_TAB});
        EXPECT_FLOAT_EQ(aspectRatio, 1000.0f / 400.0f);  // the picture follows the client area
        pass({VK_F1 + 1});
        pass({});
        const Rect panel = session.overlay.layout().panel;
        const Point step = os.clientToScreen(windowHandle, {panel.left + 40, panel.top + 60});
        for (const int held : {0, int{VK_LBUTTON}, 0, 0})  // Step, the panel's second button
            pass({held}, step.x - home.x, step.y - home.y);
        EXPECT_NE(hashes.back(), hashes[hashes.size() - 3]);
        pass({VK_HOME});
        pass({'R'});
        for (int i = 0; i < 20; ++i)
            pass({}, 0, 0, 0.01f + 0.001f * static_cast<float>(i));
        pass({VK_ESCAPE});
        EXPECT_FALSE(session.runPass());
        // Every pass is on disk as it ends, before the recording is finished.
        const std::string written = testing::readText(kFile);
        EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), std::ssize(hashes) + 2);
        EXPECT_TRUE(recorder.finish({std::ssize(hashes), hashes.back()}, error));
        session.shutDown();
        resetGlobals();
        return hashes;
    }

    /// Replays the file on a fresh scripted system; the state hash at the end and the passes.
    std::pair<std::uint64_t, long> replay(const std::string& file) {
        SessionReader reader;
        std::string error;
        EXPECT_TRUE(reader.open(file, error)) << error;
        ScriptedOperatingSystem system;
        system.displayMode = {640, 480, 60};  // what the recording says wins
        system.frame = {3, 19, 3, 3};         // another window manager's frame
        SessionPlayer player(system, reader.header());
        Application replayed(player, headlessDirect3DCreate);
        replayed.historyBudgetBytes = std::size_t(reader.header().historyMegabytes) << 20;
        // The recorded scene where the recording holds one.
        parseSceneText(reader.header().sceneText, replayed.startingScene, error);
        EXPECT_FALSE(replayed.startUp(SW_SHOWNORMAL).has_value());
        ReplayDivergence divergence;
        const long passes = replayPasses(replayed, player, reader, divergence);
        EXPECT_EQ(divergence.pass, 0);
        const std::uint64_t hash = stateHash(replayed.particles);
        replayed.shutDown();
        resetGlobals();
        return {hash, passes};
    }
};

TEST_F(SessionTest, AReplayReachesTheRecordedStateEvenWhenCutOff) {
    const std::vector<std::uint64_t> hashes = recordSession();
    const std::string recording = testing::readText(kFile);
    // The lost focus and the display mode are recorded too.
    EXPECT_NE(recording.find("\"message\":[8,0]"), std::string::npos);
    EXPECT_NE(recording.find("\"display\":[1280,800]"), std::string::npos);

    EXPECT_EQ(replay(kFile), std::pair(hashes.back(), std::ssize(hashes)));
    // Cut anywhere, the recording replays its whole passes and reaches their state.
    const std::size_t headerEnd = recording.find('\n', recording.find('\n') + 1) + 1;
    for (std::size_t cut = headerEnd; cut < recording.size(); cut += 53) {
        std::ofstream(kFile + ".cut") << recording.substr(0, cut);
        const long whole = std::count(recording.begin() + headerEnd, recording.begin() + cut, '\n');
        const auto [cutHash, cutPasses] = replay(kFile + ".cut");
        ASSERT_EQ(cutPasses, whole) << "cut at byte " << cut;
        EXPECT_EQ(cutHash, whole == 0 ? 0x14432ef888b2746aull : hashes[whole - 1]) << cut;
    }
}

TEST_F(SessionTest, ScenesOpenedFromTheSaveFolderOrDroppedReplayWhereverTheFilesWent) {
    testing::TempFolder saves;
    std::string error;
    ASSERT_TRUE(writeSceneFile(saves.path("rope.json"), ropeScene(4), error)) << error;
    saves.write("notes.png", std::string("\x89PNG"));
    std::vector<std::string> listed;
    std::uint64_t recordedEnd = 0;
    {
        SessionRecorder recorder(os);
        Application session(recorder, headlessDirect3DCreate);
        session.saveFolder = saves.path("");
        ASSERT_FALSE(session.startUp(SW_SHOWNORMAL).has_value());
        ASSERT_TRUE(recorder.open(
            kFile, {"velmora test", "start", false, 800, 600, kSessionFormatVersion, "{}"}, error));
        const auto pass = [&](int held) {
            os.keys = {};
            os.setKey(held, held != 0);
            recorder.beginPass();
            EXPECT_TRUE(session.runPass());
            recorder.endPass(session.passDt);
        };
        pass(VK_F1 + 1);  // the panel opens and lists the save folder
        listed = session.openableScenes;
        os.dropFile(saves.path("rope.json"));
        pass(0);
        EXPECT_EQ(session.particles.size(), 4u);
        os.dropFile(saves.path("notes.png"));  // no scene: said, and the rope stays
        pass(0);
        EXPECT_NE(session.lastMessage.find("notes.png: is not UTF-8 text"), std::string::npos);
        for (int i = 0; i < 30; ++i)
            pass(0);
        recordedEnd = stateHash(session.particles);
        EXPECT_TRUE(recorder.finish({33, recordedEnd}, error));
        session.shutDown();
        resetGlobals();
    }
    ASSERT_EQ(listed, std::vector<std::string>{saves.path("rope.json")});
    std::filesystem::remove_all(saves.path(""));  // the files are gone; the recording holds them
    EXPECT_EQ(replay(kFile), std::pair(recordedEnd, 33l));
}

TEST_F(SessionTest, ARecordingThatMovesEverySliderReplaysToItsHash) {
    PhysicsSettings moved;
    std::uint64_t recordedEnd = 0;
    long passes = 0;
    {
        SessionRecorder recorder(os);
        Application session(recorder, headlessDirect3DCreate);
        std::string error;
        ASSERT_FALSE(session.startUp(SW_SHOWNORMAL).has_value());
        ASSERT_TRUE(recorder.open(
            kFile, {"velmora test", "start", false, 800, 600, kSessionFormatVersion, "{}"}, error));
        const auto pass = [&](int held, Point client) {
            os.keys = {};
            os.setKey(held, held != 0);
            os.cursor = os.clientToScreen(windowHandle, client);
            recorder.beginPass();
            EXPECT_TRUE(session.runPass());
            recorder.endPass(session.passDt);
            ++passes;
        };
        const auto at = [&](PhysicsControl c, float across) {
            const Rect r = session.overlay.layout().physics[c];
            EXPECT_GT(r.width(), 0) << c;
            return Point{r.left + static_cast<int>(across * static_cast<float>(r.width())),
                         (r.top + r.bottom) / 2};
        };
        const auto click = [&](PhysicsControl c, float across) {
            const Point p = at(c, across);
            pass(VK_LBUTTON, p);
            pass(0, p);
        };
        pass(VK_F1 + 1, {700, 100});
        pass(0, {700, 100});
        click(kPhysicsHeader, 0.5f);
        pass(0, {700, 100});
        // The stiffness dragged along its slider over several passes, the rest clicked.
        for (const float across : {0.3f, 0.4f, 0.55f, 0.7f})
            pass(VK_LBUTTON, at(kStiffnessSlider, across));
        pass(0, at(kStiffnessSlider, 0.7f));
        click(kJupiterPreset, 0.5f);
        click(kGravitySliders, 0.2f);  // the x component: sideways
        click(kDampingSlider, 0.3f);
        click(kAirDragSlider, 0.8f);
        click(kWallBounceSlider, 0.4f);
        click(kContactBounceSlider, 0.6f);
        click(kTimeScaleSlider, 0.35f);
        for (int i = 0; i < 60; ++i)
            pass(0, {700, 100});
        moved = session.physics;
        recordedEnd = stateHash(session.particles);
        EXPECT_TRUE(recorder.finish({passes, recordedEnd}, error));
        session.shutDown();
        resetGlobals();
    }
    // Every setting moved away from where it was.
    const PhysicsSettings described;
    EXPECT_GT(std::abs(moved.gravity.x), 10.0f);
    EXPECT_EQ(moved.gravity.y, -kJupiterGravity);
    for (const auto& [now, before] : {std::pair{moved.linkStiffness, described.linkStiffness},
                                      {moved.linkDamping, described.linkDamping},
                                      {moved.airDrag, described.airDrag},
                                      {moved.wallBounceKeep, described.wallBounceKeep},
                                      {moved.contactBounceKeep, described.contactBounceKeep},
                                      {moved.timeScale, described.timeScale}})
        EXPECT_NE(now, before);
    EXPECT_EQ(replay(kFile), std::pair(recordedEnd, passes));
}

TEST_F(SessionTest, ARecordingThatUndoesRedoesAndStepsBackReplaysToItsHash) {
    // A thousand particles in a past of 1 MB: how far back Shift + Left reaches is the budget's,
    // so the replay must keep the recorded one.
    std::uint64_t recordedEnd = 0;
    long passes = 0;
    {
        SessionRecorder recorder(os);
        Application session(recorder, headlessDirect3DCreate);
        session.historyBudgetBytes = std::size_t{1} << 20;
        session.startingScene = latticeScene(10, 10, 10);
        std::string error;
        ASSERT_FALSE(session.startUp(SW_SHOWNORMAL).has_value());
        SessionHeader header{"velmora test",
                             "lattice:10x10x10",
                             false,
                             800,
                             600,
                             kSessionFormatVersion,
                             sceneText(session.startingScene)};
        header.historyMegabytes = 1;
        ASSERT_TRUE(recorder.open(kFile, header, error));
        const auto pass = [&](std::initializer_list<int> held, Point client = {700, 120}) {
            os.keys = {};
            for (int k : held)
                os.setKey(k, true);
            os.cursor = os.clientToScreen(windowHandle, client);
            recorder.beginPass();
            EXPECT_TRUE(session.runPass());
            recorder.endPass(session.passDt);
            ++passes;
        };
        const auto tap = [&](std::initializer_list<int> held) {
            pass(held);
            pass({});
        };
        for (int i = 0; i < 300; ++i)
            pass({});
        tap({VK_MBUTTON});
        tap({VK_MBUTTON});
        tap({'Z'});
        tap({'Y'});
        tap({'Z'});
        for (int i = 0; i < 4; ++i)  // a drag through the running scene
            pass({VK_LBUTTON}, {400, 300 - 5 * i});
        for (int i = 0; i < 20; ++i)
            pass({});
        tap({VK_TAB});
        for (int second = 0; second < 8; ++second)  // back as far as the past reaches
            tap({VK_SHIFT, VK_LEFT});
        EXPECT_EQ(session.timeline.now(), session.timeline.first());
        EXPECT_GT(session.timeline.first(), 0);
        tap({VK_LEFT});
        tap({VK_RIGHT});
        tap({VK_RIGHT});
        EXPECT_LT(session.timeline.now(), session.timeline.latest());
        tap({VK_TAB});  // runs on from there: a branch
        tap({VK_CONTROL, 'Z'});
        for (int i = 0; i < 30; ++i)
            pass({});
        recordedEnd = stateHash(session.particles);
        EXPECT_TRUE(recorder.finish({passes, recordedEnd}, error));
        session.shutDown();
        resetGlobals();
    }
    EXPECT_NE(testing::readText(kFile).find("\"history-mb\":1"), std::string::npos);
    EXPECT_EQ(replay(kFile), std::pair(recordedEnd, passes));
}

}  // namespace
}  // namespace velmora
