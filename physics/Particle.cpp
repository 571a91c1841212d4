#include "physics/Particle.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "math/Matrix4.h"
#include "physics/Integrator.h"
#include "physics/OverflowGuard.h"

namespace velmora {
namespace {

Vec3 insideBox(const Vec3& p) {
    return {std::clamp(p.x, -kBoxHalfSize, kBoxHalfSize),
            std::clamp(p.y, -kBoxHalfSize, kBoxHalfSize),
            std::clamp(p.z, -kBoxHalfSize, kBoxHalfSize)};
}

// Mirror in wall i, in the order the box rule visits them: for x, y, z the upper wall
// (normal pointing back inside) before the lower one.
const Matrix4& wallMirror(int i) {
    static const Matrix4 mirrors[6] = {
        reflection({-1, 0, 0}), reflection({1, 0, 0}),  reflection({0, -1, 0}),
        reflection({0, 1, 0}),  reflection({0, 0, -1}), reflection({0, 0, 1}),
    };
    return mirrors[i];
}

}  // namespace

Particle::Particle(const Vec3& position) {
    current.position = position;
    next.position = position;
}

Particle::~Particle() {
    unlinkAll();
}

void Particle::step(float dt, float sidewaysDamping, const PhysicsSettings& settings) {
    if (pinned) {
        return;
    }
    accumulatedForce = Vec3();
    accumulatedForce += settings.gravity * mass;
    accumulatedForce += current.velocity * -settings.airDrag;
    for (const ParticleLink& l : links) {
        accumulatedForce += linkForce(l, current, l.other->current, sidewaysDamping);
    }
    stepForce = accumulatedForce;
    next = current + integrateRK4(current, 0.0f, dt, forceDerivative);
    if (!isFinite(next)) {
        mendStep(next, *this, dt, sidewaysDamping, settings);
    }
    keepInsideBox(settings.wallBounceKeep);
}

void Particle::keepInsideBox(float bounceKeep) {
    float* const coordinates[3] = {&next.position.x, &next.position.y, &next.position.z};
    for (int axis = 0; axis < 3; ++axis) {
        float& c = *coordinates[axis];
        // Strict: a coordinate of exactly +-9.5 is inside. A corner exit bounces once per axis.
        if (c > kBoxHalfSize) {
            c = kBoxHalfSize;
            next.velocity = transformColumn(wallMirror(2 * axis), next.velocity) * bounceKeep;
        }
        if (c < -kBoxHalfSize) {
            c = -kBoxHalfSize;
            next.velocity = transformColumn(wallMirror(2 * axis + 1), next.velocity) * bounceKeep;
        }
    }
}

void Particle::collide(ParticleList& particles, float bounceKeep) {
    beginContactScan();
    const std::size_t n = particles.size();
    const Vec3 start = next.position;
    const auto touchedAtStart = [&](const Particle& other) {
        return &other != this && inContact(other.next.position - start);
    };
    const bool pileUp = std::count_if(particles.begin(), particles.end(), [&](const auto& p) {
                            return touchedAtStart(*p);
                        }) >= kMostContactsPerScan;
    int contacts = 0;
    for (std::size_t j = 0; j < n && contacts < kMostContactsPerScan; ++j) {
        Particle& other = *particles[j];
        if (&other != this && (!pileUp || touchedAtStart(other)) &&
            collideWith(other, bounceKeep)) {
            ++contacts;
        }
    }
    endContactScan();
}

void Particle::beginContactScan() {
    for (const ParticleLink& l : links) {
        l.other->scannedBy_ = this;
    }
}

void Particle::endContactScan() {
    for (const ParticleLink& l : links) {
        l.other->scannedBy_ = nullptr;
    }
}

void Particle::resolveContact(Particle& other, const Vec3& d, float bounceKeep) {
    // The displacement scales with d itself, not its unit direction, so it equals the
    // overlap only when the centres are exactly 1 apart.
    // A push stops at the walls: the box rule only runs in the step, so a particle pushed
    // through the floor would be lifted back by the next step, gaining height it never paid for.
    const Vec3 push = d * (kContactDistance - length(d));
    const Matrix4 mirror = reflection(d);
    if (pinned) {
        other.next.position += push;
        if (!other.pinned) {
            other.next.position = insideBox(other.next.position);
        }
        other.next.velocity = reflectVelocity(mirror, other.next.velocity) * bounceKeep;
        next.velocity = reflectVelocity(mirror, next.velocity) * bounceKeep;
    } else {
        const Vec3 from = next.position;
        next.position = insideBox(next.position - push);
        next.velocity = reflectVelocity(mirror, next.velocity) * bounceKeep;
        payForPush(next.position - from);
        other.next.velocity = reflectVelocity(mirror, other.next.velocity) * bounceKeep;
    }
}

void Particle::payForPush(const Vec3& moved) {
    // A push moves the particle against the force of its step (a spring it stretches, a
    // particle pressing from behind) without touching its speed; unpaid, that work would come
    // back as motion, and a particle pressed into another would rattle forever. In double,
    // where no finite float speed overflows.
    const double work = -(double{stepForce.x} * moved.x + double{stepForce.y} * moved.y +
                          double{stepForce.z} * moved.z);
    if (!(work > 0.0)) {
        return;
    }
    const Vec3& v = next.velocity;
    const double speedSquared = double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z;
    const double left = speedSquared - 2.0 * work / mass;
    next.velocity = left > 0.0 ? v * static_cast<float>(std::sqrt(left / speedSquared)) : Vec3();
}

void Particle::link(Particle* other, float restLength, float stiffness, float damping) {
    if (other == this || other == nullptr) {
        return;
    }
    if (restLength < 0.0f) {
        // Two finite points can lie farther apart than the largest float.
        restLength = std::min(length(other->current.position - current.position), FLT_MAX);
    }
    links.push_back({other, restLength, stiffness, damping});
    other->links.push_back({this, restLength, stiffness, damping});
}

bool Particle::isLinkedTo(const Particle* other) const {
    if (other == this) {
        return false;
    }
    return std::any_of(links.begin(), links.end(),
                       [other](const ParticleLink& l) { return l.other == other; });
}

void Particle::removeLinksTo(const Particle* other) {
    std::erase_if(links, [other](const ParticleLink& l) { return l.other == other; });
}

void Particle::unlink(Particle* other) {
    if (other == this || !isLinkedTo(other)) {
        return;
    }
    other->removeLinksTo(this);
    removeLinksTo(other);
}

void Particle::unlinkAll() {
    // Taking the records out first also releases their storage.
    std::vector<ParticleLink> records;
    records.swap(links);
    for (const ParticleLink& l : records) {
        l.other->removeLinksTo(this);
    }
}

}  // namespace velmora
