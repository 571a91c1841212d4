#pragma once
// A uniform grid for the collision scan. Cells are cubes as wide as the contact distance, so
// two particles that touch sit in the same or in neighbouring cells. The grid covers the box
// and a margin for pushes past its walls; a position outside it (a pinned particle anywhere, a
// saturated or non-finite value) is filed under the nearest border cell, and since clamping
// never pulls two cells further apart, touching particles stay neighbours there too. Far-away
// particles only cost time, not correctness.
//
// Each pass starts by sorting the particles by cell into slots that hold copies of their next
// positions. Every change of a next position during the pass (a step, a push) is filed at
// once: inside its cell the slot's copy follows it; a particle that leaves its cell leaves a
// slot that touches nothing and joins the list of strays of the cell it is in. A scan tests
// the slots and strays of the 27 cells around the scanning particle with the shared contact
// test and visits the touching ones in list order; after each push of the scanning particle it
// tests again from where that particle now is, for the rest of the list. Where half the list
// or more is filed around the particle, or a pile-up touches a good share of it, the scan goes
// down the list itself instead, four at a time, from copies of the positions kept in list order.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/Vec3.h"
#include "physics/ParticleList.h"
#include "physics/PhysicsSettings.h"

namespace velmora {

/// Files every particle of a list under the cell of its next position and runs a particle's
/// collision scan over its neighbourhood only, meeting exactly the particles the all-pairs scan
/// would touch, in the same order, with the same arithmetic. The caller owns it and keeps it
/// from pass to pass: its buffers grow with the list and are reused, never reallocated per pass.
class ContactGrid {
  public:
    /// Below this many particles scanning all pairs costs less than filing them in the grid.
    static constexpr std::size_t kFewestParticles = 64;

    /// Files every particle of the list at its next position. Needed before collide whenever
    /// anything outside the grid changed the list or a next position (a commit does not).
    void rebuild(const ParticleList& particles);
    /// Files particle i again after its next position changed outside collide (its step).
    void refile(const ParticleList& particles, std::size_t i);
    /// particles[i]->collide(particles, bounceKeep), bit for bit, keeping every moved particle
    /// filed.
    void collide(ParticleList& particles, std::size_t i, float bounceKeep = kBounceKeep);

  private:
    // 32-bit indices keep the tables small; a list of 2^32 particles would not fit in memory.
    using Index = std::uint32_t;
    static constexpr Index kNone = UINT32_MAX;
    static constexpr std::size_t kBitsPerWord = 64;  ///< particles per word of the candidate set

    /// Files particle i at its new next position.
    void move(std::size_t i, const Vec3& position);
    /// The cell of particle i at position: where it was last filed if it is still inside.
    Index cellOf(std::size_t i, const Vec3& position);
    /// The cell of position, whose bounds it records as particle i's.
    Index locate(std::size_t i, const Vec3& position);
    void addStray(std::size_t i, Index cell);
    void removeStray(std::size_t i);
    /// Marks the particles numbered from `first` on that particle i touches where it is now,
    /// and returns how many. They can only be in the cells around its own.
    std::size_t markTouching(const ParticleList& particles, std::size_t i, std::size_t first);
    /// The particles filed in the cells around particle i's, and every stray: at least as many
    /// as can touch it.
    std::size_t populationAround(std::size_t i) const;
    /// How many particles touch particle i where it is now, counted up to `enough`.
    std::size_t countTouching(const ParticleList& particles, std::size_t i,
                              std::size_t enough) const;
    /// Particle i's scan as over all pairs: the list in order, meeting, in a pile-up, only
    /// those that touched it where the scan began.
    void collideInListOrder(ParticleList& particles, std::size_t i, bool pileUp, float bounceKeep);
    /// The first of the 27 cells around particle i's: x - 1, y - 1, z - 1.
    Index cellAround(std::size_t i) const;
    void setSlotPosition(Index slot, const Vec3& position);
    /// Takes the lowest marked candidate; kNone when none is left.
    std::size_t takeCandidate();
    /// Empties the candidate set.
    void dropCandidates();

    // Sorted at the start of a pass: the particles cell by cell, in list order within a cell,
    // so the three cells of a row along z are one run of slots.
    std::vector<Index> cellStart_;     ///< per cell and one past the last: first slot
    std::vector<Index> slotParticle_;  ///< per slot
    // Per slot, and three more of NaN so a scan may read four at a time: the next position,
    // NaN once the particle left the cell.
    std::vector<float> slotX_, slotY_, slotZ_;
    /// Per particle in list order, and three more of NaN: the next position, for pile-ups
    /// scanned in list order.
    std::vector<float> listX_, listY_, listZ_;
    std::vector<Index> slotOf_;    ///< per particle
    std::vector<Index> homeCell_;  ///< per particle: the cell of its slot
    /// Per particle, the bounds in units of cells of the cell it is in: [low, high) per axis.
    std::vector<Vec3> cellLow_, cellHigh_;
    // Particles that left their slot's cell during the pass, listed by the cell they are in.
    std::vector<Index> firstStray_;     ///< per cell
    std::vector<Index> nextStray_;      ///< per particle
    std::vector<Index> previousStray_;  ///< per particle
    std::vector<Index> strayCell_;      ///< per particle: kNone while in its slot's cell
    std::size_t strayCount_ = 0;
    /// One bit per particle: the contacts still to visit in the running scan. Every taken
    /// bit is cleared, so the set is empty again when a scan ends.
    std::vector<std::uint64_t> candidates_;
    std::size_t firstCandidateWord_ = 0;
    std::size_t lastCandidateWord_ = 0;
};

}  // namespace velmora
