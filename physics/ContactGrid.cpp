#include "physics/ContactGrid.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "physics/Particle.h"

namespace velmora {
namespace {

// Touching centres are less than kCellSize apart on every axis (a float distance below 2 needs
// each rounded difference below 2, and rounding is monotonic), so their cells differ by at most
// one per axis.
constexpr float kCellSize = kContactDistance;
// Cells -6 .. 5 on each axis cover [-12, 12): the box, where every step leaves a free particle,
// and more than the unit a single push can carry it past a wall.
constexpr int kLowestCell = -6;
constexpr int kCellsPerAxis = 12;
constexpr std::size_t kCellCount = std::size_t{kCellsPerAxis} * kCellsPerAxis * kCellsPerAxis;
constexpr std::size_t kBitsPerWord = 64;

// The floor is clamped while still a float, so no value converts out of an int's range; NaN
// fails both comparisons' true branches and lands in cell 0, where it touches nothing anyway.
std::size_t axisCell(float coordinate) {
    const float cell = std::floor(coordinate / kCellSize);
    if (!(cell > kLowestCell)) {
        return 0;
    }
    if (cell >= kLowestCell + kCellsPerAxis - 1) {
        return kCellsPerAxis - 1;
    }
    return static_cast<std::size_t>(static_cast<int>(cell) - kLowestCell);
}

std::size_t cellAt(const Vec3& p) {
    return (axisCell(p.x) * kCellsPerAxis + axisCell(p.y)) * kCellsPerAxis + axisCell(p.z);
}

}  // namespace

void ContactGrid::rebuild(const ParticleList& particles) {
    const std::size_t n = particles.size();
    firstInCell_.assign(kCellCount, kNone);
    nextInCell_.resize(n);
    previousInCell_.resize(n);
    cellOf_.resize(n);
    positions_.resize(n);
    candidates_.assign((n + kBitsPerWord - 1) / kBitsPerWord, 0);
    firstCandidateWord_ = candidates_.size();
    lastCandidateWord_ = 0;
    for (std::size_t i = 0; i < n; ++i) {
        positions_[i] = particles[i]->next.position;
        file(i, cellAt(positions_[i]));
    }
}

void ContactGrid::refile(const ParticleList& particles, std::size_t i) {
    refileAt(particles[i]->next.position, i);
}

void ContactGrid::collide(ParticleList& particles, std::size_t i) {
    Particle& self = *particles[i];
    markTouching(i, 0);
    for (std::size_t j = takeCandidate(); j != kNone; j = takeCandidate()) {
        Particle& other = *particles[j];
        if (!self.collideWith(other)) {
            continue;
        }
        // A pinned particle pushes the other one, a free one moves itself. Later particles of
        // the scan are met from where this one now is.
        refileAt(other.next.position, j);
        refileAt(self.next.position, i);
        if (!self.pinned) {
            markTouching(i, j + 1);
        }
    }
}

bool ContactGrid::refileAt(const Vec3& position, std::size_t i) {
    positions_[i] = position;
    const std::size_t cell = cellAt(position);
    if (cell == cellOf_[i]) {
        return false;
    }
    unfile(i);
    file(i, cell);
    return true;
}

void ContactGrid::unfile(std::size_t i) {
    const std::size_t previous = previousInCell_[i];
    const std::size_t next = nextInCell_[i];
    if (previous == kNone) {
        firstInCell_[cellOf_[i]] = next;
    } else {
        nextInCell_[previous] = next;
    }
    if (next != kNone) {
        previousInCell_[next] = previous;
    }
}

void ContactGrid::file(std::size_t i, std::size_t cell) {
    const std::size_t first = firstInCell_[cell];
    previousInCell_[i] = kNone;
    nextInCell_[i] = first;
    if (first != kNone) {
        previousInCell_[first] = i;
    }
    firstInCell_[cell] = i;
    cellOf_[i] = cell;
}

void ContactGrid::markTouching(std::size_t i, std::size_t first) {
    const Vec3 position = positions_[i];
    const std::size_t cell = cellOf_[i];
    const std::size_t z = cell % kCellsPerAxis;
    const std::size_t y = cell / kCellsPerAxis % kCellsPerAxis;
    const std::size_t x = cell / (kCellsPerAxis * kCellsPerAxis);
    const auto low = [](std::size_t c) { return c == 0 ? c : c - 1; };
    const auto high = [](std::size_t c) { return std::min<std::size_t>(c + 1, kCellsPerAxis - 1); };
    for (std::size_t cx = low(x); cx <= high(x); ++cx) {
        for (std::size_t cy = low(y); cy <= high(y); ++cy) {
            for (std::size_t cz = low(z); cz <= high(z); ++cz) {
                const std::size_t c = (cx * kCellsPerAxis + cy) * kCellsPerAxis + cz;
                for (std::size_t m = firstInCell_[c]; m != kNone; m = nextInCell_[m]) {
                    if (m >= first && m != i && inContact(positions_[m] - position)) {
                        const std::size_t word = m / kBitsPerWord;
                        candidates_[word] |= std::uint64_t{1} << (m % kBitsPerWord);
                        firstCandidateWord_ = std::min(firstCandidateWord_, word);
                        lastCandidateWord_ = std::max(lastCandidateWord_, word);
                    }
                }
            }
        }
    }
}

std::size_t ContactGrid::takeCandidate() {
    for (; firstCandidateWord_ <= lastCandidateWord_; ++firstCandidateWord_) {
        std::uint64_t& bits = candidates_[firstCandidateWord_];
        if (bits != 0) {
            const auto bit = static_cast<std::size_t>(std::countr_zero(bits));
            bits &= bits - 1;
            return firstCandidateWord_ * kBitsPerWord + bit;
        }
    }
    // Empty again: the next scan starts from nothing.
    firstCandidateWord_ = candidates_.size();
    lastCandidateWord_ = 0;
    return kNone;
}

}  // namespace velmora
