// Keeping a long run: every sample streamed to a CSV file on the simulated
// bus (virtual clock), held samples flagged, the window holding the newest
// 4001; the file read back; files that are not ours refused with the line;
// a vanished file or a link error stops the run and says what the file keeps.

#include "../sim/SimLinkFixture.h"

#include "model/engines/GraphLogic.h"
#include "model/engines/GraphRecording.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/ParamTables.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

using namespace kqm52;
using namespace kqm52::graph;
using namespace kqm52::simtest;

namespace {

class GraphStreamTest : public SimLinkFixture {
  protected:
    GraphStreamTest()
        : logic(port, tables, language, [this] { return quint32(now() / 1'000'000); }) {
        SimAxis& axis = bus->addUnit(0, lineOf(38400)).axis();
        axis.moving = false;
        axis.startPosition = 0;
        logic.onNotice = [this](const QString& text) { notices << text; };
    }
    void SetUp() override {
        port.SetActive(true);
        logic.activate(port.Active());
    }
    ~GraphStreamTest() override { logic.close(); }

    bool recordUntil(qint64 samples) {
        return waitUntil([&] { return logic.runSamples() >= samples || !logic.logging(); }, 120000);
    }
    void setPosition(qint32 p) {
        bus->withUnit(0, [p](SimUnit& u) { u.axis().startPosition = p; });
    }
    QByteArray fileBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    ParamTables tables;
    LanguageTexts language = [] {
        LanguageTexts l;
        l.loadFromText(QStringLiteral("[Grafiek]\nPanelTekst0=T0\nPanelTekst1=T1\n"
                                      "PanelTekst2=T2\nPanelTekst3=T3\nPanelTekst4=T4\n"));
        return l;
    }();
    GraphLogic logic;
    QStringList notices;
};

RecordingRead readText(const QByteArray& text) {
    QByteArray bytes = text;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readRecording(buffer);
}

// A file that is one line of digits, counting what it hands to its reader.
class EndlessDigits : public QIODevice {
  public:
    explicit EndlessDigits(qint64 size) : size_(size) {}
    bool isSequential() const override { return true; }
    qint64 handedOut = 0;

  protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 n = std::min(max, size_ - handedOut);
        std::fill_n(data, n, '7');
        handedOut += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    qint64 size_;
};

} // namespace

