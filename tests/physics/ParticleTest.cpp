#include <gtest/gtest.h>

#include <cfloat>

#include "tests/math/ApproxEqual.h"
#include "tests/physics/ParticleHelpers.h"

namespace velmora {
namespace {

TEST(Particle, FreeFallAndBoxBounces) {
    Particle p({0, 0, 0});
    p.step(0.1f);
    EXPECT_VEC3_NEAR(p.next.velocity, Vec3(0, -0.98f, 0), 1e-6f);
    EXPECT_VEC3_NEAR(p.next.position, Vec3(0, -0.049f, 0), 1e-6f);
    EXPECT_VEC3_NEAR(p.current.position, Vec3(), 0.0f);

    // dt = 0 leaves next = current, so the box rule sees the state as given.
    const auto boxed = [](Vec3 position, Vec3 velocity) {
        Particle q(position);
        q.current.velocity = velocity;
        q.step(0.0f);
        return q.next;
    };
    ParticleState s = boxed({0, -9.7f, 0}, {1, -2, 0});
    EXPECT_VEC3_NEAR(s.position, Vec3(0, -9.5f, 0), 0.0f);
    EXPECT_VEC3_NEAR(s.velocity, Vec3(0.9f, 1.8f, 0), 1e-6f);
    s = boxed({9.7f, -12, 10}, {1, -1, 1});  // a corner: 0.9 once per axis
    EXPECT_VEC3_NEAR(s.position, Vec3(9.5f, -9.5f, 9.5f), 0.0f);
    EXPECT_VEC3_NEAR(s.velocity, Vec3(-0.729f, 0.729f, -0.729f), 1e-6f);
    s = boxed({9.5f, -9.5f, 0}, {1, -1, 0});  // exactly on a face is inside
    EXPECT_VEC3_NEAR(s.velocity, Vec3(1, -1, 0), 0.0f);
}

TEST(Particle, CollisionPushesByDTimesOverlapAndIsIdempotent) {
    ParticleList list;
    Particle* s = add(list, {0, 0, 0}, {1, 2, 0});
    Particle* o = add(list, {1.5f, 0, 0}, {-1, 0, 3});
    s->current.position = {-50, 0, 0};  // collision reads next states only
    s->collide(list);
    EXPECT_VEC3_NEAR(s->next.position, Vec3(-0.75f, 0, 0), 1e-6f);  // 1.5 * 0.5, not 0.5
    EXPECT_VEC3_NEAR(o->next.position, Vec3(1.5f, 0, 0), 0.0f);
    EXPECT_VEC3_NEAR(s->next.velocity, Vec3(-0.9f, 1.8f, 0), 1e-6f);
    EXPECT_VEC3_NEAR(o->next.velocity, Vec3(0.9f, 0, 2.7f), 1e-6f);
    s->collide(list);  // now 2.25 apart
    EXPECT_VEC3_NEAR(s->next.position, Vec3(-0.75f, 0, 0), 1e-6f);
    EXPECT_VEC3_NEAR(o->next.velocity, Vec3(0.9f, 0, 2.7f), 1e-6f);

    // Coincident centres: no direction, so no push and no NaN, only the 0.9 scaling.
    ParticleList same;
    Particle* c = add(same, {1, 1, 1}, {1, -2, 3});
    add(same, {1, 1, 1});
    c->collide(same);
    EXPECT_VEC3_NEAR(c->next.position, Vec3(1, 1, 1), 0.0f);
    EXPECT_VEC3_NEAR(c->next.velocity, Vec3(0.9f, -1.8f, 2.7f), 1e-6f);
}

TEST(Particle, PinnedParticles) {
    ParticleList list;
    Particle* pin = add(list, {0, 0, 0});
    Particle* other = add(list, {1.5f, 0, 0});
    pin->pinned = true;
    pin->collide(list);  // the pinned one colliding moves the other
    EXPECT_VEC3_NEAR(other->next.position, Vec3(2.25f, 0, 0), 1e-6f);
    other->next.position = {1.5f, 0, 0};
    other->collide(list);  // the free one colliding moves only itself
    EXPECT_VEC3_NEAR(pin->next.position, Vec3(), 0.0f);
    other->pinned = true;  // both pinned: only the colliding one's flag counts
    other->next.position = {1.5f, 0, 0};
    other->collide(list);
    EXPECT_VEC3_NEAR(pin->next.position, Vec3(-0.75f, 0, 0), 1e-6f);

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

TEST(ParticleLink, ForceAndRestLength) {
    Particle a({0, 0, 0}), b({5.1f, 0, 0});
    a.link(&b, 5.0f);
    EXPECT_VEC3_NEAR(linkForce(a.links[0], a.current, b.current), Vec3(10, 0, 0), 1e-4f);
    EXPECT_VEC3_NEAR(linkForce(b.links[0], b.current, a.current), Vec3(-10, 0, 0), 1e-4f);
    b.current.velocity = {1, 7, -3};  // separating at 1; motion across the link is not damped
    EXPECT_VEC3_NEAR(linkForce(a.links[0], a.current, b.current), Vec3(20, 0, 0), 1e-4f);

    // Coincident ends have no direction to push along: no force, rather than NaN.
    Particle c({1, 2, 3}), d({1, 2, 3});
    c.link(&d, 4.0f);
    c.current.velocity = {1, 0, 0};
    EXPECT_VEC3_NEAR(linkForce(c.links[0], c.current, d.current), Vec3(), 0.0f);

    Particle e({0, 0, 0}), f({3, 4, 0}), g({0, 0, 1});
    e.link(&f, -1.0f);
    e.link(&g, 0.0f);
    e.link(&e, -1.0f);
    ASSERT_EQ(e.links.size(), 2u);
    EXPECT_EQ(e.links[0].restLength, 5.0f);
    EXPECT_EQ(f.links[0].restLength, 5.0f);
    EXPECT_EQ(g.links[0].restLength, 0.0f);
    // Farther apart than the largest float: the rest length saturates rather than being inf.
    Particle far1({-FLT_MAX, 0, 0}), far2({FLT_MAX, 0, 0});
    far1.link(&far2, -1.0f);
    EXPECT_EQ(far2.links[0].restLength, FLT_MAX);
}

TEST(ParticleLink, BookkeepingKeepsBothHalvesAndTheOrderOfTheRest) {
    Particle a({0, 0, 0}), b({1, 0, 0}), c({2, 0, 0}), d({3, 0, 0});
    a.link(&b, -1.0f);
    a.link(&c, -1.0f);
    a.link(&d, -1.0f);
    b.link(&c, -1.0f);
    d.link(&b, -1.0f);
    a.unlink(&c);
    a.unlink(&c);  // no longer linked: nothing happens
    EXPECT_FALSE(c.isLinkedTo(&a));
    EXPECT_EQ(others(a), (std::vector<const Particle*>{&b, &d}));
    EXPECT_EQ(others(c), (std::vector<const Particle*>{&b}));
    b.unlinkAll();
    EXPECT_EQ(b.links.capacity(), 0u);
    EXPECT_EQ(others(a), (std::vector<const Particle*>{&d}));
    EXPECT_EQ(others(c), (std::vector<const Particle*>{}));
    EXPECT_EQ(others(d), (std::vector<const Particle*>{&a}));

    // Destroying a particle takes its links along, so nothing is left dangling.
    auto doomed = std::make_unique<Particle>(Vec3(1, 0, 0));
    d.link(doomed.get(), -1.0f);
    doomed.reset();
    EXPECT_EQ(others(d), (std::vector<const Particle*>{&a}));
}

}  // namespace
}  // namespace velmora
