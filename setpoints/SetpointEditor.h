#pragma once

// The setpoint editor without its widgets: what each cell of the two-by-24
// grid shows, what a typed key and Enter and Escape do to a cell, and the
// menu actions: open and save a setpoint file, receive and send through the
// transfer windows, print.
//
// It edits the program-wide setpoint table in place and keeps its markers:
// an edit that changes a value sets the modified flag; receiving or opening
// a file replaces the table, records where it came from and clears the flag.
// Values show and are typed with the decimals parameter 203 holds.

#include "model/engines/EditHistory.h"
#include "model/engines/TableTransfer.h"
#include "model/files/TableFile.h"
#include "model/values/LimitCheck.h"
#include "model/values/ParamTables.h"
#include "ui/Dialogs.h"

#include <QChar>
#include <QString>

#include <optional>

namespace kqm52 {

class ProgramState;
class TZRComm;

// What the editor asks of its window and of the windows it opens.  Boxes
// and file dialogs it asks itself, owned by the window it is given.
class SetpointEditorView {
  public:
    virtual ~SetpointEditorView() = default;
    // Rebuild the grid from the table (InitSollwertStringgrid).
    virtual void refillGrid() = 0;
    // The message line under the grid (Panel1).
    virtual void showMessage(const QString& text) = 0;
    // The receive window in its setpoints-only mode, shown modally: the 48
    // setpoints it read when it closed with OK, nothing otherwise.
    virtual std::optional<ParamTables::Setpoints> receiveSetpoints() = 0;
    // The send window in its setpoints-only mode, shown modally, with these
    // values: how far it got.
    virtual SendReport sendSetpoints(const ParamTables::Setpoints& values) = 0;
    // The setpoint print window, shown modally.
    virtual void printSetpoints() = 0;
    // The same window, its OK showing the print preview; a view without a
    // print window has none to show.
    virtual void previewSetpoints() {}
    // The unit selected in the main window, for the file header.
    virtual int unitNumber() const = 0;
    // Puts the cursor on the value cell of setpoint n (1..48).
    virtual void selectSetpoint(int n) = 0;
};

class SetpointEditor {
  public:
    static constexpr int Rows = 24;   // data rows, under the header row
    static constexpr int Columns = 5; // number, value, spacer, number, value
    // What may be typed, and what the unit is sent without a question.
    static constexpr qint32 Minimum = LimitCheck::SetpointMinimum;
    static constexpr qint32 Maximum = LimitCheck::SetpointMaximum;

    SetpointEditor(ProgramState& state, const TZRComm& port, SetpointEditorView& view,
                   Dialogs& dialogs, DialogOwner owner = {});

    // The decimals parameter 203 asks for; a value no display could use
    // (below 0, absurdly many) counts as none, as the values then show.
    int decimals() const;

    // The setpoint a value cell edits: row r (1..24) of column 1 is setpoint
    // r, of column 4 setpoint r + 24; 0 for every other cell.
    static int setpointOf(int column, int row);
    static bool selectable(int column) { return column == 1 || column == 4; }
    // Cell texts of the data rows 1..24 and of the header row.
    QString cellText(int column, int row) const;
    QString headerText(int column) const;
    QString invalidInputMessage() const;
    // Receive and send need an open port.
    bool transfersEnabled() const;

    // A character typed into a cell holding `text` (without what the key
    // replaces): the character to insert, or nothing when it is dropped.
    std::optional<QChar> StringGrid1KeyPress(QChar key, const QString& text) const;

    struct Entry {
        bool accepted = false;
        QString cellText;      // what the cell shows afterwards
        bool moveDown = false; // go on editing the next row
    };
    // Enter in a value cell: `typed` is the cell's text now, `oldText` what
    // it showed when it was selected.
    Entry enter(int column, int row, const QString& typed, const QString& oldText);
    // Escape: the cell's stored value again, and the message line cleared.
    QString escape(int column, int row);

    enum class Background { ButtonFace, Grid, NumberColumn, Highlight };
    struct CellLook {
        Background background = Background::Grid;
        bool whiteText = false;
        friend bool operator==(const CellLook&, const CellLook&) = default;
    };
    // Row 0 is the header row.
    static CellLook drawCell(int column, int row, bool selected, bool gridFocused);

    // The menu.
    void Openen1Click();
    void Opslaanals1Click();
    void AfdrukkenClick();
    void AfdrukvoorbeeldClick();
    void Sollwertenontvangen1Click();
    void Sollwertenzenden1Click();

    // Each showing: what changed while the window was closed becomes a step.
    void activate() { commitTable(); }
    // True when the window may close.
    bool FormClose();

    // The table differs from the one last saved (or, before any save, from
    // the one the run began with).
    bool modified() const { return history_.modified(); }
    // Undo and redo of entries, loads and receives, a whole action at a time.
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    void OngedaanMakenClick();
    void OpnieuwClick();
    // The files opened and saved last, newest first; opening one asks about
    // unsaved work as Open does.  A file that is gone is said so and dropped.
    const QStringList& recentFiles() const;
    void openRecent(const QString& path);

    // The file without its dialog: the problem when the file was refused
    // (the table then unchanged), nothing when it was loaded.
    std::optional<FileProblem> openFile(const QString& path);
    // Empty on success, else the reason.
    QString saveFile(const QString& path);

  private:
    using History = EditHistory<ParamTables::Setpoints, SetpointSource>;

    History::State tableState() const;
    // kept: the table just came from a file or the unit.
    void commitTable(bool kept = false);
    void putBack(const History::State& state);
    // Before the table is replaced or the window closes over unsaved work:
    // Save, Discard or Cancel.  True when the caller may go on.
    bool askToKeepWork();
    bool saveAs();
    void loadFile(const QString& path);
    QString formatted(qint32 value) const;
    // The question before sending or printing values that came from nowhere.
    bool confirmUnloaded(bool print);
    // Values outside the setpoint range: listed, sent only when the user says so.
    bool confirmOutOfLimits();
    // After the unit refused a write: names the refused setpoint and offers to go to it.
    void offerRefused(const SendReport& report);

    ProgramState& state_;
    const TZRComm& port_;
    SetpointEditorView& view_;
    Dialogs& dialogs_;
    DialogOwner owner_;
    History history_;
};

} // namespace kqm52
