#include "model/engines/GraphLogic.h"

#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/TextKeys.h"
#include "model/values/DecimalText.h"
#include "model/values/ParamTables.h"

#include <QDir>
#include <QElapsedTimer>

namespace kqm52 {

namespace graph {

QStringList timeListItems() {
    return {QStringLiteral("200 ms"), QStringLiteral("500 ms"), QStringLiteral("1 sec"),
            QStringLiteral("2 sec"),  QStringLiteral("5 sec"),  QStringLiteral("10 sec")};
}

QStringList valueListItems() {
    QStringList items;
    for (int v : ValuePerDivision)
        items << QString::number(v);
    return items;
}

QStringList builtInSources() {
    return {QStringLiteral("ActPos"),
            QStringLiteral("Act_V"),
            QStringLiteral("Act_U"),
            QStringLiteral("Act_I"),
            QString(),
            QString()};
}

int timePerDivision(int index) {
    return index >= 0 && index < int(TimePerDivision.size()) ? TimePerDivision[index]
                                                             : TimePerDivision[0];
}

int valuePerDivision(int index) {
    return index >= 0 && index < int(ValuePerDivision.size()) ? ValuePerDivision[index]
                                                              : ValuePerDivision[0];
}

QString requestOf(int source) {
    if (source < 0 || source >= SourceCount) return {};
    return unit::readLive(unit::LiveValue(source));
}

QString unitOf(int source) {
    if (isPositionSource(source)) return QStringLiteral("(AWE)");
    return source % 2 == 0 ? QStringLiteral("(V)") : QStringLiteral("(mA)");
}

bool isPositionSource(int source) {
    return source == 0 || source == 1;
}

int forcedValueIndex(int source) {
    switch (source) {
    case 2:
    case 4:
        return 7; // 20000: 2 V per division
    case 3:
    case 5:
        return 8; // 40000: 4 mA per division
    default:
        return -1;
    }
}

int firstShownSample(const GraphFrame& frame) {
    const int count = frame.samples.count;
    if (frame.choice.autoScroll && frame.logging)
        return std::max(0, count - timePerDivision(frame.choice.xIndex) / 8);
    return std::clamp(frame.choice.scrollPosition, 0, std::max(0, count));
}

} // namespace graph

graph::Viewport GraphFrame::viewport() const {
    if (view) {
        graph::Viewport v = *view;
        v.zeroY = zeroY();
        return v;
    }
    const qint32 t0 = samples.count >= 0 ? samples.times[graph::firstShownSample(*this)] : 0;
    return graph::tableViewport(t0, graph::timePerDivision(choice.xIndex),
                                graph::valuePerDivision(choice.yIndex), plotHeight);
}

int GraphFrame::lastShown() const {
    if (untilTime == std::numeric_limits<qint32>::max()) return samples.count;
    return graph::lastSampleUpTo(samples, untilTime);
}

namespace {

quint32 monotonicTick() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return quint32(clock.elapsed());
}

using PanelTekst = TextSeries<"Grafiek", "PanelTekst", 5>;
using Extra = TextIn<"GrafiekExtra">;

} // namespace

GraphLogic::GraphLogic(TZRComm& port, const ParamTables& tables, const LanguageTexts& language,
                       Tick tick)
    : port_(port), tables_(tables), tick_(tick ? std::move(tick) : Tick(monotonicTick)),
      language_(language) {
    RQ500LeesLogData.setObjectName(QStringLiteral("RQ500LeesLogData"));
    RQ500LeesLogData.setUpForDevice(300);
    RQ500LeesLogData.SetZRComm(&port_);
    handlers_.bind(
        RQ500LeesLogData, [this](const QByteArray& reply) { RQ500LeesLogDataCommResult(reply); },
        [this](const TCommError& error, const QByteArray&) { RQ500LeesLogDataCommError(error); });
}

