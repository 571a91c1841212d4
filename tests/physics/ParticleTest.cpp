// The integrator, one particle's step, collision and links against values worked out by hand,
// and the cases with no direction or no finite size that must not turn into NaN or inf.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

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
    const Vec3 y{1, -2, 0.5f};
    EXPECT_VEC3_NEAR(integrateRK4({y, {}}, 0.0f, 1.0f, growth).position, y * (41.0f / 24), 1e-6f);
    // A derivative of time alone makes Simpson's rule, exact for 4 t^3 from 1 to 3.
    const DerivativeFn quartic = [](float t, ParticleState) {
        return ParticleState{{4 * t * t * t, 0, 0}, {}};
    };
    EXPECT_NEAR(integrateRK4({}, 1.0f, 2.0f, quartic).position.x, 80.0f, 1e-4f);
}

TEST(Particle, EachWallSendsAParticleBackWithNineTenthsOfItsVelocity) {
    // At 100 units/s from 0.5 inside each wall in turn, then out through a corner: a step of
    // 0.01 s carries it about 1 past; air drag takes 0.1 of its speed, gravity adds 0.098 down;
    // each wall passed puts it back on its face and mirrors the velocity in it, keeping 0.9.
    struct Throw {
        Vec3 from, to, velocity;
    };
    const Throw throws[] = {
        {{9, 0, 0}, {9.5f, -0.00049f, 0}, {-89.91f, -0.0882f, 0}},
        {{-9, 0, 0}, {-9.5f, -0.00049f, 0}, {89.91f, -0.0882f, 0}},
        {{0, 9, 0}, {0, 9.5f, 0}, {0, -89.8218f, 0}},
        {{0, -9, 0}, {0, -9.5f, 0}, {0, 89.9982f, 0}},
        {{0, 0, 9}, {0, -0.00049f, 9.5f}, {0, -0.0882f, -89.91f}},
        {{0, 0, -9}, {0, -0.00049f, -9.5f}, {0, -0.0882f, 89.91f}},
        {{9, -9, 9}, {9.5f, -9.5f, 9.5f}, {-72.8271f, 72.8985f, -72.8271f}},  // 0.9 three times
    };
    for (const Throw& t : throws) {
        Particle p(t.from);
        p.current.velocity = t.from * (100.0f / 9.0f);
        p.step(0.01f);
        EXPECT_VEC3_NEAR(p.next.position, t.to, 1e-5f) << &t - throws;
        EXPECT_VEC3_NEAR(p.next.velocity, t.velocity, 1e-3f) << &t - throws;
    }
    // A coordinate of exactly 9.5 is inside: on every face, a step of no time changes nothing.
    for (const float side : {9.5f, -9.5f}) {
        Particle p({side, side, side});
        p.current.velocity = {1, -2, 3};
        p.step(0.0f);
        EXPECT_VEC3_NEAR(p.next.position, Vec3(side, side, side), 0.0f) << side;
        EXPECT_VEC3_NEAR(p.next.velocity, Vec3(1, -2, 3), 0.0f) << side;
    }
}

TEST(Particle, CollisionPushesByDTimesOverlapAndOnlyThePinnedPushOthers) {
    // The free one moves by d (2 - |d|) / 2 and both bounce; collision reads next states only.
    ParticleList list;
    Particle* s = add(list, {0, 0, 0}, {1, 2, 0});
    Particle* o = add(list, {1.5f, 0, 0}, {-1, 0, 3});
    s->current.position = {-50, 0, 0};
    s->collide(list);
    EXPECT_VEC3_NEAR(s->next.position, Vec3(-0.75f, 0, 0), 1e-6f);
    EXPECT_VEC3_NEAR(o->next.velocity, Vec3(0.9f, 0, 2.7f), 1e-6f);
    // A pinned one moves the other, and both bounce again; both pinned, only the colliding
    // one's flag counts.
    s->next.position = {0, 0, 0};
    s->pinned = o->pinned = true;
    s->collide(list);
    EXPECT_VEC3_NEAR(o->next.position, Vec3(2.25f, 0, 0), 1e-6f);
    EXPECT_VEC3_NEAR(o->next.velocity, Vec3(-0.81f, 0, 2.43f), 1e-6f);
    EXPECT_VEC3_NEAR(s->next.velocity, Vec3(0.81f, 1.62f, 0), 1e-6f);

    // Coincident centres: no direction, so no push and no NaN, only the 0.9 scaling.
    ParticleList same;
    Particle* c = add(same, {1, 1, 1}, {1, -2, 3});
    add(same, {1, 1, 1});
    c->collide(same);
    EXPECT_VEC3_NEAR(c->next.position, Vec3(1, 1, 1), 0.0f);
    EXPECT_VEC3_NEAR(c->next.velocity, Vec3(0.9f, -1.8f, 2.7f), 1e-6f);
}

