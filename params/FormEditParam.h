#pragma once

// TFormEditParam: the parameter editor.  The group tree on the left, the 18
// rows of the selected group on the right, min, max and default of the
// selected row in the status bar, and the menu of whole-table operations.
// Ctrl+F finds a parameter by number or name.  The rules live in
// EditParamLogic; the windows it opens are reached through its hooks.

#include "params/EditParamLogic.h"

#include "model/texts/TextKeys.h"

#include <QDialog>

#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QShowEvent;
class QStatusBar;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace kqm52 {

class Dialogs;

class TFormEditParam : public QDialog, private EditParamView {
    Q_OBJECT
  public:
    static constexpr int StatusPanelCount = 7;

    TFormEditParam(ProgramState& state, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TFormEditParam() override;

    // Set by the program before the window is first shown.
    EditParamHooks& hooks() { return logic_.hooks; }
    EditParamLogic& logic() { return logic_; }

    void FormActivate();
    void TreeView1Change();
    void StringGrid1SelectCell(int row);
    void StringGrid1DblClick();
    void StringGrid1Exit();
    void CmdClearClick();
    void OpenenClick();
    void OpslaanAlsClick();
    void LaadDefaultparametersClick();
    void AfdrukkenClick();
    void AfsluitenClick();
    void ParametersOntvangenClick();
    void ParametersZendenClick();
    void ParametersLadenenovernemen1Click();
    void VergelijkMetApparaatClick();
    void Viewnokken1Click();
    void AfdrukvoorbeeldClick();
    void OngedaanMakenClick();
    void OpnieuwClick();
    void openRecent(const QString& path);
    // The search: Ctrl+F opens it over the tree, Escape closes it.
    void Zoeken1Click();
    void EditZoekenChange();
    void ZoekenKies();
    void closeSearch();

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    void buildMenus();
    void applyLanguage();
    void fillTree();
    void showGrid();
    void showStatus();
    void updateItems();
    // The modified mark and what can be undone follow the table.
    void showModified();
    QString text(TextIn<"EditParam"> key) const;

    void setCaption(const QString& caption) override;
    void followSelection() override;
    void showComparison(const ParamTables::Parameters& unit) override;

    ProgramState& state_;
    Dialogs& dialogs_;
    EditParamLogic logic_;
    std::vector<ParameterHit> hits_;
    bool filling_ = false; // controls set from the logic fire no handlers

    QMenuBar* ParamMenu1 = nullptr;
    QMenu* Bestand = nullptr;
    QAction* Openen = nullptr;
    QAction* OpslaanAls = nullptr;
    QAction* LaadDefaultparameters = nullptr;
    QMenu* RecenteBestanden = nullptr;
    QAction* Afdrukvoorbeeld = nullptr;
    QAction* Afdrukken = nullptr;
    QMenu* Bewerken = nullptr;
    QAction* OngedaanMaken = nullptr;
    QAction* Opnieuw = nullptr;
    QAction* Afsluiten = nullptr;
    QMenu* ZendenOntvangen = nullptr;
    QAction* ParametersOntvangen = nullptr;
    QAction* ParametersZenden = nullptr;
    QAction* ParametersLadenenovernemen1 = nullptr;
    QAction* VergelijkMetApparaat = nullptr;
    QMenu* Venster1 = nullptr;
    QAction* Viewnokken1 = nullptr;
    QAction* Zoeken1 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QPushButton* CmdClear = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, StatusPanelCount> statusPanels_{};
    QWidget* PanelZoeken = nullptr;
    QLineEdit* EditZoeken = nullptr;
    QListWidget* ListZoeken = nullptr;
    QLabel* LabelZoeken = nullptr;
};

} // namespace kqm52