// 30 000 samples in phases: the position steps up each phase, and one phase
// in three begins with replies too long to read.  The file has every sample in order
// with the unreadable ones flagged; memory stays what it was after the first
// window-full; the file read back is the run.
TEST_F(GraphStreamTest, ThirtyThousandSamplesStreamInOrderInConstantMemory) {
    const QString path = dir.filePath("long.csv");
    logic.setStreamFile(path);
    logic.start();
    ASSERT_TRUE(logic.logging());
    qsizetype peakAfterFirstWindow = 0;
    constexpr int phases = 12, perPhase = 2500, heldPerPhase = 40;
    for (int phase = 0; phase < phases; ++phase) {
        setPosition(phase * 10);
        if (phase % 3 == 2) {
            bus->setFaults(0, {.longReply = true});
            ASSERT_TRUE(recordUntil(qint64(phase) * perPhase + heldPerPhase)) << phase;
            bus->setFaults(0, {});
        }
        ASSERT_TRUE(recordUntil(qint64(phase + 1) * perPhase)) << phase;
        ASSERT_TRUE(logic.logging()) << logic.controls().panelText.toStdString();
        if (phase == 1) peakAfterFirstWindow = logic.stream().peakPending();
    }
    logic.stop();
    const qint64 total = logic.runSamples();
    ASSERT_GE(total, phases * perPhase);
    EXPECT_TRUE(notices.isEmpty()) << notices.join('|').toStdString();
    EXPECT_EQ(logic.samples().count, LastIndex);
    EXPECT_EQ(logic.stream().samplesKept(), total);
    // What waits for the disk is bounded by the flush, not by the run.
    EXPECT_LE(logic.stream().peakPending(), CsvStreamWriter::FlushBytes + 64);
    // Longer index numbers add a few bytes a line, nothing more.
    EXPECT_LE(logic.stream().peakPending(), peakAfterFirstWindow + 256);

    const QByteArray bytes = fileBytes(path);
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), total + 2); // header, samples, and nothing after the last CR LF
    EXPECT_EQ(lines[0], "Index,Time (ms),Raw value,Value (AWE),Reply unusable\r");
    qint64 lastTime = -1;
    int lastPhase = 0, held = 0;
    for (qint64 i = 0; i < total; ++i) {
        const QList<QByteArray> f = lines[i + 1].trimmed().split(',');
        ASSERT_EQ(f.size(), 5) << i;
        ASSERT_EQ(f[0].toLongLong(), i);
        const qint64 t = f[1].toLongLong();
        ASSERT_GE(t, lastTime) << i;
        lastTime = t;
        if (f[4] == "1") {
            ASSERT_TRUE(f[2].isEmpty() && f[3].isEmpty()) << i;
            ++held;
            continue;
        }
        ASSERT_EQ(f[4], "0");
        const int phase = f[2].toInt() / 10;
        ASSERT_GE(phase, lastPhase) << "line " << i + 1;
        lastPhase = phase;
    }
    // Every reply the run could not read, and no other, is flagged.
    EXPECT_EQ(held, total - logic.runStatistics().samples);
    EXPECT_GT(held, 4 * heldPerPhase / 2); // phases 2, 5, 8 and 11

    // Read back: the same samples; the window's 4001 are its newest.
    const RecordingRead read = readRecordingFile(path);
    ASSERT_TRUE(read.recording) << read.line << " " << read.error.toStdString();
    const Recording& r = *read.recording;
    ASSERT_EQ(r.times.size(), total);
    const GraphSamples& s = logic.samples();
    const qsizetype offset = total - BufferSize;
    for (int i = 0; i < BufferSize; ++i) {
        ASSERT_EQ(r.times[offset + i], s.times[i]) << i;
        ASSERT_EQ(r.unusable[offset + i], s.unusable[i]) << i;
        if (!s.unusable[i]) {
            ASSERT_EQ(r.values[offset + i], s.values[i]) << i;
        }
    }
    const Statistics fromFile = statistics(r.span(), {0, int(total) - 1});
    const Statistics fromRun = logic.runStatistics();
    EXPECT_EQ(fromFile.samples, fromRun.samples);
    EXPECT_EQ(fromFile.minimum, fromRun.minimum);
    EXPECT_EQ(fromFile.maximum, fromRun.maximum);
    EXPECT_DOUBLE_EQ(fromFile.mean, fromRun.mean);

    // Shown in the window, then exported: the same file again.
    ASSERT_TRUE(logic.loadRecording(*read.recording));
    EXPECT_EQ(logic.recordedSamples(), total);
    EXPECT_EQ(logic.csvText().toLatin1(), bytes);
}

// The export of a short run and a streamed one are the same text, and both
// read back to the run.
TEST_F(GraphStreamTest, ExportAndStreamWriteTheSameFile) {
    tables.setParameter(ParamTables::PositionDecimalsParameter, 3);
    setPosition(-12345);
    const QString path = dir.filePath("short.csv");
    logic.setStreamFile(path);
    logic.start();
    ASSERT_TRUE(recordUntil(20));
    logic.stop();
    EXPECT_EQ(fileBytes(path), logic.csvText().toLatin1());
    EXPECT_TRUE(logic.csvText().contains(",-12345,-12.345,0\r\n"));
    const RecordingRead read = readRecordingFile(path);
    ASSERT_TRUE(read.recording);
    EXPECT_EQ(read.recording->decimals, 3);
    EXPECT_EQ(read.recording->values.first(), -12345);
    EXPECT_EQ(read.recording->times.size(), logic.recordedSamples());
}

TEST_F(GraphStreamTest, AFileThatVanishesStopsTheRunWithTheReason) {
    const QString path = dir.filePath("gone.csv");
    logic.setStreamFile(path);
    logic.start();
    ASSERT_TRUE(recordUntil(60)); // past the first flush, a second in
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(waitUntil([&] { return !logic.logging(); }, 20000));
    EXPECT_FALSE(logic.RQ500LeesLogData.Active());
    EXPECT_TRUE(logic.controls().panelRed);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(path));
    EXPECT_TRUE(notices[0].contains(QString::fromLocal8Bit(std::strerror(ENOENT))))
        << notices[0].toStdString();
    // The window keeps the run, as after Stop; a new run needs a new file.
    EXPECT_GT(logic.samples().count, 60);
    EXPECT_TRUE(logic.controls().startEnabled);
    EXPECT_TRUE(logic.streamFile().isEmpty());
}

