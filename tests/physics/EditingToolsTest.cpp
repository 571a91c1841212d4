// The mouse tools against a scripted pick ray, pass by pass.
#include <gtest/gtest.h>

#include "physics/EditingTools.h"
#include "scenes/BuiltInScenes.h"
#include "tests/math/ApproxEqual.h"
#include "tests/physics/ParticleHelpers.h"

namespace velmora {
namespace {

/// Hands out a fixed ray and counts cursor re-centrings.
class FixedRay final : public PickSource {
  public:
    PickRay ray;
    int recentred = 0;
    PickRay makePickRay() override { return ray; }
    void recentreCursor() override { ++recentred; }
};

TEST(Picking, NearestInFrontWinsAndTheEarlierOnATie) {
    Camera camera(CameraMode::FreeLook);
    camera.setTarget(0, 0, -1);
    const PickRay ray{{0, 0, 0}, {0, 0, -100}};
    ParticleList list;
    add(list, {0, 0, -12});
    Particle* nearer = add(list, {0, 0.5f, -10});
    EXPECT_EQ(pickParticle(ray, camera, list), nearer);
    list.clear();
    Particle* first = add(list, {0.5f, 0, -10});
    add(list, {-0.5f, 0, -10});
    EXPECT_EQ(pickParticle(ray, camera, list), first);  // equal distances: list order
    list.clear();
    add(list, {0, 0, 10});      // the line meets it, but behind the eye
    add(list, {1.01f, 0, -5});  // off the line by more than the radius
    EXPECT_EQ(pickParticle(ray, camera, list), nullptr);
    Particle* ahead = add(list, {0, 0, -30});
    EXPECT_EQ(pickParticle(ray, camera, list), ahead);
}

/// The starting view, and a pass with the cursor over a given point.
class EditingTools : public ::testing::Test {
  protected:
    Camera camera{CameraMode::FreeLook};
    FixedRay source;
    ParticleList particles;
    EditingState state;
    EditingInput in;

    void SetUp() override {
        camera.setEye(0, 0, 25);
        camera.setTarget(0, 0.1f, 0);
    }
    void passOver(const Vec3& point) {
        source.ray = {camera.getEye(), camera.getEye() + (point - camera.getEye()) * 100.0f};
        runEditingTools(in, source, camera, particles, state);
    }
};

TEST_F(EditingTools, MiddleClickOnEmptySpaceSpawnsOnTheZeroPlane) {
    in.middlePressed = true;
    passOver(camera.getTarget());  // the centre click at the starting pose
    ASSERT_EQ(particles.size(), 1u);
    EXPECT_VEC3_NEAR(particles[0]->current.position, Vec3(0, 0.1f, 0), 1e-3f);

    // A line parallel to the plane z = 0 meets it nowhere: nothing is made.
    source.ray = {{0, 0, 5}, {10, 3, 5}};
    runEditingTools(in, source, camera, particles, state);
    EXPECT_EQ(particles.size(), 1u);
    // A degenerate ray (both points equal) has no direction: it meets no plane.
    Vec3 point;
    EXPECT_FALSE(pickLineMeetsPlaneZ0({{1, 1, 1}, {1, 1, 1}}, point));
}

TEST_F(EditingTools, MiddleClickOnALinkedParticleLeavesNoRecordOfIt) {
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
        source.ray = {camera.getEye(),
                      camera.getEye() +
                          ((p ? p->current.position : Vec3(0, 50, 0)) - camera.getEye()) * 100.0f};
        return runEditingTools(in, source, camera, particles, state);
    };

    // Running: nothing happens, not even a selection.
    EXPECT_EQ(click(a), RightClick::IgnoredWhileRunning);
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
    EXPECT_TRUE(a->links.empty());
    click(a);
    EXPECT_EQ(click(a), RightClick::Unpinned);
    EXPECT_FALSE(a->pinned);

    click(a);
    EXPECT_EQ(click(nullptr), RightClick::None);  // empty space drops a half-made selection
    EXPECT_EQ(state.joinSel, nullptr);
    EXPECT_EQ(click(b), RightClick::SelectedFirst);
    EXPECT_FALSE(a->isLinkedTo(b));
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
    EXPECT_EQ(source.recentred, 1);

    // Pinned (or paused): next is written, current untouched. Moving down moves down.
    p->pinned = true;
    in.leftPressed = in.shiftHeld = false;
    in.cursorDx = 0;
    in.cursorDy = 20;
    const Vec3 before = p->current.position;
    runEditingTools(in, source, camera, particles, state);
    EXPECT_VEC3_NEAR(p->current.position, before, 0.0f);
    EXPECT_LT(p->next.position.y, -0.19f);
    EXPECT_NEAR(p->next.velocity.y, -0.4f, 1e-3f);

    // A pass with no measured time moves without giving an infinite velocity.
    in.dt = 0.0f;
    runEditingTools(in, source, camera, particles, state);
    EXPECT_LT(p->next.position.y, -0.39f);
    EXPECT_VEC3_NEAR(p->next.velocity, Vec3(), 0.0f);

    // Released: the particle is let go and no longer follows the cursor.
    in.leftHeld = false;
    in.leftReleased = true;
    runEditingTools(in, source, camera, particles, state);
    EXPECT_EQ(state.dragTarget, nullptr);
    EXPECT_EQ(source.recentred, 3);
}

}  // namespace
}  // namespace velmora
