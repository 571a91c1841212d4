#pragma once
// The edits of the run, to undo and redo: each keeps the moment just before it and the one
// just after it. A new edit drops what was undone.
#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "physics/Snapshot.h"
#include "scenes/SceneDescription.h"

namespace velmora {

struct Edit {
    std::string name;     ///< what the overlay calls it: "link", "drag", "reset", ...
    long position = 0;    ///< where on the timeline it was made
    long madeInPass = 0;  ///< the loop's pass count when it was made
    Snapshot before;
    Snapshot after;
    /// A load also changes the scene R goes back to, and its name.
    std::shared_ptr<const SceneDescription> sceneBefore, sceneAfter;
    std::string sceneNameBefore, sceneNameAfter;

    std::size_t bytes() const;
};

class UndoStack {
  public:
    /// A new edit: what was undone can no longer be redone.
    void push(Edit edit);
    /// The last edit made, to merge one that goes on over several passes; null if none, or if
    /// the last thing done was an undo.
    Edit* lastMade();
    /// Moves the last edit to the redo list and returns it; null when there is none.
    const Edit* undo();
    /// Moves the last undone edit back and returns it; null when there is none.
    const Edit* redo();
    /// Forgets the edits made after `position` (the timeline branched before them), redo too.
    void dropAfter(long position);

    bool empty() const { return done_.empty() && undone_.empty(); }
    std::size_t bytes() const { return bytes_; }
    /// Position of the oldest edit kept.
    long oldest() const;
    /// Forgets the oldest edit (of those done, else of those undone).
    void dropOldest();
    /// Counts the bytes again, after the last edit made was merged into.
    void recount();

  private:
    void forgetUndone();

    std::deque<Edit> done_;
    std::vector<Edit> undone_;  ///< the last undone at the back
    std::size_t bytes_ = 0;
};

}  // namespace velmora
