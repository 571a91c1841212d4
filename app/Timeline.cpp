#include "app/Timeline.h"

#include <algorithm>

namespace velmora {

void Timeline::start(Snapshot snapshot) {
    keyframes_.clear();
    passes_.clear();
    edits_.clear();
    latest_ = now_ = 0;
    bytes_ = 0;
    pushKeyframe(std::move(snapshot));
}

void Timeline::pushKeyframe(Snapshot snapshot) {
    const bool counts =
        keyframes_.empty() || keyframes_.back().snapshot.structure != snapshot.structure;
    keyframes_.push_back({now_, std::move(snapshot), counts});
    bytes_ += keyframeBytes(keyframes_.back());
}

void Timeline::popLastKeyframe() {
    bytes_ -= keyframeBytes(keyframes_.back());
    keyframes_.pop_back();
}

void Timeline::branch() {
    while (!keyframes_.empty() && keyframes_.back().position > now_)
        popLastKeyframe();
    while (latest_ > now_ && !passes_.empty()) {
        passes_.pop_back();
        bytes_ -= sizeof(Pass);
        --latest_;
    }
    latest_ = now_;
    while (!edits_.empty() && edits_.back() > now_) {
        edits_.pop_back();
        bytes_ -= sizeof(long);
    }
}

void Timeline::addPass(const Pass& pass) {
    passes_.push_back(pass);
    bytes_ += sizeof(Pass);
    now_ = ++latest_;
}

bool Timeline::keyframeDue(int interval) const {
    return keyframes_.empty() || now_ - keyframes_.back().position >= interval;
}

void Timeline::keep(Snapshot snapshot, bool edit) {
    if (!keyframes_.empty() && keyframes_.back().position == now_)
        popLastKeyframe();
    pushKeyframe(std::move(snapshot));
    if (edit && (edits_.empty() || edits_.back() != now_)) {
        edits_.push_back(now_);
        bytes_ += sizeof(long);
    }
}

const Timeline::Keyframe* Timeline::keyframeAtOrBefore(long position) const {
    const auto after = std::upper_bound(keyframes_.begin(), keyframes_.end(), position,
                                        [](long p, const Keyframe& k) { return p < k.position; });
    return after == keyframes_.begin() ? nullptr : &*(after - 1);
}

std::vector<Timeline::Pass> Timeline::passesBetween(long from, long to) const {
    std::vector<Pass> out;
    const long base = first() + 1;
    for (long p = std::max(from + 1, base); p <= to && p - base < std::ssize(passes_); ++p)
        out.push_back(passes_[static_cast<std::size_t>(p - base)]);
    return out;
}

bool Timeline::dropOldest() {
    if (keyframes_.size() < 2 || keyframes_[1].position > now_)
        return false;
    const long next = keyframes_[1].position;
    const auto dropped =
        std::min<std::size_t>(static_cast<std::size_t>(next - first()), passes_.size());
    passes_.erase(passes_.begin(), passes_.begin() + static_cast<std::ptrdiff_t>(dropped));
    bytes_ -= dropped * sizeof(Pass);
    const auto stale =
        std::find_if(edits_.begin(), edits_.end(), [&](long e) { return e >= next; });
    bytes_ -= static_cast<std::size_t>(stale - edits_.begin()) * sizeof(long);
    edits_.erase(edits_.begin(), stale);
    const std::shared_ptr<const Structure> structure = keyframes_.front().snapshot.structure;
    bytes_ -= keyframeBytes(keyframes_.front());
    keyframes_.pop_front();
    // The new oldest holds its structure alone now, if it shared the dropped one's.
    if (!keyframes_.front().countsStructure && keyframes_.front().snapshot.structure == structure) {
        keyframes_.front().countsStructure = true;
        bytes_ += structure ? structure->bytes() : 0;
    }
    return true;
}

}  // namespace velmora
