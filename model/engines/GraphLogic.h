#pragma once

// The log graph without its widgets: the sample buffer, the scale tables,
// the sources and their requests, the Start/Stop state, and the recorded run
// as CSV text.  The window shows what this says and forwards its handlers;
// the plot itself is drawn by GraphPainter from a GraphFrame.

#include "link/HandlerBinding.h"
#include "link/RQ500Protocol.h"
#include "model/engines/GraphRecording.h"
#include "model/engines/GraphView.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace kqm52 {

class LanguageTexts;

class TZRComm;
class ParamTables;

namespace graph {

constexpr int BufferSize = 4001; // samples 0..4000
constexpr int LastIndex = BufferSize - 1;
constexpr int SourceCount = 6;
// A reply is read into a buffer of this size; more bytes are cut off.
constexpr int ReplyBufferSize = 50;

// The plot as the window opens; it grows with the window.
constexpr int PlotWidth = 601;
constexpr int PlotHeight = 409;
constexpr int ZeroY = PlotHeight / 2; // 204
constexpr int XDivisionPixels = 60;
constexpr int YDivisionPixels = 40;

// Milliseconds per time division, by the index of the time list.
constexpr std::array<int, 6> TimePerDivision{200, 500, 1000, 2000, 5000, 10000};
// Raw value per value division, by the index of the value list.
constexpr std::array<int, 21> ValuePerDivision{
    100,     200,     500,      1000,     2000,     5000,      10000,
    20000,   40000,   50000,    100000,   200000,   500000,    1000000,
    2000000, 5000000, 10000000, 20000000, 50000000, 100000000, 200000000};

QStringList timeListItems();  // "200 ms" .. "10 sec"
QStringList valueListItems(); // "100" .. "200000000"
QStringList builtInSources(); // "ActPos", "Act_V", "Act_U", "Act_I", "", ""

// An index outside a table reads as its first entry, so a damaged settings
// file cannot reach past the table.
int timePerDivision(int index);
int valuePerDivision(int index);

// "r0" .. "r5"; empty for an index outside 0..5.
QString requestOf(int source);
// "(AWE)", "(V)" or "(mA)".
QString unitOf(int source);
// Sources 0 and 1 are positions and velocities with the decimals of parameter
// 203; the others are analog values in ten-thousandths.
bool isPositionSource(int source);
// The value list entry a source forces (and locks), or -1 for none.
int forcedValueIndex(int source);

} // namespace graph

struct GraphFrame;
namespace graph {
// The first sample shown on the lists' scales: with autoscroll while logging
// the view follows the newest sample, else the scroll bar says.
int firstShownSample(const GraphFrame& frame);
} // namespace graph

struct GraphSamples {
    std::array<qint32, graph::BufferSize> values{};
    std::array<qint32, graph::BufferSize> times{}; // ms since sample 0 of the run
    // The reply for this sample could not be read: its value is whatever the
    // slot held before (0, or a sample of an earlier run), kept for the
    // plot's sake but no measurement.
    std::array<bool, graph::BufferSize> unusable{};
    int count = 0; // index of the newest sample; -1 right after Start

    graph::SampleSpan span() const { return {times.data(), values.data(), unusable.data(), count}; }
};

// The choices of the controls below the plot, as the drawing needs them.
struct GraphChoice {
    int xIndex = 0;
    int yIndex = 0;
    int source = 0;
    bool auxX = false;
    bool auxY = false;
    bool autoScroll = false;
    int scrollPosition = 0;
};

// Everything one drawing of the plot depends on.
struct GraphFrame {
    graph::SampleSpan samples;
    GraphChoice choice;
    bool logging = false;
    int positionDecimals = 0; // parameter 203
    int plotWidth = graph::PlotWidth;
    int plotHeight = graph::PlotHeight;
    // Set once the user has zoomed, panned, paused or follows the newest
    // sample; else the lists' scales and the scroll bar place the curve.
    std::optional<graph::Viewport> view;
    // A paused view shows no sample after this time.
    qint32 untilTime = std::numeric_limits<qint32>::max();

    int zeroY() const { return plotHeight / 2; }
    // The mapping in use, whichever way it is set.
    graph::Viewport viewport() const;
    // The last sample drawn.
    int lastShown() const;
};

// What the controls around the plot show, apart from the plot.
struct GraphControls {
    bool startEnabled = false;
    bool stopEnabled = false;
    bool sourceEnabled = true;
    bool valueListEnabled = true;
    bool exportEnabled = false;
    bool fitEnabled = true;
    bool streamEnabled = true; // the file can be chosen only between runs
    QString panelText;
    bool panelRed = false;
    int gauge = 0;
    QString bufferCountText = QStringLiteral("0,0 sec");
};

class GraphLogic {
  public:
    // A millisecond tick; the program uses a monotonic clock, tests the
    // simulator's virtual one.
    using Tick = std::function<quint32()>;

    // Its words come from language: the panel texts 0..4 (time-out, other
    // link error, started, stopped, full) and the notices below.
    GraphLogic(TZRComm& port, const ParamTables& tables, const LanguageTexts& language,
               Tick tick = {});
    ~GraphLogic();
    GraphLogic(const GraphLogic&) = delete;
    GraphLogic& operator=(const GraphLogic&) = delete;