QString GraphLogic::noticeText(Notice notice) const {
    const QString where = QStringLiteral("\n\r%1\n\r%2");
    const QString kept = QStringLiteral("\n\r") + language_.text(Extra{"MsgBewaard"});
    switch (notice) {
    case Notice::NotOpened:
        return language_.text(Extra{"MsgNietGeopend"}) + where;
    case Notice::FileFailed:
        return language_.text(Extra{"MsgBestandGestopt"}) + where + kept;
    case Notice::LinkStopped:
        break;
    }
    return language_.text(Extra{"MsgVerbindingGestopt"}) + where + kept;
}

GraphLogic::~GraphLogic() {
    handlers_.unbindAll();
    RQ500LeesLogData.SetActive(false);
    RQ500LeesLogData.SetZRComm(nullptr);
}

GraphFrame GraphLogic::frame() const {
    GraphFrame f;
    f.samples = span();
    f.choice = choice_;
    f.logging = logging_;
    f.positionDecimals = recording_ ? recording_->decimals
                                    : tables_.parameter(ParamTables::PositionDecimalsParameter);
    f.plotWidth = plotWidth_;
    f.plotHeight = plotHeight_;
    if (recording_) {
        f.choice.source = recording_->source;
        if (const int forced = graph::forcedValueIndex(f.choice.source); forced >= 0)
            f.choice.yIndex = forced;
    }
    f.view = view_;
    if (paused_) f.untilTime = pausedAt_;
    if (follow_ && !paused_ && f.samples.count >= 0) {
        GraphFrame table = f;
        table.view.reset();
        f.view = graph::following(view_ ? f.viewport() : table.viewport(),
                                  f.samples.times[f.samples.count], f.plotWidth);
    }
    return f;
}

GraphFrame GraphLogic::runFrame() const {
    GraphFrame run = frame();
    run.choice.source = shownSource();
    if (const int forced = graph::forcedValueIndex(run.choice.source); forced >= 0)
        run.choice.yIndex = forced;
    return run;
}

GraphFrame GraphLogic::pictureFrame(bool wholeRun) const {
    GraphFrame f = runFrame();
    f.logging = false;
    if (!wholeRun || f.samples.count < 0) return f;
    f.untilTime = std::numeric_limits<qint32>::max();
    graph::Viewport v = f.viewport();
    const double first = f.samples.times[0];
    const double span = std::max(1.0, double(f.samples.times[f.samples.count]) - first);
    v.t0 = first;
    v.msPerPixel = span / (f.plotWidth - 1);
    f.view = v;
    return f;
}

graph::SampleSpan GraphLogic::span() const {
    return recording_ ? recording_->span() : samples_.span();
}

int GraphLogic::shownSource() const {
    return recording_ ? recording_->source : runSource_;
}

graph::ValueFormat GraphLogic::valueFormat() const {
    const GraphFrame f = frame();
    return graph::valueFormat(shownSource(), f.positionDecimals);
}

int GraphLogic::recordedSamples() const {
    if (recording_) return int(recording_->times.size());
    return recorded_ ? samples_.count + 1 : 0;
}

void GraphLogic::activate(bool portOpen) {
    logging_ = false;
    controls_.startEnabled = portOpen;
    controls_.stopEnabled = false;
    controls_.sourceEnabled = true;
    controls_.exportEnabled = recordedSamples() > 0;
    setSource(choice_.source);
    changed();
}

bool GraphLogic::setSource(int source) {
    choice_.source = source;
    const int forced = graph::forcedValueIndex(source);
    controls_.valueListEnabled = forced < 0;
    if (forced < 0 || choice_.yIndex == forced) return false;
    choice_.yIndex = forced;
    return true;
}

