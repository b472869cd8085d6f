#include "dialogs/FormInitSerial.h"

#include "dialogs/InitSerialLogic.h"
#include "link/ZRComm.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/PortOpenText.h"
#include "ui/ApplyTexts.h"
#include "ui/Dialogs.h"

#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kqm52 {

namespace {

void showIndex(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace

TFormInitSerial::TFormInitSerial(TZRComm& port, PortMap& portMap, const LanguageTexts& language,
                                 Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), port_(port), portMap_(portMap), language_(language), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormInitSerial"));
    buildWindow();
}

TFormInitSerial::~TFormInitSerial() = default;

void TFormInitSerial::buildWindow() {
    setWindowTitle(QStringLiteral("Seriele poort"));

    auto combo = [this](QWidget* parent, const char* name) {
        auto* box = new QComboBox(parent);
        box->setObjectName(QLatin1String(name));
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        return box;
    };
    auto label = [](QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(QLatin1String(name));
        l->setBuddy(buddy);
        return l;
    };

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    GroupBox1 = new QGroupBox(TabSheet1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    ComboPoort = combo(GroupBox1, "ComboPoort");
    ComboDevice = combo(GroupBox1, "ComboDevice");
    // A typed path is a value for this port only, never a new list entry.
    ComboDevice->setEditable(true);
    ComboDevice->setInsertPolicy(QComboBox::NoInsert);
    ComboDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboDevice->setMinimumContentsLength(26);
    Combo_IO = combo(GroupBox1, "Combo_IO");
    Combo_IO->setEnabled(false);
    ComboBaud = combo(GroupBox1, "ComboBaud");
    ComboDataBits = combo(GroupBox1, "ComboDataBits");
    ComboParity = combo(GroupBox1, "ComboParity");
    ComboStopBits = combo(GroupBox1, "ComboStopBits");
    LabelPoort = label(GroupBox1, "LabelPoort", QStringLiteral("Poort"), ComboPoort);
    LabelDevice = label(GroupBox1, "LabelDevice", QStringLiteral("Device"), ComboDevice);
    LabelDeviceNote = label(GroupBox1, "LabelDeviceNote", QString(), nullptr);
    LabelDeviceNote->setWordWrap(true);
    LabelDeviceNote->setVisible(false);
    Label_IO = label(GroupBox1, "Label_IO", QStringLiteral("IO"), Combo_IO);
    LabelBaud = label(GroupBox1, "LabelBaud", QStringLiteral("Baud"), ComboBaud);
    LabelDataBits = label(GroupBox1, "LabelDataBits", QStringLiteral("Bits"), ComboDataBits);
    LabelParity = label(GroupBox1, "LabelParity", QStringLiteral("Parity"), ComboParity);
    LabelStopBits = label(GroupBox1, "LabelStopBits", QStringLiteral("stopbits"), ComboStopBits);

    auto* grid1 = new QGridLayout(GroupBox1);
    int row = 0;
    auto addRow = [&row](QGridLayout* grid, QLabel* l, QComboBox* box,
                         Qt::Alignment align = Qt::AlignLeft) {
        grid->addWidget(l, row, 0);
        grid->addWidget(box, row, 1, align);
        ++row;
    };
    addRow(grid1, LabelPoort, ComboPoort);
    addRow(grid1, LabelDevice, ComboDevice);
    grid1->addWidget(LabelDeviceNote, row++, 1);
    addRow(grid1, Label_IO, Combo_IO);
    addRow(grid1, LabelBaud, ComboBaud);
    addRow(grid1, LabelDataBits, ComboDataBits);
    addRow(grid1, LabelParity, ComboParity);
    addRow(grid1, LabelStopBits, ComboStopBits);
    CheckFastFraming = new QCheckBox(QStringLiteral("Fast framing"), GroupBox1);
    CheckFastFraming->setObjectName(QStringLiteral("CheckFastFraming"));
    LabelFastFraming = label(GroupBox1, "LabelFastFraming",
                             QStringLiteral("Ends each reply at its line end, not after 50 ms of "
                                            "silence: about 3x faster, but a unit that needs the "
                                            "pause costs one time-out."),
                             nullptr);
    LabelFastFraming->setWordWrap(true);
    grid1->addWidget(CheckFastFraming, row++, 1);
    grid1->addWidget(LabelFastFraming, row++, 1);
    grid1->setColumnStretch(1, 1);
    grid1->setRowStretch(row, 1);
    auto* page1 = new QVBoxLayout(TabSheet1);
    page1->addWidget(GroupBox1);

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    GroupBox2 = new QGroupBox(TabSheet2);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    ComboHardware = combo(GroupBox2, "ComboHardware");
    ComboPortType = combo(GroupBox2, "ComboPortType");
    ComboReceiver = combo(GroupBox2, "ComboReceiver");
    ComboTransmitter = combo(GroupBox2, "ComboTransmitter");
    LabelHardware = label(GroupBox2, "LabelHardware", QStringLiteral("hardware"), ComboHardware);
    LabelPortType = label(GroupBox2, "LabelPortType", QStringLiteral("Poorttype"), ComboPortType);
    LabelReceiver = label(GroupBox2, "LabelReceiver", QStringLiteral("Receiver"), ComboReceiver);
    LabelTransmitter =
        label(GroupBox2, "LabelTransmitter", QStringLiteral("Transmitter"), ComboTransmitter);
    // The RS485 hardware is recorded, never driven: the page shows it only.
    for (QComboBox* box : {ComboHardware, ComboPortType, ComboReceiver, ComboTransmitter})
        box->setEnabled(false);
    // One width for the four: the page reads as a table of the hardware.
    auto* grid2 = new QGridLayout(GroupBox2);
    row = 0;
    addRow(grid2, LabelHardware, ComboHardware, {});
    addRow(grid2, LabelPortType, ComboPortType, {});
    addRow(grid2, LabelReceiver, ComboReceiver, {});
    addRow(grid2, LabelTransmitter, ComboTransmitter, {});
    grid2->setColumnStretch(1, 1);
    grid2->setRowStretch(row, 1);
    auto* page2 = new QVBoxLayout(TabSheet2);
    page2->addWidget(GroupBox2);

    PageControl1->addTab(TabSheet1, QStringLiteral("Interface"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Extended"));

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);

    auto* main = new QVBoxLayout(this);
    main->addWidget(PageControl1);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    for (int b = 0; b < InitSerialLogic::BoxCount; ++b) {
        const auto box = InitSerialLogic::Box(b);
        this->box(box)->addItems(InitSerialLogic::builtInItems(box));
    }

    connect(ComboPoort, &QComboBox::activated, this, [this] { ComboPoortClick(); });
    connect(ComboHardware, &QComboBox::activated, this, [this] { ComboHardwareClick(); });
    for (QComboBox* box : {ComboPortType, ComboReceiver, ComboTransmitter})
        connect(box, &QComboBox::activated, this, [this] { ComboPortTypeClick(); });
    // A typed value is checked as it is typed: a network address missing its
    // port, a scheme the program does not know, is said before OK.
    connect(ComboDevice, &QComboBox::editTextChanged, this, [this] { showDeviceNote(); });
    connect(CmdOK, &QPushButton::clicked, this, [this] { CmdOKClick(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancelClick(); });
}

void TFormInitSerial::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only when the program shows the window, not when the window system
    // hands it back (after an error box, or from another program).
    if (!event->spontaneous()) FormActivate();
}

void TFormInitSerial::FormActivate() {
    runReportingErrors(dialogs_, this, windowTitle(), [this] { port_.SetActive(false); });
    applyTexts(*this, language_, u"InitCom");
    listDevices();
    showSettings();
    PageControl1->setCurrentIndex(0);
    ComboPoort->setFocus();
}

QComboBox* TFormInitSerial::box(InitSerialLogic::Box which) const {
    const std::array<QComboBox*, InitSerialLogic::BoxCount> boxes{
        ComboPoort,    Combo_IO,      ComboBaud,     ComboDataBits, ComboParity,
        ComboStopBits, ComboHardware, ComboPortType, ComboReceiver, ComboTransmitter};
    return boxes[which];
}

void TFormInitSerial::showSettings() {
    const InitSerialLogic::Items items = InitSerialLogic::itemsOf(port_);
    for (int b = 0; b < InitSerialLogic::BoxCount; ++b)
        showIndex(box(InitSerialLogic::Box(b)), items[b]);
    // A rate below 9600 has no item; the empty box says which one stays.
    ComboBaud->setPlaceholderText(QString::number(baudrateValue(port_.Baudrate())));
    CheckFastFraming->setChecked(port_.FastFraming());

    for (int i = 0; i < PortCount; ++i)
        pendingDevice_[i] = portMap_.device(TPort(i));
    devicePortShown_ = -1;
    showDeviceOf(ComboPoort->currentIndex());
}

void TFormInitSerial::listDevices() {
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(ports.begin(), ports.end(), [&collator](const auto& a, const auto& b) {
        return collator.compare(a.systemLocation(), b.systemLocation()) < 0;
    });
    ComboDevice->clear();
    for (const QSerialPortInfo& info : std::as_const(ports)) {
        const QString path = info.systemLocation();
        const QString description = info.description();
        ComboDevice->addItem(
            description.isEmpty() ? path : path + QStringLiteral(" — ") + description, path);
    }
    // The network buses of the map, with the ports that lead there, so that
    // a server's address is picked rather than typed again.
    for (int i = 0; i < PortCount; ++i) {
        const QString value = portMap_.device(TPort(i));
        if (!value.contains(QLatin1String("://")) || !portMap_.familyOf(value)) continue;
        const int at = ComboDevice->findData(value);
        if (at < 0)
            ComboDevice->addItem(value + QStringLiteral(" — ") + PortMap::key(TPort(i)), value);
        else
            ComboDevice->setItemText(at, ComboDevice->itemText(at) + QStringLiteral(", ") +
                                             PortMap::key(TPort(i)));
    }
    // The values the families offer themselves (the simulated bus).
    for (const PortFamily& family : portMap_.families())
        if (!family.choice.isEmpty())
            ComboDevice->addItem(family.description.isEmpty()
                                     ? family.choice
                                     : family.choice + QStringLiteral(" — ") + family.description,
                                 family.choice);
}

QString TFormInitSerial::chosenDevice() const {
    const QString text = ComboDevice->currentText().trimmed();
    const int index = ComboDevice->findText(text);
    if (index >= 0) {
        const QString value = ComboDevice->itemData(index).toString();
        if (!value.isEmpty()) return value;
    }
    return text;
}

void TFormInitSerial::showDeviceOf(int portIndex) {
    devicePortShown_ = portIndex;
    if (portIndex < 0) {
        ComboDevice->setCurrentIndex(-1);
        ComboDevice->setEditText(QString());
        LabelDeviceNote->setVisible(false);
        return;
    }
    const QString device = pendingDevice_[portIndex];
    const int index = ComboDevice->findData(device);
    if (index >= 0) {
        ComboDevice->setCurrentIndex(index);
    } else {
        ComboDevice->setCurrentIndex(-1);
        ComboDevice->setEditText(device);
    }
    showDeviceNote();
}

QString TFormInitSerial::deviceNote() const {
    if (devicePortShown_ < 0) return {};
    const TPort port = TPort(devicePortShown_);
    const QString effective = portMap_.effectiveDevice(port);
    if (effective != portMap_.device(port))
        return language_.text(TextId{"InitCom", "MsgDemoDevice"}).arg(effective);
    const QString value = chosenDevice();
    if (value.isEmpty()) return {};
    const PortFamily* family = portMap_.familyOf(value);
    if (!family)
        return language_.text(TextId{"InitCom", "MsgNotAPortValue"})
            .arg(portFormsText(language_, portMap_));
    if (family->lineAtServer) return language_.text(TextId{"InitCom", "MsgLineAtServer"});
    return {};
}

void TFormInitSerial::showDeviceNote() {
    const QString note = deviceNote();
    LabelDeviceNote->setText(note);
    LabelDeviceNote->setVisible(!note.isEmpty());
}

void TFormInitSerial::rememberDevice() {
    if (devicePortShown_ >= 0) pendingDevice_[devicePortShown_] = chosenDevice();
}

void TFormInitSerial::ComboPoortClick() {
    rememberDevice();
    const int index = ComboPoort->currentIndex();
    showIndex(Combo_IO, InitSerialLogic::addressItemFor(index));
    showDeviceOf(index);
}

void TFormInitSerial::ComboHardwareClick() {
    const auto preset = InitSerialLogic::hardwarePreset(ComboHardware->currentIndex());
    if (!preset) return;
    showIndex(ComboPortType, preset->portType);
    showIndex(ComboReceiver, preset->receiver);
    showIndex(ComboTransmitter, preset->transmitter);
}

void TFormInitSerial::ComboPortTypeClick() {
    showIndex(ComboHardware, InitSerialLogic::UserDefinedItem);
}

void TFormInitSerial::applySettings() {
    InitSerialLogic::Items items{};
    for (int b = 0; b < InitSerialLogic::BoxCount; ++b)
        items[b] = box(InitSerialLogic::Box(b))->currentIndex();
    InitSerialLogic::apply(port_, items);
    port_.SetFastFraming(CheckFastFraming->isChecked());
}

void TFormInitSerial::storeDevice() {
    const int index = ComboPoort->currentIndex();
    if (index < 0 || index >= PortCount) return;
    const TPort port = TPort(index);
    const QString device = pendingDevice_[index].trimmed();
    // An emptied box keeps what the port led to; an unchanged one adds no
    // entry to the settings file.
    if (device.isEmpty() || device == portMap_.device(port)) return;
    portMap_.setDevice(port, device);
}

void TFormInitSerial::CmdOKClick() {
    rememberDevice();
    if (!runReportingErrors(dialogs_, this, windowTitle(), [this] { applySettings(); })) return;
    storeDevice();
    try {
        port_.SetActive(true);
    } catch (const ECommHandleError& e) {
        showOpenError(portOpenReason(language_, port_.portMap(), e), e.systemError());
        return;
    } catch (const ECommInitError& e) {
        showOpenError(e.message(), 0);
        return;
    }
    QDialog::accept();
}

void TFormInitSerial::showOpenError(const QString& message, int systemError) {
    const QString device = port_.devicePath();
    dialogs_.error(this, windowTitle(),
                   InitSerialLogic::openFailureText(language_, port_.portMap().familyOf(device),
                                                    port_.PortName(), device, message, systemError,
                                                    InitSerialLogic::DeviceAccess::of(device)));
}

void TFormInitSerial::CmdCancelClick() {
    QDialog::reject();
}

void TFormInitSerial::reject() {
    CmdCancelClick();
}

} // namespace kqm52
