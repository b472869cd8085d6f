#include "params/FormParamService.h"

#include "model/engines/ProgramState.h"
#include "ui/ApplyTexts.h"
#include "ui/WidgetKit.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace kqm52 {

namespace {

FittedLabel* limitPanel(QWidget* parent, const char* name, int left, int top) {
    auto* p = sunkenPanel(parent, name, left, top, 97, 22, Qt::AlignRight | Qt::AlignVCenter);
    p->setIndent(4);
    p->setFont(pixelFont(parent->font(), 13, true));
    return p;
}

} // namespace

TFormParamService::TFormParamService(ProgramState& state, TZRComm& port,
                                     std::function<bool()> portOpen, QWidget* parent)
    : QDialog(parent), state_(state), portOpen_(std::move(portOpen)),
      logic_(state, port, static_cast<ParamServiceView&>(*this)) {
    setObjectName(QStringLiteral("FormParamService"));
    buildWindow();
}

TFormParamService::~TFormParamService() = default;

void TFormParamService::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(pixelFont(font(), 11, false));
    setFixedSize(441, 217);

    GroupBox1 = place(new QGroupBox(this), "GroupBox1", 11, 8, 417, 169);
    auto label = [this](const char* name, const QString& text, int left, int top) {
        auto* l = place(new QLabel(text, GroupBox1), name, left, top, 70, 22);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    LabelDefault = label("LabelDefault", QStringLiteral("Default"), 36, 19);
    PanelDefault = limitPanel(GroupBox1, "PanelDefault", 112, 19);
    LabelMin = label("LabelMin", QStringLiteral("Min"), 212, 19);
    PanelMin = limitPanel(GroupBox1, "PanelMin", 288, 19);
    LabelMax = label("LabelMax", QStringLiteral("Max"), 212, 51);
    PanelMax = limitPanel(GroupBox1, "PanelMax", 288, 51);
    LabelParData =
        place(new QLabel(QStringLiteral("Par data"), GroupBox1), "LabelParData", 164, 83, 50, 21);
    LabelParData->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    MaskEditParData = place(new QLineEdit(GroupBox1), "MaskEditParData", 216, 83, 169, 21);
    MaskEditParData->setFont(pixelFont(font(), 15, true, "Courier"));
    MaskEditParData->setAlignment(Qt::AlignRight);
    MaskEditParData->installEventFilter(this);
    ComboParData = place(new QComboBox(GroupBox1), "ComboParData", 96, 83, 289, 21);
    ComboParData->setFont(pixelFont(font(), 13, true, "Courier"));
    ComboParData->setEditable(false);

    PanelService = place(new FittedLabel(GroupBox1), "PanelService", 32, 115, 353, 41);
    PanelService->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelService->setAlignment(Qt::AlignCenter);
    PanelService->setWordWrap(true);
    PanelService->setFont(pixelFont(font(), 15, true));

    auto button = [this](const char* name, const QString& caption, int index) {
        auto* b = place(new QPushButton(caption, this), name, 11 + index * 86, 184, 75, 25);
        b->setAutoDefault(false);
        return b;
    };
    CmdDefault = button("CmdDefault", QStringLiteral("Default"), 0);
    CmdOK = button("CmdOK", QStringLiteral("OK"), 1);
    CmdOK->setDefault(true);
    CmdBerPar = button("CmdBerPar", QStringLiteral("Laad par"), 2);
    CmdZenden = button("CmdZenden", QStringLiteral("Zenden"), 3);
    CmdCancel = button("CmdCancel", QStringLiteral("Afbreken"), 4);
    connect(CmdDefault, &QPushButton::clicked, this, &TFormParamService::CmdDefaultClick);
    connect(CmdOK, &QPushButton::clicked, this, &TFormParamService::CmdOKClick);
    connect(CmdBerPar, &QPushButton::clicked, this, &TFormParamService::CmdBerParClick);
    connect(CmdZenden, &QPushButton::clicked, this, &TFormParamService::CmdZendenClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormParamService::CmdCancelClick);
}

