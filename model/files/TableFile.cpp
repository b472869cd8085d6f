#include "model/files/TableFile.h"

#include "inifile/RegularFile.h"
#include "inifile/SaveFile.h"
#include "link/UnitProtocol.h"

#include <QDir>

#include <algorithm>

namespace kqm52 {

namespace {

struct DetailText {
    const char* key;
    const char* english;
};

constexpr DetailText DetailTexts[] = {
    {"MsgFileTooLong", "The file is far too long for this kind of file."},
    {"MsgFileNoHeader", "The first line does not begin with \"%1\"."},
    {"MsgFileNotDataLine",
     "Line %1 is not a data line (a letter, three digits, a blank and a value)."},
    {"MsgFileBadNumber", "Line %1: the number is not one of 000 \u2026 %2."},
    {"MsgFileBadValue", "Line %1: the value is not a whole decimal number in 32 bits."},
    {"MsgFileNumberTwice", "Number %1 appears twice, on lines %2 and %3, so another is missing."},
    {"MsgFileLineCount", "The file holds %1 data lines instead of %2."},
    {"MsgBackupSize", "The file holds %1 bytes; a backup file holds exactly %2."},
    {"MsgBackupLonger", "The file is longer than %1 bytes; a backup file holds exactly %1."},
    {"MsgBackupNoMarks", "The file does not carry the marks of a backup file."},
};

} // namespace

QString fileProblemDetailText(QStringView detailKey) {
    for (const DetailText& d : DetailTexts)
        if (detailKey == QLatin1String(d.key)) return QString::fromUtf8(d.english);
    return {};
}

QString fillDetail(const QString& text, const QStringList& args) {
    switch (args.size()) {
    case 0:
        return text;
    case 1:
        return text.arg(args[0]);
    case 2:
        return text.arg(args[0], args[1]);
    default:
        return text.arg(args[0], args[1], args[2]);
    }
}

FileProblem fileProblem(FileRefusal refusal, QString messageKey, const char* detailKey,
                        QStringList args, int line) {
    const QString key = QString::fromLatin1(detailKey);
    QString detail = fillDetail(fileProblemDetailText(key), args);
    return {refusal, std::move(messageKey), std::move(detail), line, key, std::move(args)};
}

} // namespace kqm52

namespace kqm52::TableFile {

std::optional<QByteArray> readAll(const QString& path, qint64 maxBytes, FileReadError* error) {
    return readRegularFile(path, maxBytes, error);
}

FileProblem unreadableFile(const QString& path, const FileReadError& error, QString messageKey) {
    FileProblem problem;
    problem.refusal = FileRefusal::CannotOpen;
    problem.messageKey = std::move(messageKey);
    problem.path = QDir::toNativeSeparators(path);
    problem.detail = QStringLiteral("%1: %2").arg(problem.path, error.english());
    problem.unreadable = error;
    return problem;
}

QString writeAll(const QString& path, const QByteArray& bytes) {
    QString error;
    return saveFile(path, bytes, &error) ? QString() : error;
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
    FileReadError error;
    const std::optional<QByteArray> bytes = readAll(path, MaxTextFileBytes, &error);
    if (!bytes) {
        result.problem = unreadableFile(path, error, {});
    } else if (bytes->size() > MaxTextFileBytes) {
        result.problem = fileProblem(FileRefusal::WrongCount, {}, "MsgFileTooLong");
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
    const auto refuse = [&](FileRefusal why, const char* detail, const QStringList& args,
                            int line) {
        result.problem = fileProblem(why, {}, detail, args, line);
        return result;
    };

    const QByteArrayView mark = header.first(std::min(headerLength, header.size()));
    const QList<QByteArray> text = lines(bytes);
    if (text.isEmpty() ||
        QByteArrayView(text.front()).first(std::min(headerLength, text.front().size())) != mark)
        return refuse(FileRefusal::WrongHeader, "MsgFileNoHeader", {QString::fromLatin1(mark)}, 1);

    std::vector<qint32> values(std::size_t(count), 0);
    std::vector<int> seenOnLine(std::size_t(count), 0);
    int dataLines = 0;
    QStringList repeat; // the number twice and its two lines
    int repeatLine = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const QByteArray& line = text[i];
        const int lineNo = int(i + 1);
        if (line.isEmpty()) continue;
        if (line.indexOf(' ') != blankAt)
            return refuse(FileRefusal::BadLine, "MsgFileNotDataLine", {QString::number(lineNo)},
                          lineNo);
        // Number and value are decimals as the unit writes them, so they are
        // read by its rule; unlike a reply's value, whose blanks the reply's
        // reader takes off, they are the whole of their field.
        const std::optional<qint32> index =
            unit::parseWireInteger(QByteArrayView(line).sliced(1, 3));
        if (!index || *index < 0 || *index >= count)
            return refuse(FileRefusal::BadLine, "MsgFileBadNumber",
                          {QString::number(lineNo),
                           QStringLiteral("%1").arg(count - 1, 3, 10, QLatin1Char('0'))},
                          lineNo);
        const std::optional<qint32> value =
            unit::parseWireInteger(QByteArrayView(line).sliced(blankAt + 1));
        if (!value)
            return refuse(FileRefusal::BadLine, "MsgFileBadValue", {QString::number(lineNo)},
                          lineNo);
        ++dataLines;
        int& seen = seenOnLine[std::size_t(*index)];
        if (seen != 0 && repeat.isEmpty()) {
            repeat = {QStringLiteral("%1").arg(*index, 3, 10, QLatin1Char('0')),
                      QString::number(seen), QString::number(lineNo)};
            repeatLine = lineNo;
        }
        seen = lineNo;
        values[std::size_t(*index)] = *value;
    }
    if (dataLines != count)
        return refuse(FileRefusal::WrongCount, "MsgFileLineCount",
                      {QString::number(dataLines), QString::number(count)}, 0);
    if (!repeat.isEmpty())
        return refuse(FileRefusal::WrongCount, "MsgFileNumberTwice", repeat, repeatLine);
    result.tables = std::move(values);
    return result;
}

} // namespace

} // namespace kqm52::TableFile
