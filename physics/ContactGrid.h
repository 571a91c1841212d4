#pragma once
// A uniform grid for the collision scan. Cells are cubes as wide as the contact distance, so
// two particles that touch sit in the same or in neighbouring cells. The grid covers the box
// and a margin for pushes past its walls; a position outside it (a pinned particle anywhere, a
// saturated or non-finite value) is filed under the nearest border cell, and since clamping
// never pulls two cells further apart, touching particles stay neighbours there too. Far-away
// particles only cost time, not correctness.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/Vec3.h"
#include "physics/ParticleList.h"

namespace velmora {

/// Files every particle of a list under the cell of its next position and runs a particle's
/// collision scan over its neighbourhood only, meeting exactly the particles the all-pairs scan
/// would touch, in the same order, with the same arithmetic. The caller owns it and keeps it
/// from pass to pass: its buffers grow with the list and are reused, never reallocated per pass.
class ContactGrid {
  public:
    /// Files every particle of the list at its next position. Needed before collide whenever
    /// anything outside the grid changed the list or a next position (a commit does not).
    void rebuild(const ParticleList& particles);
    /// Files particle i again after its next position changed outside collide (its step).
    void refile(const ParticleList& particles, std::size_t i);
    /// particles[i]->collide(particles), bit for bit, keeping every moved particle filed.
    void collide(ParticleList& particles, std::size_t i);

  private:
    static constexpr std::size_t kNone = SIZE_MAX;

    /// Whether particle i changed cells.
    bool refileAt(const Vec3& position, std::size_t i);
    void unfile(std::size_t i);
    void file(std::size_t i, std::size_t cell);
    /// Marks the particles numbered from `first` on that particle i touches where it is now.
    /// They can only be in the cells around its own.
    void markTouching(std::size_t i, std::size_t first);
    /// Takes the lowest marked candidate; kNone when none is left.
    std::size_t takeCandidate();

    std::vector<std::size_t> firstInCell_;  ///< per cell, kNone when empty
    std::vector<std::size_t> nextInCell_;   ///< per particle, the cell's list order
    std::vector<std::size_t> previousInCell_;
    std::vector<std::size_t> cellOf_;
    std::vector<Vec3> positions_;  ///< per particle, a copy of the next position it is filed at
    /// One bit per particle: the candidates of the running scan not yet visited. Every taken
    /// bit is cleared, so the set is empty again when a scan ends.
    std::vector<std::uint64_t> candidates_;
    std::size_t firstCandidateWord_ = 0;
    std::size_t lastCandidateWord_ = 0;
};

}  // namespace velmora