    // Runs after every change of the samples or the controls' state; the
    // window refreshes its controls and redraws.
    std::function<void()> onChanged;

    // Activation: Start only with an open port; the panel and gauge as the
    // last run left them.
    void activate(bool portOpen);
    void start();
    void stop();
    // Closing the window ends a run without a word.
    void close();

    // The choices of the controls; a source that forces a value scale moves
    // the value index along (and returns true when it did).
    GraphChoice& choice() { return choice_; }
    const GraphChoice& choice() const { return choice_; }
    bool setSource(int source);

    bool logging() const { return logging_; }
    const GraphSamples& samples() const { return samples_; }
    const GraphControls& controls() const { return controls_; }
    GraphFrame frame() const;
    // The recorded run as the window would draw it now, but read from the
    // run's own source and on the value scale that source forces, whatever
    // the list shows since: what the PNG export saves.
    GraphFrame runFrame() const;
    // The scroll bar covers the samples of the run; 0 until the first arrives.
    int scrollMaximum() const { return samples_.count < 0 ? 0 : samples_.count; }
    // The source the recorded run was read from.
    int runSource() const { return runSource_; }
    int recordedSamples() const;

    // The run on show (recorded here or read from a file): a header line and
    // one line per sample (see GraphRecording.h).  Empty when there is none.
    QString csvText() const;

    // Every sample of the next run goes to this file as well, for as long
    // as the run lasts; the window then keeps showing the newest 4001.
    // Empty: no file.  Chosen between runs; a run that used it clears it, so
    // a second Start never writes over the first run's file.
    void setStreamFile(const QString& path) { streamPath_ = path; }
    const QString& streamFile() const { return streamPath_; }
    const graph::CsvStreamWriter& stream() const { return stream_; }
    // Samples taken since Start, the window's 4001 and those before them.
    qint64 runSamples() const { return runSamples_; }

    std::function<void(const QString&)> onNotice;

    // A run read back from a file, shown instead of the window's samples
    // until the next Start.  False for a recording without samples.
    bool loadRecording(graph::Recording recording);
    const graph::Recording* recording() const { return recording_.get(); }
    // The run on show: the window's samples or the recording.
    graph::SampleSpan span() const;
    // The source the samples on show were read from.
    int shownSource() const;
    graph::ValueFormat valueFormat() const;

    // The plot's size in pixels; it grows with the window.
    void setPlotSize(int width, int height);
    // Wheel, Ctrl+wheel and drag, at plot pixels; Home.
    void zoomTime(double atX, double factor);
    void zoomValue(double atY, double factor);
    void panBy(double dx, double dy);
    void home();
    // The smallest value scale of the list that shows the whole curve in
    // view: its index, or -1 when the source fixes the scale or nothing is in
    // view.  The value axis returns to the list's scale.
    int fit();
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    void setFollow(bool follow);
    bool follow() const { return follow_; }
    void scrolled(int position);
    // Where the scroll bar stands under a zoomed or panned view.
    int scrollPositionOfView() const;

    // The sample under a plot column, and the two cursors (0 is A, 1 is B).
    graph::Cursor sampleAt(double x) const;
    void placeCursor(int which, double x);
    void clearCursors();
    std::optional<graph::Cursor> cursor(int which) const;
    QString hoverText(double x) const;
    QString cursorsText() const; // "A …   B …   Δt …"

    graph::Statistics visibleStatistics() const;
    graph::Statistics runStatistics() const;

    // The frame a picture of the run is drawn from: the span in view now, or
    // the whole run across the plot's width.
    GraphFrame pictureFrame(bool wholeRun) const;

    TRQ500Protocol RQ500LeesLogData;
    HandlerBinding handlers_;

    void RQ500LeesLogDataCommResult(const QByteArray& reply);
    void RQ500LeesLogDataCommError(const TCommError& error);

  private:
    void endRun();
    void closeStream();
    void notice(const QString& text);
    void keepView(const graph::Viewport& v);
    void setPanel(int text, bool red);
    void changed();
    // What the user must read when a streamed run ends badly: %1 the file,
    // %2 the system's reason or the link error's panel text, %3 the samples
    // the file keeps, %4 the time of the last of them.
    enum class Notice { NotOpened, FileFailed, LinkStopped };
    QString noticeText(Notice notice) const;

    TZRComm& port_;
    const ParamTables& tables_;
    Tick tick_;
    const LanguageTexts& language_;
    GraphSamples samples_;
    GraphChoice choice_;
    GraphControls controls_;
    bool logging_ = false;
    bool recorded_ = false;
    int runSource_ = 0;
    QString runRequest_; // what each sample of the run asks
    quint32 startTick_ = 0;

    QString streamPath_;
    graph::CsvStreamWriter stream_;
    qint64 runSamples_ = 0;
    graph::RunningStatistics runStats_;
    std::unique_ptr<graph::Recording> recording_;
    int plotWidth_ = graph::PlotWidth;
    int plotHeight_ = graph::PlotHeight;
    std::optional<graph::Viewport> view_;
    std::optional<graph::Viewport> viewBeforePause_;
    bool paused_ = false;
    qint32 pausedAt_ = 0;
    bool follow_ = false;
    std::array<std::optional<qint32>, 2> cursors_; // times of A and B
};

} // namespace kqm52
