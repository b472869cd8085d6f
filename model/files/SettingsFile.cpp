#include "model/files/SettingsFile.h"

#include "inifile/IniFile.h"
#include "inifile/RegularFile.h"
#include "link/PortMap.h"
#include "link/ZRComm.h"

#include <algorithm>

namespace kqm52 {

namespace {

const QString Serieel = QStringLiteral("Serieel");
const QString Opties = QStringLiteral("Opties");
const QString Algemeen = QStringLiteral("Algemeen");
const QString Afdrukken = QStringLiteral("Afdrukken");
const QString Grafiek = QStringLiteral("Grafiek");
const QString Poorten = QStringLiteral("Poorten");
// The editors' recent files, in a section older versions pass over.
const QString Recent = QStringLiteral("RecenteBestanden");
const QString RecentParameters = QStringLiteral("Parameters");
const QString RecentSetpoints = QStringLiteral("Sollwerten");
// The port's FastFraming; absent means off.
const QString FastFraming = QStringLiteral("fastframing");

// The order in which a user finds the settings in the file, whatever order
// an older or hand-edited file had.  "Poorten" follows the program's own
// sections with its entries as they were read; keys and sections the program
// does not know follow its own, so a user's notes are not lost.
const QStringList SectionOrder{Serieel, Opties, Algemeen, Afdrukken, Grafiek, Poorten, Recent};
const QStringList SerieelOrder{"baudrate",   "databit",     "parity",   "stopbit",
                               "hardware",   "portaddr",    "portname", "porttype",
                               "receivedrv", "transmitdrv", "unit_no",  "fastframing"};
const QStringList AfdrukkenOrder{"Firma", "Type", "Sn"};
const QStringList GrafiekOrder{"X_Div", "Y_Div", "BronItem", "X_hulplijn", "Y_hulplijn"};

// An enumeration stored as its ordinal.  A value the enumeration does not
// have (a hand-edited file, a newer version's file) reads as the key's
// default: the setters index tables by it.
template <typename E> E readEnum(const IniFile& ini, const QString& key, int def, int count) {
    const int v = ini.readInteger(Serieel, key, def);
    return E((v >= 0 && v < count) ? v : def);
}

// Flags are numbers: anything but 0 is true.
bool readFlag(const IniFile& ini, const QString& section, const QString& key, bool def) {
    return ini.readInteger(section, key, def ? 1 : 0) != 0;
}

// Keys Parameters1 … Parameters8 (and Sollwerten…), newest first; a gap or
// an empty value is passed over.
RecentFiles readRecent(const IniFile& ini, const QString& prefix) {
    RecentFiles recent;
    for (int i = 1; i <= RecentFiles::MaxFiles; ++i) {
        const QString path = ini.readString(Recent, prefix + QString::number(i)).trimmed();
        if (!path.isEmpty() && !recent.files.contains(path)) recent.files << path;
    }
    return recent;
}

void writeRecent(IniFile& ini, const QString& prefix, const RecentFiles& recent) {
    for (int i = 1; i <= RecentFiles::MaxFiles; ++i) {
        const QString key = prefix + QString::number(i);
        if (i <= recent.files.size())
            ini.writeString(Recent, key, recent.files[i - 1]);
        else
            ini.deleteKey(Recent, key);
    }
}

QStringList recentOrder() {
    QStringList keys;
    for (const QString& prefix : {RecentParameters, RecentSetpoints})
        for (int i = 1; i <= RecentFiles::MaxFiles; ++i)
            keys << prefix + QString::number(i);
    return keys;
}

} // namespace

bool SettingsFile::read(const QString& path, TZRComm& port, int& unitNo, ProgramSettings& settings,
                        PortMap& ports, ReadProblem* problem) {
    if (problem) *problem = ReadProblem{};
    if (!isRegularFile(path)) return false;
    IniFile ini;
    if (!ini.load(path, problem)) return false;
    read(ini, port, unitNo, settings, ports);
    return true;
}

void SettingsFile::read(const IniFile& ini, TZRComm& port, int& unitNo, ProgramSettings& settings,
                        PortMap& ports) {
    // Straight through the port's setters, in file order: the hardware
    // preset may adjust port type and drivers, and the keys after it then
    // set what the file says.
    port.SetBaudrate(readEnum<TBaudrate>(ini, QStringLiteral("baudrate"), 6, 9));
    port.SetFrameDatabits(readEnum<TDataBit>(ini, QStringLiteral("databit"), 1, 2));
    port.SetFrameParitybit(readEnum<TParityBit>(ini, QStringLiteral("parity"), 1, 3));
    port.SetFrameStopbits(readEnum<TStopBit>(ini, QStringLiteral("stopbit"), 0, 2));
    port.SetHardware(readEnum<THardware>(ini, QStringLiteral("hardware"), 2, 4));
    const auto address = readEnum<TPortAddr>(ini, QStringLiteral("portaddr"), 3, 4);
    port.SetPortAddress(address);
    port.SetPortName(readEnum<TPort>(ini, QStringLiteral("portname"), 0, PortCount));
    // Setting the port name also sets its usual address.  A stored address
    // was chosen on purpose, so it must survive the round trip.
    if (ini.hasKey(Serieel, QStringLiteral("portaddr"))) port.SetPortAddress(address);
    port.SetPortType(readEnum<TPortType>(ini, QStringLiteral("porttype"), 0, 3));
    port.SetReceiveDriver(readEnum<TReceiveDriver>(ini, QStringLiteral("receivedrv"), 0, 2));
    port.SetTransmitDriver(readEnum<TTransmitDriver>(ini, QStringLiteral("transmitdrv"), 3, 4));
    unitNo = std::clamp(ini.readInteger(Serieel, QStringLiteral("unit_no"), 0), 0, MaxUnitNo);
    port.SetFastFraming(readFlag(ini, Serieel, FastFraming, false));

    settings.LanguageNo = ini.readInteger(Opties, QStringLiteral("Taal"), 0);
    settings.DialogPath = ini.readString(Algemeen, QStringLiteral("OpenCloseDialoogPath"));
    settings.PrintCompany = ini.readString(Afdrukken, QStringLiteral("Firma"));
    settings.PrintType = ini.readString(Afdrukken, QStringLiteral("Type"));
    settings.PrintSerial = ini.readString(Afdrukken, QStringLiteral("Sn"));
    settings.graph.X_Div = ini.readInteger(Grafiek, QStringLiteral("X_Div"), 0);
    settings.graph.Y_Div = ini.readInteger(Grafiek, QStringLiteral("Y_Div"), 0);
    settings.graph.BronItem = ini.readInteger(Grafiek, QStringLiteral("BronItem"), 0);
    settings.graph.X_hulplijn = readFlag(ini, Grafiek, QStringLiteral("X_hulplijn"), false);
    settings.graph.Y_hulplijn = readFlag(ini, Grafiek, QStringLiteral("Y_hulplijn"), false);

    settings.recentParameterFiles = readRecent(ini, RecentParameters);
    settings.recentSetpointFiles = readRecent(ini, RecentSetpoints);

    for (int i = 0; i < PortCount; ++i) {
        const TPort p = TPort(i);
        if (ini.hasKey(Poorten, PortMap::key(p)))
            ports.setDevice(p, ini.readString(Poorten, PortMap::key(p)).trimmed());
    }
}

void SettingsFile::write(IniFile& ini, const TZRComm& port, int unitNo,
                         const ProgramSettings& settings, const PortMap& ports) {
    ini.writeInteger(Serieel, QStringLiteral("baudrate"), int(port.Baudrate()));
    ini.writeInteger(Serieel, QStringLiteral("databit"), int(port.FrameDatabits()));
    ini.writeInteger(Serieel, QStringLiteral("parity"), int(port.FrameParitybit()));
    ini.writeInteger(Serieel, QStringLiteral("stopbit"), int(port.FrameStopbits()));
    ini.writeInteger(Serieel, QStringLiteral("hardware"), int(port.Hardware()));
    ini.writeInteger(Serieel, QStringLiteral("portaddr"), int(port.PortAddress()));
    ini.writeInteger(Serieel, QStringLiteral("portname"), int(port.PortName()));
    ini.writeInteger(Serieel, QStringLiteral("porttype"), int(port.PortType()));
    ini.writeInteger(Serieel, QStringLiteral("receivedrv"), int(port.ReceiveDriver()));
    ini.writeInteger(Serieel, QStringLiteral("transmitdrv"), int(port.TransmitDriver()));
    ini.writeInteger(Serieel, QStringLiteral("unit_no"), std::clamp(unitNo, 0, MaxUnitNo));
    // Written only while on, so a settings file of a user who never chose it
    // looks as it always has; switching it off takes the key out again.
    if (port.FastFraming())
        ini.writeInteger(Serieel, FastFraming, 1);
    else
        ini.deleteKey(Serieel, FastFraming);

    ini.writeInteger(Opties, QStringLiteral("Taal"), settings.LanguageNo);
    ini.writeString(Algemeen, QStringLiteral("OpenCloseDialoogPath"), settings.DialogPath);
    ini.writeString(Afdrukken, QStringLiteral("Firma"), settings.PrintCompany);
    ini.writeString(Afdrukken, QStringLiteral("Type"), settings.PrintType);
    ini.writeString(Afdrukken, QStringLiteral("Sn"), settings.PrintSerial);
    ini.writeInteger(Grafiek, QStringLiteral("X_Div"), settings.graph.X_Div);
    ini.writeInteger(Grafiek, QStringLiteral("Y_Div"), settings.graph.Y_Div);
    ini.writeInteger(Grafiek, QStringLiteral("BronItem"), settings.graph.BronItem);
    ini.writeBool(Grafiek, QStringLiteral("X_hulplijn"), settings.graph.X_hulplijn);
    ini.writeBool(Grafiek, QStringLiteral("Y_hulplijn"), settings.graph.Y_hulplijn);

    for (int i = 0; i < PortCount; ++i) {
        const TPort p = TPort(i);
        if (ports.isConfigured(p)) ini.writeString(Poorten, PortMap::key(p), ports.device(p));
    }
    writeRecent(ini, RecentParameters, settings.recentParameterFiles);
    writeRecent(ini, RecentSetpoints, settings.recentSetpointFiles);

    ini.orderSections(SectionOrder);
    ini.orderKeys(Serieel, SerieelOrder);
    ini.orderKeys(Opties, {QStringLiteral("Taal")});
    ini.orderKeys(Algemeen, {QStringLiteral("OpenCloseDialoogPath")});
    ini.orderKeys(Afdrukken, AfdrukkenOrder);
    ini.orderKeys(Grafiek, GrafiekOrder);
    ini.orderKeys(Recent, recentOrder());
}

bool SettingsFile::write(const QString& path, const TZRComm& port, int unitNo,
                         const ProgramSettings& settings, const PortMap& ports, QString* error) {
    IniFile ini;
    // Keep what others put in the file; a file that cannot be read is
    // written fresh.
    ini.load(path);
    write(ini, port, unitNo, settings, ports);
    return ini.save(path, error);
}

} // namespace kqm52
