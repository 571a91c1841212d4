// The mouse tools against a scripted pick source: what is picked, spawned, deleted, linked,
// pinned and dragged, pass by pass.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "physics/EditingTools.h"
#include "physics/Particle.h"
#include "physics/StartingStructure.h"
#include "tests/math/ApproxEqual.h"

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

Camera startingCamera() {
    Camera camera(CameraMode::FreeLook);
    camera.setEye(0, 0, 25);
    camera.setTarget(0, 0.1f, 0);
    camera.fieldOfView = 60;
    return camera;
}

/// A ray along the view from the eye through a point.
PickRay rayThrough(const Camera& camera, const Vec3& point) {
    return {camera.getEye(), camera.getEye() + (point - camera.getEye()) * 100.0f};
}

Particle* add(ParticleList& particles, const Vec3& at) {
    particles.push_back(std::make_unique<Particle>(at));
    return particles.back().get();
}

std::size_t recordsReferring(const ParticleList& particles, const Particle* target) {
    std::size_t n = 0;
    for (const auto& p : particles) {
        for (const auto& link : p->links) {
            n += link.other == target ? 1 : 0;
        }
    }
    return n;
}

TEST(Picking, NearestInFrontWinsAndTheEarlierOnATie) {
    Camera camera(CameraMode::FreeLook);
    camera.setEye(0, 0, 0);
    camera.setTarget(0, 0, -1);
    const PickRay ray{{0, 0, 0}, {0, 0, -100}};

    ParticleList particles;
    Particle* far = add(particles, {0, 0, -12});
    Particle* near = add(particles, {0, 0.5f, -10});
    EXPECT_EQ(pickParticle(ray, camera, particles), near);

    // Equal distances: list order decides.
    ParticleList tied;
    Particle* first = add(tied, {0.5f, 0, -10});
    add(tied, {-0.5f, 0, -10});
    EXPECT_EQ(pickParticle(ray, camera, tied), first);

    // Behind the eye the sphere meets the line but is never picked.
    ParticleList behind;
    add(behind, {0, 0, 10});
    EXPECT_EQ(pickParticle(ray, camera, behind), nullptr);
    add(behind, {0, 0, -30});
    EXPECT_EQ(pickParticle(ray, camera, behind), behind.back().get());

    // Off the line by more than the radius: a miss.
    ParticleList aside;
    add(aside, {1.01f, 0, -5});
    EXPECT_EQ(pickParticle(ray, camera, aside), nullptr);
    EXPECT_NE(far, nullptr);
}

TEST(EditingTools, MiddleClickOnEmptySpaceSpawnsOnTheZeroPlane) {
    const Camera camera = startingCamera();
    FixedRay source;
    // Straight along the view through the target, as the centre click at the start pose.
    source.ray = rayThrough(camera, camera.getTarget());
    ParticleList particles;
    EditingState state;
    EditingInput in;
    in.middlePressed = true;
    runEditingTools(in, source, camera, particles, state);
    ASSERT_EQ(particles.size(), 1u);
    EXPECT_VEC3_NEAR(particles[0]->current.position, Vec3(0, 0.1f, 0), 1e-3f);
    EXPECT_VEC3_NEAR(particles[0]->current.velocity, Vec3(), 0.0f);
    EXPECT_FALSE(particles[0]->pinned);
    EXPECT_TRUE(particles[0]->links.empty());

    // A line parallel to the plane z = 0 meets it nowhere: nothing is made.
    source.ray = {{0, 0, 5}, {10, 3, 5}};
    runEditingTools(in, source, camera, particles, state);
    EXPECT_EQ(particles.size(), 1u);
    // A degenerate ray (both points equal) has no direction: it meets no plane.
    Vec3 point;
    EXPECT_FALSE(pickLineMeetsPlaneZ0({{1, 1, 1}, {1, 1, 1}}, point));
}