void GraphLogic::start() {
    if (logging_) return;
    if (!streamPath_.isEmpty() &&
        !stream_.open(streamPath_, choice_.source,
                      tables_.parameter(ParamTables::PositionDecimalsParameter))) {
        notice(noticeText(Notice::NotOpened).arg(streamPath_, stream_.error()));
        changed();
        return;
    }
    recording_.reset();
    runSamples_ = 0;
    runStats_.clear();
    view_.reset();
    paused_ = false;
    cursors_ = {};
    samples_.count = -1;
    controls_.gauge = 0;
    const QString request = graph::requestOf(choice_.source);
    if (!request.isEmpty()) RQ500LeesLogData.SetASCIIProtocol(request);
    runRequest_ = request;
    runSource_ = choice_.source;
    recorded_ = true;
    logging_ = true;
    controls_.startEnabled = false;
    controls_.sourceEnabled = false;
    controls_.stopEnabled = true;
    controls_.exportEnabled = false;
    setPanel(2, false);
    RQ500LeesLogData.SetActive(true);
    // The port may have gone since the window opened: then nothing is sent
    // and the run is over before it began.
    if (!RQ500LeesLogData.Active()) endRun();
    changed();
}

void GraphLogic::stop() {
    RQ500LeesLogData.SetActive(false);
    if (!logging_) return;
    endRun();
    setPanel(3, false);
    changed();
}

void GraphLogic::close() {
    RQ500LeesLogData.SetActive(false);
    if (logging_) endRun();
}

void GraphLogic::endRun() {
    RQ500LeesLogData.SetActive(false);
    logging_ = false;
    if (paused_) {
        // The frozen view stays where it is; it just stops being a pause.
        paused_ = false;
        viewBeforePause_.reset();
    }
    closeStream();
    controls_.startEnabled = port_.Active();
    controls_.sourceEnabled = true;
    controls_.valueListEnabled = graph::forcedValueIndex(choice_.source) < 0;
    controls_.stopEnabled = false;
    controls_.exportEnabled = recordedSamples() > 0;
}

void GraphLogic::closeStream() {
    if (!stream_.isOpen()) return;
    // The next run must not write over this one: the user chooses again.
    streamPath_.clear();
    if (!stream_.close())
        notice(noticeText(Notice::FileFailed)
                   .arg(stream_.path(), stream_.error())
                   .arg(stream_.samplesKept())
                   .arg(graph::timeText(stream_.lastTimeKept())));
}

void GraphLogic::notice(const QString& text) {
    if (onNotice) onNotice(text);
}

void GraphLogic::RQ500LeesLogDataCommResult(const QByteArray& reply) {
    // A reply still on the line when the run was stopped belongs to no run.
    if (!logging_) return;
    const bool streaming = stream_.isOpen();
    if (samples_.count < graph::LastIndex) {
        ++samples_.count;
    } else if (streaming) {
        // The window keeps the newest 4001; the file has them all.
        std::copy(samples_.values.begin() + 1, samples_.values.end(), samples_.values.begin());
        std::copy(samples_.times.begin() + 1, samples_.times.end(), samples_.times.begin());
        std::copy(samples_.unusable.begin() + 1, samples_.unusable.end(),
                  samples_.unusable.begin());
    }
    const int i = samples_.count;
    if (runSamples_ == 0) {
        startTick_ = tick_();
        samples_.times[0] = 0;
    } else {
        samples_.times[i] = qint32(tick_() - startTick_);
    }
    // A reply too long for the buffer, or one to another request, is no
    // measurement: the sample is held and flagged as every reader flags it.
    const std::optional<qint32> value =
        unit::classifyReply(runRequest_, reply, graph::ReplyBufferSize).readValue();
    if (value) samples_.values[i] = *value;
    samples_.unusable[i] = !value;
    runStats_.add(samples_.times[i], samples_.values[i], bool(value));
    ++runSamples_;
    controls_.gauge = i;
    if (streaming &&
        !stream_.append(runSamples_ - 1, samples_.times[i], samples_.values[i], !value)) {
        RQ500LeesLogData.SetActive(false);
        // What the file kept stays; the next run must not write over it.
        streamPath_.clear();
        const QString text = noticeText(Notice::FileFailed)
                                 .arg(stream_.path(), stream_.error())
                                 .arg(stream_.samplesKept())
                                 .arg(graph::timeText(stream_.lastTimeKept()));
        endRun();
        setPanel(3, true);
        controls_.bufferCountText =
            formatDecimal(1, samples_.times[i] / 100) + QStringLiteral(" sec");
        changed();
        notice(text);
        return;
    }
    if (i >= graph::LastIndex && !streaming) {
        endRun();
        setPanel(4, false);
    }
    controls_.bufferCountText = formatDecimal(1, samples_.times[i] / 100) + QStringLiteral(" sec");
    changed();
}

