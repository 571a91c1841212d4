// The mouse tools against a scripted pick ray, pass by pass, from the starting view.
#include <gtest/gtest.h>

#include "physics/EditingTools.h"
#include "physics/SceneLimits.h"
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

TEST_F(EditingTools, AFullRoomSpawnsNothingAndSaysSoButStillDeletes) {
    for (std::size_t i = 0; i < kMaxSceneParticles; ++i) {
        particles.push_back(
            std::make_unique<Particle>(Vec3(-9.0f + static_cast<float>(i % 10), -9.0f, 0)));
    }
    in.middlePressed = true;
    passOver({2.0f, 3.0f, 0.0f});  // empty space
    EXPECT_EQ(particles.size(), kMaxSceneParticles);
    EXPECT_TRUE(state.roomFull);
    state.roomFull = false;
    passOver(particles[5]->current.position);  // a particle: deleted
    EXPECT_EQ(particles.size(), kMaxSceneParticles - 1);
    EXPECT_FALSE(state.roomFull);
    passOver({2.0f, 3.0f, 0.0f});  // room again
    EXPECT_EQ(particles.size(), kMaxSceneParticles);
    EXPECT_FALSE(state.roomFull);
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
}

TEST_F(EditingTools, ADragInAPassWithoutMeasuredTimeGivesNoInfiniteVelocity) {
    Particle* p = add(particles, {0, 0, 0});
    p->pinned = true;  // pinned (or paused), a drag writes next and leaves current
    in.leftPressed = in.leftHeld = true;
    in.cursorDy = 20;  // 20 px x 0.01 down
    passOver(p->current.position);
    ASSERT_EQ(state.dragTarget, p);
    EXPECT_VEC3_NEAR(p->current.position, Vec3(), 0.0f);
    EXPECT_LT(p->next.position.y, -0.19f);
    EXPECT_VEC3_NEAR(p->next.velocity, Vec3(), 0.0f);
}

}  // namespace
}  // namespace velmora
