#include "link/UnitProtocol.h"

#include "link/ReplyText.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace kqm52::unit {

namespace {

struct Word {
    Command command;
    const char* letters;
};

constexpr Word Words[] = {
    {Command::SelectUnit, "sc"},        {Command::ReadType, "rt"},
    {Command::ReadHardware, "rh"},      {Command::ReadExtra, "rx"},
    {Command::ReadPosition, "r0"},      {Command::ReadVelocity, "r1"},
    {Command::ReadOutputVoltage, "r2"}, {Command::ReadOutputCurrent, "r3"},
    {Command::ReadInputVoltage, "r4"},  {Command::ReadInputCurrent, "r5"},
    {Command::ReadInputAwe, "r6"},      {Command::ReadInputs, "ri"},
    {Command::ReadOutputs, "ru"},       {Command::ReadThumbwheel, "rd"},
    {Command::ReadErrorNumber, "rf"},   {Command::ResetError, "wf"},
    {Command::ReadParameter, "rp"},     {Command::WriteParameter, "wp"},
    {Command::ReadSetpoint, "rs"},      {Command::WriteSetpoint, "ws"},
    {Command::Compute, "bp"},           {Command::CalibrationMode, "km"},
    {Command::CalibrationOutput, "kf"}, {Command::CurrentOutputSelected, "ki"},
    {Command::ReadCalibration, "kr"},   {Command::WriteCalibration, "kw"},
    {Command::DriveOutput, "ka"},       {Command::StoreCalibration, "ks"},
    {Command::Refusal, "er"},
};

QString request(Command command) {
    return QString(wordOf(command));
}

QString request(Command command, qint64 argument) {
    return QStringLiteral("%1 %2").arg(wordOf(command)).arg(argument);
}

QString request(Command command, qint64 first, qint64 second) {
    return QStringLiteral("%1 %2 %3").arg(wordOf(command)).arg(first).arg(second);
}

// Reads whose reply carries the echoed item number before the value.
bool numberedRead(Command c) {
    return c == Command::ReadParameter || c == Command::ReadSetpoint ||
           c == Command::ReadCalibration || c == Command::ReadThumbwheel;
}

// Reads the unit answers with text of its own: who it is, the AWE input and
// its error number.
bool textRead(Command c) {
    return c == Command::ReadType || c == Command::ReadHardware || c == Command::ReadExtra ||
           c == Command::ReadInputAwe || c == Command::ReadErrorNumber;
}

bool plainRead(Command c) {
    switch (c) {
    case Command::ReadPosition:
    case Command::ReadVelocity:
    case Command::ReadOutputVoltage:
    case Command::ReadOutputCurrent:
    case Command::ReadInputVoltage:
    case Command::ReadInputCurrent:
    case Command::ReadInputs:
    case Command::ReadOutputs:
        return true;
    default:
        return false;
    }
}

// A line split as the unit writes it: the word, then the first argument
// after a single blank, then the rest after the next blank.
struct Shape {
    Command command = Command::Unknown;
    bool hasFirst = false;
    QByteArrayView first;
    bool hasRest = false;
    QByteArrayView rest;
};

// The value of a read: the text after the blank that follows the word (or
// the echoed number).  The unit may set it between blanks; the number itself
// is a wire integer.
qint32 valueIn(bool present, QByteArrayView text, Reply::Kind& kind) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    const std::optional<qint32> value = present ? parseWireInteger(text) : std::nullopt;
    kind = value ? Reply::Kind::Value : Reply::Kind::Unreadable;
    return value.value_or(0);
}

Shape shapeOf(QByteArrayView line) {
    Shape s;
    s.command = commandOf(line.first(std::min<qsizetype>(2, line.size())));
    if (line.size() < 3 || line[2] != ' ') return s;
    const QByteArrayView body = line.sliced(3);
    const qsizetype blank = body.indexOf(' ');
    s.hasFirst = true;
    s.first = blank < 0 ? body : body.first(blank);
    if (blank >= 0) {
        s.hasRest = true;
        s.rest = body.sliced(blank + 1);
    }
    return s;
}

} // namespace

