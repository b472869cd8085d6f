#pragma once

// The log graph without its widgets: the sample buffer, the scale tables,
// the sources and their requests, the Start/Stop state, and the recorded run
// as CSV text.  The window shows what this says and forwards its handlers;
// the plot itself is drawn by GraphPainter from a GraphFrame.

#include "link/HandlerBinding.h"
#include "link/RQ500Protocol.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

namespace kqm52 {

class TZRComm;
class ParamTables;

namespace graph {

constexpr int BufferSize = 4001; // samples 0..4000
constexpr int LastIndex = BufferSize - 1;
constexpr int SourceCount = 6;
// A reply is read into a buffer of this size; more bytes are cut off.
constexpr int ReplyBufferSize = 50;

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

struct GraphSamples {
    std::array<qint32, graph::BufferSize> values{};
    std::array<qint32, graph::BufferSize> times{}; // ms since sample 0 of the run
    // The reply for this sample could not be read: its value is whatever the
    // slot held before (0, or a sample of an earlier run), kept for the
    // plot's sake but no measurement.
    std::array<bool, graph::BufferSize> unusable{};
    int count = 0; // index of the newest sample; -1 right after Start
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
    const GraphSamples* samples = nullptr;
    GraphChoice choice;
    bool logging = false;
    int positionDecimals = 0; // parameter 203
};

// What the controls around the plot show, apart from the plot.
struct GraphControls {
    bool startEnabled = false;
    bool stopEnabled = false;
    bool sourceEnabled = true;
    bool valueListEnabled = true;
    bool exportEnabled = false;
    QString panelText;
    bool panelRed = false;
    int gauge = 0;
    QString bufferCountText = QStringLiteral("0,0 sec");
};

class GraphLogic {
  public:
    // Panel texts 0..4: time-out, other link error, started, stopped, full.
    using PanelTexts = std::array<QString, 5>;
    // A millisecond tick; the program uses a monotonic clock, tests the
    // simulator's virtual one.
    using Tick = std::function<quint32()>;

    GraphLogic(TZRComm& port, const ParamTables& tables, Tick tick = {});
    ~GraphLogic();
    GraphLogic(const GraphLogic&) = delete;
    GraphLogic& operator=(const GraphLogic&) = delete;

    // Runs after every change of the samples or the controls' state; the
    // window refreshes its controls and redraws.
    std::function<void()> onChanged;

    void setPanelTexts(const PanelTexts& texts) { panelTexts_ = texts; }

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
    int recordedSamples() const { return recorded_ ? samples_.count + 1 : 0; }

    // The recorded run: a header line and one line per sample, comma
    // separated, dot as decimal point.  A sample whose reply was unusable
    // has empty values and its last field set to 1 (else 0).  Empty when
    // nothing was recorded.
    QString csvText() const;

    TRQ500Protocol RQ500LeesLogData;
    HandlerBinding handlers_;

    void RQ500LeesLogDataCommResult(const QByteArray& reply);
    void RQ500LeesLogDataCommError(const TCommError& error);

  private:
    void endRun();
    void setPanel(int text, bool red);
    void changed();

    TZRComm& port_;
    const ParamTables& tables_;
    Tick tick_;
    PanelTexts panelTexts_;
    GraphSamples samples_;
    GraphChoice choice_;
    GraphControls controls_;
    bool logging_ = false;
    bool recorded_ = false;
    int runSource_ = 0;
    quint32 startTick_ = 0;
};

} // namespace kqm52
