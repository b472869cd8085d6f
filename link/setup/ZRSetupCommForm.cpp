#include "link/setup/ZRSetupCommForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kqm52 {

TZRSetupCommForm::TZRSetupCommForm(TZRComm& port, SetupLanguage language, QWidget* parent)
    : QDialog(parent), port_(port), texts_(SetupCommTexts::of(language)) {
    setObjectName(QStringLiteral("ZRSetupCommForm"));
    const SetupCommTexts& t = texts_;

    int helpContext = 0;
    auto combo = [&helpContext](const char* name, const QStringList& items) {
        auto* box = new QComboBox;
        box->setObjectName(QLatin1String(name));
        box->addItems(items);
        box->setProperty("helpContext", ++helpContext);
        return box;
    };
    auto page = [](const char* name) {
        auto* w = new QWidget;
        w->setObjectName(QLatin1String(name));
        return w;
    };
    auto row = [](QFormLayout* form, const QString& label, QComboBox* box) {
        auto* l = new QLabel(label);
        l->setBuddy(box);
        form->addRow(l, box);
    };

    CBAnschluss = combo("CBAnschluss", t.ports);
    CBBereich = combo("CBBereich", t.ranges);
    CBBaudrate = combo("CBBaudrate", t.baudrates);
    CBDatenbits = combo("CBDatenbits", t.dataBits);
    CBParitaet = combo("CBParitaet", t.parities);
    CBStopbits = combo("CBStopbits", t.stopBits);
    CBHardware = combo("CBHardware", t.hardware);
    CBTyp = combo("CBTyp", t.portTypes);
    CBEmpfangen = combo("CBEmpfangen", t.receivers);
    CBSenden = combo("CBSenden", t.transmitters);

    TSAnschluss = page("TSAnschluss");
    auto* form1 = new QFormLayout(TSAnschluss);
    row(form1, t.portLabel, CBAnschluss);
    row(form1, t.rangeLabel, CBBereich);
    row(form1, t.baudLabel, CBBaudrate);
    row(form1, t.dataBitsLabel, CBDatenbits);
    row(form1, t.parityLabel, CBParitaet);
    row(form1, t.stopBitsLabel, CBStopbits);
    TSErweitert = page("TSErweitert");
    auto* form2 = new QFormLayout(TSErweitert);
    row(form2, t.hardwareLabel, CBHardware);
    row(form2, t.portTypeLabel, CBTyp);
    row(form2, t.receiverLabel, CBEmpfangen);
    row(form2, t.transmitterLabel, CBSenden);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(TSAnschluss, t.portPage);
    PageControl->addTab(TSErweitert, t.extendedPage);

    CmdOK = new QPushButton(t.ok, this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdCancel = new QPushButton(t.cancel, this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(CmdOK, &QPushButton::clicked, this, &TZRSetupCommForm::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(buttons);

    // Each box changes the copy through the port's own setter, then every
    // box shows the copy again: a rule may have changed its neighbours.
    auto follow = [this](QComboBox* box, auto setter) {
        connect(box, &QComboBox::currentIndexChanged, this, [this, setter](int index) {
            if (filling_ || index < 0) return;
            setter(index);
            showModel();
        });
    };
    follow(CBAnschluss, [this](int i) { model_.SetPortName(TPort(i)); });
    follow(CBBereich, [this](int i) { model_.SetPortAddress(TPortAddr(i)); });
    follow(CBBaudrate, [this](int i) { model_.SetBaudrate(TBaudrate(i)); });
    follow(CBDatenbits, [this](int i) { model_.SetFrameDatabits(TDataBit(i)); });
    follow(CBParitaet, [this](int i) { model_.SetFrameParitybit(TParityBit(i)); });
    follow(CBStopbits, [this](int i) { model_.SetFrameStopbits(TStopBit(i)); });
    follow(CBHardware, [this](int i) { model_.SetHardware(THardware(i)); });
    follow(CBTyp, [this](int i) { model_.SetPortType(TPortType(i)); });
    follow(CBEmpfangen, [this](int i) { model_.SetReceiveDriver(TReceiveDriver(i)); });
    follow(CBSenden, [this](int i) { model_.SetTransmitDriver(TTransmitDriver(i)); });
}

void TZRSetupCommForm::FormActivate() {
    TSAnschluss->setEnabled(true);
    TSErweitert->setEnabled(true);
    // The port name and hardware cannot change under an open port.
    CmdOK->setEnabled(!port_.Active());
    model_.Assign(&port_);
    showModel();
}

void TZRSetupCommForm::showModel() {
    filling_ = true;
    CBAnschluss->setCurrentIndex(int(model_.PortName()));
    CBBereich->setCurrentIndex(int(model_.PortAddress()));
    CBBaudrate->setCurrentIndex(int(model_.Baudrate()));
    CBDatenbits->setCurrentIndex(int(model_.FrameDatabits()));
    CBParitaet->setCurrentIndex(int(model_.FrameParitybit()));
    CBStopbits->setCurrentIndex(int(model_.FrameStopbits()));
    CBHardware->setCurrentIndex(int(model_.Hardware()));
    CBTyp->setCurrentIndex(int(model_.PortType()));
    CBEmpfangen->setCurrentIndex(int(model_.ReceiveDriver()));
    CBSenden->setCurrentIndex(int(model_.TransmitDriver()));
    filling_ = false;
    renewCaption();
}

void TZRSetupCommForm::renewCaption() {
    setWindowTitle(QStringLiteral("%1 %2").arg(texts_.caption, PortDisplayName(model_.PortName())));
}

void TZRSetupCommForm::CmdOKClick() {
    if (port_.Active()) return; // the button is off then; a stray call changes nothing
    port_.SetPortName(model_.PortName());
    port_.SetPortAddress(model_.PortAddress());
    port_.SetBaudrate(model_.Baudrate());
    port_.SetFrameDatabits(model_.FrameDatabits());
    port_.SetFrameParitybit(model_.FrameParitybit());
    port_.SetFrameStopbits(model_.FrameStopbits());
    port_.SetHardware(model_.Hardware());
    port_.SetPortType(model_.PortType());
    port_.SetReceiveDriver(model_.ReceiveDriver());
    port_.SetTransmitDriver(model_.TransmitDriver());
    accept();
}

void TZRSetupCommForm::done(int result) {
    if (OnClose) OnClose();
    QDialog::done(result);
}

void TZRSetupCommForm::showEvent(QShowEvent* event) {
    if (OnShow) OnShow();
    QDialog::showEvent(event);
    FormActivate();
}

} // namespace kqm52
