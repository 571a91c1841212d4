// The run's past: undo and redo of edits (Z, Y), and the timeline the paused run steps through
// (Left, Right, the panel's scrub bar). Every moment put back steps on bit for bit as it did.
#include <algorithm>
#include <utility>

#include "app/Application.h"
#include "physics/StateSummary.h"

namespace velmora {
namespace {

constexpr int kKeyY = 'Y', kKeyZ = 'Z';
/// Work of re-stepping a pass, in particles and links times sub-steps, that a step back may
/// spend: keyframes are taken so far apart that the passes between cost about this much.
constexpr long kRestepWork = 64000;
constexpr int kLongestKeyframeInterval = 60;

}  // namespace

void Application::capturePresent(Snapshot& into) {
    if (!presentStructure_)
        presentStructure_ = captureStructure(particles);
    into.structure = presentStructure_;
    captureMotion(particles, into.motion);
    into.settings = physics;
    into.energyWatch = stepper.energyWatch();
}

Snapshot Application::presentSnapshot() {
    Snapshot snapshot;
    capturePresent(snapshot);
    return snapshot;
}

void Application::startHistory() {
    presentStructure_.reset();
    timeline.start(presentSnapshot());
    undoStack = UndoStack();
    dragEdit_.reset();
}

void Application::putBack(const Snapshot& moment) {
    const bool sameStructure = moment.structure == presentStructure_ &&
                               particles.size() == moment.structure->particleCount();
    restoreParticles(particles, moment, sameStructure);
    presentStructure_ = moment.structure;
    physics = moment.settings;
    stepper.resume(moment.energyWatch);
    editing = EditingState{};
    dragEdit_.reset();
    energyHistory.restart();
}

void Application::seek(long position) {
    position = std::clamp(position, timeline.first(), timeline.latest());
    const Timeline::Keyframe* keyframe = timeline.keyframeAtOrBefore(position);
    if (keyframe == nullptr || position == timeline.now())
        return;
    putBack(keyframe->snapshot);
    for (const Timeline::Pass& pass : timeline.passesBetween(keyframe->position, position))
        stepper.advance(particles, pass.count, true, pass.dt, physics);
    timeline.setNow(position);
}

void Application::branchHere() {
    if (!timeline.atLatest()) {
        timeline.branch();
        undoStack.dropAfter(timeline.now());
    }
}

void Application::undoOrRedo(bool undo) {
    branchHere();
    const Edit* edit = undo ? undoStack.undo() : undoStack.redo();
    if (edit == nullptr) {
        overlay.showMessage(undo ? "nothing to undo" : "nothing to redo");
        return;
    }
    putBack(undo ? edit->before : edit->after);
    if (const auto& scene = undo ? edit->sceneBefore : edit->sceneAfter) {
        startingScene = *scene;
        sceneName = undo ? edit->sceneNameBefore : edit->sceneNameAfter;
    }
    timeline.keep(presentSnapshot(), true);
    overlay.showMessage((undo ? "undid: " : "redid: ") + edit->name);
    fitHistoryInBudget();
}

void Application::travelInHistory(const OverlayActions& asked) {
    const bool undo = input->pressed[kKeyZ], redo = input->pressed[kKeyY];
    if (undo || redo) {
        undoOrRedo(undo);
        return;
    }
    if (asked.seekTo) {
        running = false;
        seek(*asked.seekTo);
        return;
    }
    const int way = input->pressed[VK_RIGHT] ? 1 : input->pressed[VK_LEFT] ? -1 : 0;
    if (running || way == 0)
        return;
    long target = timeline.now() + way;
    if (input->down[VK_SHIFT]) {
        // The passes nearest to a second of simulated time, as they took it.
        const long from = way < 0 ? timeline.first() : timeline.now();
        const long to = way < 0 ? timeline.now() : timeline.latest();
        const std::vector<Timeline::Pass> passes = timeline.passesBetween(from, to);
        double seconds = 0.0;
        long taken = 0;
        for (std::size_t i = 0; i < passes.size(); ++i, ++taken) {
            const double dt = passes[way < 0 ? passes.size() - 1 - i : i].dt;
            if (seconds + 0.5 * dt >= 1.0)
                break;
            seconds += dt;
        }
        target = timeline.now() + way * std::max(taken, 1l);
    }
    seek(target);
}

void Application::beginEdits() {
    capturePresent(passStart_);  // into its kept storage
    editName_ = nullptr;
}

void Application::noteEdit(const char* name) {
    if (editName_ == nullptr)
        editName_ = name;
    presentStructure_.reset();
}

void Application::keepEdits(bool dragging) {
    const bool dragStarts = dragging && !dragEdit_;
    if (dragStarts) {
        dragEdit_.emplace();
        dragEdit_->name = "drag";
        dragEdit_->before = passStart_;
    }
    const bool dragEnds = !dragging && dragEdit_;
    keepAfterPass_ = editName_ != nullptr || dragging || dragEnds;
    markAfterPass_ = editName_ != nullptr || dragEnds;
    if (!keepAfterPass_)
        return;
    branchHere();
    Snapshot now = presentSnapshot();
    if (dragEnds) {
        dragEdit_->position = timeline.now();
        dragEdit_->after = now;
        undoStack.push(std::move(*dragEdit_));
        dragEdit_.reset();
    }
    if (editName_ != nullptr) {
        Edit* last = undoStack.lastMade();
        // A slider dragged over several passes is one edit.
        if (last != nullptr && last->name == "physics" && editName_ == std::string("physics") &&
            last->madeInPass == passTimes.passes - 1) {
            last->after = now;
            last->madeInPass = passTimes.passes;
            undoStack.recount();
        } else {
            Edit edit{editName_, timeline.now(), passTimes.passes, passStart_, now, {}, {}, {}, {}};
            if (editName_ == std::string("load")) {
                edit.sceneBefore = std::move(previousScene_);
                edit.sceneNameBefore = previousSceneName_;
                edit.sceneAfter = std::make_shared<const SceneDescription>(startingScene);
                edit.sceneNameAfter = sceneName;
            }
            undoStack.push(std::move(edit));
        }
    }
    fitHistoryInBudget();
}

void Application::keepPass(std::optional<float> dt, std::size_t count) {
    // A moment an edit or a drag made is kept after the pass it was made in: stepping again
    // from the keyframe before it never has to make the edit again.
    const bool keepNow = std::exchange(keepAfterPass_, false);
    const bool mark = std::exchange(markAfterPass_, false);
    if (!dt) {
        if (keepNow) {
            timeline.keep(presentSnapshot(), mark);
            fitHistoryInBudget();
        }
        return;
    }
    branchHere();
    timeline.addPass({*dt, static_cast<std::uint32_t>(count)});
    const long work = static_cast<long>(particles.size() + linkCount(particles)) *
                      std::max(1, stepper.lastSubSteps());
    const int interval = static_cast<int>(std::clamp(kRestepWork / std::max(1l, work), 1l,
                                                     static_cast<long>(kLongestKeyframeInterval)));
    if (keepNow || timeline.keyframeDue(interval))
        timeline.keep(presentSnapshot(), mark);
    fitHistoryInBudget();
}

void Application::fitHistoryInBudget() {
    // The oldest goes first, moments or edits, until the past fits its budget.
    while (timeline.bytes() + undoStack.bytes() > historyBudgetBytes) {
        const bool editIsOlder = !undoStack.empty() && undoStack.oldest() < timeline.first();
        if (editIsOlder || !timeline.dropOldest()) {
            if (undoStack.empty())
                break;
            undoStack.dropOldest();
        }
    }
}

}  // namespace velmora
