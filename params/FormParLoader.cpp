#include "params/FormParLoader.h"

#include "model/engines/ProgramState.h"
#include "ui/ApplyTexts.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace kqm52 {

TFormParLoader::TFormParLoader(ProgramState& state, TZRComm& port, QWidget* parent)
    : QDialog(parent), state_(state), logic_(state, port) {
    setObjectName(QStringLiteral("FormParLoader"));
    setWindowTitle(QStringLiteral("Loader"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(329, 121);

    Panel1 = new FittedLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 313, 65);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setWordWrap(true);
    QFont big = font();
    big.setPixelSize(15);
    big.setBold(true);
    Panel1->setFont(big);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setGeometry(127, 84, 75, 25);
    CmdOK->setDefault(true);
    connect(CmdOK, &QPushButton::clicked, this, &TFormParLoader::CmdOKClick);

    logic_.onChanged = [this] { showPanel(); };
}

TFormParLoader::~TFormParLoader() {
    logic_.onChanged = nullptr;
}

void TFormParLoader::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TFormParLoader::FormActivate() {
    applyTexts(*this, state_.language, u"Loader");
    logic_.FormActivate();
    CmdOK->setFocus();
}

void TFormParLoader::showPanel() {
    Panel1->setText(logic_.panelText());
    QPalette p = Panel1->palette();
    p.setColor(QPalette::WindowText,
               logic_.panelRed() ? QColor(Qt::red)
                                 : QApplication::palette(Panel1).color(QPalette::WindowText));
    Panel1->setPalette(p);
}

void TFormParLoader::CmdOKClick() {
    accept();
}

} // namespace kqm52
