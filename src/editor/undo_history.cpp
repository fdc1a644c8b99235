#include "editor/undo_history.h"

#include <new>

namespace dm {

namespace {

bool SameCells(const tilemap& a, const tilemap& b) {
    return a.tmapw == b.tmapw && a.tmaph == b.tmaph && a.tmap == b.tmap;
}

} // namespace

size_t UndoHistory::Bytes() const {
    return stepBytes_ + ImageBytes();
}

size_t UndoHistory::ImageBytes() const {
    return noted_ ? sizeof(tilemap) + noted_->tmap.capacity() : 0;
}

void UndoHistory::Note(const tilemap& image) {
    if (!noted_) {
        try {
            noted_ = image.Copy();
            ranOut_ = false;
        } catch (const std::bad_alloc&) {
            if (!ranOut_) {
                ranOut_ = true;
                throw;
            }
        }
        return;
    }
    if (SameCells(*noted_, image)) {
        return;
    }
    try {
        CellChanges step = CellChanges::Between(*noted_, image);
        if (noted_->tmap.size() == image.tmap.size()) {
            noted_->tmap = image.tmap; // the same size: no allocation
            noted_->tmapw = image.tmapw;
            noted_->tmaph = image.tmaph;
        } else {
            noted_ = image.Copy();
        }
        Push(std::move(step));
    } catch (const std::bad_alloc&) {
        Forget(image);
        throw;
    }
}

void UndoHistory::Push(CellChanges step) {
    while (steps_.size() > done_) {
        stepBytes_ -= steps_.back().Bytes();
        steps_.pop_back();
    }
    stepBytes_ += step.Bytes();
    steps_.push_back(std::move(step));
    ++done_;
    while (!steps_.empty() && (stepBytes_ + ImageBytes() > budget_ || steps_.size() > mostSteps_)) {
        stepBytes_ -= steps_.front().Bytes();
        steps_.pop_front();
        --done_;
    }
}

void UndoHistory::Forget(const tilemap& image) {
    steps_.clear();
    done_ = 0;
    stepBytes_ = 0;
    ranOut_ = true;
    if (noted_ && noted_->tmap.size() == image.tmap.size()) {
        noted_->tmap = image.tmap;
        noted_->tmapw = image.tmapw;
        noted_->tmaph = image.tmaph;
    } else {
        noted_.reset();
    }
}

bool UndoHistory::Undo(std::shared_ptr<tilemap>& image) {
    Note(*image);
    if (done_ == 0) {
        return false;
    }
    const CellChanges& step = steps_[done_ - 1];
    std::shared_ptr<tilemap> noted = noted_;
    step.Undo(noted);
    step.Undo(image);
    noted_ = std::move(noted);
    --done_;
    return true;
}

bool UndoHistory::Redo(std::shared_ptr<tilemap>& image) {
    Note(*image);
    if (done_ == steps_.size()) {
        return false;
    }
    const CellChanges& step = steps_[done_];
    std::shared_ptr<tilemap> noted = noted_;
    step.Redo(noted);
    step.Redo(image);
    noted_ = std::move(noted);
    ++done_;
    return true;
}

} // namespace dm
