#include "model/engines/GraphRecording.h"

#include "inifile/RegularFile.h"
#include "model/files/FileProblemText.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/TextKeys.h"

#include <QDir>

#include <QFileInfo>
#include <QIODevice>

#include <cerrno>
#include <cstring>
#include <limits>

namespace kqm52::graph {

namespace {

QByteArray unitName(int source) {
    if (source == 0 || source == 1) return "AWE";
    return source % 2 == 0 ? "V" : "mA";
}

QByteArray dotted(qint32 value, int decimals) {
    QByteArray digits = QByteArray::number(qint64(value) < 0 ? -qint64(value) : qint64(value));
    if (decimals > 0) {
        if (digits.size() < decimals + 1) digits.prepend(decimals + 1 - digits.size(), '0');
        digits.insert(digits.size() - decimals, '.');
    }
    if (value < 0) digits.prepend('-');
    return digits;
}

bool readInt(const QByteArray& field, qint64& out) {
    if (field.isEmpty()) return false;
    bool ok = false;
    out = field.toLongLong(&ok);
    return ok && out >= std::numeric_limits<qint32>::min() &&
           out <= std::numeric_limits<qint32>::max();
}

// The value column must say what the raw column says: its digits without the
// dot are the raw value.  Returns the decimals, or -1.
int readValue(const QByteArray& field, qint64 raw) {
    const qsizetype dot = field.indexOf('.');
    QByteArray digits = field;
    int decimals = 0;
    if (dot >= 0) {
        decimals = int(field.size() - dot - 1);
        if (decimals == 0) return -1;
        digits.remove(dot, 1);
    }
    qint64 v = 0;
    bool ok = false;
    v = digits.toLongLong(&ok);
    return ok && v == raw ? decimals : -1;
}

// Lines as a spreadsheet may have saved them: CR LF, LF alone or CR alone.
// A line is read only up to MaxLine bytes, so a file that is one huge line
// (or no text at all) is refused without being taken into memory.
class LineReader {
  public:
    // Our longest line is under 80 bytes; a spreadsheet may pad a little.
    static constexpr qsizetype MaxLine = 4096;

    explicit LineReader(QIODevice& in) : in_(in) {}

    enum class Got { Line, CutShort, TooLong, End };
    // CutShort: the last bytes of the file, without a line end.
    Got next(QByteArray& line) {
        for (;;) {
            qsizetype end = -1;
            for (qsizetype i = pos_; i < buf_.size() && i - pos_ <= MaxLine; ++i)
                if (buf_[i] == '\n' || buf_[i] == '\r') {
                    end = i;
                    break;
                }
            if (end >= 0) {
                // A CR at the end of what is read may be the first half of a CR LF.
                if (buf_[end] == '\r' && end + 1 == buf_.size() && fill()) continue;
                line = buf_.mid(pos_, end - pos_);
                pos_ = end + 1;
                if (buf_[end] == '\r' && pos_ < buf_.size() && buf_[pos_] == '\n') ++pos_;
                return Got::Line;
            }
            if (buf_.size() - pos_ > MaxLine) {
                line = buf_.mid(pos_, 200);
                return Got::TooLong;
            }
            if (fill()) continue;
            if (pos_ >= buf_.size()) return Got::End;
            line = buf_.mid(pos_);
            pos_ = buf_.size();
            return Got::CutShort;
        }
    }
    bool atEnd() { return pos_ >= buf_.size() && !fill(); }

  private:
    // False at the end of the input.
    bool fill() {
        if (done_) return false;
        buf_.remove(0, pos_);
        pos_ = 0;
        const QByteArray more = in_.read(64 * 1024);
        if (more.isEmpty()) {
            done_ = true;
            return false;
        }
        buf_ += more;
        return true;
    }

