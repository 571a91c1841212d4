// The contact grid's two lists: the strays of each cell, linked both ways so a particle leaves
// its cell's list at once, and the candidate set, a bit per particle taken lowest first, which
// is list order.
#include <bit>

#include "physics/ContactGrid.h"

namespace velmora {

void ContactGrid::addStray(std::size_t i, Index cell) {
    const Index first = firstStray_[cell];
    previousStray_[i] = kNone;
    nextStray_[i] = first;
    if (first != kNone) {
        previousStray_[first] = static_cast<Index>(i);
    }
    firstStray_[cell] = static_cast<Index>(i);
    strayCell_[i] = cell;
    ++strayCount_;
}

void ContactGrid::removeStray(std::size_t i) {
    const Index previous = previousStray_[i];
    const Index next = nextStray_[i];
    if (previous == kNone) {
        firstStray_[strayCell_[i]] = next;
    } else {
        nextStray_[previous] = next;
    }
    if (next != kNone) {
        previousStray_[next] = previous;
    }
    strayCell_[i] = kNone;
    --strayCount_;
}

void ContactGrid::dropCandidates() {
    for (; firstCandidateWord_ <= lastCandidateWord_; ++firstCandidateWord_) {
        candidates_[firstCandidateWord_] = 0;
    }
    firstCandidateWord_ = candidates_.size();
    lastCandidateWord_ = 0;
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
