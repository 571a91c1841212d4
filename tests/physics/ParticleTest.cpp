// The integrator, one particle's step, collision and links against values worked out by hand,
// and the cases with no direction or no finite size that must not turn into NaN or inf.
#include <gtest/gtest.h>

#include <cfloat>

#include "physics/Integrator.h"
#include "tests/math/ApproxEqual.h"
#include "tests/physics/ParticleHelpers.h"

namespace velmora {
namespace {

TEST(Integrator, FourthOrderWeightsAndStageTimes) {
    // Exponential growth over h = 1 gives 1 + 1/2 + 1/6 + 1/24, not a lower-order rule.
    const DerivativeFn growth = [](float, ParticleState y) {
        return ParticleState{y.position, {}};
    };
    const ParticleState y{{1, -2, 0.5f}, {3, 3, 3}};
    const ParticleState d = integrateRK4(y, 0.0f, 1.0f, growth);
    EXPECT_VEC3_NEAR(d.position, y.position * (41.0f / 24.0f), 1e-6f);
    EXPECT_VEC3_NEAR(d.velocity, Vec3(), 0.0f);
    // A derivative of time alone makes Simpson's rule, exact for 4 t^3 from 1 to 3.
    const DerivativeFn quartic = [](float t, ParticleState) {
        return ParticleState{{4 * t * t * t, 0, 0}, {}};
    };
    EXPECT_NEAR(integrateRK4({}, 1.0f, 2.0f, quartic).position.x, 80.0f, 1e-4f);
}

TEST(Particle, FreeFallBoxBouncesAndPinnedSteps) {
    Particle p({0, 0, 0});
    p.step(0.1f);
    EXPECT_VEC3_NEAR(p.next.velocity, Vec3(0, -0.98f, 0), 1e-6f);
    EXPECT_VEC3_NEAR(p.next.position, Vec3(0, -0.049f, 0), 1e-6f);

    // dt = 0 leaves next = current, so the box rule sees the state as given.
    const auto boxed = [](Vec3 position, Vec3 velocity) {
        Particle q(position);
        q.current.velocity = velocity;
        q.step(0.0f);
        return q.next;
    };
    ParticleState s = boxed({9.7f, -12, 10}, {1, -1, 1});  // a corner: 0.9 once per axis
    EXPECT_VEC3_NEAR(s.position, Vec3(9.5f, -9.5f, 9.5f), 0.0f);
    EXPECT_VEC3_NEAR(s.velocity, Vec3(-0.729f, 0.729f, -0.729f), 1e-6f);
    s = boxed({9.5f, -9.5f, 0}, {1, -1, 0});  // exactly on a face is inside
    EXPECT_VEC3_NEAR(s.velocity, Vec3(1, -1, 0), 0.0f);

    // A pinned step keeps next, while its link still pulls the free end (100 up, 9.8 down).
    Particle top({0, 5, 0}), hanging({0, 2, 0});
    top.pinned = true;
    top.link(&hanging, 2.0f);
    top.next.position = {3, 3, 3};  // as a drag would leave it
    top.step(0.1f);
    hanging.step(0.1f);
    EXPECT_VEC3_NEAR(top.next.position, Vec3(3, 3, 3), 0.0f);
    EXPECT_VEC3_NEAR(hanging.next.velocity, Vec3(0, 9.02f, 0), 1e-5f);
}

TEST(Particle, CollisionPushesByDTimesOverlapAndOnlyThePinnedPushOthers) {
    ParticleList list;
    Particle* s = add(list, {0, 0, 0}, {1, 2, 0});
    Particle* o = add(list, {1.5f, 0, 0}, {-1, 0, 3});
    s->current.position = {-50, 0, 0};  // collision reads next states only
    s->collide(list);
    EXPECT_VEC3_NEAR(s->next.position, Vec3(-0.75f, 0, 0), 1e-6f);  // 1.5 * 0.5, not 0.5
    EXPECT_VEC3_NEAR(o->next.position, Vec3(1.5f, 0, 0), 0.0f);
    EXPECT_VEC3_NEAR(s->next.velocity, Vec3(-0.9f, 1.8f, 0), 1e-6f);
    EXPECT_VEC3_NEAR(o->next.velocity, Vec3(0.9f, 0, 2.7f), 1e-6f);

    // A pinned one moves the other; both pinned, only the colliding one's flag counts.
    o->next.position = {1.5f, 0, 0};
    s->next.position = {0, 0, 0};
    s->pinned = true;
    s->collide(list);
    EXPECT_VEC3_NEAR(o->next.position, Vec3(2.25f, 0, 0), 1e-6f);
    o->next.position = {1.5f, 0, 0};
    o->pinned = true;
    o->collide(list);
    EXPECT_VEC3_NEAR(s->next.position, Vec3(-0.75f, 0, 0), 1e-6f);

    // Coincident centres: no direction, so no push and no NaN, only the 0.9 scaling.
    ParticleList same;
    Particle* c = add(same, {1, 1, 1}, {1, -2, 3});
    add(same, {1, 1, 1});
    c->collide(same);
    EXPECT_VEC3_NEAR(c->next.position, Vec3(1, 1, 1), 0.0f);
    EXPECT_VEC3_NEAR(c->next.velocity, Vec3(0.9f, -1.8f, 2.7f), 1e-6f);
}

TEST(ParticleLink, ForceRestLengthAndBothHalvesKeptInOrder) {
    Particle a({0, 0, 0}), b({5.1f, 0, 0});
    a.link(&b, 5.0f);
    EXPECT_VEC3_NEAR(linkForce(b.links[0], b.current, a.current), Vec3(-10, 0, 0), 1e-4f);
    b.current.velocity = {1, 7, -3};  // separating at 1; motion across the link is not damped
    EXPECT_VEC3_NEAR(linkForce(a.links[0], a.current, b.current), Vec3(20, 0, 0), 1e-4f);
    // Coincident ends have no direction to push along: no force, rather than NaN.
    Particle c({1, 2, 3}), d({1, 2, 3});
    c.link(&d, 4.0f);
    c.current.velocity = {1, 0, 0};
    EXPECT_VEC3_NEAR(linkForce(c.links[0], c.current, d.current), Vec3(), 0.0f);

    // A negative rest length takes the distance; a particle is never linked to itself; farther
    // apart than the largest float, the rest length saturates rather than being inf.
    Particle e({0, 0, 0}), f({3, 4, 0}), g({0, 0, 1});
    e.link(&f, -1.0f);
    e.link(&g, 0.0f);
    e.link(&e, -1.0f);
    ASSERT_EQ(e.links.size(), 2u);
    EXPECT_EQ(f.links[0].restLength, 5.0f);
    EXPECT_EQ(g.links[0].restLength, 0.0f);
    Particle far1({-FLT_MAX, 0, 0}), far2({FLT_MAX, 0, 0});
    far1.link(&far2, -1.0f);
    EXPECT_EQ(far2.links[0].restLength, FLT_MAX);

    // Unlinking keeps the order of the rest; a destroyed particle takes its links along.
    Particle h({2, 0, 0});
    a.link(&h, -1.0f);
    a.link(&c, -1.0f);
    a.unlink(&h);
    a.unlink(&h);  // no longer linked: nothing happens
    EXPECT_FALSE(h.isLinkedTo(&a));
    EXPECT_EQ(others(a), (std::vector<const Particle*>{&b, &c}));
    auto doomed = std::make_unique<Particle>(Vec3(1, 0, 0));
    doomed->link(&a, -1.0f);
    b.unlinkAll();
    doomed.reset();
    EXPECT_EQ(others(a), (std::vector<const Particle*>{&c}));
    EXPECT_TRUE(others(b).empty());
}

}  // namespace
}  // namespace velmora