    QIODevice& in_;
    QByteArray buf_;
    qsizetype pos_ = 0;
    bool done_ = false;
};

} // namespace

int csvDecimals(int source, int positionDecimals) {
    if (source != 0 && source != 1) return 4;
    // A damaged parameter 203 reads as whole units, as everywhere else.
    return positionDecimals >= 1 && positionDecimals <= 30 ? positionDecimals : 0;
}

QByteArray csvHeader(int source) {
    return "Index,Time (ms),Raw value,Value (" + unitName(source) + "),Reply unusable\r\n";
}

QByteArray csvLine(qint64 index, qint32 time, qint32 value, bool unusable, int decimals) {
    QByteArray line = QByteArray::number(index) + ',' + QByteArray::number(time) + ',';
    // No value rather than the one the slot held: it was not measured.
    if (unusable) return line + ",,1\r\n";
    return line + QByteArray::number(value) + ',' + dotted(value, decimals) + ",0\r\n";
}

RecordingRead readRecording(QIODevice& in) {
    RecordingRead r;
    Recording rec;
    int lineNo = 1;
    auto refuse = [&](const QByteArray& line) {
        r.line = lineNo;
        r.error = QString::fromUtf8(line.left(200)).trimmed();
        return r;
    };
    LineReader lines(in);
    QByteArray header;
    if (lines.next(header) == LineReader::Got::TooLong) return refuse(header);
    // A spreadsheet saving as "CSV UTF-8" puts a byte-order mark first.
    if (header.startsWith("\xEF\xBB\xBF")) header.remove(0, 3);
    const QByteArray trimmedHeader = header.trimmed();
    int source = -1;
    for (int s : {0, 2, 3})
        if (trimmedHeader == csvHeader(s).trimmed()) source = s;
    if (source < 0) return refuse(header);
    rec.source = source;
    rec.decimals = -1;

    for (;;) {
        QByteArray raw;
        const LineReader::Got got = lines.next(raw);
        if (got == LineReader::Got::End) break;
        ++lineNo;
        if (got == LineReader::Got::TooLong) return refuse(raw);
        const bool complete = got == LineReader::Got::Line;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty()) {
            if (!complete) break;
            // Only a file's last line may be empty.
            if (!lines.atEnd()) return refuse(raw);
            continue;
        }
        const QList<QByteArray> f = line.split(',');
        qint64 index = 0, time = 0, value = 0;
        bool ok = f.size() == 5 && readInt(f[0], index) && index == rec.times.size() &&
                  readInt(f[1], time) && (rec.times.isEmpty() || time >= rec.times.last());
        bool unusable = false;
        if (ok && f[4] == "1") {
            unusable = true;
            ok = f[2].isEmpty() && f[3].isEmpty();
        } else if (ok && f[4] == "0") {
            const int d = readInt(f[2], value) ? readValue(f[3], value) : -1;
            ok = d >= 0 && (rec.decimals < 0 || d == rec.decimals);
            if (ok) rec.decimals = d;
        } else {
            ok = false;
        }
        if (!ok) {
            // A stream cut off mid-line keeps the samples before it.
            if (!complete) break;
            return refuse(raw);
        }
        rec.times.append(qint32(time));
        rec.values.append(qint32(value));
        rec.unusable.append(unusable);
    }
    if (rec.decimals < 0) rec.decimals = source == 0 ? 0 : 4;
    r.recording = std::move(rec);
    return r;
}

RecordingRead readRecordingFile(const QString& path) {
    QFile file;
    RecordingRead r;
    if (!openRegularFile(file, path, &r.openError)) return r;
    r = readRecording(file);
    if (r.recording) {
        r.recording->path = path;
        r.recording->written = QFileInfo(path).lastModified();
    }
    return r;
}

QString recordingRefusal(const RecordingRead& read, const QString& path,
                         const LanguageTexts& texts) {
    using Extra = TextIn<"GrafiekExtra">;
    const QString file = QDir::toNativeSeparators(path);
    if (read.recording) return texts.text(Extra{"MsgGeenOpname"}) + QStringLiteral("\n\r") + file;
    if (read.line == 0)
        return texts.text(Extra{"MsgNietGeopend"}) + QStringLiteral("\n\r") + file +
               QStringLiteral("\n\r") + fileReadErrorText(texts, read.openError);
    return texts.text(Extra{"MsgGeenOpname"}) + QStringLiteral("\n\r") + file +
           QStringLiteral("\n\r") + texts.text(Extra{"MsgRegel"}).arg(read.line) +
           QStringLiteral(" ") + read.error;
}

bool CsvStreamWriter::open(const QString& path, int source, int positionDecimals) {
    close();
    path_ = path;
    error_.clear();
    pending_.clear();
    waiting_ = kept_ = 0;
    lastTimeKept_ = lastFlushTime_ = 0;
    peakPending_ = 0;
    decimals_ = csvDecimals(source, positionDecimals);
    file_.setFileName(path);
    // Unbuffered: a write is handed to the system at once, so what flush()
    // reports as kept is in the file, not in a buffer of ours.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return fail(file_.errorString());
    pending_ = csvHeader(source);
    pending_.reserve(FlushBytes + 256);
    return flush();
}

bool CsvStreamWriter::append(qint64 index, qint32 time, qint32 value, bool unusable) {
    if (failed() || !file_.isOpen()) return false;
    pending_ += csvLine(index, time, value, unusable, decimals_);
    ++waiting_;
    waitingLastTime_ = time;
    peakPending_ = std::max(peakPending_, pending_.size());
    if (pending_.size() >= FlushBytes || time - lastFlushTime_ >= FlushMs) {
        lastFlushTime_ = time;
        return flush();
    }
    return true;
}

bool CsvStreamWriter::flush() {
    if (failed() || !file_.isOpen()) return false;
    if (!pending_.isEmpty()) {
        const qint64 n = file_.write(pending_);
        if (n != pending_.size()) return fail(file_.errorString());
        pending_.clear();
        if (waiting_ > 0) {
            kept_ += waiting_;
            lastTimeKept_ = waitingLastTime_;
            waiting_ = 0;
        }
    }
    // A file removed or a stick pulled leaves the handle writing into nothing.
    if (!QFileInfo::exists(path_)) return fail(QString::fromLocal8Bit(std::strerror(ENOENT)));
    return true;
}

bool CsvStreamWriter::close() {
    if (!file_.isOpen()) return !failed();
    const bool ok = flush();
    file_.close();
    return ok;
}

bool CsvStreamWriter::fail(const QString& reason) {
    error_ = reason.isEmpty() ? QStringLiteral("?") : reason;
    pending_.clear();
    waiting_ = 0;
    if (file_.isOpen()) file_.close();
    return false;
}

} // namespace kqm52::graph