QLatin1StringView wordOf(Command command) {
    for (const Word& w : Words)
        if (w.command == command) return QLatin1StringView(w.letters, 2);
    return {};
}

Command commandOf(QByteArrayView word) {
    if (word.size() < 2) return Command::Unknown;
    for (const Word& w : Words)
        if (word[0] == w.letters[0] && word[1] == w.letters[1]) return w.command;
    return Command::Unknown;
}

Command commandOf(QStringView text) {
    return commandOf(QByteArrayView(text.left(2).toLatin1()));
}

QString selectUnit(int unitNumber) {
    return request(Command::SelectUnit, unitNumber);
}
QString readType() {
    return request(Command::ReadType);
}
QString readHardware() {
    return request(Command::ReadHardware);
}
QString readExtra() {
    return request(Command::ReadExtra);
}

QString readLive(LiveValue value) {
    return request(Command(int(Command::ReadPosition) + int(value)));
}
QString readInputs() {
    return request(Command::ReadInputs);
}
QString readOutputs() {
    return request(Command::ReadOutputs);
}
QString readThumbwheel(int wheel) {
    return request(Command::ReadThumbwheel, wheel);
}
QString readErrorNumber() {
    return request(Command::ReadErrorNumber);
}
QString resetError() {
    return request(Command::ResetError);
}

QString readParameter(int number) {
    return request(Command::ReadParameter, number);
}
QString writeParameter(int number, qint32 value) {
    return request(Command::WriteParameter, number, value);
}
QString readSetpoint(int number) {
    return request(Command::ReadSetpoint, number);
}
QString writeSetpoint(int number, qint32 value) {
    return request(Command::WriteSetpoint, number, value);
}
QString compute() {
    return request(Command::Compute);
}
QString selectAnalogInput(bool current) {
    return writeParameter(AnalogInputParameter, current ? 1 : 0);
}

QString calibrationMode(bool on) {
    return request(Command::CalibrationMode, on ? 1 : 0);
}
QString calibrationOutput(CalibratedOutput output) {
    return request(Command::CalibrationOutput, int(output));
}
QString readCalibration(int number) {
    return request(Command::ReadCalibration, number);
}
QString writeCalibration(int number, int value) {
    return request(Command::WriteCalibration, number, value);
}
QString driveOutput(int value) {
    return request(Command::DriveOutput, value);
}
QString storeCalibration() {
    return request(Command::StoreCalibration);
}

QString serialNumberIn(const QString& type, const QString& hardware, const QString& extra) {
    static const QRegularExpression sn(
        QStringLiteral("\\bS/?N(?:[:.]\\s*|\\s+)([A-Za-z0-9][A-Za-z0-9_-]*)"));
    for (const QString* text : {&hardware, &extra, &type}) {
        const auto m = sn.match(*text);
        if (m.hasMatch()) return m.captured(1);
    }
    return {};
}

QString refusalText(qint32 code) {
    return request(Command::Refusal, code);
}

