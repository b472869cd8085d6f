#include "params/model/TableFile.h"

#include "inifile/RegularFile.h"
#include "inifile/SaveFile.h"

#include <QDir>

#include <algorithm>
#include <limits>

namespace kqm52::TableFile {

std::optional<QByteArray> readAll(const QString& path, qint64 maxBytes, QString* error) {
    const auto fail = [&](const QString& reason) -> std::optional<QByteArray> {
        if (error) *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
        return std::nullopt;
    };
    QString reason;
    std::optional<QByteArray> bytes = readRegularFile(path, maxBytes, &reason);
    if (!bytes) return fail(reason);
    return bytes;
}

QString writeAll(const QString& path, const QByteArray& bytes) {
    QString error;
    return saveFile(path, bytes, &error) ? QString() : error;
}

std::optional<qint32> parseInteger(QByteArrayView text) {
    const bool negative = text.startsWith('-');
    if (negative) text = text.sliced(1);
    // Ten digits is the most a 32-bit value has; more is refused before the
    // sum could overflow.
    if (text.isEmpty() || text.size() > 10) return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

QList<QByteArray> lines(const QByteArray& bytes) {
    QList<QByteArray> out = bytes.split('\n');
    // The line end of the last line does not open another one.
    if (!out.isEmpty() && out.constLast().isEmpty()) out.removeLast();
    for (QByteArray& line : out)
        if (line.endsWith('\r')) line.chop(1);
    return out;
}

QByteArray writeNumbered(const QByteArray& header, char letter, const std::vector<qint32>& values) {
    QByteArray out = header + "\r\n\r\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        out += letter + QByteArray::number(int(i)).rightJustified(3, '0') + ' ' +
               QByteArray::number(values[i]) + "\r\n";
    return out;
}

namespace {

// Far above any real file (some 6 kB); a larger one is not read in whole.
constexpr qint64 MaxTextFileBytes = 1 << 20;

QString textFileMessageKey(FileRefusal refusal) {
    switch (refusal) {
    case FileRefusal::CannotOpen:
        return QStringLiteral("OpenMsg1");
    case FileRefusal::WrongHeader:
        return QStringLiteral("OpenMsg2");
    case FileRefusal::BadLine:
        return QStringLiteral("OpenMsg3");
    case FileRefusal::WrongCount:
        return QStringLiteral("OpenMsg4");
    case FileRefusal::None:
    case FileRefusal::WrongSize:
    case FileRefusal::BadMarks:
        break;
    }
    return {};
}

FileRead<std::vector<qint32>> parseNumbered(const QByteArray& bytes, QByteArrayView header,
                                            int count);

} // namespace

FileRead<std::vector<qint32>> readNumbered(const QByteArray& bytes, QByteArrayView header,
                                           int count) {
    FileRead<std::vector<qint32>> result = parseNumbered(bytes, header, count);
    result.problem.messageKey = textFileMessageKey(result.problem.refusal);
    return result;
}

FileRead<std::vector<qint32>> readNumberedFile(const QString& path, QByteArrayView header,
                                               int count) {
    FileRead<std::vector<qint32>> result;
    QString error;
    const std::optional<QByteArray> bytes = readAll(path, MaxTextFileBytes, &error);
    if (!bytes) {
        result.problem = {FileRefusal::CannotOpen, {}, error, 0};
    } else if (bytes->size() > MaxTextFileBytes) {
        result.problem = {FileRefusal::WrongCount,
                          {},
                          QStringLiteral("The file is far too long for this kind of file."),
                          0};
    } else {
        return readNumbered(*bytes, header, count);
    }
    result.problem.messageKey = textFileMessageKey(result.problem.refusal);
    return result;
}

namespace {

FileRead<std::vector<qint32>> parseNumbered(const QByteArray& bytes, QByteArrayView header,
                                            int count) {
    constexpr qsizetype headerLength = 25;
    constexpr qsizetype blankAt = 4; // the fifth character
    FileRead<std::vector<qint32>> result;
    const auto refuse = [&](FileRefusal why, const QString& detail, int line) {
        result.problem = {why, {}, detail, line};
        return result;
    };

    const QByteArrayView mark = header.first(std::min(headerLength, header.size()));
    const QList<QByteArray> text = lines(bytes);
    if (text.isEmpty() ||
        QByteArrayView(text.front()).first(std::min(headerLength, text.front().size())) != mark)
        return refuse(FileRefusal::WrongHeader,
                      QStringLiteral("The first line does not begin with \"%1\".")
                          .arg(QString::fromLatin1(mark)),
                      1);

    std::vector<qint32> values(std::size_t(count), 0);
    std::vector<int> seenOnLine(std::size_t(count), 0);
    int dataLines = 0;
    QString repeat;
    int repeatLine = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const QByteArray& line = text[i];
        const int lineNo = int(i + 1);
        if (line.isEmpty()) continue;
        if (line.indexOf(' ') != blankAt)
            return refuse(FileRefusal::BadLine,
                          QStringLiteral("Line %1 is not a data line (a letter, three digits, "
                                         "a blank and a value).")
                              .arg(lineNo),
                          lineNo);
        const std::optional<qint32> index = parseInteger(QByteArrayView(line).sliced(1, 3));
        if (!index || *index < 0 || *index >= count)
            return refuse(FileRefusal::BadLine,
                          QStringLiteral("Line %1: the number is not one of 000 … %2.")
                              .arg(lineNo)
                              .arg(count - 1, 3, 10, QLatin1Char('0')),
                          lineNo);
        const std::optional<qint32> value = parseInteger(QByteArrayView(line).sliced(blankAt + 1));
        if (!value)
            return refuse(FileRefusal::BadLine,
                          QStringLiteral("Line %1: the value is not a whole decimal number in "
                                         "32 bits.")
                              .arg(lineNo),
                          lineNo);
        ++dataLines;
        int& seen = seenOnLine[std::size_t(*index)];
        if (seen != 0 && repeat.isEmpty()) {
            repeat = QStringLiteral("Number %1 appears twice, on lines %2 and %3, so another is "
                                    "missing.")
                         .arg(*index, 3, 10, QLatin1Char('0'))
                         .arg(seen)
                         .arg(lineNo);
            repeatLine = lineNo;
        }
        seen = lineNo;
        values[std::size_t(*index)] = *value;
    }
    if (dataLines != count)
        return refuse(
            FileRefusal::WrongCount,
            QStringLiteral("The file holds %1 data lines instead of %2.").arg(dataLines).arg(count),
            0);
    if (!repeat.isEmpty()) return refuse(FileRefusal::WrongCount, repeat, repeatLine);
    result.tables = std::move(values);
    return result;
}

} // namespace

} // namespace kqm52::TableFile
