#pragma once

// Comparing the editor's table with the unit, without widgets: every
// parameter whose value differs (the same difference kqm52ctl diff prints),
// where the editor shows it, and the two ways to make them agree for the
// rows the user ticks: write the table's values to the unit ("wp" each, then
// "bp"), or take the unit's values into the table.  After either, each row
// says what became of it; a row is never called written unless the unit
// echoed its value.

#include "model/engines/TableTransfer.h"
#include "model/texts/TextKeys.h"
#include "model/values/ParamTables.h"
#include "model/values/ParameterDiff.h"
#include "ui/Dialogs.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace kqm52 {

class GroupTree;
class ProgramState;

struct CompareRow {
    enum class State { Differs, Written, Refused, NotWritten, Taken };
    ParameterDifference difference; // left: the unit, right: the table
    QString groupPath;
    bool ticked = true;
    State state = State::Differs;
    qint32 refusal = 0; // n of the unit's "er n"
    // Written and taken rows agree now: nothing left to do with them.
    bool settled() const { return state == State::Written || state == State::Taken; }
};

struct CompareParamHooks {
    // The send window on just these parameters of the values: how it went.
    std::function<SendReport(const ParamTables::Parameters&, const std::vector<int>&)> write;
    // The table changed: the editor refills its grid and the main window its lamp texts.
    std::function<void()> tableChanged;
};

// Values of the caller's to compare the unit with, and what the window calls
// them in the caller's words.
struct CompareWanted {
    ParamTables::Parameters values{};
    QString caption{};
    QString summary{}; // "%1" the number of rows
    QString valueHeader{}, optionHeader{};
};

class CompareParamLogic {
  public:
    static constexpr int Columns = 8;
    using Texts = TextIn<"CompareParam">;

    CompareParamLogic(ProgramState& state, Dialogs& dialogs, DialogOwner owner = {});

    CompareParamHooks hooks;

    // The unit's values as just received, against the editor's table now;
    // every row ticked.  `tree` gives each row its place in the editor.
    void compare(const ParamTables::Parameters& unit, const GroupTree& tree);
    // The same against values of the caller's (the unit's own with a few put
    // back, say): writing sends those, and nothing can be taken into the
    // editor's table, which is not part of it.
    void compare(const ParamTables::Parameters& unit, const CompareWanted& wanted,
                 const GroupTree& tree);
    // The values a write sends: the caller's, or else the editor's table.
    const ParamTables::Parameters& wanted() const;
    bool againstTable() const { return !wanted_; }
    const std::vector<CompareRow>& rows() const { return rows_; }

    // The cells of row r, in column order: group, number, name, unit value,
    // table value, unit option, table option, what became of it.
    std::array<QString, Columns> cells(int r) const;
    QString stateText(const CompareRow& row) const;

    // Settled rows cannot be ticked.
    void setTicked(int r, bool ticked);
    void toggle(int r) { setTicked(r, !isTicked(r)); }
    bool isTicked(int r) const;
    std::vector<int> tickedNumbers() const;

    // The line over the list: how many differ.  The line under it: what
    // writing the ticked ones sends.
    QString summaryText() const;
    QString requestText() const;
    // Requests the write would send: one "wp" per ticked row and the "bp".
    int requestCount() const;
    bool canAct() const { return !tickedNumbers().empty(); }
    bool canTake() const { return againstTable() && canAct(); }

    // Writes the ticked rows' table values to the unit through the send window.
    void CmdWriteClick();
    // Takes the unit's values of the ticked rows into the table.
    void CmdTakeClick();

  private:
    QString text(Texts key) const;
    // What the user reads after a write that did not do all it was asked.
    QString writeReport(const SendReport& report) const;

    ProgramState& state_;
    Dialogs& dialogs_;
    DialogOwner owner_;
    std::vector<CompareRow> rows_;
    void fill(const ParamTables::Parameters& unit, const GroupTree& tree);

    std::optional<CompareWanted> wanted_;
};

} // namespace kqm52