void TFormParamService::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TFormParamService::FormActivate() {
    applyTexts(*this, state_.language, u"ParamService");
    logic_.FormActivate(portOpen_ && portOpen_());
    const ParamServiceLogic::Setup& s = logic_.setup();
    setWindowTitle(s.title);
    PanelMin->setText(s.minimumText);
    PanelMax->setText(s.maximumText);
    PanelDefault->setText(s.defaultText);
    setButtonsEnabled(true);
    LabelParData->move(s.optionList ? 38 : 164, LabelParData->y());
    ComboParData->setVisible(s.optionList);
    MaskEditParData->setVisible(!s.optionList);
    if (s.optionList) {
        ComboParData->clear();
        ComboParData->addItems(s.items);
        ComboParData->setCurrentIndex(s.itemIndex);
        ComboParData->setFocus();
    } else {
        MaskEditParData->setText(s.entryText);
        MaskEditParData->setFocus();
        MaskEditParData->selectAll();
    }
}

QString TFormParamService::entryText() const {
    return MaskEditParData->text();
}

int TFormParamService::itemIndex() const {
    return ComboParData->currentIndex();
}

bool TFormParamService::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MaskEditParData && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace) return MaskEditParDataKeyPress(QChar(8));
        const QString typed = key->text();
        if (!typed.isEmpty() && typed[0].isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return MaskEditParDataKeyPress(typed[0]);
    }
    return QDialog::eventFilter(watched, event);
}

bool TFormParamService::MaskEditParDataKeyPress(QChar key) {
    const bool selected = MaskEditParData->hasSelectedText();
    const KeyOutcome o = logic_.MaskEditParDataKeyPress(
        key, MaskEditParData->text(),
        selected ? MaskEditParData->selectionStart() : MaskEditParData->cursorPosition(),
        int(MaskEditParData->selectedText().size()));
    if (o.replaced) {
        MaskEditParData->setText(o.text);
        MaskEditParData->setCursorPosition(o.caret);
        return true;
    }
    if (!o.accepted) return true;
    if (o.key != key) {
        MaskEditParData->insert(QString(o.key));
        return true;
    }
    return false;
}

void TFormParamService::CmdOKClick() {
    if (logic_.CmdOKClick(entryText(), itemIndex())) accept();
}

void TFormParamService::CmdDefaultClick() {
    if (logic_.setup().optionList)
        ComboParData->setCurrentIndex(logic_.defaultItem());
    else
        MaskEditParData->setText(logic_.defaultEntry());
}

void TFormParamService::CmdZendenClick() {
    logic_.CmdZendenClick(entryText(), itemIndex());
}

void TFormParamService::CmdBerParClick() {
    logic_.CmdBerParClick();
}

void TFormParamService::CmdCancelClick() {
    reject();
}

void TFormParamService::reject() {
    // Escape too: but not while the unit's answer is awaited, so the answer
    // reaches the window that asked.
    if (logic_.busy()) return;
    QDialog::reject();
}

void TFormParamService::showPanel(const QString& text, bool red) {
    PanelService->setText(text);
    QPalette p = PanelService->palette();
    p.setColor(QPalette::WindowText,
               red ? QColor(Qt::red)
                   : QApplication::palette(PanelService).color(QPalette::WindowText));
    PanelService->setPalette(p);
}

void TFormParamService::setButtonsEnabled(bool enabled) {
    for (QPushButton* b : {CmdDefault, CmdOK, CmdCancel})
        b->setEnabled(enabled);
    const bool online = enabled && logic_.setup().transferEnabled;
    CmdBerPar->setEnabled(online);
    CmdZenden->setEnabled(online);
}

void TFormParamService::focusEntry() {
    if (logic_.setup().optionList)
        ComboParData->setFocus();
    else
        MaskEditParData->setFocus();
}

} // namespace kqm52