TEST_F(GraphStreamTest, AFullDiskRefusesTheStartWithTheReason) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    logic.setStreamFile("/dev/full");
    logic.start();
    EXPECT_FALSE(logic.logging());
    EXPECT_FALSE(logic.RQ500LeesLogData.Active());
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << notices[0].toStdString();
}

TEST_F(GraphStreamTest, ALinkErrorKeepsWhatWasWrittenAndSaysWhereItStopped) {
    const QString path = dir.filePath("cut.csv");
    logic.setStreamFile(path);
    logic.start();
    ASSERT_TRUE(recordUntil(50));
    bus->setFaults(0, {.noAnswer = true});
    ASSERT_TRUE(waitUntil([&] { return !logic.logging(); }));
    EXPECT_EQ(logic.controls().panelText, "T0");
    const qint64 n = logic.runSamples();
    ASSERT_EQ(notices.size(), 1);
    const QString last = timeText(logic.samples().times[logic.samples().count]);
    EXPECT_TRUE(notices[0].contains(QString::number(n))) << notices[0].toStdString();
    EXPECT_TRUE(notices[0].contains(last)) << notices[0].toStdString();
    EXPECT_TRUE(notices[0].contains("T0"));
    const RecordingRead read = readRecordingFile(path);
    ASSERT_TRUE(read.recording);
    EXPECT_EQ(read.recording->times.size(), n);
}

TEST(GraphRecordingRead, FilesThatAreNotOursAreRefusedWithTheLine) {
    const QByteArray header = "Index,Time (ms),Raw value,Value (AWE),Reply unusable\r\n";
    const struct {
        const char* name;
        QByteArray text;
        int line;
    } cases[] = {
        {"another header", "Time,Value\r\n0,1\r\n", 1},
        {"an empty file", "", 1},
        {"an index that skips", header + "0,0,5,5,0\r\n2,50,5,5,0\r\n", 3},
        {"time going back", header + "0,10,5,5,0\r\n1,5,5,5,0\r\n", 3},
        {"a value that is not the raw one", header + "0,0,5,0.6,0\r\n", 2},
        {"decimals that change", header + "0,0,5,0.5,0\r\n1,1,5,0.05,0\r\n", 3},
        {"a held sample with a value", header + "0,0,5,5,1\r\n", 2},
        {"a flag that is neither", header + "0,0,5,5,2\r\n", 2},
        {"a field too many", header + "0,0,5,5,0,1\r\n", 2},
        {"an empty line inside", header + "0,0,5,5,0\r\n\r\n1,1,5,5,0\r\n", 3},
        {"text", header + "0,0,abc,abc,0\r\n", 2},
        {"beyond 32 bits", header + "0,0,4294967296,4294967296,0\r\n", 2},
        {"a header without its line end, then a line of 5 kB", header + QByteArray(5000, '7'), 2},
    };
    for (const auto& c : cases) {
        const RecordingRead r = readText(c.text);
        EXPECT_FALSE(r.recording) << c.name;
        EXPECT_EQ(r.line, c.line) << c.name;
    }
    const RecordingRead wrong = readText(header + "0,0,5,0.6,0\r\n");
    EXPECT_EQ(wrong.error, "0,0,5,0.6,0");

    // A 50 MB line is refused after its first bytes, not taken in whole.
    EndlessDigits endless(50'000'000);
    endless.open(QIODevice::ReadOnly);
    const RecordingRead huge = readRecording(endless);
    EXPECT_FALSE(huge.recording);
    EXPECT_EQ(huge.line, 1);
    EXPECT_LT(endless.handedOut, 1'000'000);
}

