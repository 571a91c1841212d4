// The mouse tools against a scripted pick ray, pass by pass, from the starting view.
#include <gtest/gtest.h>

#include "physics/EditingTools.h"
#include "physics/SceneLimits.h"
#include "physics/Simulation.h"
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
    void passOver(const Vec3& point) {
        ray = {camera.getEye(), camera.getEye() + (point - camera.getEye()) * 100.0f};
        runEditingTools(in, *this, camera, particles, state);
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
    EXPECT_TRUE(state.joinSel == nullptr && state.dragTarget == nullptr);
}

TEST_F(EditingTools, ClicksPickTheNearestUnitSphereInFrontOfTheEye) {
    // Seen from the eye at z = 25, the line through (0.99, 0, 0) passes 0.9896 from the origin
    // and the one through (1.01, 0, 0) 1.0092: just inside and just outside the unit sphere.
    Particle* centre = add(particles, {0, 0, 0});
    in.leftPressed = true;
    passOver({1.01f, 0, 0});
    EXPECT_EQ(state.dragTarget, nullptr);
    passOver({0.99f, 0, 0});
    EXPECT_EQ(state.dragTarget, centre);
    // Along one line: a sphere behind the eye is never picked, not even alone; of those in
    // front the nearest centre wins, and of two at one place the earlier.
    particles.clear();
    add(particles, {0, 0, 27});
    passOver({0, 0, 0});
    EXPECT_EQ(state.dragTarget, nullptr);
    add(particles, {0, 0, 13});
    Particle* nearest = add(particles, {0, 0, 15});
    add(particles, {0, 0, 15});
    passOver({0, 0, 0});
    EXPECT_EQ(state.dragTarget, nearest);
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

TEST_F(EditingTools, ADragMovesARunningParticleBeforeItsStepAndAPausedOrPinnedOneAfterIt) {
    // 10 px right is 0.1 along the camera's right (+x) and, over 0.01 s, 10 units/s. Running,
    // the step starts from there: x = 0.1 + 0.01 x 10 - 0.00005 (air drag), y = -0.00049.
    Particle* p = add(particles, {0, 0, 0});
    in = {.leftPressed = true, .leftHeld = true, .cursorDx = 10, .dt = 0.01f};
    passOver(p->current.position);
    simulationPass(particles, true, 0.01f);
    EXPECT_VEC3_NEAR(p->current.position, Vec3(0.19995f, -0.00049f, 0), 1e-6f);
    EXPECT_VEC3_NEAR(p->current.velocity, Vec3(9.99f, -0.098f, 0), 1e-4f);
    // Paused, the pass only commits what the drag wrote.
    in = {.leftHeld = true, .cursorDx = 10, .running = false, .dt = 0.01f};
    passOver({0, 50, 0});
    simulationPass(particles, false, 0.01f);
    EXPECT_VEC3_NEAR(p->current.position, Vec3(0.29995f, -0.00049f, 0), 1e-6f);
    EXPECT_VEC3_NEAR(p->current.velocity, Vec3(10, 0, 0), 1e-4f);
    // Pinned while running, likewise. 20 px down (the camera's up tilts 0.004 toward it) in a
    // pass that measured no time gives no velocity rather than an infinite one.
    p->pinned = true;
    in = {.leftHeld = true, .cursorDy = 20, .dt = 0.0f};
    passOver({0, 50, 0});
    simulationPass(particles, true, 0.0f);
    EXPECT_VEC3_NEAR(p->current.position, Vec3(0.29995f, -0.200488f, -0.0008f), 1e-6f);
    EXPECT_VEC3_NEAR(p->current.velocity, Vec3(), 0.0f);
    // A right click, paused, lets go of it.
    in = {.rightPressed = true, .leftHeld = true, .cursorDy = 20, .running = false};
    passOver({0, 50, 0});
    EXPECT_EQ(state.dragTarget, nullptr);
}

}  // namespace
}  // namespace velmora
