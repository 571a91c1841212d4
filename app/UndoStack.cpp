#include "app/UndoStack.h"

#include <algorithm>
#include <climits>

namespace velmora {
namespace {

std::size_t sceneBytes(const std::shared_ptr<const SceneDescription>& scene) {
    return scene ? sizeof(SceneDescription) + scene->particles.size() * sizeof(ParticleSpec) +
                       scene->links.size() * sizeof(LinkSpec)
                 : 0;
}

}  // namespace

std::size_t Edit::bytes() const {
    // Both moments counted with their structures, even where they share one: a bound.
    return sizeof(Edit) + name.size() + before.bytes(true) + after.bytes(true) +
           sceneBytes(sceneBefore) + sceneBytes(sceneAfter);
}

void UndoStack::forgetUndone() {
    for (const Edit& e : undone_)
        bytes_ -= e.bytes();
    undone_.clear();
}

void UndoStack::push(Edit edit) {
    forgetUndone();
    bytes_ += edit.bytes();
    done_.push_back(std::move(edit));
}

Edit* UndoStack::lastMade() {
    return done_.empty() || !undone_.empty() ? nullptr : &done_.back();
}

const Edit* UndoStack::undo() {
    if (done_.empty())
        return nullptr;
    undone_.push_back(std::move(done_.back()));
    done_.pop_back();
    return &undone_.back();
}

const Edit* UndoStack::redo() {
    if (undone_.empty())
        return nullptr;
    done_.push_back(std::move(undone_.back()));
    undone_.pop_back();
    return &done_.back();
}

void UndoStack::dropAfter(long position) {
    while (!done_.empty() && done_.back().position > position) {
        bytes_ -= done_.back().bytes();
        done_.pop_back();
    }
    forgetUndone();
}

long UndoStack::oldest() const {
    if (!done_.empty())
        return done_.front().position;
    return undone_.empty() ? LONG_MAX : undone_.front().position;
}

void UndoStack::dropOldest() {
    if (!done_.empty()) {
        bytes_ -= done_.front().bytes();
        done_.pop_front();
    } else if (!undone_.empty()) {
        bytes_ -= undone_.front().bytes();
        undone_.erase(undone_.begin());
    }
}

void UndoStack::recount() {
    bytes_ = 0;
    for (const Edit& e : done_)
        bytes_ += e.bytes();
    for (const Edit& e : undone_)
        bytes_ += e.bytes();
}

}  // namespace velmora