void GraphLogic::RQ500LeesLogDataCommError(const TCommError& error) {
    // An all-zero error only says the link works again; it ends nothing.
    if (error.ok() || !logging_) return;
    const bool streaming = stream_.isOpen();
    endRun();
    // Any failure ends the run, so the panel must say so: "started" would
    // stay up over a run that no longer runs.
    setPanel(error.Code == CommCode::Timeout ? 0 : 1, true);
    changed();
    if (streaming && !stream_.failed())
        notice(noticeText(Notice::LinkStopped)
                   .arg(stream_.path(), controls_.panelText)
                   .arg(stream_.samplesKept())
                   .arg(graph::timeText(stream_.lastTimeKept())));
}

void GraphLogic::setPanel(int text, bool red) {
    controls_.panelText = language_.text(PanelTekst::all().at(std::size_t(text)));
    controls_.panelRed = red;
}

void GraphLogic::changed() {
    if (onChanged) onChanged();
}

QString GraphLogic::csvText() const {
    const int n = recordedSamples();
    if (n <= 0) return {};
    const graph::SampleSpan s = span();
    const int source = shownSource();
    const int decimals =
        recording_
            ? recording_->decimals
            : graph::csvDecimals(source, tables_.parameter(ParamTables::PositionDecimalsParameter));
    QByteArray text = graph::csvHeader(source);
    text.reserve(text.size() + n * 32);
    for (int i = 0; i < n; ++i)
        text += graph::csvLine(i, s.times[i], s.values[i], s.unusable[i], decimals);
    return QString::fromLatin1(text);
}

bool GraphLogic::loadRecording(graph::Recording recording) {
    if (logging_ || recording.times.isEmpty()) return false;
    recording_ = std::make_unique<graph::Recording>(std::move(recording));
    view_.reset();
    paused_ = false;
    cursors_ = {};
    runStats_.clear();
    choice_.scrollPosition = 0;
    controls_.exportEnabled = true;
    controls_.gauge = 0;
    const graph::SampleSpan s = span();
    controls_.bufferCountText = formatDecimal(1, s.times[s.count] / 100) + QStringLiteral(" sec");
    changed();
    return true;
}

void GraphLogic::setPlotSize(int width, int height) {
    plotWidth_ = std::max(2, width);
    plotHeight_ = std::max(2, height);
}

void GraphLogic::keepView(const graph::Viewport& v) {
    view_ = v;
    choice_.scrollPosition = scrollPositionOfView();
}

void GraphLogic::zoomTime(double atX, double factor) {
    keepView(graph::zoomTime(frame().viewport(), atX, factor));
}

void GraphLogic::zoomValue(double atY, double factor) {
    keepView(graph::zoomValue(frame().viewport(), atY, factor));
}

void GraphLogic::panBy(double dx, double dy) {
    // Dragging back in time is looking away from the newest sample.
    const graph::Viewport v = frame().viewport();
    if (dx != 0) follow_ = false;
    keepView(graph::pan(v, dx, dy));
}

void GraphLogic::home() {
    view_.reset();
    paused_ = false;
    viewBeforePause_.reset();
    follow_ = false;
    choice_.scrollPosition = 0;
}