std::optional<qint32> parseWireInteger(QByteArrayView text) {
    const bool negative = text.startsWith('-');
    if (negative) text = text.sliced(1);
    if (text.isEmpty()) return std::nullopt;
    for (const char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    // The unit pads some values with zeros; past them, ten digits is the
    // most a 32-bit value has, and more is refused before the sum could
    // overflow.
    while (text.size() > 1 && text.front() == '0')
        text = text.sliced(1);
    if (text.size() > 10) return std::nullopt;
    qint64 value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    if (negative) value = -value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

QString deviceType(const Reply& reply) {
    return reply.answers() && reply.command == Command::ReadType ? reply.answer.left(4) : QString();
}

namespace {

qint32 bitsOf(const Reply& reply, Command word) {
    return reply.command == word ? reply.readValue().value_or(0) : 0;
}

} // namespace

Inputs inputsOf(const Reply& reply) {
    const qint32 bits = bitsOf(reply, Command::ReadInputs);
    Inputs in;
    in.k0 = bits & 1;
    for (int i = 0; i < 4; ++i)
        in.inputs[std::size_t(i)] = bits & (2 << i);
    return in;
}

std::array<bool, 4> outputsOf(const Reply& reply) {
    const qint32 bits = bitsOf(reply, Command::ReadOutputs);
    std::array<bool, 4> out{};
    for (int i = 0; i < 4; ++i)
        out[std::size_t(i)] = bits & (1 << i);
    return out;
}

bool reportsNoError(const Reply& reply) {
    return reply.answers() && reply.command == Command::ReadErrorNumber &&
           (reply.answer.isEmpty() || reply.answer.startsWith(QLatin1String("-1")));
}

Reply classifyReply(QStringView request, const QByteArray& reply, int bufferSize) {
    Reply r;
    r.size = reply.size();
    const QByteArray held = replyInBuffer(reply, bufferSize);
    // The two last bytes are the line end, CR and LF in either order.
    const QByteArray line = held.chopped(std::min<qsizetype>(2, held.size()));
    const Command asked = commandOf(request);
    if (asked == Command::Compute || textRead(asked)) r.answer = QString::fromLatin1(line.mid(3));
    if (!replyFits(reply, bufferSize)) {
        r.tooLong = true;
        return r;
    }
    r.text = QString::fromLatin1(line);

    const Shape shape = shapeOf(line);
    r.command = shape.command;
    if (shape.hasFirst) r.number = parseWireInteger(shape.first);

    // The request's own item number, where it has one.
    const QByteArray requestText = request.toLatin1();
    const Shape askedShape = shapeOf(requestText);
    const std::optional<qint32> askedNumber =
        askedShape.hasFirst ? parseWireInteger(askedShape.first) : std::nullopt;
    const bool sameWord = r.command == asked && asked != Command::Unknown;
    if (asked == Command::CalibrationOutput && r.command == Command::CurrentOutputSelected)
        r.matches = true;
    else
        r.matches = sameWord && (!askedShape.hasFirst || (r.number && r.number == askedNumber));

    // One whole line, or nothing the unit said: a reply the line's silence
    // cut short at a pause, or two run together, can read like an answer
    // (a value with its last digits missing).
    const auto lineEnd = [](char c) { return c == '\r' || c == '\n'; };
    if (held.size() < 2 || !lineEnd(held.back()) || !lineEnd(held[held.size() - 2]) ||
        line.contains('\r') || line.contains('\n')) {
        r.matches = false;
        return r;
    }

    if (r.command == Command::Refusal) {
        r.kind = r.number ? Reply::Kind::Refused : Reply::Kind::Unreadable;
        r.error = r.number.value_or(0);
        r.matches = false;
        return r;
    }
    if (asked == Command::Compute) {
        const Reply::Kind failed =
            r.command == Command::Compute ? Reply::Kind::ComputeFailed : Reply::Kind::Unreadable;
        // Done is exactly "bp -1"; anything else after "bp" is the unit's complaint.
        r.kind =
            sameWord && shape.first == "-1" && !shape.hasRest ? Reply::Kind::ComputeDone : failed;
        return r;
    }
    if (numberedRead(asked)) {
        r.value = valueIn(shape.hasRest, shape.rest, r.kind);
        return r;
    }
    if (textRead(asked)) {
        // The text may hold anything, blanks and digits included; only the
        // word and the blank after it say whose answer it is.  The error
        // poll and the AWE input may say nothing after their word: an empty
        // text, and for the poll no error.
        const bool bare = line.size() == 2 && asked != Command::ReadType &&
                          asked != Command::ReadHardware && asked != Command::ReadExtra;
        r.kind = shape.hasFirst || bare ? Reply::Kind::Text : Reply::Kind::Unreadable;
        r.number.reset();
        return r;
    }
    if (plainRead(asked)) {
        r.value = valueIn(shape.hasFirst,
                          QByteArrayView(line).sliced(std::min<qsizetype>(3, line.size())), r.kind);
        return r;
    }
    r.kind = Reply::Kind::Echo;
    return r;
}

} // namespace kqm52::unit
