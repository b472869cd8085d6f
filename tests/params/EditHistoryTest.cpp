// The undo history both editors keep of their table: steps only for real
// changes, the saved state, how far back it reaches.

#include "model/engines/EditHistory.h"
#include "model/values/ParamTables.h"

#include <gtest/gtest.h>

using namespace kqm52;

namespace {

using History = EditHistory<ParamTables::Setpoints, SetpointSource>;

History::State table(qint32 first, SetpointSource source = SetpointSource::Nothing,
                     bool flag = false) {
    History::State s;
    s.values[0] = first;
    s.source = source;
    s.modifiedFlag = flag;
    return s;
}

} // namespace

TEST(EditHistoryTest, UndoAndRedoWalkTheStatesWithTheirSource) {
    History h(table(0));
    EXPECT_FALSE(h.modified());
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.commit(table(0, SetpointSource::Nothing, true))); // same values: no step
    EXPECT_FALSE(h.canUndo());

    EXPECT_TRUE(h.commit(table(5, SetpointSource::File)));
    EXPECT_TRUE(h.commit(table(6, SetpointSource::File, true)));
    EXPECT_TRUE(h.modified());

    auto back = h.undo();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->values[0], 5);
    EXPECT_EQ(back->source, SetpointSource::File);
    EXPECT_FALSE(back->modifiedFlag);
    back = h.undo();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->values[0], 0);
    // The first state kept the flag the last same-values commit gave it.
    EXPECT_TRUE(back->modifiedFlag);
    EXPECT_EQ(back->source, SetpointSource::Nothing);
    EXPECT_FALSE(h.modified()); // back where the run began
    EXPECT_FALSE(h.undo());

    const auto forward = h.redo();
    ASSERT_TRUE(forward);
    EXPECT_EQ(forward->values[0], 5);
    EXPECT_EQ(h.redoSteps(), 1);
    // A new change after an undo: the state that could have been redone is gone.
    EXPECT_TRUE(h.commit(table(9)));
    EXPECT_FALSE(h.canRedo());
    EXPECT_EQ(h.undo()->values[0], 5);
}

TEST(EditHistoryTest, SavingMarksTheCurrentStateAndUndoLeavesIt) {
    History h(table(0));
    h.commit(table(1));
    h.markSaved();
    EXPECT_FALSE(h.modified());
    h.commit(table(2));
    EXPECT_TRUE(h.modified());
    h.undo();
    EXPECT_FALSE(h.modified()); // the saved table again
    h.undo();
    EXPECT_TRUE(h.modified()); // the run's start is not what the file holds
    h.redo();
    EXPECT_FALSE(h.modified());
    h.undo();
    // A new branch from before the save: the saved state can never come back.
    h.commit(table(7));
    h.undo();
    EXPECT_TRUE(h.modified());
}

TEST(EditHistoryTest, DismissedStateIsNotAskedAboutAgainUntilTheNextChange) {
    History h(table(0));
    h.commit(table(1));
    EXPECT_TRUE(h.needsQuestion());
    h.dismiss();
    EXPECT_FALSE(h.needsQuestion());
    EXPECT_TRUE(h.modified()); // the mark stays: it is still not in a file
    h.commit(table(2));
    EXPECT_TRUE(h.needsQuestion());
    h.undo();
    EXPECT_FALSE(h.needsQuestion());
}

// A table just opened or received is kept elsewhere: it shows as modified
// but is no work to ask about; an edit on it is.
TEST(EditHistoryTest, ATableFromAFileOrTheUnitIsNoWorkToAskAbout) {
    History h(table(0));
    History::State loaded = table(3, SetpointSource::File);
    loaded.kept = true;
    h.commit(loaded);
    EXPECT_TRUE(h.modified());
    EXPECT_FALSE(h.needsQuestion());
    h.commit(table(4, SetpointSource::File, true));
    EXPECT_TRUE(h.needsQuestion());
    h.undo();
    EXPECT_FALSE(h.needsQuestion());
    h.redo();
    // The same values opened from a file: now they are kept too.
    History::State again = table(4, SetpointSource::File);
    again.kept = true;
    EXPECT_FALSE(h.commit(again));
    EXPECT_FALSE(h.needsQuestion());
    // A later commit of the same values by an edit does not forget it.
    EXPECT_FALSE(h.commit(table(4, SetpointSource::File, true)));
    EXPECT_FALSE(h.needsQuestion());
}

TEST(EditHistoryTest, KeepsTheNewestStepsWhenItOverflows) {
    History h(table(0));
    h.markSaved();
    const int steps = History::MaxSteps + 50;
    for (int i = 1; i <= steps; ++i)
        ASSERT_TRUE(h.commit(table(i)));
    EXPECT_EQ(h.undoSteps(), History::MaxSteps);
    EXPECT_GE(History::MaxSteps, 100);
    int reached = steps;
    while (const auto s = h.undo())
        reached = s->values[0];
    EXPECT_EQ(reached, steps - History::MaxSteps);
    // The saved state fell away: no undo makes the table look saved.
    EXPECT_TRUE(h.modified());
    while (h.redo()) {
    }
    EXPECT_EQ(h.current().values[0], steps);
}
