#include "model/GraphLogic.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/DecimalText.h"
#include "model/ParamTables.h"

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

} // namespace graph

namespace {

quint32 monotonicTick() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return quint32(clock.elapsed());
}

// Spreadsheets everywhere read a dot as the decimal point.
QString dotted(int decimals, qint32 value) {
    return formatDecimal(decimals, value).replace(QLatin1Char(','), QLatin1Char('.'));
}

} // namespace

GraphLogic::GraphLogic(TZRComm& port, const ParamTables& tables, Tick tick)
    : port_(port), tables_(tables), tick_(tick ? std::move(tick) : Tick(monotonicTick)) {
    RQ500LeesLogData.setObjectName(QStringLiteral("RQ500LeesLogData"));
    RQ500LeesLogData.setUpForDevice(300);
    RQ500LeesLogData.SetZRComm(&port_);
    handlers_.bind(
        RQ500LeesLogData, [this](const QByteArray& reply) { RQ500LeesLogDataCommResult(reply); },
        [this](const TCommError& error, const QByteArray&) { RQ500LeesLogDataCommError(error); });
}

GraphLogic::~GraphLogic() {
    handlers_.unbindAll();
    RQ500LeesLogData.SetActive(false);
    RQ500LeesLogData.SetZRComm(nullptr);
}

GraphFrame GraphLogic::frame() const {
    return GraphFrame{&samples_, choice_, logging_,
                      tables_.parameter(ParamTables::PositionDecimalsParameter)};
}

GraphFrame GraphLogic::runFrame() const {
    GraphFrame run = frame();
    run.choice.source = runSource_;
    if (const int forced = graph::forcedValueIndex(runSource_); forced >= 0)
        run.choice.yIndex = forced;
    return run;
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
    samples_.count = -1;
    controls_.gauge = 0;
    const QString request = graph::requestOf(choice_.source);
    if (!request.isEmpty()) RQ500LeesLogData.SetASCIIProtocol(request);
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
    controls_.startEnabled = port_.Active();
    controls_.sourceEnabled = true;
    controls_.valueListEnabled = graph::forcedValueIndex(choice_.source) < 0;
    controls_.stopEnabled = false;
    controls_.exportEnabled = recordedSamples() > 0;
}

void GraphLogic::RQ500LeesLogDataCommResult(const QByteArray& reply) {
    // A reply still on the line when the run was stopped belongs to no run.
    if (!logging_) return;
    if (samples_.count < graph::LastIndex) ++samples_.count;
    const int i = samples_.count;
    if (i == 0) {
        startTick_ = tick_();
        samples_.times[0] = 0;
    } else {
        samples_.times[i] = qint32(tick_() - startTick_);
    }
    const auto value = parseDeviceInteger(replyText(reply, graph::ReplyBufferSize));
    if (value) samples_.values[i] = *value;
    samples_.unusable[i] = !value;
    controls_.gauge = i;
    if (i >= graph::LastIndex) {
        endRun();
        setPanel(4, false);
    }
    controls_.bufferCountText = formatDecimal(1, samples_.times[i] / 100) + QStringLiteral(" sec");
    changed();
}

void GraphLogic::RQ500LeesLogDataCommError(const TCommError& error) {
    // An all-zero error only says the link works again; it ends nothing.
    if (error.ok() || !logging_) return;
    endRun();
    // Any failure ends the run, so the panel must say so: "started" would
    // stay up over a run that no longer runs.
    setPanel(error.Code == CommCode::Timeout ? 0 : 1, true);
    changed();
}

void GraphLogic::setPanel(int text, bool red) {
    controls_.panelText = panelTexts_.at(text);
    controls_.panelRed = red;
}

void GraphLogic::changed() {
    if (onChanged) onChanged();
}

QString GraphLogic::csvText() const {
    const int n = recordedSamples();
    if (n <= 0) return {};
    const bool position = graph::isPositionSource(runSource_);
    const int decimals = position ? tables_.parameter(ParamTables::PositionDecimalsParameter) : 4;
    QString unit = graph::unitOf(runSource_);
    unit = unit.mid(1, unit.size() - 2);
    QString text =
        QStringLiteral("Index,Time (ms),Raw value,Value (%1),Reply unusable\r\n").arg(unit);
    text.reserve(text.size() + n * 32);
    for (int i = 0; i < n; ++i) {
        const QString when = QStringLiteral("%1,%2,").arg(i).arg(samples_.times[i]);
        // No value rather than the one the slot held: it was not measured.
        if (samples_.unusable[i]) {
            text += when + QStringLiteral(",,1\r\n");
            continue;
        }
        const qint32 v = samples_.values[i];
        text += when + QStringLiteral("%1,%2,0\r\n").arg(v).arg(dotted(decimals, v));
    }
    return text;
}

} // namespace kqm52
