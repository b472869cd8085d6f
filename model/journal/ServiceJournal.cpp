#include "model/journal/ServiceJournal.h"

#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/journal/JournalWriter.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QVariant>

#include <array>
#include <pwd.h>
#include <unistd.h>

namespace kqm52 {

namespace journal {

namespace {

const std::array<const char*, ActionCount> ActionNames = {
    "parameter send",
    "setpoint send",
    "parameter and setpoint send",
    "restore",
    "compare write",
    "service window",
    "calibration constant",
    "EEPROM save",
    "recompute",
    "terminal line",
    "setpoint write",
    "receive",
    "backup",
    "kqm52ctl set",
    "kqm52ctl send",
    "kqm52ctl restore",
};

} // namespace

QString actionName(Action action) {
    return QString::fromLatin1(ActionNames[std::size_t(action)]);
}

std::optional<Action> actionNamed(const QString& name) {
    for (int i = 0; i < ActionCount; ++i)
        if (name == QLatin1String(ActionNames[std::size_t(i)])) return Action(i);
    return std::nullopt;
}

bool isRead(Action action) {
    return action == Action::Receive || action == Action::Backup;
}

QString notFinished() {
    return QStringLiteral("not finished");
}
QString done() {
    return QStringLiteral("done");
}
QString cancelled() {
    return QStringLiteral("cancelled");
}
QString refused() {
    return QStringLiteral("refused");
}
QString stoppedAt(const QString& item) {
    return QStringLiteral("stopped at ") + item;
}

QString fileSha256(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return {};
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace journal

namespace {

// The reader's buffer, as the transfers read their replies: a reply the
// program would not take as an answer is not recorded as one.
constexpr int ReplyBufferSize = 100;

QString loginName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        if (const passwd* pw = ::getpwuid(::getuid())) name = QString::fromLocal8Bit(pw->pw_name);
    return name;
}

QString itemName(QChar kind, int number) {
    return kind == QLatin1Char('S')
               ? QStringLiteral("S%1").arg(number, 2, 10, QLatin1Char('0'))
               : QStringLiteral("%1%2").arg(kind).arg(number, 3, 10, QLatin1Char('0'));
}

struct Write {
    QChar kind;
    int number = -1;
    std::optional<qint64> value;
};

// What a request writes, when it writes anything.
std::optional<Write> writeOf(unit::Command command, const QString& request) {
    const QStringList words = request.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto arg = [&](int i) -> std::optional<qint64> {
        if (words.size() <= i) return std::nullopt;
        if (auto v = unit::parseWireInteger(words[i].toLatin1())) return *v;
        return std::nullopt;
    };
    switch (command) {
    case unit::Command::WriteParameter:
    case unit::Command::WriteSetpoint:
    case unit::Command::WriteCalibration: {
        const auto number = arg(1);
        if (!number) return std::nullopt;
        const QChar kind = command == unit::Command::WriteParameter  ? QLatin1Char('P')
                           : command == unit::Command::WriteSetpoint ? QLatin1Char('S')
                                                                     : QLatin1Char('K');
        return Write{kind, int(*number), arg(2)};
    }
    case unit::Command::Compute:
    case unit::Command::StoreCalibration:
        return Write{QLatin1Char('C'), -1, std::nullopt};
    default:
        return std::nullopt;
    }
}

QChar readKind(unit::Command command) {
    switch (command) {
    case unit::Command::ReadParameter:
        return QLatin1Char('P');
    case unit::Command::ReadSetpoint:
        return QLatin1Char('S');
    case unit::Command::ReadCalibration:
        return QLatin1Char('K');
    default:
        return {};
    }
}

journal::Action autoAction(unit::Command command) {
    switch (command) {
    case unit::Command::WriteSetpoint:
        return journal::Action::SetpointWrite;
    case unit::Command::WriteCalibration:
        return journal::Action::CalibrationConstant;
    case unit::Command::StoreCalibration:
        return journal::Action::EepromSave;
    case unit::Command::Compute:
        return journal::Action::Recompute;
    default:
        return journal::Action::ServiceWindow;
    }
}

} // namespace

ServiceJournal::ServiceJournal(TZRComm& port, const QString& path, Origin origin)
    : port_(port), origin_(std::move(origin)), writer_(std::make_unique<JournalWriter>(path)) {
    if (origin_.user.isEmpty()) origin_.user = loginName();
    if (origin_.host.isEmpty()) origin_.host = QSysInfo::machineHostName();
    port_.setExchangeObserver(this);
}

ServiceJournal::~ServiceJournal() {
    if (port_.exchangeObserver() == this) port_.setExchangeObserver(nullptr);
    // An action still open when the program ends stays "not finished": so it
    // was.
}

ServiceJournal* ServiceJournal::of(TZRComm& port) {
    return dynamic_cast<ServiceJournal*>(port.exchangeObserver());
}

bool ServiceJournal::off() const {
    return writer_->failed();
}
QString ServiceJournal::problem() const {
    return writer_->problem();
}
QString ServiceJournal::path() const {
    return writer_->path();
}

bool ServiceJournal::check() {
    const bool ok = writer_->check();
    noticeProblem();
    return ok;
}

bool ServiceJournal::sync() {
    const bool ok = writer_->sync();
    noticeProblem();
    return ok;
}

void ServiceJournal::noticeProblem() {
    if (!movedAsideTold_) {
        if (const QString aside = writer_->movedAside(); !aside.isEmpty()) {
            movedAsideTold_ = true;
            if (onMovedAside) onMovedAside(writer_->path(), aside);
        }
    }
    if (problemTold_ || !writer_->failed()) return;
    problemTold_ = true;
    if (onProblem) onProblem(writer_->problem());
}

QString ServiceJournal::serialOf(const Identity& id) const {
    return unit::serialNumberIn(id.type, id.hardware, id.extra);
}

void ServiceJournal::openEntry(journal::Action action, const QString& file) {
    const QDateTime now = QDateTime::currentDateTime();
    JournalEntry e;
    e.time = now.toUTC();
    e.utcOffsetSeconds = now.offsetFromUtc();
    e.user = origin_.user;
    e.host = origin_.host;
    e.program = origin_.program;
    e.version = origin_.version;
    e.port = portText ? portText() : port_.devicePath();
    e.line = lineText ? lineText() : port_.lineSettingsText();
    e.unit = unit_;
    if (const auto id = identities_.find(unit_); id != identities_.end()) {
        e.unitType = id->second.type;
        e.serial = serialOf(id->second);
    }
    e.action = journal::actionName(action);
    if (!file.isEmpty()) {
        e.file = QFileInfo(file).absoluteFilePath();
        e.fileSha256 = journal::fileSha256(file);
    }
    e.outcome = journal::notFinished();
    entry_ = lastEntry_ = writer_->newEntry(e);
    entryUnit_ = unit_;
    action_ = action;
    sender_ = nullptr;
    noticeProblem();
}

void ServiceJournal::beginAction(journal::Action action, const QString& file, const void* sender) {
    openEntry(action, file);
    sender_ = sender;
}

void ServiceJournal::endAction(const QString& outcome) {
    if (entry_ == 0) return;
    writer_->setOutcome(entry_, outcome);
    entry_ = 0;
    sender_ = nullptr;
    noticeProblem();
}

void ServiceJournal::setFileOfLastEntry(const QString& file) {
    if (lastEntry_ == 0) return;
    writer_->setFile(lastEntry_, QFileInfo(file).absoluteFilePath(), journal::fileSha256(file));
}

std::optional<qint64> ServiceJournal::knownValue(int unit, QChar kind, int number) const {
    const auto it = known_.find({unit, kind, number});
    return it == known_.end() ? std::nullopt : std::optional(it->second);
}

void ServiceJournal::item(const JournalItem& item) {
    writer_->addItem(entry_, item);
    noticeProblem();
}

namespace {

constexpr const char* WindowActionProperty = "kqm52JournalAction";

} // namespace

void ServiceJournal::setWindowAction(QObject& component, journal::Action action) {
    component.setProperty(WindowActionProperty, int(action));
}

void ServiceJournal::exchanged(const QObject* sender, const QString& request,
                               const TCommError& error, const QByteArray& reply) {
    // The file fails on the writer's thread, after the write that found it
    // out: the next request of any window is the first moment to say so.
    noticeProblem();
    const unit::Command command = unit::commandOf(request);
    const unit::Reply r =
        error.ok() ? unit::classifyReply(request, reply, ReplyBufferSize) : unit::Reply{};
    const bool answered = error.ok() && !reply.isEmpty();
    const QString answer = !answered                              ? QStringLiteral("no answer")
                           : r.kind == unit::Reply::Kind::Refused ? unit::refusalText(r.error)
                                                                  : r.text;

    // Another window's request while an entry is open for one component
    // (the live values read while a terminal line waits) is not that entry's.
    const bool ours = entry_ != 0 && (sender_ == nullptr || sender_ == sender);
    const bool inTerminal = ours && action_ == journal::Action::TerminalLine;
    if (inTerminal) item({.kind = QLatin1Char('T'), .line = request, .answer = answer});

    switch (command) {
    case unit::Command::SelectUnit:
        if (r.answers() && r.number) unit_ = *r.number;
        return;
    case unit::Command::ReadType:
    case unit::Command::ReadHardware:
    case unit::Command::ReadExtra: {
        if (!r.answers()) return;
        Identity& id = identities_[unit_];
        if (command == unit::Command::ReadType)
            id.type = unit::deviceType(r);
        else
            (command == unit::Command::ReadHardware ? id.hardware : id.extra) = r.answer;
        if (entry_ != 0 && entryUnit_ == unit_) writer_->setIdentity(entry_, id.type, serialOf(id));
        return;
    }
    default:
        break;
    }

    if (const QChar kind = readKind(command); !kind.isNull()) {
        const auto value = r.readValue();
        if (!value || !r.number) return;
        known_[{unit_, kind, *r.number}] = *value;
        if (ours && journal::isRead(action_))
            item({.kind = kind,
                  .number = *r.number,
                  .newValue = *value,
                  .line = request,
                  .answer = answer});
        return;
    }

    const std::optional<Write> write = writeOf(command, request);
    if (!write) return;
    const bool confirmed = r.answers() || r.kind == unit::Reply::Kind::ComputeDone;
    // A write outside the open entry's component is an entry of its own,
    // after which the open one goes on.
    const bool autoEntry = !ours;
    struct Saved {
        int entry, lastEntry, unit;
        journal::Action action;
        const void* sender;
    };
    const Saved saved{entry_, lastEntry_, entryUnit_, action_, sender_};
    if (autoEntry) {
        journal::Action action = autoAction(command);
        // Calibration constants and the EEPROM save are what they are,
        // whoever sends them; a parameter or recomputation is its window's.
        const QVariant window = sender ? sender->property(WindowActionProperty) : QVariant();
        if (window.isValid() && command != unit::Command::WriteCalibration &&
            command != unit::Command::StoreCalibration)
            action = journal::Action(window.toInt());
        openEntry(action, {});
    }
    if (!inTerminal) {
        JournalItem row{.kind = write->kind,
                        .number = write->number,
                        .newValue = write->value,
                        .line = request,
                        .answer = answer};
        if (write->number >= 0) row.oldValue = knownValue(unit_, write->kind, write->number);
        item(row);
    }
    if (confirmed && write->value && write->number >= 0)
        known_[{unit_, write->kind, write->number}] = *write->value;
    if (autoEntry) {
        endAction(confirmed ? journal::done()
                  : r.kind == unit::Reply::Kind::Refused ||
                          r.kind == unit::Reply::Kind::ComputeFailed
                      ? journal::refused()
                      : journal::stoppedAt(write->number >= 0 ? itemName(write->kind, write->number)
                                                              : request));
        if (saved.entry != 0) {
            entry_ = saved.entry;
            lastEntry_ = saved.lastEntry;
            entryUnit_ = saved.unit;
            action_ = saved.action;
            sender_ = saved.sender;
        }
    }
}

} // namespace kqm52