TEST(EditingTools, MiddleClickOnALinkedParticleLeavesNoRecordOfIt) {
    const Camera camera = startingCamera();
    ParticleList particles;
    appendStartingStructure(particles);
    Particle* corner = particles[3].get();  // linked to the cube and to the chain
    const Particle* survivorBefore = particles[4].get();
    ASSERT_GT(recordsReferring(particles, corner), 0u);

    FixedRay source;
    source.ray = rayThrough(camera, corner->current.position);
    EditingState state{corner, corner};
    EditingInput in;
    in.middlePressed = true;
    in.running = false;
    runEditingTools(in, source, camera, particles, state);

    ASSERT_EQ(particles.size(), 9u);
    EXPECT_EQ(particles[3].get(), survivorBefore);  // the rest moved up, order kept
    for (const auto& p : particles) {
        for (const auto& link : p->links) {
            EXPECT_NE(link.other, corner);
            EXPECT_TRUE(link.other->isLinkedTo(p.get()));
        }
    }
    EXPECT_EQ(state.joinSel, nullptr);
    EXPECT_EQ(state.dragTarget, nullptr);
}

TEST(EditingTools, RightClicksLinkUnlinkAndPinOnlyWhilePaused) {
    const Camera camera = startingCamera();
    ParticleList particles;
    Particle* a = add(particles, {-3, 0, 0});
    Particle* b = add(particles, {3, 0, 0});
    FixedRay source;
    EditingState state;
    EditingInput in;
    in.rightPressed = true;

    // Running: nothing happens, not even a selection.
    in.running = true;
    source.ray = rayThrough(camera, a->current.position);
    runEditingTools(in, source, camera, particles, state);
    EXPECT_EQ(state.joinSel, nullptr);

    in.running = false;
    auto click = [&](Particle* p) {
        source.ray = rayThrough(camera, p->current.position);
        runEditingTools(in, source, camera, particles, state);
    };
    click(a);
    EXPECT_EQ(state.joinSel, a);
    click(b);
    EXPECT_EQ(state.joinSel, nullptr);
    ASSERT_TRUE(a->isLinkedTo(b));
    ASSERT_TRUE(b->isLinkedTo(a));
    EXPECT_FLOAT_EQ(a->links[0].restLength, 6.0f);

    click(a);
    click(b);
    EXPECT_FALSE(a->isLinkedTo(b));
    EXPECT_FALSE(b->isLinkedTo(a));

    click(a);
    click(a);
    EXPECT_TRUE(a->pinned);
    EXPECT_TRUE(a->links.empty());
    click(a);
    click(a);
    EXPECT_FALSE(a->pinned);

    // A click on empty space drops a half-made selection.
    click(a);
    source.ray = {{0, 50, 25}, {0, 50, -100}};
    runEditingTools(in, source, camera, particles, state);
    EXPECT_EQ(state.joinSel, nullptr);
    click(b);
    EXPECT_FALSE(a->isLinkedTo(b));
}

TEST(EditingTools, DragMovesAlongTheScreenPlaneAndWritesTheStateThatSurvives) {
    const Camera camera = startingCamera();
    ParticleList particles;
    Particle* p = add(particles, {0, 0, 0});
    FixedRay source;
    source.ray = rayThrough(camera, p->current.position);
    EditingState state;

    EditingInput in;
    in.leftPressed = true;
    in.leftHeld = true;
    in.shiftHeld = true;
    in.cursorDx = 10;
    in.running = true;
    in.dt = 0.5f;
    runEditingTools(in, source, camera, particles, state);
    ASSERT_EQ(state.dragTarget, p);
    // Running and free: current moves 10 px x 0.05 along right; velocity is D / dt.
    EXPECT_VEC3_NEAR(p->current.position, camera.right() * 0.5f, 1e-6f);
    EXPECT_VEC3_NEAR(p->current.velocity, camera.right() * 1.0f, 1e-6f);
    EXPECT_VEC3_NEAR(p->next.position, Vec3(), 0.0f);
    EXPECT_EQ(source.recentred, 1);

    // Pinned (or paused): next is written, current untouched. Moving down moves down.
    p->pinned = true;
    in.leftPressed = false;
    in.shiftHeld = false;
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
