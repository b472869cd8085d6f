#include "dialogs/FormOpties.h"

#include "ui/Dialogs.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kqm52 {

TFormOpties::TFormOpties(ProgramState& state, Dialogs& dialogs, std::function<void()> applyTexts,
                         QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), logic_(state, std::move(applyTexts)) {
    setObjectName(QStringLiteral("FormOpties"));
    setWindowTitle(QStringLiteral("Instellingem"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Algemeen"));
    GroepBox1 = new QGroupBox(TabSheet1);
    GroepBox1->setObjectName(QStringLiteral("GroepBox1"));
    ComboTaal = new QComboBox(GroepBox1);
    ComboTaal->setObjectName(QStringLiteral("ComboTaal"));
    ComboTaal->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    LabelTaal = new QLabel(QStringLiteral("Error"), GroepBox1);
    LabelTaal->setObjectName(QStringLiteral("LabelTaal"));
    LabelTaal->setBuddy(ComboTaal);
    auto* row = new QHBoxLayout(GroepBox1);
    row->addWidget(LabelTaal);
    row->addWidget(ComboTaal, 1);
    auto* page = new QVBoxLayout(TabSheet1);
    page->addWidget(GroepBox1);
    page->addStretch(1);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(CmdOK, &QPushButton::clicked, this, &TFormOpties::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormOpties::CmdCancelClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
    resize(320, 170);
}

void TFormOpties::FormActivate() {
    const LanguageChoice::View v = logic_.FormActivate();
    setWindowTitle(v.caption);
    PageControl1->setTabText(PageControl1->indexOf(TabSheet1), v.tabCaption);
    LabelTaal->setText(v.label);
    CmdOK->setText(v.ok);
    CmdCancel->setText(v.cancel);
    ComboTaal->clear();
    ComboTaal->addItems(v.items);
    ComboTaal->setCurrentIndex(v.selected);
}

void TFormOpties::CmdOKClick() {
    const LanguageChoice::Outcome outcome = logic_.CmdOKClick(ComboTaal->currentIndex());
    if (outcome.accepted) {
        accept();
        return;
    }
    // The window stays, showing the language still in force, so the user
    // can pick another or cancel.
    dialogs_.error(this, outcome.caption, outcome.problem);
    ComboTaal->setCurrentIndex(outcome.selected);
}

void TFormOpties::CmdCancelClick() {
    reject();
}

void TFormOpties::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

} // namespace kqm52
