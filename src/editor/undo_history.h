#pragma once

#include "editor/cell_changes.h"
#include "model/tilemap.h"

#include <cstddef>
#include <deque>
#include <memory>

namespace dm {

// The steps of a canvas's image, to go back and forth over. The history watches the image rather
// than being told of edits: each note of it turns whatever changed since the last note into one
// step, so every way of changing the image is a step the history can take back.
class UndoHistory {
  public:
    // What a history may hold: 64 MiB with its own copy of the image, at most 1000 steps; when a
    // new step would go beyond either, the oldest steps go.
    static constexpr size_t kBudgetBytes = size_t{64} << 20;
    static constexpr size_t kMostSteps = 1000;

    explicit UndoHistory(size_t budgetBytes = kBudgetBytes, size_t mostSteps = kMostSteps)
        : budget_(budgetBytes), mostSteps_(mostSteps) {}

    // Takes note of the image: what changed since the last note becomes a step, and the steps
    // undone before it can no longer be redone. The first note only learns the image. When memory
    // runs out the history is forgotten and starts again from the image, and std::bad_alloc is
    // thrown; once more only when it ran out again after the history had started again.
    void Note(const tilemap& image);

    // Notes the image, then takes it back over the last step, or forward over the last one taken
    // back; the image becomes a new map when the step changed its size. False, with the image
    // unchanged, when there is no such step.
    bool Undo(std::shared_ptr<tilemap>& image);
    bool Redo(std::shared_ptr<tilemap>& image);

    size_t UndoCount() const { return done_; }
    size_t RedoCount() const { return steps_.size() - done_; }

    // The memory the history holds: its steps and its copy of the image.
    size_t Bytes() const;

  private:
    void Push(CellChanges step);
    size_t ImageBytes() const;
    void Forget(const tilemap& image);

    std::deque<CellChanges> steps_; // oldest first
    size_t done_ = 0;               // steps_[0, done_) can be undone, the rest redone
    size_t stepBytes_ = 0;
    std::shared_ptr<tilemap> noted_; // the image as last noted
    bool ranOut_ = false;            // memory ran out, and the history has not started again
    size_t budget_;
    size_t mostSteps_;
};

} // namespace dm