int GraphLogic::fit() {
    const GraphFrame f = frame();
    if (graph::forcedValueIndex(f.choice.source) >= 0) return -1;
    const graph::Viewport v = f.viewport();
    const graph::IndexRange r = graph::insideRange(f.samples, v, f.plotWidth, f.lastShown());
    if (r.empty()) return -1;
    qint32 lo = f.samples.values[r.first], hi = lo;
    for (int i = r.first; i <= r.last; ++i) {
        lo = std::min(lo, f.samples.values[i]);
        hi = std::max(hi, f.samples.values[i]);
    }
    // Inside the outline on the lists' own mapping, as the curve is drawn.
    auto inside = [&](qint32 value, int perDivision) {
        const qint64 y = qint64(value) * -graph::YDivisionPixels / perDivision + f.zeroY();
        return y >= 1 && y <= f.plotHeight - 2;
    };
    int index = int(graph::ValuePerDivision.size()) - 1;
    for (int k = 0; k < int(graph::ValuePerDivision.size()); ++k)
        if (inside(lo, graph::ValuePerDivision[k]) && inside(hi, graph::ValuePerDivision[k])) {
            index = k;
            break;
        }
    choice_.yIndex = index;
    if (view_) {
        view_->valueAtZero = 0;
        view_->valuePerPixel = graph::ValuePerDivision[index] / double(graph::YDivisionPixels);
    }
    return index;
}

void GraphLogic::setPaused(bool paused) {
    if (paused == paused_) return;
    if (paused) {
        const GraphFrame f = frame();
        viewBeforePause_ = view_;
        view_ = f.viewport();
        pausedAt_ = f.samples.count >= 0 ? f.samples.times[f.samples.count] : 0;
        paused_ = true;
    } else {
        view_ = viewBeforePause_;
        viewBeforePause_.reset();
        paused_ = false;
    }
}

void GraphLogic::setFollow(bool follow) {
    if (follow == follow_) return;
    if (!follow) {
        // Leave the view where following left it.
        const GraphFrame f = frame();
        if (f.view) view_ = f.view;
    }
    follow_ = follow;
}

void GraphLogic::scrolled(int position) {
    choice_.scrollPosition = position;
    const graph::SampleSpan s = span();
    if (view_ && !paused_ && s.count >= 0) view_->t0 = s.times[std::clamp(position, 0, s.count)];
}

int GraphLogic::scrollPositionOfView() const {
    const graph::SampleSpan s = span();
    if (!view_ || s.count < 0) return choice_.scrollPosition;
    return std::clamp(graph::lastSampleUpTo(s, qint32(std::clamp(view_->t0, -2e9, 2e9))), 0,
                      s.count);
}

graph::Cursor GraphLogic::sampleAt(double x) const {
    const GraphFrame f = frame();
    const int i = graph::nearestSample(f.samples, f.viewport().timeAt(x), f.lastShown());
    return graph::cursorAt(f.samples, i);
}

void GraphLogic::placeCursor(int which, double x) {
    const graph::Cursor c = sampleAt(x);
    if (c.index >= 0) cursors_.at(which) = c.time;
}

void GraphLogic::clearCursors() {
    cursors_ = {};
}

std::optional<graph::Cursor> GraphLogic::cursor(int which) const {
    if (!cursors_.at(which)) return std::nullopt;
    const GraphFrame f = frame();
    const int i = graph::nearestSample(f.samples, *cursors_[which], f.samples.count);
    // The sample under a cursor may have left the window's 4001.
    if (i < 0 || f.samples.times[i] != *cursors_[which]) return std::nullopt;
    return graph::cursorAt(f.samples, i);
}

QString GraphLogic::hoverText(double x) const {
    return graph::cursorText(sampleAt(x), valueFormat());
}

QString GraphLogic::cursorsText() const {
    const graph::ValueFormat f = valueFormat();
    const auto a = cursor(0), b = cursor(1);
    QStringList parts;
    if (a) parts << QStringLiteral("A  ") + graph::cursorText(*a, f);
    if (b) parts << QStringLiteral("B  ") + graph::cursorText(*b, f);
    if (a && b) parts << graph::deltaText(graph::delta(*a, *b), f);
    return parts.join(QStringLiteral("\n"));
}

graph::Statistics GraphLogic::visibleStatistics() const {
    const GraphFrame f = frame();
    return graph::statistics(
        f.samples, graph::insideRange(f.samples, f.viewport(), f.plotWidth, f.lastShown()));
}

graph::Statistics GraphLogic::runStatistics() const {
    if (recording_) {
        const graph::SampleSpan s = span();
        return graph::statistics(s, {0, s.count});
    }
    return runStats_.result();
}

} // namespace kqm52
