#pragma once

// The parameter editor without its widgets: the group tree and the grid of
// the selected group, the status texts of the selected row, and every
// whole-table operation (defaults, open, save, receive, send, clear) with its
// questions and messages.  The window shows what this says and forwards its
// handlers; the other windows the editor opens are reached through hooks
// that the program sets, so each can be missing (its item is then disabled).

#include "model/engines/EditHistory.h"
#include "model/engines/TableTransfer.h"
#include "model/texts/TextKeys.h"
#include "model/values/GroupTree.h"
#include "model/values/ParamTables.h"
#include "model/values/ParameterSearch.h"
#include "ui/Dialogs.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace kqm52 {

class ProgramState;

// What the editor asks of its window.  Boxes and file dialogs it asks
// itself, owned by the window it is given.
class EditParamView {
  public:
    virtual ~EditParamView() = default;
    virtual void setCaption(const QString& caption) = 0;
    // The logic moved the selection (selectedNode(), selectedRow()): the tree
    // and the grid follow it.
    virtual void followSelection() {}
    // The comparison window on the unit's values just received; it returns
    // when the user closes it.
    virtual void showComparison(const ParamTables::Parameters& unit) { (void)unit; }
};

// The editor's ways to the main window and to the windows it opens.  An
// empty hook means that part is not there.
struct EditParamHooks {
    std::function<bool()> portOpen;
    std::function<int()> unitNumber; // of the main window's unit selection
    // The main window relabels its input and output lamps.
    std::function<void()> refreshFunctionTexts;
    // The receive window in mode 0: the 400 values when it closed with OK.
    std::function<std::optional<ParamTables::Parameters>()> receiveParameters;
    // The send window in mode 0 with these values: how far it got.
    std::function<SendReport(const ParamTables::Parameters&)> sendParameters;
    // The send window in mode 0 writing only these parameters of the values.
    std::function<SendReport(const ParamTables::Parameters&, const std::vector<int>&)>
        writeParameters;
    std::function<void()> editParameter; // the service window, on the selected record
    std::function<void()> loader;
    std::function<void()> print;
    std::function<void()> printPreview; // the print window, OK showing the preview
    std::function<void()> showCams;
};

class EditParamLogic {
  public:
    static constexpr int Rows = 18; // data rows 1 … 18
    static constexpr int Columns = 5;
    static constexpr int CloseQuestionWidth = 42;
    using Row = std::array<QString, Columns>;

    EditParamLogic(ProgramState& state, EditParamView& view, Dialogs& dialogs,
                   DialogOwner owner = {});

    EditParamHooks hooks;

    // Activation: empty grid, the tree of the language, the root selected,
    // the sent-but-not-loaded flag cleared.
    void FormActivate();
    const GroupTree& tree() const { return tree_; }
    // Why the tree file could not be read (empty when it could).
    const QString& treeProblem() const { return treeProblem_; }

    // TreeView1Change: a node of tree() by index, -1 for none.
    void selectNode(int node);
    int selectedNode() const { return node_; }
    void InitParameterStringgrid();
    void ClearStringGrid();

    int menuNumber() const { return menu_; }
    int submenuNumber() const { return submenu_; }
    int groupNumber() const { return menu_ * 100 + submenu_; }
    bool clearVisible() const { return menu_ == 9; }
    // Row r (1 … 18) of the grid.
    const Row& row(int r) const { return rows_.at(std::size_t(r - 1)); }
    int lastFilledRow() const { return lastFilledRow_; }

    // StringGrid1SelectCell: fills the selected-parameter record and the
    // status texts.  StringGrid1Exit clears the texts.
    void StringGrid1SelectCell(int r);
    void StringGrid1Exit();
    int selectedRow() const { return selectedRow_; }
    struct Status {
        QString minimum, maximum, def;
        friend bool operator==(const Status&, const Status&) = default;
    };
    const Status& status() const { return status_; }
    // Double-click or Enter: the service window for a filled row.
    void editRow(int r);

    // The menu.
    void OpenenClick();
    void OpslaanAlsClick();
    void LaadDefaultparametersClick();
    void AfdrukkenClick();
    void ParametersOntvangenClick();
    void ParametersZendenClick();
    void ParametersLadenenovernemen1Click();
    // Compare with the unit: receives its values and lists what differs, or
    // says there is no difference.
    void VergelijkMetApparaatClick();
    // A window the editor opened changed single values of the table.
    void valuesEdited();
    void Viewnokken1Click();
    void CmdClearClick();
    void AfdrukvoorbeeldClick();
    // True when the window may close.
    bool FormClose();

    // The table as it stands differs from the one last saved (or, before
    // any save, from the one the run began with).
    bool modified() const { return history_.modified(); }
    // Undo and redo of edits, loads and receives, a whole action at a time.
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    void OngedaanMakenClick();
    void OpnieuwClick();
    // The files opened and saved last, newest first; opening one asks about
    // unsaved work as Open does.  A file that is gone is said so and dropped.
    const QStringList& recentFiles() const;
    void openRecent(const QString& path);

    // Receive, send and loader need the port open when the window opened.
    bool transferItemsEnabled() const { return transferEnabled_; }

    // Ctrl+F: hits in the current language, and the jump to one of them.
    std::vector<ParameterHit> find(const QString& query) const;
    void jumpTo(const ParameterHit& hit);

    // Text wrapped at `width` columns, breaking after blanks, tabs, "-" and
    // ".", lines joined by CR LF.
    static QString wrapText(const QString& text, int width);

  private:
    using History = EditHistory<ParamTables::Parameters, ParameterSource>;

    QString text(TextIn<"EditParam"> key) const;
    History::State tableState() const;
    // After every action: a change of the table becomes an undo step.
    // kept: the table just came from a file or the unit.
    void commitTable(bool kept = false);
    void putBack(const History::State& state);
    // Before the table is replaced or the window closes over unsaved work:
    // Save, Discard or Cancel.  True when the caller may go on.
    bool askToKeepWork();
    // The save dialog and the file; true when written.
    bool saveAs();
    void loadFile(const QString& path);
    QString fileFilter() const;
    void wholeTableChanged(bool kept = false);
    bool askBeforeUnloadedValues(TextId caption, std::span<const TextId> lines);
    // Values outside their limits: listed, and sent only when the user says so.
    bool askBeforeOutOfLimits(const ParamTables::Parameters& values);
    // After the unit refused a write: names the refused value and offers to open it.
    void offerRefused(const SendReport& report);
    // Selects parameter p in its group and opens the service window on it.
    void openParameter(int p);

    ProgramState& state_;
    EditParamView& view_;
    Dialogs& dialogs_;
    DialogOwner owner_;
    GroupTree tree_;
    QString treeProblem_;
    int node_ = -1;
    int menu_ = 0;
    int submenu_ = 0;
    int lastFilledRow_ = 0;
    int selectedRow_ = 0;
    std::array<Row, Rows> rows_{};
    Status status_;
    bool transferEnabled_ = false;
    History history_;
};

} // namespace kqm52
