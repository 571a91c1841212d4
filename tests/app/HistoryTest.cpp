// Undo, redo and the timeline in the real loop: every kind of edit comes undone to the moment
// before it and redone to the moment after, the run's past is stepped through bit for bit and
// branched from, and the past keeps within its budget.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "physics/StateSummary.h"
#include "scenes/SceneFile.h"
#include "scenes/StressScenes.h"
#include "tests/app/ApplicationFixture.h"
#include "tests/overlay/OverlayText.h"
#include "tests/render/PictureFiles.h"

namespace velmora::test {
namespace {

/// The state hash, every particle's links in the order it holds them, with their springs, and
/// the gravity.
using Moment =
    std::tuple<std::uint64_t,
               std::vector<std::tuple<std::uint32_t, std::uint32_t, float, float, bool>>, float>;

Moment momentOf(const Application& app) {
    const ParticleList& particles = app.particles;
    Moment moment{stateHash(particles), {}, app.physics.gravity.y};
    const auto structure = captureStructure(particles);
    for (std::uint32_t i = 0; i < structure->particleCount(); ++i) {
        for (std::uint32_t r = structure->linkStart[i]; r < structure->linkStart[i + 1]; ++r) {
            const Structure::LinkRecord& l = structure->links[r];
            std::get<1>(moment).emplace_back(i, l.other, l.restLength, l.stiffness,
                                             structure->pinned[i] != 0);
        }
        if (structure->linkStart[i] == structure->linkStart[i + 1])
            std::get<1>(moment).emplace_back(i, i, 0.0f, 0.0f, structure->pinned[i] != 0);
    }
    return moment;
}

class History : public ApplicationTest {
  protected:
    bool says(const std::string& text) {
        return drawnText(app->overlay).find(withoutSpaces(text)) != std::string::npos;
    }
    void rightClickOn(int particle) {
        cursorOn(app->particles[static_cast<std::size_t>(particle)].get());
        hold({VK_RBUTTON});
        hold({});
    }
};

TEST_F(History, EveryEditUndoesToTheMomentBeforeAndRedoesToTheMomentAfter) {
    testing::TempFolder dir;
    std::string error;
    ASSERT_TRUE(writeSceneFile(dir.path("rope.json"), ropeScene(4), error)) << error;
    start(1.0f / 60.0f);
    hold({VK_TAB});            // paused: nothing moves but the edits
    app->startsPaused = true;  // nor after R or a load
    const Moment loaded = momentOf(*app);
    const std::pair<const char*, std::function<void()>> edits[] = {
        {"spawn", [&] { cursorAtClient(650, 120), hold({VK_MBUTTON}); }},
        {"delete", [&] { cursorOn(app->particles[6].get()), hold({VK_MBUTTON}); }},
        {"link", [&] { rightClickOn(5), rightClickOn(0); }},
        {"unlink", [&] { rightClickOn(5), rightClickOn(0); }},
        {"pin", [&] { rightClickOn(3), rightClickOn(3); }},
        {"unpin", [&] { rightClickOn(3), rightClickOn(3); }},
        {"drag",
         [&] {
             cursorOn(app->particles[2].get());
             hold({VK_LBUTTON});
             for (int i = 0; i < 3; ++i)
                 os.cursor.x += 10, hold({VK_LBUTTON});
             hold({});
         }},
        {"reset", [&] { hold({'R'}); }},
        {"load", [&] { os.dropFile(dir.path("rope.json")), hold({}); }},
        {"physics",
         [&] {
             hold({VK_F1 + 1}), hold({});
             for (const PhysicsControl c : {kPhysicsHeader, kMoonPreset}) {
                 const Rect r = app->overlay.layout().physics[c];
                 cursorAtClient((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                 hold({VK_LBUTTON}), hold({}), hold({});
             }
         }},
    };
    std::vector<Moment> before;
    for (const auto& [name, act] : edits) {
        before.push_back(momentOf(*app));
        act();
        const Moment after = momentOf(*app);
        ASSERT_NE(after, before.back()) << name << " " << app->particles.size();
        hold({'Z'});
        EXPECT_EQ(momentOf(*app), before.back()) << name;
        hold({});  // a message shows from the pass after it appears
        EXPECT_TRUE(says(std::string("undid: ") + name)) << drawnText(app->overlay);
        hold({VK_CONTROL, 'Y'});  // Ctrl + Y too
        EXPECT_EQ(momentOf(*app), after) << name;
        hold({});
        EXPECT_TRUE(says(std::string("redid: ") + name)) << drawnText(app->overlay);
    }
    EXPECT_EQ(app->particles.size(), 4u);
    EXPECT_EQ(app->physics.gravity.y, -kMoonGravity);
    // All the way back: the scene as it was loaded, and R goes back to it again.
    for (std::size_t i = 0; i < std::size(edits); ++i)
        hold({'Z'}), hold({});
    EXPECT_EQ(momentOf(*app), loaded);
    EXPECT_EQ(app->startingScene.particles.size(), 10u);
    EXPECT_EQ(app->physics, kDescribedSettings);
    hold({'Z'});
    hold({});
    EXPECT_TRUE(says("nothing to undo"));
    // A new edit drops what was undone.
    hold({'Y'});
    EXPECT_EQ(momentOf(*app), before[1]);
    cursorAtClient(650, 120);
    hold({VK_MBUTTON});
    hold({'Y'});
    hold({});
    EXPECT_TRUE(says("nothing to redo"));
}

TEST_F(History, SteppingThroughThePastComesBackBitForBitAndRunningFromItDropsTheFuture) {
    // A taut string, whose zigzag sets the stepper damping across its links early on: a moment
    // put back must go on with what the stepper had seen.
    start(1.0f / 60.0f);
    app->startingScene = tautStringScene(10, 0.5f);
    app->resetScene();
    std::vector<std::uint64_t> hashes{stateHash(app->particles)};
    for (int pass = 1; pass <= 400; ++pass) {
        // A drag in the middle: moments the passes alone could not give again.
        if (pass == 150)
            cursorOn(app->particles[8].get());
        if (pass >= 150 && pass < 160)
            os.cursor.y -= 4;
        hold(pass >= 150 && pass < 160 ? std::initializer_list<int>{VK_LBUTTON}
                                       : std::initializer_list<int>{});
        hashes.push_back(stateHash(app->particles));
    }
    ASSERT_TRUE(app->stepper.dampsSideways());
    hold({VK_LEFT});  // running, Left and Right do nothing
    hold({VK_RIGHT});
    hashes.push_back(stateHash(app->particles));
    hashes.push_back(stateHash(app->particles));
    EXPECT_EQ(app->timeline.now(), 402);
    hold({VK_TAB});  // pausing takes no pass
    EXPECT_EQ(app->timeline.now(), 402);
    for (int second = 0; second < 5; ++second)
        hold({VK_SHIFT, VK_LEFT}), hold({VK_SHIFT});
    EXPECT_EQ(app->timeline.now(), 102);
    EXPECT_EQ(stateHash(app->particles), hashes[102]);
    for (int pass = 0; pass < 53; ++pass)
        hold({VK_RIGHT}), hold({});
    EXPECT_EQ(stateHash(app->particles), hashes[155]);
    for (int second = 0; second < 5; ++second)
        hold({VK_SHIFT, VK_RIGHT}), hold({VK_SHIFT});
    EXPECT_EQ(app->timeline.now(), 402);
    EXPECT_EQ(stateHash(app->particles), hashes[402]);
    hold({VK_RIGHT});
    EXPECT_EQ(app->timeline.now(), 402);  // nothing after the latest

    // The scrub bar, on the panel, goes where it is clicked and pauses a running run.
    hold({VK_F1 + 1});
    hold({VK_TAB});
    ASSERT_TRUE(app->running);
    const Rect bar = app->overlay.layout().timeline;
    ASSERT_GT(bar.width(), 0);
    cursorAtClient(bar.left + bar.width() / 4, (bar.top + bar.bottom) / 2);
    hold({VK_LBUTTON});
    hold({});
    EXPECT_FALSE(app->running);
    const long scrubbed = app->timeline.now();
    EXPECT_GT(scrubbed, 50);
    EXPECT_LT(scrubbed, 150);
    EXPECT_EQ(stateHash(app->particles), hashes[static_cast<std::size_t>(scrubbed)]);
    EXPECT_FALSE(app->timeline.edits().empty());

    // Running from there branches: what came after is gone.
    hold({VK_TAB});  // a pass of its own
    hold({}, 9);
    EXPECT_EQ(app->timeline.latest(), scrubbed + 10);
    EXPECT_EQ(app->timeline.now(), scrubbed + 10);
    EXPECT_EQ(stateHash(app->particles), hashes[static_cast<std::size_t>(scrubbed) + 10]);
}

TEST_F(History, ThePastKeepsWithinItsBudgetDroppingTheOldestFirst) {
    start(1.0f / 60.0f);
    ASSERT_TRUE(app->loadScene("lattice:5x5x5"));
    app->historyBudgetBytes = 256 * 1024;
    std::size_t most = 0;
    std::vector<std::uint64_t> hashes{stateHash(app->particles)};
    for (int pass = 0; pass < 2000; ++pass) {
        setDt(pass % 3 == 0 ? 1.0f / 50.0f : 1.0f / 60.0f);  // each pass known by its own time
        if (pass % 100 == 0)
            cursorAtClient(650, 120), hold({VK_MBUTTON});
        else
            hold({});
        hashes.push_back(stateHash(app->particles));
        most = std::max(most, app->timeline.bytes() + app->undoStack.bytes());
    }
    EXPECT_LE(most, app->historyBudgetBytes);
    EXPECT_GT(most, app->historyBudgetBytes * 3 / 4);
    EXPECT_GT(app->timeline.first(), 1000);
    EXPECT_EQ(app->timeline.latest(), 2000);
    // Back as far as it goes: the oldest moment kept, put back exactly.
    hold({VK_TAB});
    for (int second = 0; second < 40; ++second)
        hold({VK_SHIFT, VK_LEFT}), hold({VK_SHIFT});
    const long first = app->timeline.first();
    EXPECT_EQ(app->timeline.now(), first);
    EXPECT_EQ(stateHash(app->particles), hashes[static_cast<std::size_t>(first)]);
    for (int pass = 1; pass <= 30; ++pass) {
        hold({VK_RIGHT}), hold({});
        EXPECT_EQ(stateHash(app->particles), hashes[static_cast<std::size_t>(first + pass)]);
    }
}

}  // namespace
}  // namespace velmora::test
