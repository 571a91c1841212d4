#pragma once
#include <vector>

#include "math/Vec3.h"
#include "physics/ParticleLink.h"
#include "physics/ParticleList.h"
#include "physics/ParticleState.h"
#include "physics/PhysicsSettings.h"

namespace velmora {

/// Free particles are kept inside -kBoxHalfSize <= x, y, z <= kBoxHalfSize (world units).
inline constexpr float kBoxHalfSize = 9.5f;
/// Two particles touch when their centres are closer than twice the radius 1.
inline constexpr float kContactDistance = 2.0f;
/// The most contacts one particle's scan resolves in a step. A sphere touches at most 12 others
/// without overlapping them; in the built-in scenes and piles of hundreds a scan starts with at
/// most 7 touching. A particle that touches this many at once is in a pile-up (a cloud loaded
/// at one point), where resolving
/// every pair as the pushes move it would cost the square of their number each step: its scan
/// resolves the first ones found where it stood, in list order, and the steps after pull the
/// rest apart.
inline constexpr int kMostContactsPerScan = 16;

/// Whether centres (dx, dy, dz) apart touch: their squared distance, summed as lengthSquared
/// sums it, is less than the contact distance squared. The one contact test of every collision
/// scan, written once for floats and for lanes of floats, so all scans take the same decisions.
template <class Floats>
inline auto withinContact(Floats dx, Floats dy, Floats dz) {
    return dx * dx + dy * dy + dz * dz < kContactDistance * kContactDistance;
}
inline bool inContact(const Vec3& d) {
    return withinContact(d.x, d.y, d.z);
}

/// A point mass of radius 1. Made on the heap and referred to by pointer from the particle
/// list and from other particles' links, so it is neither copied nor moved.
class Particle {
  public:
    ParticleState current;  ///< state at the start of the frame; what everyone reads
    ParticleState next;     ///< state being built for the end of the frame
    float mass = 1.0f;
    std::vector<ParticleLink> links;  ///< in the order they were made
    bool pinned = false;              ///< a pinned particle is not moved by its own step
    /// The total force of the particle's last step (unit mass, so also its acceleration);
    /// zero before the first one. A contact's push is paid for against it.
    Vec3 stepForce;

    /// At rest at position, unlinked, not pinned.
    explicit Particle(const Vec3& position);
    /// Removes every link to and from this particle first, so no record is left dangling.
    ~Particle();
    Particle(const Particle&) = delete;
    Particle& operator=(const Particle&) = delete;

    /// Advances next from current by dt seconds under the settings' gravity and drag and the
    /// links, then keeps the result inside the box, bouncing off its walls as the settings say.
    /// Does nothing to a pinned particle. sidewaysDamping: see linkForce; 0 is the step as
    /// described.
    void step(float dt, float sidewaysDamping = 0.0f,
              const PhysicsSettings& settings = kDescribedSettings);
    /// Pushes this particle (or, if it is pinned, the other one) out of every particle of the
    /// list it overlaps, working on the next states of both. Tests every particle in list order,
    /// up to kMostContactsPerScan contacts. Each bounce keeps bounceKeep of the speed.
    void collide(ParticleList& particles, float bounceKeep = kBounceKeep);
    /// Marks the particles linked to this one for collideWith; a scan of contacts begins and
    /// ends with these.
    void beginContactScan();
    void endContactScan();
    /// One contact of a collision scan: if the next positions of this particle and other (not
    /// this one) are closer than the contact distance, pushes this particle, or other when this
    /// one is pinned, and bounces both velocities. Returns whether they touched. Every way of
    /// scanning for contacts goes through here, so they all compute the same floats.
    /// Two linked particles never touch: their link keeps them apart, and the built-in
    /// structures space linked neighbours exactly at the contact distance, where a push
    /// against a spring that holds them there would feed the structure energy every pass.
    bool collideWith(Particle& other, float bounceKeep = kBounceKeep) {
        const Vec3 d = other.next.position - next.position;
        if (!inContact(d) || other.scannedBy_ == this) {
            return false;
        }
        resolveContact(other, d, bounceKeep);
        return true;
    }
    void commit() { current = next; }

    /// Joins the two particles with a damped spring; a negative restLength means the present
    /// distance. Linking a particle to itself does nothing; an existing link is not looked for.
    void link(Particle* other, float restLength, float stiffness = kLinkStiffness,
              float damping = kLinkDamping);
    bool isLinkedTo(const Particle* other) const;
    /// Removes both halves of the link between the two; no-op if they are not linked.
    void unlink(Particle* other);
    /// Removes both halves of every link of this particle and releases the storage.
    void unlinkAll();

  private:
    /// The particle whose contact scan is running, while this one is linked to it: a constant
    /// time answer to whether two touching particles share a link, however many links they have.
    const Particle* scannedBy_ = nullptr;

    /// The push and the bounces of a contact; d runs from this particle to other.
    void resolveContact(Particle& other, const Vec3& d, float bounceKeep);
    void keepInsideBox(float bounceKeep);
    /// Takes from the speed of next.velocity the work a push by `moved` did against stepForce.
    void payForPush(const Vec3& moved);
    void removeLinksTo(const Particle* other);
};

}  // namespace velmora
