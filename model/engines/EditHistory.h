#pragma once

// The undo history of one table (the parameters or the setpoints): every
// state the table had after an edit, a load or a receive, and which of them
// is on disk.
//
// An editor commits the table after each of its actions; a commit whose
// values equal the current state is no step (it only takes over where the
// values came from), so an action that changed nothing leaves nothing to
// undo.  A state carries its source and modified flag with it: undoing the
// first load of a run gives back a table that came from nowhere, and sending
// it asks first again.
//
// The oldest steps fall away beyond MaxSteps.  Saving marks the current state
// as the one on disk; the table is modified whenever another state is
// current, also when the saved one has fallen away.  Only work that exists
// nowhere else (not a table just opened or received) is worth a question
// before it is replaced.

#include <cstddef>
#include <deque>
#include <optional>

namespace kqm52 {

template <typename Values, typename Source> class EditHistory {
  public:
    static constexpr int MaxSteps = 200;

    struct State {
        Values values{};
        Source source{};
        bool modifiedFlag = false;
        // The table as it stands is kept elsewhere too: it came from a file
        // or from the unit.  Leaving it loses no work.
        bool kept = false;
    };

    explicit EditHistory(const State& initial = State{}) { states_.push_back(initial); }

    const State& current() const { return states_[index_]; }

    // True when the table changed and a step was added.  A step after an undo
    // drops the steps that could have been redone.
    bool commit(const State& now) {
        if (now.values == current().values) {
            states_[index_].source = now.source;
            states_[index_].modifiedFlag = now.modifiedFlag;
            // A load of the same values: they are in that file as well.
            if (now.kept) states_[index_].kept = true;
            return false;
        }
        states_.erase(states_.begin() + std::ptrdiff_t(index_) + 1, states_.end());
        forgetAfter(saved_);
        forgetAfter(dismissed_);
        states_.push_back(now);
        ++index_;
        while (int(states_.size()) > MaxSteps + 1) {
            states_.pop_front();
            --index_;
            shiftDown(saved_);
            shiftDown(dismissed_);
        }
        return true;
    }

    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ + 1 < states_.size(); }
    // The state to put back, or nothing when there is none.
    std::optional<State> undo() {
        if (!canUndo()) return std::nullopt;
        return states_[--index_];
    }
    std::optional<State> redo() {
        if (!canRedo()) return std::nullopt;
        return states_[++index_];
    }
    int undoSteps() const { return int(index_); }
    int redoSteps() const { return int(states_.size() - index_ - 1); }

    // The current state is the one in the file just written.
    void markSaved() {
        saved_ = index_;
        dismissed_.reset();
    }
    // The state the run began with counts as saved: nothing of the user's is
    // in it.
    bool modified() const { return saved_ != index_; }

    // Before the table is replaced or left: work that is in no file, no unit,
    // and that the user has not chosen to let go.
    void dismiss() { dismissed_ = index_; }
    bool needsQuestion() const { return modified() && !current().kept && dismissed_ != index_; }

  private:
    // A mark on a state that is gone can never be current again.
    void forgetAfter(std::optional<std::size_t>& mark) const {
        if (mark && *mark > index_) mark.reset();
    }
    static void shiftDown(std::optional<std::size_t>& mark) {
        if (!mark) return;
        if (*mark == 0)
            mark.reset();
        else
            --*mark;
    }

    std::deque<State> states_;
    std::size_t index_ = 0;
    std::optional<std::size_t> saved_{0};
    std::optional<std::size_t> dismissed_;
};

} // namespace kqm52
