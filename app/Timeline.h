#pragma once
// The recent past of the run: keyframes (whole moments) and, between them, the frame time of
// each pass. Stepping is deterministic, so any kept moment is a keyframe put back and the
// passes after it stepped again. A moment is a position: the state after that many passes
// and every edit made before the next one. Every edit, and every pass a drag moves a particle
// in, is kept as a keyframe, so the passes between two keyframes are stepping alone.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "physics/Snapshot.h"

namespace velmora {

class Timeline {
  public:
    /// One pass as it was stepped: its simulated time and how many particles it stepped.
    struct Pass {
        float dt = 0.0f;
        std::uint32_t count = 0;
    };
    struct Keyframe {
        long position = 0;
        Snapshot snapshot;
        bool countsStructure = true;  ///< its structure is not that of the keyframe before it
    };

    /// Forgets everything; position 0 is this moment.
    void start(Snapshot snapshot);

    long first() const { return keyframes_.empty() ? 0 : keyframes_.front().position; }
    long latest() const { return latest_; }
    long now() const { return now_; }
    bool atLatest() const { return now_ == latest_; }
    /// Positions of the edits kept, oldest first.
    std::span<const long> edits() const { return edits_; }

    /// Drops everything after now: the run goes on from here.
    void branch();
    /// A pass was stepped from now, which must be the latest position.
    void addPass(const Pass& pass);
    /// Whether the present moment should be kept: the passes since the last keyframe are
    /// `interval` or more.
    bool keyframeDue(int interval) const;
    /// Keeps the present moment at now, in place of one kept there already; `edit` marks it.
    void keep(Snapshot snapshot, bool edit);

    /// The last keyframe at or before position (never null while started).
    const Keyframe* keyframeAtOrBefore(long position) const;
    /// The passes from `from` to `to`: the one into from + 1 first.
    std::vector<Pass> passesBetween(long from, long to) const;
    /// Now is this position (after the caller put the moment back).
    void setNow(long position) { now_ = position; }

    /// What it holds, bytes: keyframes (a structure counted where it changes), passes, edits.
    std::size_t bytes() const { return bytes_; }
    /// Forgets the oldest keyframe and the passes up to the next; false when that would leave
    /// now without a keyframe at or before it.
    bool dropOldest();

  private:
    void pushKeyframe(Snapshot snapshot);
    void popLastKeyframe();
    std::size_t keyframeBytes(const Keyframe& k) const {
        return k.snapshot.bytes(k.countsStructure);
    }

    std::deque<Keyframe> keyframes_;
    std::deque<Pass> passes_;  ///< passes_[i] arrives at position first() + 1 + i
    std::vector<long> edits_;
    long latest_ = 0;
    long now_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace velmora