TEST(Particle, LinkedNeverTouchPushesStopAtTheWallsAndArePaidForOutOfSpeed) {
    // Linked and overlapping: their link keeps them apart, no contact.
    ParticleList list;
    Particle* s = add(list, {0, 0, 0}, {0, 10, 0});
    Particle* o = add(list, {1.5f, 0, 0});
    s->link(o, 2.0f);
    s->collide(list);
    EXPECT_VEC3_NEAR(s->next.position, Vec3(), 0.0f);
    EXPECT_VEC3_NEAR(s->next.velocity, Vec3(0, 10, 0), 0.0f);

    // Pressed toward o, the push of 0.75 costs 10 * 0.75 of the bounced (0, 9, 0)'s energy.
    s->unlink(o);
    s->stepForce = {10, 0, 0};
    s->collide(list);
    EXPECT_VEC3_NEAR(s->next.position, Vec3(-0.75f, 0, 0), 1e-6f);
    EXPECT_VEC3_NEAR(s->next.velocity, Vec3(0, std::sqrt(81.0f - 15.0f), 0), 1e-5f);
    // Not enough speed to pay: it stops. Pushed along its force: nothing to pay.
    s->next = {{0, 0, 0}, {0, 3, 0}};
    s->collide(list);
    EXPECT_VEC3_NEAR(s->next.velocity, Vec3(), 0.0f);
    s->next = {{0, 0, 0}, {0, 3, 0}};
    s->stepForce = {-10, 0, 0};
    s->collide(list);
    EXPECT_VEC3_NEAR(s->next.velocity, Vec3(0, 2.7f, 0), 1e-6f);

    // Unlinked again, they touch.
    s->next = {{0, 0, 0}, {0, 3, 0}};
    s->stepForce = {};
    s->link(o, 2.0f);
    s->collide(list);
    s->unlink(o);
    s->collide(list);
    EXPECT_VEC3_NEAR(s->next.position, Vec3(-0.75f, 0, 0), 1e-6f);

    // Pushed down through the floor, or pushed through a wall by a pinned one: the push ends
    // at the wall.
    ParticleList floor;
    Particle* low = add(floor, {3, -9.0f, 0});
    Particle* high = add(floor, {3, -7.5f, 0});
    low->collide(floor);
    EXPECT_VEC3_NEAR(low->next.position, Vec3(3, -9.5f, 0), 0.0f);
    high->pinned = true;
    low->next.position = {3, -9.0f, 0};
    high->collide(floor);
    EXPECT_VEC3_NEAR(low->next.position, Vec3(3, -9.5f, 0), 0.0f);
}

TEST(ParticleLink, ForceRestLengthAndBothHalves) {
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

    // Stretched from 4 to 5, the link resists motion across it with 100 (1 - 4 / 5) = 20 times
    // the sideways damping; compressed, it does not.
    Particle m({0, 0, 0}), n({5, 0, 0});
    m.link(&n, 4.0f);
    m.current.velocity = {0, 2, 0};
    EXPECT_VEC3_NEAR(linkForce(m.links[0], m.current, n.current, 0.01f), Vec3(100, -0.4f, 0),
                     1e-4f);
    m.links[0].restLength = 6.0f;
    EXPECT_VEC3_NEAR(linkForce(m.links[0], m.current, n.current, 0.01f), Vec3(-100, 0, 0), 1e-4f);

    // A negative rest length takes the distance; a particle is never linked to itself; farther
    // apart than the largest float, the rest length saturates rather than being inf.
    Particle e({0, 0, 0}), f({3, 4, 0}), g({-FLT_MAX, 0, 0}), h({FLT_MAX, 0, 0});
    e.link(&f, -1.0f);
    e.link(&e, -1.0f);
    g.link(&h, -1.0f);
    EXPECT_EQ(e.links.size(), 1u);
    EXPECT_EQ(f.links[0].restLength, 5.0f);
    EXPECT_EQ(h.links[0].restLength, FLT_MAX);

    // A destroyed particle takes both halves of its links along.
    auto doomed = std::make_unique<Particle>(Vec3(1, 0, 0));
    doomed->link(&a, -1.0f);
    a.unlink(&b);
    doomed.reset();
    EXPECT_TRUE(a.links.empty() && b.links.empty());
}

}  // namespace
}  // namespace velmora
