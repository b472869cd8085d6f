#include "params/TransferWindow.h"

#include "link/ZRComm.h"
#include "model/texts/LanguageTexts.h"
#include "ui/ApplyTexts.h"

#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kqm52 {

TransferWindow::TransferWindow(TZRComm& port, const LanguageTexts& language,
                               TableTransfer::Direction direction, const Texts& texts,
                               QWidget* parent)
    : QDialog(parent), language_(language), texts_(texts), transfer_(port, direction, language) {
    buildWindow();
    transfer_.onViewChanged = [this](const TransferView& v) { showView(v); };
    transfer_.onClosed = [this](TableTransfer::Result r) { done(int(r)); };
    connect(&port, &TZRComm::fastFramingSuspendedChanged, this,
            [this](bool suspended) { showFastFramingSuspended(suspended); });
    showFastFramingSuspended(port.fastFramingSuspended());
}

TransferWindow::~TransferWindow() = default;

void TransferWindow::buildWindow() {
    // Fixed border and no title-bar buttons: the transfer ends through its
    // own buttons only, so a reply is never left on the line unread.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Panel1 = new FittedLabel(GroupBox1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setMinimumSize(300, 28);
    // The window grows with a longer message up to here; beyond, the message
    // is cut and whole in its tooltip, rather than the window running off.
    Panel1->setMaximumWidth(440);
    QFont bold = Panel1->font();
    bold.setBold(true);
    Panel1->setFont(bold);
    ProgressBar1 = new QProgressBar(GroupBox1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setMinimum(0);
    ProgressBar1->setTextVisible(false);
    LabelStopNote = new QLabel(GroupBox1);
    LabelStopNote->setObjectName(QStringLiteral("LabelStopNote"));
    LabelStopNote->setWordWrap(true);
    LabelStopNote->setMaximumWidth(Panel1->minimumWidth());
    LabelStopNote->setVisible(false);
    LabelFastFramingOff = new QLabel(GroupBox1);
    LabelFastFramingOff->setObjectName(QStringLiteral("LabelFastFramingOff"));
    LabelFastFramingOff->setVisible(false);
    auto* inner = new QVBoxLayout(GroupBox1);
    inner->addWidget(Panel1);
    inner->addWidget(ProgressBar1);
    inner->addWidget(LabelStopNote);
    inner->addWidget(LabelFastFramingOff);

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    CmdOK = button("CmdOK", QStringLiteral("OK"));
    CmdAgain = button("CmdAgain", QStringLiteral("Again"));
    CmdCancel = button("CmdCancel", QStringLiteral("Cancel"));
    connect(CmdOK, &QPushButton::clicked, this, [this] { CmdOKClick(); });
    connect(CmdAgain, &QPushButton::clicked, this, [this] { CmdAgainClick(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancelClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdAgain);
    buttons->addWidget(CmdCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(GroupBox1);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);
}

void TransferWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only when the program shows the window, not when the window system
    // hands it back after another window covered it.
    if (!event->spontaneous()) FormActivate();
}

void TransferWindow::closeEvent(QCloseEvent* event) {
    // A window manager may offer to close it anyway: that is a Cancel press.
    event->ignore();
    CmdCancelClick();
}

void TransferWindow::reject() {
    CmdCancelClick();
}

void TransferWindow::FormActivate() {
    // Without a language file the caption still says what the window does.
    if (const auto caption = std::size_t(mode()); caption < texts_.captions.size())
        setWindowTitle(language_.text(texts_.captions[caption]));
    applyTexts(*this, language_, QLatin1String(texts_.section));
    StartCommunicatie();
}

void TransferWindow::StartCommunicatie() {
    transfer_.start();
}

void TransferWindow::CmdOKClick() {
    transfer_.ok();
}

void TransferWindow::CmdAgainClick() {
    transfer_.again();
}

void TransferWindow::CmdCancelClick() {
    transfer_.cancel();
}

void TransferWindow::showFastFramingSuspended(bool suspended) {
    // A unit missed a request sent right after its reply: the rest of this
    // transfer runs slower, framed by silence.
    LabelFastFramingOff->setText(language_.text(TextId{"Main", "FastFramingOff"}));
    LabelFastFramingOff->setVisible(suspended);
}

void TransferWindow::showView(const TransferView& v) {
    Panel1->setText(v.panelText);
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::WindowText,
                     v.panelRed ? QColor(Qt::red) : this->palette().color(QPalette::WindowText));
    Panel1->setPalette(palette);
    ProgressBar1->setMaximum(v.progressMaximum);
    ProgressBar1->setValue(v.progressPosition);
    LabelStopNote->setText(v.stopNote);
    LabelStopNote->setVisible(!v.stopNote.isEmpty());
    CmdOK->setVisible(v.okVisible);
    CmdAgain->setVisible(v.againVisible);
    CmdCancel->setVisible(v.cancelVisible);
    if (v.okVisible && v.okFocused) {
        CmdOK->setDefault(true);
        CmdOK->setFocus();
    }
}

} // namespace kqm52