TEST(GraphRecordingRead, OursReadBackEachKindAndACutLastLineIsLeftOff) {
    const struct {
        QByteArray text;
        int source, decimals, samples;
    } cases[] = {
        {"Index,Time (ms),Raw value,Value (AWE),Reply unusable\r\n0,0,-5,-0.05,0\r\n"
         "1,52,,,1\r\n2,104,12345,123.45,0\r\n",
         0, 2, 3},
        {"Index,Time (ms),Raw value,Value (V),Reply unusable\r\n0,0,20000,2.0000,0\r\n", 2, 4, 1},
        {"Index,Time (ms),Raw value,Value (mA),Reply unusable\n0,0,7,0.0007,0\n", 3, 4, 1},
        // The stream stopped in the middle of a line: the samples before it.
        {"Index,Time (ms),Raw value,Value (AWE),Reply unusable\r\n0,0,5,5,0\r\n1,52,12", 0, 0, 1},
        {"Index,Time (ms),Raw value,Value (AWE),Reply unusable\r\n", 0, 0, 0},
        // As a spreadsheet saves it: a byte-order mark, CR alone, or ends mixed.
        {"\xEF\xBB\xBFIndex,Time (ms),Raw value,Value (V),Reply unusable\r\n0,0,7,0.0007,0\r\n", 2,
         4, 1},
        {"Index,Time (ms),Raw value,Value (AWE),Reply unusable\r0,0,5,5,0\r1,52,,,1\r", 0, 0, 2},
        {"Index,Time (ms),Raw value,Value (AWE),Reply unusable\n0,0,5,5,0\r\n1,52,,,1\r2,60,6,6,0",
         0, 0, 3},
    };
    for (const auto& c : cases) {
        const RecordingRead r = readText(c.text);
        ASSERT_TRUE(r.recording) << c.text.constData() << r.error.toStdString();
        EXPECT_EQ(r.recording->source, c.source);
        EXPECT_EQ(r.recording->decimals, c.decimals);
        EXPECT_EQ(r.recording->times.size(), c.samples);
    }
    const Recording first = *readText(cases[0].text).recording;
    EXPECT_EQ(first.times, (QList<qint32>{0, 52, 104}));
    EXPECT_EQ(first.values[2], 12345);
    EXPECT_EQ(first.unusable, (QList<bool>{false, true, false}));
    // Written again, the same bytes.
    QByteArray again = csvHeader(0);
    for (int i = 0; i < 3; ++i)
        again += csvLine(i, first.times[i], first.values[i], first.unusable[i], first.decimals);
    EXPECT_EQ(again, cases[0].text);
}

// While recording: a paused view stands still as samples keep coming, and
// picks up again on resume; following keeps the newest sample on the last
// column at the scale the user zoomed to.
TEST_F(GraphStreamTest, PauseHoldsTheViewWhileTheRunGoesOnAndFollowKeepsTheNewestInView) {
    logic.choice().xIndex = 0; // 200 ms per division
    logic.start();
    ASSERT_TRUE(recordUntil(20));
    logic.setPaused(true);
    const GraphFrame paused = logic.frame();
    const int shown = paused.lastShown();
    ASSERT_TRUE(recordUntil(logic.runSamples() + 15));
    EXPECT_TRUE(logic.logging());
    const GraphFrame later = logic.frame();
    EXPECT_EQ(later.lastShown(), shown);
    EXPECT_DOUBLE_EQ(later.viewport().t0, paused.viewport().t0);
    EXPECT_GT(later.samples.count, shown);
    // The sample under the mouse is one of those shown.
    EXPECT_LE(logic.sampleAt(600).index, shown);
    logic.setPaused(false);
    EXPECT_EQ(logic.frame().lastShown(), logic.samples().count);
    EXPECT_FALSE(logic.frame().view);

    logic.zoomTime(300, 0.5);
    logic.setFollow(true);
    ASSERT_TRUE(recordUntil(logic.runSamples() + 5));
    const GraphFrame f = logic.frame();
    const graph::Viewport v = f.viewport();
    EXPECT_DOUBLE_EQ(v.msPerPixel, 200 / 60.0 * 0.5);
    EXPECT_NEAR(v.x(f.samples.times[f.samples.count]), 600, 1e-6);
    // Dragging back in time lets go of the newest sample.
    logic.panBy(100, 0);
    EXPECT_FALSE(logic.follow());
    logic.stop();
}
