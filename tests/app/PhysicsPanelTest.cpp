// The panel's physics section in the real loop: each control changes its setting at the next
// pass, the links follow their stiffness and damping, R and the panel's button go back to the
// scene's own, slow motion is a shorter pass, and F5 keeps all of it.
#include <gtest/gtest.h>

#include <algorithm>

#include "physics/StateSummary.h"
#include "scenes/SceneFile.h"
#include "tests/app/ApplicationFixture.h"
#include "tests/overlay/OverlayText.h"
#include "tests/render/PictureFiles.h"

namespace velmora::test {
namespace {

class PhysicsPanel : public ApplicationTest {
  protected:
    const Rect& control(PhysicsControl c) { return app->overlay.layout().physics[c]; }
    /// Presses the left button at `across` of the control's width, in the pass it is pressed.
    void press(PhysicsControl c, float across = 0.5f) {
        const Rect r = control(c);
        ASSERT_GT(r.width(), 0) << c;
        cursorAtClient(r.left + static_cast<int>(across * static_cast<float>(r.width())),
                       (r.top + r.bottom) / 2);
        hold({VK_LBUTTON});
    }
    void click(PhysicsControl c, float across = 0.5f) {
        press(c, across);
        hold({});
        hold({});
    }
    /// Every link's stiffness and damping, each is one of them.
    bool everyLinkIs(float stiffness, float damping) {
        return std::all_of(app->particles.begin(), app->particles.end(), [&](const auto& p) {
            return std::all_of(p->links.begin(), p->links.end(), [&](const ParticleLink& l) {
                return l.stiffness == stiffness && l.damping == damping;
            });
        });
    }
};

TEST_F(PhysicsPanel, EachControlActsAtTheNextPassAndRGoesBackToTheScenesOwn) {
    start();
    hold({VK_F1 + 1});
    hold({});
    EXPECT_EQ(control(kStiffnessSlider).width(), 0);  // the section starts closed
    click(kPhysicsHeader);
    press(kStiffnessSlider, 0.9f);
    EXPECT_EQ(app->physics.linkStiffness, 100.0f);  // asked for, carried out next pass
    hold({});
    const float stiffness = app->physics.linkStiffness;
    EXPECT_GT(stiffness, 1000.0f);
    EXPECT_TRUE(everyLinkIs(stiffness, 10.0f));
    click(kDampingSlider, 0.1f);
    const float damping = app->physics.linkDamping;
    EXPECT_LT(damping, 1.0f);
    EXPECT_TRUE(everyLinkIs(stiffness, damping));
    click(kMoonPreset);
    EXPECT_EQ(app->physics.gravity.y, -1.62f);
    click(kZeroGravityPreset);
    EXPECT_EQ(app->physics.gravity.y, 0.0f);
    click(kAirDragSlider, 0.0f);
    click(kWallBounceSlider, 0.0f);
    click(kContactBounceSlider, 0.98f);
    click(kTimeScaleSlider, 0.0f);
    EXPECT_EQ(app->physics.airDrag, 0.0f);
    EXPECT_EQ(app->physics.wallBounceKeep, 0.0f);
    EXPECT_GT(app->physics.contactBounceKeep, 0.95f);
    EXPECT_EQ(app->physics.timeScale, 1.0f / 16.0f);
    hold({});
    EXPECT_NE(drawnText(app->overlay).find(withoutSpaces("time x0.0625")), std::string::npos)
        << drawnText(app->overlay);
    // With no gravity and no drag, the structure drifts on as it was: nothing falls.
    const double energy = totalEnergy(app->particles, app->physics.gravity);
    hold({}, 30);
    EXPECT_NEAR(totalEnergy(app->particles, app->physics.gravity), energy, energy * 0.01);

    hold({'R'});
    EXPECT_EQ(app->physics, kDescribedSettings);
    EXPECT_TRUE(everyLinkIs(100.0f, 10.0f));
    EXPECT_EQ(drawnText(app->overlay).find(withoutSpaces("time x")), std::string::npos);
    click(kJupiterPreset);
    EXPECT_EQ(app->physics.gravity.y, -24.8f);
    click(kSceneValuesButton);
    EXPECT_EQ(app->physics, kDescribedSettings);
}

TEST_F(PhysicsPanel, SlowMotionAtHalfIsAPassOfHalfTheTime) {
    // Half speed at 1/60 ends, bit for bit, where full speed at 1/120 does.
    std::uint64_t hashes[2] = {};
    for (const auto& [frame, scale] : {std::pair{1.0f / 60.0f, 0.5f}, {1.0f / 120.0f, 1.0f}}) {
        start();
        timer->fixedDeltaTime = frame;
        app->physics.timeScale = scale;
        hold({}, 120);
        hashes[scale == 1.0f] = stateHash(app->particles);
        app->shutDown();
        app.reset();
        resetGlobals();
    }
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_NE(hashes[0], 0x14432ef888b2746aull);  // it moved
}

TEST_F(PhysicsPanel, SavedSettingsAndTheLinksOwnComeBackWithTheScene) {
    testing::TempFolder dir;
    start();
    PhysicsSettings moon;
    moon.gravity = {0.0f, -kMoonGravity, 0.0f};
    moon.linkStiffness = 40.0f;
    moon.timeScale = 0.25f;
    app->physics = moon;
    app->particles[0]->links[0].stiffness = 900.0f;  // a link of its own
    app->particles[0]->links[0].other->links[0].stiffness = 900.0f;
    // A link the right button makes now takes the settings' spring: the top particle to the
    // one at the centre of the picture, the nearest of the corner behind it.
    hold({VK_TAB});
    app->editing.joinSel = app->particles[5].get();
    cursorAtClient(400, 300);
    hold({VK_RBUTTON});
    ASSERT_TRUE(app->particles[6]->isLinkedTo(app->particles[5].get()));
    EXPECT_EQ(app->particles[6]->links.back().stiffness, 40.0f);
    ASSERT_TRUE(app->saveScene(dir.path("moon.json")));
    const std::string text = testing::readText(dir.path("moon.json"));
    EXPECT_NE(text.find("\"settings\": {\"gravity\": [0.0, -1.62, 0.0], \"stiffness\": 40.0"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"stiffness\": 900.0}"), std::string::npos) << text;

    app->physics = kDescribedSettings;
    ASSERT_TRUE(app->loadScene(dir.path("moon.json")));
    EXPECT_EQ(app->physics, moon);
    EXPECT_EQ(app->particles[0]->links[0].stiffness, 900.0f);
    EXPECT_EQ(app->particles[0]->links[1].stiffness, 100.0f);  // made before: its own
    EXPECT_EQ(app->particles[6]->links.back().stiffness, 40.0f);
    // A file without settings means the described physics.
    ASSERT_TRUE(app->loadScene("rope:4"));
    EXPECT_EQ(app->physics, kDescribedSettings);
}

}  // namespace
}  // namespace velmora::test
