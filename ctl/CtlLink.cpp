#include "ctl/CtlLink.h"

#include "inifile/IniFile.h"
#include "link/RQ500Protocol.h"
#include "link/UnitProtocol.h"
#include "model/engines/TableTransfer.h"
#include "model/files/SettingsFile.h"
#include "model/texts/PortOpenText.h"
#include "model/values/ParameterCatalogue.h"
#include "sim/DemoBus.h"
#include "sim/SimDriver.h"

#include <cstring>

namespace kqm52::ctl {

namespace {

std::optional<TPort> comPort(const QString& text) {
    for (int i = 0; i < PortCount; ++i)
        if (text.compare(PortMap::key(TPort(i)), Qt::CaseInsensitive) == 0) return TPort(i);
    return std::nullopt;
}

} // namespace

int CtlLink::settingsLanguage(const ProgramFolders& folders) {
    TZRComm port;
    PortMap map;
    int unit = 0;
    ProgramSettings settings;
    settings.folders = folders;
    SettingsFile::read(folders.settingsPath(), port, unit, settings, map);
    return settings.LanguageNo;
}

CtlLink::CtlLink(const CtlOptions& options, const CtlBusSpec& bus, CtlContext& context)
    : context_(context) {
    port_.setPortMap(&map_);
    ProgramSettings settings;
    settings.folders = context.folders;
    // Without application.ini the settings table's defaults hold (38400,E,8,1,
    // COM1, unit 0), the line a fresh program writes on its first close.
    if (!SettingsFile::read(context.folders.settingsPath(), port_, unit_, settings, map_))
        SettingsFile::read(IniFile(), port_, unit_, settings, map_);
    languageNo_ = settings.LanguageNo;

    // Each link has a map of its own, so two ports that lead to "sim" are two
    // demo buses, not two openings of one.
    if (const auto own = context.simBuses.find(bus.port); own != context.simBuses.end())
        installSimulatedBus(map_, own->second);
    else if (context.simBus)
        installSimulatedBus(map_, context.simBus);
    else
        installDemoBus(map_, context.folders.dataFolder(ParameterCatalogue::definitionFileName()));

    if (!bus.port.isEmpty()) {
        if (const auto com = comPort(bus.port)) {
            port_.SetPortName(*com);
        } else {
            map_.setOverride(bus.port);
            mappedDevice_ = true;
        }
    }
    if (const auto baud = bus.baud ? bus.baud : options.baud) port_.SetBaudrate(*baud);
    if (const auto parity = bus.parity ? bus.parity : options.parity)
        port_.SetFrameParitybit(*parity);
    if (bus.dataBits) port_.SetFrameDatabits(*bus.dataBits);
    if (const auto stop = bus.stopBits ? bus.stopBits : options.stopBits)
        port_.SetFrameStopbits(*stop);
    if (options.unit) unit_ = *options.unit;
    if (options.language) languageNo_ = *options.language;
    port_.SetFastFraming(options.fast);

    const QString journalPath = options.journal                  ? *options.journal
                                : !context.journalPath.isEmpty() ? context.journalPath
                                                                 : context.folders.journalPath();
    journal_ = std::make_unique<ServiceJournal>(
        port_, journalPath,
        ServiceJournal::Origin{.program = QStringLiteral("kqm52ctl"),
                               .version = QStringLiteral(KQM52_VERSION)});
    journal_->portText = [this] { return portText(); };
    journal_->lineText = [this] { return lineText(); };
}

CtlLink::~CtlLink() {
    close();
    // What the run wrote reaches the file before the program ends.
    journal_.reset();
}

QString CtlLink::portText() const {
    const QString device = map_.effectiveDevice(port_.PortName());
    if (mappedDevice_) return device;
    return QStringLiteral("%1 (%2)").arg(PortMap::key(port_.PortName()), device);
}

QString CtlLink::lineText() const {
    return port_.lineSettingsText();
}

QString CtlLink::lineShown(const LanguageTexts& language) const {
    return portLineText(language, port_);
}

bool CtlLink::open(QString& error, const LanguageTexts& language) {
    try {
        port_.SetActive(true);
        return true;
    } catch (const ECommHandleError& e) {
        error = language.text(TextId{"Ctl", "PortNotOpened"})
                    .arg(portText(), portOpenReason(language, map_, e));
    } catch (const ECommInitError& e) {
        error = language.text(TextId{"Ctl", "PortNotSetUp"}).arg(portText(), e.message());
    }
    return false;
}

void CtlLink::close() {
    try {
        port_.SetActive(false);
    } catch (const std::exception&) {
        // Closing a port whose device went away reports that; the run is
        // over either way and has already said what failed.
    }
}

Answer CtlLink::ask(const QString& request, int timeoutMs) {
    TRQ500Protocol component;
    component.setUpForDevice(timeoutMs);
    component.SetZRComm(&port_);
    Answer answer;
    bool done = false;
    component.OnCommResult = [&](TZRProtocolComponent*, const QByteArray& reply) {
        answer.reply = reply;
        done = true;
    };
    component.OnCommError = [&](TZRProtocolComponent*, const TCommError& e, const QByteArray& r) {
        if (e.ok()) return; // the all-clear after an earlier error, not an outcome
        answer.error = e;
        answer.reply = r;
        done = true;
    };
    component.SetASCIIProtocol(request);
    component.Send();
    waitUntil([&] { return done; });
    if (answer.ok()) {
        answer.said =
            kqm52::unit::classifyReply(request, answer.reply, TableTransfer::ReplyBufferSize);
        if (!answer.said.fromRequest()) port_.distrustLine();
    }
    return answer;
}

Answer CtlLink::askChecked(const QString& request, int timeoutMs) {
    const Answer first = ask(request, timeoutMs);
    if (!first.ok() || first.said.fromRequest() || interrupted()) return first;
    return ask(request, timeoutMs);
}

bool CtlLink::select(int unit, Answer* answer) {
    const Answer a = askChecked(kqm52::unit::selectUnit(unit));
    if (answer) *answer = a;
    return a.ok() && a.said.answers();
}

QString commErrorText(const LanguageTexts& language, const TCommError& error) {
    using Text = TextIn<"Ctl">;
    switch (error.Code) {
    case CommCode::Timeout:
        return language.text(Text{"CommTimeout"});
    case CommCode::DriverFailed:
        return language.text(Text{"CommDriver"})
            .arg(QString::fromLocal8Bit(std::strerror(error.SystemError)))
            .arg(error.SystemError);
    case CommCode::LineError:
        return language.text(Text{"CommLine"}).arg(error.LineErrors);
    case CommCode::PortClosed:
        return language.text(Text{"CommClosed"});
    default:
        return language.text(Text{"CommOther"})
            .arg(error.Code)
            .arg(error.SystemError)
            .arg(error.LineErrors);
    }
}

} // namespace kqm52::ctl
