#include "dialogs/FormInitSerial.h"

#include "inifile/ListText.h"
#include "link/ZRComm.h"
#include "ui/Dialogs.h"
#include "ui/LanguageTexts.h"

#include <QCollator>
#include <QComboBox>
#include <QFileInfo>
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
#include <cerrno>

namespace kqm52 {

namespace {

const QString Section = QStringLiteral("InitCom");

// The baud box starts at 9600: the three slow rates are never offered, and
// the box's index is the rate's ordinal minus this.
constexpr int BaudOffset = 3;

constexpr int PortAddrCount = 4;
constexpr int DataBitCount = 2;
constexpr int ParityCount = 3;
constexpr int StopBitCount = 2;
constexpr int HardwareCount = 4;
constexpr int PortTypeCount = 3;
constexpr int ReceiverCount = 2;
constexpr int TransmitterCount = 4;

// What the boxes offer without a language file: the names the settings
// stand for, so the window is usable before any language is installed.
QStringList builtInPorts() {
    QStringList items;
    for (int i = 0; i < PortCount; ++i)
        items << PortMap::key(TPort(i));
    return items;
}

QStringList builtInBaudrates() {
    QStringList items;
    for (int i = BaudOffset; i < BaudrateCount; ++i)
        items << QString::number(baudrateValue(TBaudrate(i)));
    return items;
}

const QStringList BuiltInAddresses{QStringLiteral("03F8h"), QStringLiteral("02F8h"),
                                   QStringLiteral("03E8h"), QStringLiteral("02E8h")};
const QStringList BuiltInDataBits{QStringLiteral("7"), QStringLiteral("8")};
const QStringList BuiltInParity{QStringLiteral("None"), QStringLiteral("Even"),
                                QStringLiteral("Odd")};
const QStringList BuiltInStopBits{QStringLiteral("1"), QStringLiteral("2")};
const QStringList BuiltInHardware{QStringLiteral("Standard"), QStringLiteral("PCLab PCL-745"),
                                  QStringLiteral("Phoenix PSM-V24/RS485"),
                                  QStringLiteral("User defined")};
const QStringList BuiltInPortTypes{QStringLiteral("RS232C"), QStringLiteral("RS422"),
                                   QStringLiteral("RS485")};
const QStringList BuiltInReceivers{QStringLiteral("None"), QStringLiteral("Register 7 = 2")};
const QStringList BuiltInTransmitters{QStringLiteral("None"), QStringLiteral("Register 7 = 1"),
                                      QStringLiteral("RTS = 1"), QStringLiteral("DTR = 0")};

void showIndex(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

// The box's choice as an ordinal of its setting, or -1 for "leave it".
int chosenOrdinal(const QComboBox* box, int offset, int count) {
    const int index = box->currentIndex();
    if (index < 0 || index + offset >= count) return -1;
    return index + offset;
}

QString accessAdvice(const QString& device) {
    const QFileInfo info(device);
    const QString group = info.exists() ? info.group() : QString();
    if (group.isEmpty() || group == QLatin1String("root"))
        return QStringLiteral("You have no read and write access to %1. Ask the administrator of "
                              "this computer for it.")
            .arg(device);
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = QStringLiteral("$USER");
    return QStringLiteral("Access to %1 is granted to the members of the group \"%2\". Add your "
                          "user to that group (for example: sudo usermod -aG %2 %3), then log "
                          "out and in again.")
        .arg(device, group, user);
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

    ComboPoort->addItems(builtInPorts());
    Combo_IO->addItems(BuiltInAddresses);
    ComboBaud->addItems(builtInBaudrates());
    ComboDataBits->addItems(BuiltInDataBits);
    ComboParity->addItems(BuiltInParity);
    ComboStopBits->addItems(BuiltInStopBits);
    ComboHardware->addItems(BuiltInHardware);
    ComboPortType->addItems(BuiltInPortTypes);
    ComboReceiver->addItems(BuiltInReceivers);
    ComboTransmitter->addItems(BuiltInTransmitters);

    connect(ComboPoort, &QComboBox::activated, this, [this] { ComboPoortClick(); });
    connect(ComboHardware, &QComboBox::activated, this, [this] { ComboHardwareClick(); });
    for (QComboBox* box : {ComboPortType, ComboReceiver, ComboTransmitter})
        connect(box, &QComboBox::activated, this, [this] { ComboPortTypeClick(); });
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
    if (language_.LanguageLoaded()) applyTexts();
    listDevices();
    showSettings();
    PageControl1->setCurrentIndex(0);
    ComboPoort->setFocus();
}

void TFormInitSerial::applyTexts() {
    auto text = [this](const char* key, const char* def) {
        return language_.text(Section, QLatin1String(key), QLatin1String(def));
    };
    setWindowTitle(text("Caption", "Seriele poort"));
    PageControl1->setTabText(0, text("RegInterface", "Interface"));
    PageControl1->setTabText(1, text("RegExtended", "Extended"));
    CmdOK->setText(text("CmdOK", "OK"));
    CmdCancel->setText(text("CmdCancel", "Cancel"));
    LabelPoort->setText(text("PortLabel", "Poort"));
    LabelDevice->setText(text("DeviceLabel", "Device"));
    Label_IO->setText(text("IOLabel", "IO"));
    LabelBaud->setText(text("BaudLabel", "Baud"));
    LabelDataBits->setText(text("DatabitLabel", "Bits"));
    LabelParity->setText(text("ParityLabel", "Parity"));
    LabelStopBits->setText(text("StopbitLabel", "stopbits"));
    LabelHardware->setText(text("HardwareLabel", "hardware"));
    LabelPortType->setText(text("PortTypeLabel", "Poorttype"));
    LabelReceiver->setText(text("ReceiverLabel", "Receiver"));
    LabelTransmitter->setText(text("TransmitterLabel", "Transmitter"));

    setItems(ComboPoort, QStringLiteral("PortItems"), builtInPorts(), PortCount);
    setItems(Combo_IO, QStringLiteral("IOItems"), BuiltInAddresses, PortAddrCount);
    setItems(ComboBaud, QStringLiteral("BaudItems"), builtInBaudrates(),
             BaudrateCount - BaudOffset);
    setItems(ComboDataBits, QStringLiteral("DataBitItems"), BuiltInDataBits, DataBitCount);
    setItems(ComboParity, QStringLiteral("ParityItems"), BuiltInParity, ParityCount);
    setItems(ComboStopBits, QStringLiteral("StopbitItems"), BuiltInStopBits, StopBitCount);
    setItems(ComboHardware, QStringLiteral("HardwareItems"), BuiltInHardware, HardwareCount);
    setItems(ComboPortType, QStringLiteral("PortTypeItems"), BuiltInPortTypes, PortTypeCount);
    setItems(ComboReceiver, QStringLiteral("ReceiverItems"), BuiltInReceivers, ReceiverCount);
    setItems(ComboTransmitter, QStringLiteral("TransmitterItems"), BuiltInTransmitters,
             TransmitterCount);
}

void TFormInitSerial::setItems(QComboBox* box, const QString& key, const QStringList& builtIn,
                               int count) {
    QStringList items = ListText::read(language_.text(Section, key, QString()));
    // A language file without the list would leave an empty box in which
    // nothing can be chosen; the built-in names serve better.
    if (items.isEmpty()) items = builtIn;
    // An item beyond the last setting would stand for nothing.
    if (items.size() > count) items.resize(count);
    box->clear();
    box->addItems(items);
}

void TFormInitSerial::showSettings() {
    showIndex(ComboPoort, int(port_.PortName()));
    showIndex(Combo_IO, int(port_.PortAddress()));
    showIndex(ComboBaud, int(port_.Baudrate()) - BaudOffset);
    // A rate below 9600 has no item; the empty box says which one stays.
    ComboBaud->setPlaceholderText(QString::number(baudrateValue(port_.Baudrate())));
    showIndex(ComboDataBits, int(port_.FrameDatabits()));
    showIndex(ComboParity, int(port_.FrameParitybit()));
    showIndex(ComboStopBits, int(port_.FrameStopbits()));
    showIndex(ComboHardware, int(port_.Hardware()));
    showIndex(ComboPortType, int(port_.PortType()));
    showIndex(ComboReceiver, int(port_.ReceiveDriver()));
    showIndex(ComboTransmitter, int(port_.TransmitDriver()));

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
    ComboDevice->addItem(QStringLiteral("sim — simulated bus"),
                         QString::fromLatin1(PortMap::SimDevice));
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
    const TPort port = TPort(portIndex);
    const QString effective = portMap_.effectiveDevice(port);
    const bool overridden = effective != portMap_.device(port);
    LabelDeviceNote->setText(
        overridden ? QStringLiteral("This run uses %1 for every port.").arg(effective) : QString());
    LabelDeviceNote->setVisible(overridden);
}

void TFormInitSerial::rememberDevice() {
    if (devicePortShown_ >= 0) pendingDevice_[devicePortShown_] = chosenDevice();
}

void TFormInitSerial::ComboPoortClick() {
    rememberDevice();
    // Ports beyond COM4 keep the last address, as the port object gives them.
    const int index = ComboPoort->currentIndex();
    showIndex(Combo_IO, index < 0 ? -1 : std::min(index, Combo_IO->count() - 1));
    showDeviceOf(index);
}

void TFormInitSerial::ComboHardwareClick() {
    struct Row {
        int portType, receiver, transmitter;
    };
    static constexpr Row rows[HardwareCount] = {
        {0, 0, 0}, // Standard: RS232C, none, none
        {2, 1, 1}, // PCLab PCL-745: RS485, register 7 = 2, register 7 = 1
        {0, 0, 3}, // Phoenix PSM: RS232C, none, DTR = 0
        {0, 0, 0}, // user defined starts from a plain port
    };
    const int index = ComboHardware->currentIndex();
    if (index < 0 || index >= HardwareCount) return;
    showIndex(ComboPortType, rows[index].portType);
    showIndex(ComboReceiver, rows[index].receiver);
    showIndex(ComboTransmitter, rows[index].transmitter);
}

void TFormInitSerial::ComboPortTypeClick() {
    showIndex(ComboHardware, int(THardware::UserDefined));
}

void TFormInitSerial::applySettings() {
    // The order matters: the port name resets the address, and the hardware
    // preset resets the three settings after it, which then may override it.
    if (const int i = chosenOrdinal(ComboPoort, 0, PortCount); i >= 0) port_.SetPortName(TPort(i));
    if (const int i = chosenOrdinal(Combo_IO, 0, PortAddrCount); i >= 0)
        port_.SetPortAddress(TPortAddr(i));
    if (const int i = chosenOrdinal(ComboBaud, BaudOffset, BaudrateCount); i >= 0)
        port_.SetBaudrate(TBaudrate(i));
    if (const int i = chosenOrdinal(ComboDataBits, 0, DataBitCount); i >= 0)
        port_.SetFrameDatabits(TDataBit(i));
    if (const int i = chosenOrdinal(ComboParity, 0, ParityCount); i >= 0)
        port_.SetFrameParitybit(TParityBit(i));
    if (const int i = chosenOrdinal(ComboStopBits, 0, StopBitCount); i >= 0)
        port_.SetFrameStopbits(TStopBit(i));
    if (const int i = chosenOrdinal(ComboHardware, 0, HardwareCount); i >= 0)
        port_.SetHardware(THardware(i));
    if (const int i = chosenOrdinal(ComboPortType, 0, PortTypeCount); i >= 0)
        port_.SetPortType(TPortType(i));
    if (const int i = chosenOrdinal(ComboReceiver, 0, ReceiverCount); i >= 0)
        port_.SetReceiveDriver(TReceiveDriver(i));
    if (const int i = chosenOrdinal(ComboTransmitter, 0, TransmitterCount); i >= 0)
        port_.SetTransmitDriver(TTransmitDriver(i));
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
        showOpenError(e.message(), e.systemError());
        return;
    } catch (const ECommInitError& e) {
        showOpenError(e.message(), 0);
        return;
    }
    QDialog::accept();
}

void TFormInitSerial::showOpenError(const QString& message, int systemError) {
    const QString device = port_.devicePath();
    QStringList lines;
    lines << QStringLiteral("%1 (%2) cannot be opened:").arg(PortMap::key(port_.PortName()), device)
          << message;
    switch (systemError) {
    case EACCES:
    case EPERM:
        lines << QString() << accessAdvice(device);
        break;
    case EBUSY:
        lines << QString()
              << QStringLiteral("Another program, or another copy of this one, is using the "
                                "device. Close it and press OK again.");
        break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        lines << QString()
              << QStringLiteral("Check that the converter is plugged in, or choose another "
                                "device.");
        break;
    default:
        break;
    }
    dialogs_.error(this, windowTitle(), lines.join(QLatin1Char('\n')));
}

void TFormInitSerial::CmdCancelClick() {
    QDialog::reject();
}

void TFormInitSerial::reject() {
    CmdCancelClick();
}

} // namespace kqm52
