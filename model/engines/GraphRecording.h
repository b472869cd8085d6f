#pragma once

// A recorded run as CSV: one text for the export of the window's samples, the
// file streamed sample by sample during a long run, and reading either back.
//
//   Index,Time (ms),Raw value,Value (AWE),Reply unusable
//   0,0,12345,123.45,0
//   1,52,,,1          <- the reply could not be read: no value, flag 1
//
// A dot as the decimal point, because spreadsheets everywhere read it so.

#include "inifile/RegularFile.h"
#include "model/engines/GraphView.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>

#include <optional>

class QIODevice;

namespace kqm52 {
class LanguageTexts;
}

namespace kqm52::graph {

// The decimals the value column is written with.
int csvDecimals(int source, int positionDecimals);
QByteArray csvHeader(int source);
// One line with its CR LF.
QByteArray csvLine(qint64 index, qint32 time, qint32 value, bool unusable, int decimals);

// A run read back from a file.
struct Recording {
    // 0 for a position run, 2 for volts, 3 for milliamperes: the file names
    // the unit, not which of the sources with that unit it came from.
    int source = 0;
    int decimals = 0; // of the value column
    QList<qint32> times;
    QList<qint32> values;
    QList<bool> unusable;
    QString path;
    QDateTime written; // the file's time, for the picture's title

    SampleSpan span() const {
        return {times.constData(), values.constData(), unusable.constData(), int(times.size()) - 1};
    }
};

struct RecordingRead {
    std::optional<Recording> recording;
    // Why not: the start of the line that did not read, with its number;
    // or, with line 0, why the file could not be opened.
    QString error;
    FileReadError openError;
    int line = 0; // 1-based; 0 for a file that could not be opened
};

// A file written by this program, exported or streamed.  A line that is not
// ours refuses the whole file; only a last line cut short without its line
// end (the disk filled up, the program died) is left off.
RecordingRead readRecording(QIODevice& in);
RecordingRead readRecordingFile(const QString& path);
// What the window says of a file that gave no recording (or an empty one):
// that it is not one, or could not be opened, the file, and why.
QString recordingRefusal(const RecordingRead& read, const QString& path,
                         const LanguageTexts& texts);

// Streams a run to a file as it is recorded, in constant memory: lines are
// gathered and handed to the system about once a second (run time) or when
// a few kilobytes are waiting, so the user-interface thread writes seldom and
// little.  A failed write or a file that has gone stops the stream; what was
// handed to the system before stays in the file.
class CsvStreamWriter {
  public:
    static constexpr int FlushBytes = 16 * 1024;
    static constexpr qint32 FlushMs = 1000;

    CsvStreamWriter() = default;
    CsvStreamWriter(const CsvStreamWriter&) = delete;
    CsvStreamWriter& operator=(const CsvStreamWriter&) = delete;
    ~CsvStreamWriter() { close(); }

    // Creates or empties the file and writes the header.  False with the
    // system's reason in error().
    bool open(const QString& path, int source, int positionDecimals);
    bool isOpen() const { return file_.isOpen(); }
    // False once the file has failed (this time or before).
    bool append(qint64 index, qint32 time, qint32 value, bool unusable);
    bool flush();
    // Flushes what is waiting and closes; false when that last write failed.
    bool close();

    const QString& path() const { return path_; }
    const QString& error() const { return error_; }
    bool failed() const { return !error_.isEmpty(); }
    // Samples known to be in the file, and the last of them.
    qint64 samplesKept() const { return kept_; }
    qint32 lastTimeKept() const { return lastTimeKept_; }
    // The most that ever waited in memory: it does not grow with the run.
    qsizetype peakPending() const { return peakPending_; }

  private:
    bool fail(const QString& reason);

    QFile file_;
    QString path_;
    QString error_;
    QByteArray pending_;
    int decimals_ = 0;
    qint64 waiting_ = 0; // samples in pending_
    qint32 waitingLastTime_ = 0;
    qint64 kept_ = 0;
    qint32 lastTimeKept_ = 0;
    qint32 lastFlushTime_ = 0;
    qsizetype peakPending_ = 0;
};

} // namespace kqm52::graph
