#include "physics/ContactGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "physics/Particle.h"

namespace velmora {
namespace {

// Touching centres are less than kCellSize apart on every axis (a float distance below 2 needs
// each rounded difference below 2, and rounding is monotonic), so their cells differ by at most
// one per axis.
constexpr float kCellSize = kContactDistance;
// Cells 1 .. 12 on each axis cover [-12, 12): the box, where every step leaves a free particle,
// and more than the unit a single push can carry it past a wall. Cells 0 and 13 stay empty, so
// every filed particle has all 26 neighbour cells and a scan needs no bounds tests.
constexpr float kLowestCell = -6.0f;
constexpr float kHighestCell = 5.0f;
constexpr std::uint32_t kCellsPerAxis = 14;
constexpr std::uint32_t kCellCount = kCellsPerAxis * kCellsPerAxis * kCellsPerAxis;
constexpr std::uint32_t kRowStep = kCellsPerAxis;               // from y to y + 1
constexpr std::uint32_t kPlaneStep = kRowStep * kCellsPerAxis;  // from x to x + 1
// The nine rows along z around a cell: x - 1 .. x + 1 by y - 1 .. y + 1, each three cells long
// from z - 1, which are consecutive cells and so one run of slots.
constexpr std::uint32_t kRowsAround[9] = {
    0,
    kRowStep,
    2 * kRowStep,
    kPlaneStep,
    kPlaneStep + kRowStep,
    kPlaneStep + 2 * kRowStep,
    2 * kPlaneStep,
    2 * kPlaneStep + kRowStep,
    2 * kPlaneStep + 2 * kRowStep,
};
// Back from a cell to its (x - 1, y - 1, z - 1) neighbour, where the first row starts.
constexpr std::uint32_t kFirstAround = kPlaneStep + kRowStep + 1;
// Four slots' coordinates, tested at once by the same contact test as one pair: a GCC and
// Clang vector of plain floats, each lane computing exactly what the test computes for one.
using Float4 = float __attribute__((vector_size(16)));
constexpr std::size_t kLanes = 4;
// Where a particle has left its slot's cell, the slot holds this: it touches nothing.
constexpr Vec3 kAway{NAN, NAN, NAN};

bool samePosition(const Vec3& a, const Vec3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// In units of cells, where the cell of a coordinate is its floor.
float inCells(float coordinate) {
    return coordinate / kCellSize;
}

// An axis's cell index and the coordinates, in units of cells, that share it: [low, high).
struct AxisCell {
    std::uint32_t index = 0;
    float low = 0.0f;
    float high = 0.0f;
};

// Clamped while still a float, so no value converts out of an int's range; NaN fails the
// first comparison and lands in the lowest cell, where it touches nothing anyway.
AxisCell axisCell(float coordinate) {
    const float h = inCells(coordinate);
    if (!(h >= kLowestCell + 1.0f)) {
        return {1, -INFINITY, kLowestCell + 1.0f};
    }
    if (h >= kHighestCell) {
        return {kCellsPerAxis - 2, kHighestCell, INFINITY};
    }
    // The floor of h: its truncation toward zero, one less for negative fractions.
    const int truncated = static_cast<int>(h);
    const int floor = truncated - (h < static_cast<float>(truncated) ? 1 : 0);
    return {static_cast<std::uint32_t>(floor - static_cast<int>(kLowestCell)) + 1,
            static_cast<float>(floor), static_cast<float>(floor + 1)};
}

}  // namespace

void ContactGrid::rebuild(const ParticleList& particles) {
    const std::size_t n = particles.size();
    // Where a particle is still inside the cell it was last filed in, as after a commit, that
    // cell is known; new places have empty bounds and are located afresh.
    constexpr Vec3 kNowhere{INFINITY, INFINITY, INFINITY};
    cellLow_.resize(n, kNowhere);
    cellHigh_.resize(n, kNowhere);
    homeCell_.resize(n);
    strayCell_.resize(n, kNone);
    for (std::size_t i = 0; i < n; ++i) {
        homeCell_[i] = cellOf(i, particles[i]->next.position);
    }
    std::fill(strayCell_.begin(), strayCell_.end(), kNone);
    std::fill(firstStray_.begin(), firstStray_.end(), kNone);
    firstStray_.resize(kCellCount, kNone);
    strayCount_ = 0;
    nextStray_.resize(n);
    previousStray_.resize(n);
    candidates_.assign((n + kBitsPerWord - 1) / kBitsPerWord, 0);
    firstCandidateWord_ = candidates_.size();
    lastCandidateWord_ = 0;

    // A counting sort: cellStart_[c] counts up to the end of cell c, then, taking the
    // particles from the last, counts down to its first slot.
    cellStart_.assign(kCellCount + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        ++cellStart_[homeCell_[i]];
    }
    for (Index c = 1; c < kCellCount; ++c) {
        cellStart_[c] += cellStart_[c - 1];
    }
    cellStart_[kCellCount] = static_cast<Index>(n);
    slotParticle_.resize(n);
    slotOf_.resize(n);
    for (std::vector<float>* coordinates : {&slotX_, &slotY_, &slotZ_, &listX_, &listY_, &listZ_}) {
        coordinates->resize(n + kLanes - 1);
        std::fill(coordinates->begin() + static_cast<std::ptrdiff_t>(n), coordinates->end(), NAN);
    }
    for (std::size_t i = n; i-- > 0;) {
        const Index slot = --cellStart_[homeCell_[i]];
        slotParticle_[slot] = static_cast<Index>(i);
        setSlotPosition(slot, particles[i]->next.position);
        slotOf_[i] = slot;
        listX_[i] = particles[i]->next.position.x;
        listY_[i] = particles[i]->next.position.y;
        listZ_[i] = particles[i]->next.position.z;
    }
}

void ContactGrid::refile(const ParticleList& particles, std::size_t i) {
    move(i, particles[i]->next.position);
}

void ContactGrid::collide(ParticleList& particles, std::size_t i, float bounceKeep) {
    Particle& self = *particles[i];
    self.beginContactScan();
    // Where half the list or more is filed around the particle, the list in order, tested four
    // at a time, is about as short as the cells and needs no candidate set, nor a new one after
    // each push.
    constexpr auto kPileUp = static_cast<std::size_t>(kMostContactsPerScan);
    const std::size_t n = particles.size();
    const std::size_t around = populationAround(i);
    if (2 * around >= n) {
        collideInListOrder(particles, i, countTouching(particles, i, kPileUp) == kPileUp,
                           bounceKeep);
        self.endContactScan();
        return;
    }
    // In a pile-up the ones found where the scan began are all it meets (see Particle). With
    // t of the n touching it, the list reaches the scan's last contact after about 16 n / t
    // particles, the cells only after all of those around: where more than 16 n / around
    // touch, the list is the shorter way.
    const std::size_t crowd = kPileUp * n / std::max<std::size_t>(around, 1);
    if (around >= crowd && countTouching(particles, i, crowd) == crowd) {
        collideInListOrder(particles, i, true, bounceKeep);
        self.endContactScan();
        return;
    }
    // The set is empty, so each touching particle is counted once.
    const bool pileUp = markTouching(particles, i, 0) >= kPileUp;
    int contacts = 0;
    for (std::size_t j = takeCandidate(); j != kNone; j = takeCandidate()) {
        Particle& other = *particles[j];
        const Vec3 from = self.next.position;
        if (!self.collideWith(other, bounceKeep)) {
            continue;
        }
        // A pinned particle pushes the other one, a free one moves itself. Later particles of
        // the scan are met from where this one now is; a push of nothing (coincident centres
        // have no direction) leaves the same ones to meet.
        move(j, other.next.position);
        move(i, self.next.position);
        if (++contacts == kMostContactsPerScan) {
            dropCandidates();
            break;
        }
        if (!pileUp && !self.pinned && !samePosition(from, self.next.position)) {
            markTouching(particles, i, j + 1);
        }
    }
    self.endContactScan();
}

void ContactGrid::collideInListOrder(ParticleList& particles, std::size_t i, bool pileUp,
                                     float bounceKeep) {
    Particle& self = *particles[i];
    const Vec3 start = self.next.position;
    // The list-order copies tell four at a time which particles touch without reaching each
    // one; each push of the scanning particle tests the rest of the four again from where it
    // now is.
    const auto touching = [&](std::size_t first) {
        Float4 x, y, z;
        std::memcpy(&x, &listX_[first], sizeof x);
        std::memcpy(&y, &listY_[first], sizeof y);
        std::memcpy(&z, &listZ_[first], sizeof z);
        const Vec3 here = self.next.position;
        const auto now = withinContact(x - here.x, y - here.y, z - here.z);
        return pileUp ? now & withinContact(x - start.x, y - start.y, z - start.z) : now;
    };
    const std::size_t n = particles.size();
    int contacts = 0;
    for (std::size_t first = 0; first < n && contacts < kMostContactsPerScan; first += kLanes) {
        auto touches = touching(first);
        for (std::size_t lane = 0; lane < kLanes && contacts < kMostContactsPerScan; ++lane) {
            const std::size_t j = first + lane;
            if (!touches[lane] || j == i || !self.collideWith(*particles[j], bounceKeep)) {
                continue;
            }
            move(j, particles[j]->next.position);
            move(i, self.next.position);
            ++contacts;
            touches = touching(first);
        }
    }
}

std::size_t ContactGrid::populationAround(std::size_t i) const {
    const Index corner = cellAround(i);
    std::size_t population = strayCount_;
    for (const Index row : kRowsAround) {
        population += cellStart_[corner + row + 3] - cellStart_[corner + row];
    }
    return population;
}

std::size_t ContactGrid::countTouching(const ParticleList& particles, std::size_t i,
                                       std::size_t enough) const {
    const Vec3 position = particles[i]->next.position;
    const Index corner = cellAround(i);
    std::size_t count = 0;
    for (const Index row : kRowsAround) {
        const Index end = cellStart_[corner + row + 3];
        for (Index slot = cellStart_[corner + row]; slot < end && count < enough; slot += kLanes) {
            Float4 x, y, z;
            std::memcpy(&x, &slotX_[slot], sizeof x);
            std::memcpy(&y, &slotY_[slot], sizeof y);
            std::memcpy(&z, &slotZ_[slot], sizeof z);
            const auto touching = withinContact(x - position.x, y - position.y, z - position.z);
            for (Index lane = 0; lane < kLanes && slot + lane < end; ++lane) {
                count += touching[lane] && slotParticle_[slot + lane] != i ? 1 : 0;
            }
        }
    }
    for (const Index row : kRowsAround) {
        for (Index cell = corner + row; cell < corner + row + 3 && count < enough; ++cell) {
            for (Index m = firstStray_[cell]; m != kNone && count < enough; m = nextStray_[m]) {
                count += m != i && inContact(particles[m]->next.position - position) ? 1 : 0;
            }
        }
    }
    return std::min(count, enough);
}

ContactGrid::Index ContactGrid::cellAround(std::size_t i) const {
    return (strayCell_[i] == kNone ? homeCell_[i] : strayCell_[i]) - kFirstAround;
}

void ContactGrid::move(std::size_t i, const Vec3& position) {
    listX_[i] = position.x;
    listY_[i] = position.y;
    listZ_[i] = position.z;
    const Index cell = cellOf(i, position);
    if (cell == homeCell_[i]) {
        setSlotPosition(slotOf_[i], position);
        if (strayCell_[i] != kNone) {
            removeStray(i);
        }
        return;
    }
    setSlotPosition(slotOf_[i], kAway);
    if (strayCell_[i] != cell) {
        if (strayCell_[i] != kNone) {
            removeStray(i);
        }
        addStray(i, cell);
    }
}

ContactGrid::Index ContactGrid::cellOf(std::size_t i, const Vec3& position) {
    // Most moves stay in the cell: its bounds say so without finding the cell again.
    const Vec3& low = cellLow_[i];
    const Vec3& high = cellHigh_[i];
    const float x = inCells(position.x), y = inCells(position.y), z = inCells(position.z);
    if (low.x <= x && x < high.x && low.y <= y && y < high.y && low.z <= z && z < high.z) {
        return strayCell_[i] == kNone ? homeCell_[i] : strayCell_[i];
    }
    return locate(i, position);
}

ContactGrid::Index ContactGrid::locate(std::size_t i, const Vec3& position) {
    const AxisCell x = axisCell(position.x), y = axisCell(position.y), z = axisCell(position.z);
    cellLow_[i] = {x.low, y.low, z.low};
    cellHigh_[i] = {x.high, y.high, z.high};
    return x.index * kPlaneStep + y.index * kRowStep + z.index;
}

void ContactGrid::setSlotPosition(Index slot, const Vec3& position) {
    slotX_[slot] = position.x;
    slotY_[slot] = position.y;
    slotZ_[slot] = position.z;
}

std::size_t ContactGrid::markTouching(const ParticleList& particles, std::size_t i,
                                      std::size_t first) {
    const Vec3 position = particles[i]->next.position;
    const Index corner = cellAround(i);
    // A pile-up marks a thousand at a time: the set's bounds are kept here, not per mark.
    std::size_t count = 0, lowest = firstCandidateWord_, highest = lastCandidateWord_;
    const auto mark = [&](std::size_t m) {
        const std::size_t word = m / kBitsPerWord;
        candidates_[word] |= std::uint64_t{1} << (m % kBitsPerWord);
        lowest = std::min(lowest, word);
        highest = std::max(highest, word);
        ++count;
    };
    for (const Index row : kRowsAround) {
        const Index end = cellStart_[corner + row + 3];
        for (Index slot = cellStart_[corner + row]; slot < end; slot += kLanes) {
            Float4 x, y, z;
            std::memcpy(&x, &slotX_[slot], sizeof x);
            std::memcpy(&y, &slotY_[slot], sizeof y);
            std::memcpy(&z, &slotZ_[slot], sizeof z);
            const auto touching = withinContact(x - position.x, y - position.y, z - position.z);
            std::uint64_t low = 0, high = 0;
            std::memcpy(&low, &touching, sizeof low);
            std::memcpy(&high, reinterpret_cast<const char*>(&touching) + sizeof low, sizeof high);
            if ((low | high) == 0) {
                continue;
            }
            // Lanes past the row's end belong to other cells.
            for (Index lane = 0; lane < kLanes && slot + lane < end; ++lane) {
                const Index m = slotParticle_[slot + lane];
                if (touching[lane] && m >= first && m != i) {
                    mark(m);
                }
            }
        }
    }
    if (strayCount_ != 0) {
        for (const Index row : kRowsAround) {
            for (Index cell = corner + row; cell < corner + row + 3; ++cell) {
                for (Index m = firstStray_[cell]; m != kNone; m = nextStray_[m]) {
                    if (m >= first && m != i && inContact(particles[m]->next.position - position)) {
                        mark(m);
                    }
                }
            }
        }
    }
    firstCandidateWord_ = lowest;
    lastCandidateWord_ = highest;
    return count;
}

}  // namespace velmora
