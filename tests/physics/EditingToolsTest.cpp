// The mouse tools against a scripted pick ray, pass by pass, from the starting view.
#include <gtest/gtest.h>

#include "physics/EditingTools.h"
#include "scenes/BuiltInScenes.h"
#include "tests/math/ApproxEqual.h"
#include "tests/physics/ParticleHelpers.h"

namespace velmora {
namespace {

class EditingTools : public ::testing::Test, public PickSource {
  protected:
    void SetUp() override {
        camera.setEye(0, 0, 25);
        camera.setTarget(0, 0.1f, 0);
    }
    PickRay makePickRay() override { return ray; }
    void recentreCursor() override {}
    /// A pass with the cursor over the point.
    RightClick passOver(const Vec3& point) {
        ray = {camera.getEye(), camera.getEye() + (point - camera.getEye()) * 100.0f};
        return runEditingTools(in, *this, camera, particles, state);
    }

    Camera camera{CameraMode::FreeLook};
    PickRay ray;
    ParticleList particles;
    EditingState state;
    EditingInput in;
};

TEST_F(EditingTools, PicksTheNearestInFrontAndTheEarlierOnATie) {
    add(particles, {0, 0, -12});
    add(particles, {0, 0.5f, -10});  // nearer
    add(particles, {0.5f, 0, -10});  // as near, later
    add(particles, {0, 0, 30});      // on the line, but behind the eye
    const PickRay line{{0, 0, 0}, {0, 0, -100}};
    camera.setEye(0, 0, 0);
    camera.setTarget(0, 0, -1);
    EXPECT_EQ(pickParticle(line, camera, particles), particles[1].get());
    particles.erase(particles.begin(), particles.begin() + 3);
    add(particles, {1.01f, 0, -5});  // off the line by more than the radius
    EXPECT_EQ(pickParticle(line, camera, particles), nullptr);
}

TEST_F(EditingTools, MiddleClickDeletesALinkedSelectedParticleWithoutATrace) {
    buildScene(startScene(), particles);
    Particle* corner = particles[3].get();  // linked to the cube and to the chain
    const Particle* next = particles[4].get();
    state = {corner, corner};
    in.middlePressed = true;
    in.running = false;
    passOver(corner->current.position);
    ASSERT_EQ(particles.size(), 9u);
    EXPECT_EQ(particles[3].get(), next);  // the rest moved up, order kept
    for (const auto& p : particles) {
        for (const auto& link : p->links) {
            EXPECT_NE(link.other, corner);
            EXPECT_TRUE(link.other->isLinkedTo(p.get()));
        }
    }
    EXPECT_EQ(state.joinSel, nullptr);
    EXPECT_EQ(state.dragTarget, nullptr);
}

TEST_F(EditingTools, RightClicksLinkUnlinkAndPinOnlyWhilePausedAndSayWhatTheyDid) {
    Particle* a = add(particles, {-3, 0, 0});
    Particle* b = add(particles, {3, 0, 0});
    in.rightPressed = true;
    const auto click = [&](const Particle* p) {
        return passOver(p ? p->current.position : Vec3(0, 50, 0));
    };
    EXPECT_EQ(click(a), RightClick::IgnoredWhileRunning);  // not even a selection
    EXPECT_EQ(state.joinSel, nullptr);

    in.running = false;
    EXPECT_EQ(click(a), RightClick::SelectedFirst);
    EXPECT_EQ(state.joinSel, a);
    EXPECT_EQ(click(b), RightClick::Linked);
    EXPECT_EQ(state.joinSel, nullptr);
    ASSERT_TRUE(a->isLinkedTo(b) && b->isLinkedTo(a));
    EXPECT_FLOAT_EQ(a->links[0].restLength, 6.0f);
    click(a);
    EXPECT_EQ(click(b), RightClick::Unlinked);
    EXPECT_FALSE(a->isLinkedTo(b) || b->isLinkedTo(a));
    click(a);
    EXPECT_EQ(click(a), RightClick::Pinned);
    EXPECT_TRUE(a->pinned);
    click(a);
    EXPECT_EQ(click(a), RightClick::Unpinned);
    EXPECT_FALSE(a->pinned);

    click(a);
    EXPECT_EQ(click(nullptr), RightClick::None);  // empty space drops a half-made selection
    EXPECT_EQ(click(b), RightClick::SelectedFirst);
    in.rightPressed = false;
    EXPECT_EQ(click(a), RightClick::None);
}

TEST_F(EditingTools, DragMovesAlongTheScreenPlaneAndWritesTheStateThatSurvives) {
    Particle* p = add(particles, {0, 0, 0});
    in.leftPressed = in.leftHeld = in.shiftHeld = true;
    in.cursorDx = 10;
    in.dt = 0.5f;
    passOver(p->current.position);
    ASSERT_EQ(state.dragTarget, p);
    // Running and free: current moves 10 px x 0.05 along right; velocity is D / dt.
    EXPECT_VEC3_NEAR(p->current.position, camera.right() * 0.5f, 1e-6f);
    EXPECT_VEC3_NEAR(p->current.velocity, camera.right() * 1.0f, 1e-6f);
    EXPECT_VEC3_NEAR(p->next.position, Vec3(), 0.0f);

    // Pinned (or paused): next is written, current untouched. Moving down moves down.
    p->pinned = true;
    in.leftPressed = in.shiftHeld = false;
    in.cursorDx = 0;
    in.cursorDy = 20;
    const Vec3 before = p->current.position;
    passOver({0, 50, 0});  // the cursor no longer needs to be over it
    EXPECT_VEC3_NEAR(p->current.position, before, 0.0f);
    EXPECT_LT(p->next.position.y, -0.19f);
    EXPECT_NEAR(p->next.velocity.y, -0.4f, 1e-3f);
    // A pass with no measured time moves without giving an infinite velocity.
    in.dt = 0.0f;
    passOver({0, 50, 0});
    EXPECT_LT(p->next.position.y, -0.39f);
    EXPECT_VEC3_NEAR(p->next.velocity, Vec3(), 0.0f);
    // Released: the particle is let go.
    in.leftHeld = false;
    in.leftReleased = true;
    passOver({0, 50, 0});
    EXPECT_EQ(state.dragTarget, nullptr);
}

}  // namespace
}  // namespace velmora
