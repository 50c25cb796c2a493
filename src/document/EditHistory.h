#pragma once
// The undo history of one document: a list of steps, a current index and a
// clean mark.
//
// Steps 0..index()-1 are applied; index()..count()-1 were undone and can be
// redone. The data is "unsaved" exactly when index() differs from the clean
// mark: File Save sets the mark (setClean), File Reload and a failed or
// cancelled load clear the whole history (clear). Pushing a step drops the
// steps that could have been redone; when the mark was among them, no index
// is clean any more until the next save.
//
// Typing merges: a step pushed with the same non-empty merge key as the
// step before it (same field, track, level and language) replaces that
// step's after-state instead of adding a step, as long as nothing was
// undone, saved or otherwise pushed in between.
//
// The history only stores snapshots; Document applies them. Not
// thread-safe.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "document/DocumentSnapshot.h"

namespace jf {

// Where a step happened, so that a view can show it after undo or redo.
struct EditPlace {
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t position = kNone;  // track position, or kNone
    std::size_t level = kNone;     // job level, or kNone
    int language = -1;             // language slot, or -1
    bool operator==(const EditPlace&) const = default;
};

struct EditStep {
    std::string text;  // "Change Salary", "Import Career", ...
    EditPlace place;
    // Steps with the same non-empty key merge while typing.
    std::string mergeKey;
    DocumentSnapshot before;
    DocumentSnapshot after;
};

class EditHistory {
public:
    static constexpr std::size_t kNoCleanIndex = static_cast<std::size_t>(-1);

    std::size_t count() const { return steps_.size(); }
    std::size_t index() const { return index_; }
    std::size_t cleanIndex() const { return cleanIndex_; }
    bool isClean() const { return index_ == cleanIndex_; }
    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < steps_.size(); }
    // The text of the step Undo (Redo) would take back (apply again); "" when
    // there is none.
    std::string undoText() const;
    std::string redoText() const;
    const EditStep& step(std::size_t i) const { return steps_[i]; }

    // Adds a step after the current index (or merges it, see above).
    void push(EditStep step);
    // Moves the index one step back (forward) and returns the step whose
    // `before` (`after`) snapshot the caller must restore; nullptr when there
    // is nothing to undo (redo).
    const EditStep* undo();
    const EditStep* redo();
    // The current index becomes the saved state.
    void setClean();
    // Forgets every step; the empty history is clean.
    void clear();

    // Called after every change of the index, the count or the clean mark.
    void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

private:
    void notify();

    std::vector<EditStep> steps_;
    std::size_t index_ = 0;
    std::size_t cleanIndex_ = 0;
    // Whether the last action was a push that a following push may merge with.
    bool mergeOpen_ = false;
    std::function<void()> observer_;
};

}  // namespace jf
