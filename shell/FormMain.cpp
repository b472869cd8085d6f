#include "shell/FormMain.h"

#include "shell/BackupRestore.h"
#include "shell/LiveMonitor.h"
#include "shell/Terminal.h"
#include "shell/UnitSelection.h"

#include "model/engines/DataFiles.h"
#include "model/engines/ProgramState.h"
#include "model/files/SettingsFile.h"
#include "shell/IoFunctionTexts.h"
#include "ui/ApplyTexts.h"
#include "ui/Dialogs.h"
#include "ui/Lamp.h"
#include "ui/WidgetKit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

namespace kqm52 {

namespace {

// A polled value: sunken, right-aligned, bold.
FittedLabel* valuePanel(QWidget* parent, const char* name, int left, int top, int width,
                        int height) {
    auto* p =
        sunkenPanel(parent, name, left, top, width, height, Qt::AlignRight | Qt::AlignVCenter);
    // 12 px bold keeps "-0,3760 mA" inside the 85-pixel panels.
    p->setFont(pixelFont(parent->font(), 12, true));
    p->setIndent(3);
    return p;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
              int height) {
    auto* l = place(new QLabel(text, parent), name, left, top, width, height);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height) {
    return plainButton(parent, name, caption, left, top, width, height);
}

QString numbered(const char* stem, int n) {
    return QString::fromLatin1(stem) + QString::number(n);
}

} // namespace

TFormMain::TFormMain(TZRComm& port, ProgramState& state, Dialogs& dialogs,
                     const StartOptions& options, QWidget* parent)
    : QMainWindow(parent), ZRComm1(port), state_(state), dialogs_(dialogs), options_(options) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(applicationTitle());
    ZRSetupCommDialog1.SetZRComm(&ZRComm1);
    ZRSetupCommDialog1.OnShow = [this](TZRSetupCommDialog*) {
        runReportingErrors(dialogs_, this, applicationTitle(),
                           [this] { ZRComm1.SetActive(false); });
    };
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);

    buildWindow();
    connectOnlineParts();
    // Told after the window is on screen, in the language then in force.
    state_.fileRefused = [this](const ReadProblem& problem) {
        QTimer::singleShot(0, this, [this, problem] {
            dialogs_.error(this, applicationTitle(), state_.language.problemText(problem));
        });
    };
    state_.ownFileFailed = [this](const ReadProblem& problem) {
        QTimer::singleShot(0, this, [this, problem] {
            dialogs_.error(this, applicationTitle(),
                           ownFileFailedText(state_.language, state_.settings.folders, problem));
        });
    };
}

TFormMain::~TFormMain() {
    state_.fileRefused = nullptr;
    state_.ownFileFailed = nullptr;
    // The online parts go before the port: a port still open must not call them.
    ZRComm1.OnActivate = nullptr;
    ZRComm1.OnDeactivate = nullptr;
}

void TFormMain::connectOnlineParts() {
    unitSelection_ = std::make_unique<UnitSelection>(
        state_, ZRComm1, state_.language, static_cast<UnitSelectionView&>(*this), dialogs_, this);
    liveMonitor_ = std::make_unique<LiveMonitor>(
        state_, ZRComm1, state_.language, static_cast<LiveMonitorView&>(*this), *unitSelection_);
    unitSelection_->setLiveMonitor(liveMonitor_.get());
    terminal_ = std::make_unique<Terminal>(ZRComm1, state_.language,
                                           static_cast<TerminalView&>(*this), *unitSelection_);
    EditZenden->installEventFilter(this);
    backupRestore_ = std::make_unique<BackupRestore>(state_, dialogs_, this);

    ZRComm1.OnActivate = [this](TZRComm*) { unitSelection_->ZRComm1Activate(); };
    ZRComm1.OnDeactivate = [this](TZRComm*) { unitSelection_->ZRComm1Deactivate(); };
    connect(CmdSelectUnit, &QPushButton::clicked, this,
            [this] { unitSelection_->CmdSelectUnitClick(); });
    connect(CmdActual, &QPushButton::clicked, this, [this] { liveMonitor_->ActualActief(); });
    connect(CmdInUit, &QPushButton::clicked, this, [this] { liveMonitor_->InUitActief(); });
    connect(CmdDuimwiel, &QPushButton::clicked, this, [this] { liveMonitor_->DuimwielActief(); });
    connect(CmdResetError, &QPushButton::clicked, this,
            [this] { liveMonitor_->CmdResetErrorClick(); });
    connect(CmdTerminalZenden, &QPushButton::clicked, this,
            [this] { terminal_->CmdTerminalZendenClick(); });
    connect(&Timer1, &QTimer::timeout, this, [this] { liveMonitor_->Timer1Timer(); });
}

