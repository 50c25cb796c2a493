#include "document/EditHistory.h"

#include <utility>

namespace jf {

std::string EditHistory::undoText() const {
    return canUndo() ? steps_[index_ - 1].text : std::string();
}

std::string EditHistory::redoText() const {
    return canRedo() ? steps_[index_].text : std::string();
}

void EditHistory::push(EditStep step) {
    if (mergeOpen_ && !step.mergeKey.empty() && index_ == steps_.size() && index_ > 0 &&
        cleanIndex_ != index_ && steps_[index_ - 1].mergeKey == step.mergeKey) {
        EditStep& last = steps_[index_ - 1];
        // A merged step keeps the first before-state; its after-state must
        // cover everything either edit reached.
        last.after = std::move(step.after);
        if (last.after == last.before) {
            // Typed back to where the step began: nothing is left to undo.
            steps_.pop_back();
            --index_;
            mergeOpen_ = false;
        }
        notify();
        return;
    }
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index_), steps_.end());
    if (cleanIndex_ != kNoCleanIndex && cleanIndex_ > index_) {
        cleanIndex_ = kNoCleanIndex;
    }
    steps_.push_back(std::move(step));
    ++index_;
    mergeOpen_ = true;
    notify();
}

const EditStep* EditHistory::undo() {
    if (!canUndo()) {
        return nullptr;
    }
    --index_;
    mergeOpen_ = false;
    notify();
    return &steps_[index_];
}

const EditStep* EditHistory::redo() {
    if (!canRedo()) {
        return nullptr;
    }
    ++index_;
    mergeOpen_ = false;
    notify();
    return &steps_[index_ - 1];
}

void EditHistory::setClean() {
    cleanIndex_ = index_;
    mergeOpen_ = false;
    notify();
}

void EditHistory::clear() {
    steps_.clear();
    index_ = 0;
    cleanIndex_ = 0;
    mergeOpen_ = false;
    notify();
}

void EditHistory::notify() {
    if (observer_) {
        observer_();
    }
}

}  // namespace jf