void TFormMain::buildWindow() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // The layout is in pixels; a small face like the one it was drawn with
    // keeps every caption inside its control.
    setFont(pixelFont(font(), 11, false));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(ClientWidth, ClientHeight - StatusBarHeight);
    setCentralWidget(client);

    PanelComInfo = place(new FittedLabel(client), "PanelComInfo", 8, 28, 169, 33);
    PanelComInfo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PanelComInfo->setWordWrap(true);
    colourComInfo(Qt::red);

    GroupBox5 = place(new QGroupBox(client), "GroupBox5", 200, 24, 169, 49);
    CmdSelectUnit = button(GroupBox5, "CmdSelectUnit", QStringLiteral("Openen"), 8, 18, 81, 23);
    SpinEditUnitSelect = place(new QSpinBox(GroupBox5), "SpinEditUnitSelect", 100, 18, 57, 23);
    SpinEditUnitSelect->setRange(0, SettingsFile::MaxUnitNo);
    SpinEditUnitSelect->setToolTip(QStringLiteral("MX9x no:"));
    connect(SpinEditUnitSelect, &QSpinBox::valueChanged, this, &TFormMain::unitNumberChanged);

    PanelErrorNo = place(new FittedLabel(client), "PanelErrorNo", 384, 0, 257, 25);
    PanelErrorNo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PanelErrorNo->setFont(pixelFont(font(), 16, true));
    {
        QPalette p = PanelErrorNo->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        PanelErrorNo->setPalette(p);
    }

    GroupBoxActual =
        place(new QGroupBox(QStringLiteral("Actual"), client), "GroupBoxActual", 384, 25, 161, 88);
    LabelPositie = label(GroupBoxActual, "LabelPositie", QStringLiteral("Positie:"), 8, 22, 58, 21);
    PanelActPos = valuePanel(GroupBoxActual, "PanelActPos", 68, 22, 85, 21);
    LabelSnelheid =
        label(GroupBoxActual, "LabelSnelheid", QStringLiteral("Snelheid:"), 8, 54, 58, 21);
    PanelSnelheid = valuePanel(GroupBoxActual, "PanelSnelheid", 68, 54, 85, 21);

    CmdActual = button(client, "CmdActual", QStringLiteral("Actual ON"), 584, 35, 81, 22);
    CmdDuimwiel = button(client, "CmdDuimwiel", QStringLiteral("DW ON"), 584, 99, 81, 22);

    // Inputs 1 … 4 and K0: a lamp, the terminal's name and its function.
    GroupBoxIngangen = place(new QGroupBox(QStringLiteral("Ingangen"), client), "GroupBoxIngangen",
                             16, 104, 169, 145);
    for (int i = 0; i < 4; ++i) {
        const int top = 22 + 24 * i;
        Tb_in[i] = new Lamp(GroupBoxIngangen);
        Tb_in[i]->setObjectName(numbered("Tb_in", i + 1));
        Tb_in[i]->move(10, top + 2);
        label(GroupBoxIngangen, "", QString::number(i + 1), 28, top, 22, 16)
            ->setObjectName(numbered("LabelIn", i + 1));
        LabelFun_in[i] = label(GroupBoxIngangen, "", {}, 52, top, 110, 16);
        LabelFun_in[i]->setObjectName(numbered("LabelFun_in", i + 1));
    }
    TB_K0 = new Lamp(GroupBoxIngangen);
    TB_K0->setObjectName(QStringLiteral("TB_K0"));
    TB_K0->move(10, 22 + 24 * 4 + 2);
    label(GroupBoxIngangen, "LabelK0", QStringLiteral("K0"), 28, 22 + 24 * 4, 22, 16);
    LabelFun_K0 = label(GroupBoxIngangen, "LabelFun_K0", {}, 52, 22 + 24 * 4, 110, 16);

    GroupBoxUitgangen = place(new QGroupBox(QStringLiteral("Uitgangen"), client),
                              "GroupBoxUitgangen", 200, 104, 169, 145);
    for (int i = 0; i < 4; ++i) {
        const int top = 22 + 22 * i;
        TbUitgang[i] = new Lamp(GroupBoxUitgangen);
        TbUitgang[i]->setObjectName(numbered("TbUitgang", i + 1));
        TbUitgang[i]->move(10, top + 2);
        label(GroupBoxUitgangen, "", QString::number(i + 1), 28, top, 22, 16)
            ->setObjectName(numbered("LabelUit", i + 1));
        LabelFun_uit[i] = label(GroupBoxUitgangen, "", {}, 52, top, 110, 16);
        LabelFun_uit[i]->setObjectName(numbered("LabelFun_uit", i + 1));
    }
    // Drawn over the outputs group, at (240, 216) in the window.
    CmdInUit = button(GroupBoxUitgangen, "CmdInUit", QStringLiteral("I/O ON"), 40, 112, 81, 22);

    GroupBox_ANA_IN = place(new QGroupBox(QStringLiteral("Analoog in"), client), "GroupBox_ANA_IN",
                            384, 128, 161, 121);
    LabelSpanning_in =
        label(GroupBox_ANA_IN, "LabelSpanning_in", QStringLiteral("Spanning:"), 8, 22, 58, 21);
    PanelSpanning_in = valuePanel(GroupBox_ANA_IN, "PanelSpanning_in", 68, 22, 85, 21);
    LabelStroom_in =
        label(GroupBox_ANA_IN, "LabelStroom_in", QStringLiteral("Stroom:"), 8, 54, 58, 21);
    PanelStroom_in = valuePanel(GroupBox_ANA_IN, "PanelStroom_in", 68, 54, 85, 21);
    LabelAnaloog_in_AWE =
        label(GroupBox_ANA_IN, "LabelAnaloog_in_AWE", QStringLiteral("AWE:"), 8, 86, 58, 21);
    PanelAnaloog_in_AWE = valuePanel(GroupBox_ANA_IN, "PanelAnaloog_in_AWE", 68, 86, 85, 21);

    GroupBox_DW =
        place(new QGroupBox(QStringLiteral("DW"), client), "GroupBox_DW", 560, 128, 113, 153);
    for (int i = 0; i < 4; ++i) {
        const int top = 22 + 32 * i;
        label(GroupBox_DW, "", QString::number(i + 1), 8, top, 14, 21)
            ->setObjectName(numbered("LabelDW", i + 1));
        Panel_DW[i] = valuePanel(GroupBox_DW, "", 24, top, 81, 21);
        Panel_DW[i]->setObjectName(numbered("Panel_DW", i + 1));
    }

    GroupBox3 =
        place(new QGroupBox(QStringLiteral("Terminal"), client), "GroupBox3", 16, 256, 353, 97);
    EditZenden = place(new QLineEdit(GroupBox3), "EditZenden", 8, 20, 248, 22);
    EditZenden->setFont(pixelFont(font(), 11, true));
    CmdTerminalZenden =
        button(GroupBox3, "CmdTerminalZenden", QStringLiteral("Transmit"), 264, 20, 81, 22);
    // The send button is the window's default: Enter in the entry line
    // presses it while it is enabled.
    connect(EditZenden, &QLineEdit::returnPressed, CmdTerminalZenden, [this] {
        if (CmdTerminalZenden->isEnabled()) CmdTerminalZenden->click();
    });
    MemoReceive = place(new QPlainTextEdit(GroupBox3), "MemoReceive", 8, 48, 337, 41);
    MemoReceive->setReadOnly(true);
    MemoReceive->setFocusPolicy(Qt::NoFocus);
    MemoReceive->setFont(pixelFont(font(), 11, true));
    MemoReceive->setBackgroundRole(QPalette::Window);
    MemoReceive->viewport()->setBackgroundRole(QPalette::Window);
    MemoReceive->setLineWrapMode(QPlainTextEdit::NoWrap);

    GroupBox_ANA_UIT = place(new QGroupBox(QStringLiteral("Analoog uit"), client),
                             "GroupBox_ANA_UIT", 384, 264, 161, 89);
    LabelSpanning_uit =
        label(GroupBox_ANA_UIT, "LabelSpanning_uit", QStringLiteral("Spanning:"), 8, 22, 58, 21);
    PanelSpanning_uit = valuePanel(GroupBox_ANA_UIT, "PanelSpanning_uit", 68, 22, 85, 21);
    LabelStroom_uit =
        label(GroupBox_ANA_UIT, "LabelStroom_uit", QStringLiteral("Stroom:"), 8, 54, 58, 21);
    PanelStroom_uit = valuePanel(GroupBox_ANA_UIT, "PanelStroom_uit", 68, 54, 85, 21);

    CmdCalibratie = button(client, "CmdCalibratie", QStringLiteral("Calibratie"), 584, 296, 81, 22);
    CmdResetError =
        button(client, "CmdResetError", QStringLiteral("RST SSI Err"), 584, 328, 81, 22);

    // Live-monitor buttons work only with the link open.
    for (QPushButton* b : {CmdActual, CmdInUit, CmdDuimwiel, CmdResetError})
        b->setEnabled(false);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(StatusBarHeight);
    bar->setContentsMargins(0, 0, 0, 0);
    static constexpr std::array<int, StatusPanelCount> widths{40, 80, 70, 80, 120, 80};
    for (int i = 0; i < StatusPanelCount; ++i) {
        auto* panel = new FittedLabel(bar);
        panel->setObjectName(numbered("StatusPanel", i));
        panel->setFixedWidth(widths[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
        // Fixed widths: a long identification is cut, whole in the tooltip.
        bar->addWidget(panel);
        statusPanels_[i] = panel;
    }
    // Fast framing was chosen, but a unit missed a request and the link frames
    // by silence for now: slower, so the user hears why.
    LabelFastFramingOff = new QLabel(bar);
    LabelFastFramingOff->setObjectName(QStringLiteral("LabelFastFramingOff"));
    LabelFastFramingOff->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelFastFramingOff->setIndent(2);
    LabelFastFramingOff->setVisible(false);
    bar->addPermanentWidget(LabelFastFramingOff);
    LabelJournalOff = new QLabel(bar);
    LabelJournalOff->setObjectName(QStringLiteral("LabelJournalOff"));
    LabelJournalOff->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelJournalOff->setIndent(2);
    LabelJournalOff->setVisible(false);
    bar->addPermanentWidget(LabelJournalOff);
    connect(&ZRComm1, &TZRComm::fastFramingSuspendedChanged, this,
            [this](bool suspended) { showFastFramingSuspended(suspended); });
    setStatusBar(bar);
    showStatus(1, QStringLiteral("Offline"));

    buildMenus();

    // The window is drawn to size: no resizing, no maximising.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormMain::buildMenus() {
    QMenuBar* bar = menuBar();
    auto menu = [bar](const char* name, const QString& caption) {
        return namedMenu(bar, name, caption);
    };
    auto item = [this](QMenu* m, const char* name, const QString& caption,
                       void (TFormMain::*fn)()) { return namedItem(m, name, caption, this, fn); };

    File1 = menu("File1", QStringLiteral("&File"));
    Exit1 = item(File1, "Exit1", QStringLiteral("&Afsluiten"), &TFormMain::Exit1Click);

    Edit = menu("Edit", QStringLiteral("&Edit"));
    Par11 = item(Edit, "Par11", QStringLiteral("&Parameters"), &TFormMain::Par11Click);
    Par21 = item(Edit, "Par21", QStringLiteral("&Sollwerten"), &TFormMain::Par21Click);

    Extra = menu("Extra", QStringLiteral("&Extra"));
    Serial1 = item(Extra, "Serial1", QStringLiteral("&Serieel"), &TFormMain::Serial1Click);
    ww1 = item(Extra, "ww1", QStringLiteral("&Opties"), &TFormMain::ww1Click);
    Journal1 =
        item(Extra, "Journal1", QStringLiteral("Service journal..."), &TFormMain::Journal1Click);

    Zendenenontvangen1 = menu("Zendenenontvangen1", QStringLiteral("Communicatie"));
    // All three run through the receive and send windows.
    ParSollOntvangen1 = item(Zendenenontvangen1, "ParSollOntvangen1",
                             QStringLiteral("Parameters + Sollwerten ontvangen"),
                             &TFormMain::ParSollOntvangen1Click);
    Zendenenontvangen1->addSeparator();
    Backup1 = item(Zendenenontvangen1, "Backup1", QStringLiteral("Backup MX92..."),
                   &TFormMain::Backup1Click);
    Restore1 = item(Zendenenontvangen1, "Restore1", QStringLiteral("Restore MX92..."),
                    &TFormMain::Restore1Click);
    Zendenenontvangen1->addSeparator();
    MX52zoeken = item(Zendenenontvangen1, "MX52zoeken", QStringLiteral("Apparaat zoeken..."),
                      &TFormMain::MX52zoekenClick);

    Venster = menu("Venster", QStringLiteral("&Venster"));
    displaynokken1 = item(Venster, "displaynokken1", QStringLiteral("Nokken info"),
                          &TFormMain::displaynokken1Click);
    Grafiek1 = item(Venster, "Grafiek1", QStringLiteral("Grafiek"), &TFormMain::Grafiek1Click);

    Info1 = menu("Info1", QStringLiteral("&Help"));
    FormAbout = item(Info1, "FormAbout", QStringLiteral("&Info"), &TFormMain::FormAboutClick);
    Errno1 = item(Info1, "Errno1", QStringLiteral("Error nummers"), &TFormMain::Errno1Click);

    connect(CmdCalibratie, &QPushButton::clicked, this, &TFormMain::CmdCalibratieClick);
    updateWindowItems();
}

void TFormMain::start() {
    Disable_checkboxen_status_klemmen();
    LezenTeksten();
    CmdCalibratie->setVisible(options_.fieldtrim);
    if (options_.demo && state_.portMap.hasDriverFor(QString::fromLatin1(PortMap::SimDevice)))
        showDemoHint();
    Timer1.start();
}

void TFormMain::showDemoHint() {
    // Advice, not trouble: in the window's own colour, not the link red.
    colourComInfo(QApplication::palette(PanelComInfo).color(QPalette::WindowText));
    const QString text = state_.language.text(TextId{"Main", "MsgDemo"});
    PanelComInfo->setText(text);
    demoHint_ = true;
}

void TFormMain::colourComInfo(const QColor& colour) {
    QPalette p = PanelComInfo->palette();
    p.setColor(QPalette::WindowText, colour);
    PanelComInfo->setPalette(p);
}

void TFormMain::setSecondaryWindows(const SecondaryWindows& windows) {
    windows_ = windows;
    updateWindowItems();
}

void TFormMain::updateWindowItems() {
    // Only whether each window exists: asking must not make it.
    Par11->setEnabled(bool(windows_.FormEditParam));
    Par21->setEnabled(bool(windows_.FormEditSollwerten));
    Serial1->setEnabled(bool(windows_.FormInitSerial));
    ww1->setEnabled(bool(windows_.FormOpties));
    MX52zoeken->setEnabled(bool(windows_.FormApparaatZoeken));
    displaynokken1->setEnabled(bool(windows_.FormDisplayNokken));
    Grafiek1->setEnabled(bool(windows_.FormGrafiek));
    Journal1->setEnabled(bool(windows_.FormJournal));
    FormAbout->setEnabled(bool(windows_.FormAbout));
    Errno1->setEnabled(bool(windows_.FormInfoErrorNummers));
    CmdCalibratie->setEnabled(bool(windows_.FormCalibratie));
    setCommunicationItemsEnabled(ZRComm1.Active());
}

void TFormMain::setCommunicationItemsEnabled(bool linkOpen) {
    const bool transferWindows = windows_.transfers != nullptr;
    ParSollOntvangen1->setEnabled(linkOpen && transferWindows);
    Backup1->setEnabled(linkOpen && transferWindows);
    Restore1->setEnabled(linkOpen && transferWindows);
}

void TFormMain::LezenTeksten() {
    applyTexts(*this, state_.language, u"Main");
    Journal1->setText(state_.language.text(TextId{"Journal", "MenuItem"}));
    InputFunctieTeksten();
    OutputFunctieTeksten();
    CmdTerminalZenden->setEnabled(false);
    const LanguageTexts& t = state_.language;
    CmdSelectUnit->setText(
        t.text(ZRComm1.Active() ? TextId{"Main", "CmdComClose"} : TextId{"Main", "CmdComOpen"}));
    CmdInUit->setText(
        t.text(state_.monitor.IoOn ? TextId{"Main", "CmdIO_OFF"} : TextId{"Main", "CmdIO_ON"}));
    CmdActual->setText(t.text(state_.monitor.ActualOn ? TextId{"Main", "CmdActual_OFF"}
                                                      : TextId{"Main", "CmdActual_ON"}));
    CmdDuimwiel->setText(t.text(state_.monitor.ThumbwheelOn ? TextId{"Main", "CmdDuimwiel_OFF"}
                                                            : TextId{"Main", "CmdDuimwiel_ON"}));
    // Texts may be reloaded while the link is open (options dialog): the
    // link-bound items follow the link rather than going grey until the
    // next connect.
    setCommunicationItemsEnabled(ZRComm1.Active());
    if (demoHint_) showDemoHint();
}

void TFormMain::InputFunctieTeksten() {
    if (const auto labels =
            IoFunctionTexts::inputs(state_.catalogue, state_.tables, state_.settings.LanguageNo))
        for (int i = 0; i < 4; ++i)
            LabelFun_in[i]->setText((*labels)[i]);
    LabelFun_K0->setText(IoFunctionTexts::k0(state_.tables, state_.language));
}

void TFormMain::OutputFunctieTeksten() {
    if (const auto labels =
            IoFunctionTexts::outputs(state_.catalogue, state_.tables, state_.settings.LanguageNo))
        for (int i = 0; i < 4; ++i)
            LabelFun_uit[i]->setText((*labels)[i]);
}

void TFormMain::Disable_checkboxen_status_klemmen() {
    for (Lamp* l : Tb_in)
        l->setNeutral();
    TB_K0->setNeutral();
    for (Lamp* l : TbUitgang)
        l->setNeutral();
}

void TFormMain::switchLiveMonitorOff() {
    liveMonitor_->switchOff();
}

void TFormMain::showModal(QDialog* window) {
    if (!window) return;
    runReportingErrors(dialogs_, this, applicationTitle(), [window] { window->exec(); });
}

void TFormMain::Exit1Click() {
    close();
}

void TFormMain::Par11Click() {
    if (!windows_.FormEditParam) return;
    switchLiveMonitorOff();
    showModal(windows_.FormEditParam.get());
}

void TFormMain::Par21Click() {
    if (!windows_.FormEditSollwerten) return;
    switchLiveMonitorOff();
    showModal(windows_.FormEditSollwerten.get());
}

void TFormMain::Serial1Click() {
    showModal(windows_.FormInitSerial.get());
}

void TFormMain::ww1Click() {
    showModal(windows_.FormOpties.get());
}

void TFormMain::MX52zoekenClick() {
    if (!windows_.FormApparaatZoeken) return;
    // The search opens and closes the port itself, at every line setting.
    runReportingErrors(dialogs_, this, applicationTitle(), [this] { ZRComm1.SetActive(false); });
    showModal(windows_.FormApparaatZoeken.get());
    // Back online, perhaps at what the search found.
    runReportingErrors(dialogs_, this, applicationTitle(), [this] { ZRComm1.SetActive(true); });
}

void TFormMain::setUnitNumber(int unit) {
    SpinEditUnitSelect->setValue(unit);
}

void TFormMain::displaynokken1Click() {
    showModal(windows_.FormDisplayNokken.get());
}

void TFormMain::Grafiek1Click() {
    if (!windows_.FormGrafiek) return;
    // The graph polls on its own; the error poll would only slow it down.
    Timer1.stop();
    showModal(windows_.FormGrafiek.get());
    Timer1.start();
}

void TFormMain::Journal1Click() {
    showModal(windows_.FormJournal.get());
}

void TFormMain::FormAboutClick() {
    showModal(windows_.FormAbout.get());
}

void TFormMain::Errno1Click() {
    if (QWidget* w = windows_.FormInfoErrorNummers.get()) {
        w->show();
        w->raise();
        w->activateWindow();
    }
}

void TFormMain::CmdCalibratieClick() {
    showModal(windows_.FormCalibratie.get());
}

void TFormMain::ParSollOntvangen1Click() {
    if (!windows_.transfers) return;
    switchLiveMonitorOff();
    // The lamps' labels follow the parameters just read.
    if (backupRestore_->ParSollOntvangen1Click(*windows_.transfers)) {
        InputFunctieTeksten();
        OutputFunctieTeksten();
    }
}

void TFormMain::Backup1Click() {
    if (!windows_.transfers) return;
    switchLiveMonitorOff();
    backupRestore_->Backup1Click(*windows_.transfers, unitNumber(), QDate::currentDate());
}

void TFormMain::Restore1Click() {
    if (!windows_.transfers) return;
    switchLiveMonitorOff();
    backupRestore_->Restore1Click(*windows_.transfers, unitNumber());
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!closeHandled_) {
        closeHandled_ = true;
        Timer1.stop();
        emit closing();
    }
    event->accept();
    QMainWindow::closeEvent(event);
    emit closed();
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (centred_) return;
    centred_ = true;
    if (QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditZenden && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            terminal_->recall(key == Qt::Key_Up ? -1 : +1);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::showComInfo(const QString& text) {
    // Whatever the link says next takes the demo hint's place for good.
    if (demoHint_) {
        demoHint_ = false;
        colourComInfo(Qt::red);
    }
    PanelComInfo->setText(text);
}

void TFormMain::showFastFramingSuspended(bool suspended) {
    LabelFastFramingOff->setText(state_.language.text(TextId{"Main", "FastFramingOff"}));
    LabelFastFramingOff->setVisible(suspended);
}

void TFormMain::showJournalOff(const QString& problem) {
    LabelJournalOff->setText(state_.language.text(TextId{"Journal", "StatusOff"}));
    LabelJournalOff->setToolTip(problem);
    LabelJournalOff->setVisible(true);
    dialogs_.warning(this, applicationTitle(),
                     state_.language.text(TextId{"Journal", "MsgOff"}).arg(problem));
}

void TFormMain::showJournalMovedAside(const QString& journal, const QString& aside) {
    dialogs_.warning(this, applicationTitle(),
                     state_.language.text(TextId{"Journal", "MsgMovedAside"}).arg(journal, aside));
}

void TFormMain::showErrorNo(const QString& text) {
    PanelErrorNo->setText(text);
}

void TFormMain::showStatus(int panel, const QString& text) {
    statusPanels_.at(std::size_t(panel))->setText(text);
}

FittedLabel* TFormMain::monitorPanel(MonitorPanel panel) const {
    switch (panel) {
    case MonitorPanel::ActPos:
        return PanelActPos;
    case MonitorPanel::Snelheid:
        return PanelSnelheid;
    case MonitorPanel::Spanning_uit:
        return PanelSpanning_uit;
    case MonitorPanel::Stroom_uit:
        return PanelStroom_uit;
    case MonitorPanel::Spanning_in:
        return PanelSpanning_in;
    case MonitorPanel::Stroom_in:
        return PanelStroom_in;
    case MonitorPanel::Analoog_in_AWE:
        return PanelAnaloog_in_AWE;
    case MonitorPanel::DW1:
        return Panel_DW[0];
    case MonitorPanel::DW2:
        return Panel_DW[1];
    case MonitorPanel::DW3:
        return Panel_DW[2];
    case MonitorPanel::DW4:
        return Panel_DW[3];
    }
    return PanelActPos;
}

void TFormMain::showPanel(MonitorPanel panel, const QString& text) {
    monitorPanel(panel)->setText(text);
}

void TFormMain::colourPanel(MonitorPanel panel, const std::optional<QColor>& colour) {
    QLabel* p = monitorPanel(panel);
    QPalette palette = p->palette();
    palette.setColor(QPalette::Window,
                     colour ? *colour : QApplication::palette(p).color(QPalette::Window));
    p->setPalette(palette);
}

void TFormMain::setButtonCaption(MonitorButton button, const QString& caption) {
    QPushButton* b = button == MonitorButton::Actual  ? CmdActual
                     : button == MonitorButton::InUit ? CmdInUit
                                                      : CmdDuimwiel;
    b->setText(caption);
}

void TFormMain::showInputs(bool k0, const std::array<bool, 4>& inputs) {
    TB_K0->showBit(k0);
    for (std::size_t i = 0; i < inputs.size(); ++i)
        Tb_in[i]->showBit(inputs[i]);
}

void TFormMain::showOutputs(const std::array<bool, 4>& outputs) {
    for (std::size_t i = 0; i < outputs.size(); ++i)
        TbUitgang[i]->showBit(outputs[i]);
}

void TFormMain::neutralLamps() {
    Disable_checkboxen_status_klemmen();
}

bool TFormMain::transferWindowActive() const {
    QWidget* active = QApplication::activeWindow();
    if (!active) return false;
    // A window not made yet is not active.
    for (const QDialog* d : {windows_.FormApparaatZoeken.made(), windows_.FormLeesParSoll.made(),
                             windows_.FormSchrijfParSoll.made()})
        if (d && active == d) return true;
    return false;
}

void TFormMain::setOnline(bool online, const QString& selectCaption) {
    CmdSelectUnit->setText(selectCaption);
    for (QPushButton* b : {CmdTerminalZenden, CmdResetError, CmdActual, CmdInUit, CmdDuimwiel})
        b->setEnabled(online);
    setCommunicationItemsEnabled(online);
}

int TFormMain::unitNumber() const {
    return SpinEditUnitSelect->value();
}

bool TFormMain::deviceSearchActive() const {
    // Shown modally, the search is the only window that can open the port;
    // visibility, unlike activation, does not depend on the window manager
    // having given it the focus yet.
    const QDialog* search = windows_.FormApparaatZoeken.made();
    return search && (QApplication::activeWindow() == search || search->isVisible());
}

QString TFormMain::terminalLine() const {
    return EditZenden->text();
}

void TFormMain::setTerminalLine(const QString& text) {
    EditZenden->setText(text);
}

void TFormMain::selectTerminalLine() {
    EditZenden->selectAll();
}

void TFormMain::showTerminalReply(const QString& text) {
    MemoReceive->setPlainText(text);
}

} // namespace kqm52
