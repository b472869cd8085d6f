// Replies come off a serial line that may be noisy, cut or driven by the
// wrong device.  Every reader of a reply (the reply text, the device integer,
// typed-in decimals, the unit identification and the live monitor) must turn
// any bytes into something shown, never a crash.

#include "FuzzInput.h"
#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/DecimalText.h"
#include "shell/LiveMonitor.h"
#include "shell/OnlineView.h"
#include "shell/UnitSelection.h"
#include "ui/ScriptedDialogs.h"

#include <QCoreApplication>

using namespace kqm52;

namespace {

// Shown texts are kept, so a reader that made one from freed memory is seen.
struct KeepingView : LiveMonitorView, UnitSelectionView {
    QString last;
    void showComInfo(const QString& t) override { last = t; }
    void showErrorNo(const QString& t) override { last = t; }
    void showStatus(int, const QString& t) override { last = t; }
    void showPanel(MonitorPanel, const QString& t) override { last = t; }
    void colourPanel(MonitorPanel, const std::optional<QColor>&) override {}
    void setButtonCaption(MonitorButton, const QString&) override {}
    void showInputs(bool, const std::array<bool, 4>&) override {}
    void showOutputs(const std::array<bool, 4>&) override {}
    void neutralLamps() override {}
    bool transferWindowActive() const override { return false; }
    void setOnline(bool, const QString&) override {}
    int unitNumber() const override { return 1; }
    bool deviceSearchActive() const override { return false; }
};

struct World {
    ProgramState state{QStringLiteral("/nonexistent/")};
    TZRComm port;
    LanguageTexts texts;
    KeepingView view;
    ScriptedDialogs dialogs; // keeps every text it was shown, as the view does
    UnitSelection unit{state, port, texts, view, dialogs};
    LiveMonitor monitor{state, port, texts, view, unit};
    World() {
        unit.setLiveMonitor(&monitor);
        state.monitor.ActualOn = state.monitor.IoOn = state.monitor.ThumbwheelOn = true;
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World w;
    const QByteArray reply = fuzz::bytes(data, size);

    for (int buffer : {0, 1, 20, 100, 512}) {
        const QByteArray inBuffer = replyInBuffer(reply, buffer);
        if (inBuffer.size() > qMax(buffer, 0)) fuzz::fail();
        for (const char* request : {"r0", "rp 7", "rt", "rf", "bp", "wp 1 1"})
            (void)unit::classifyReply(QString::fromLatin1(request), reply, buffer);
    }
    // Typed-in values go through the same decimal rule as shown ones; a
    // value that is accepted must show as the text that was typed, in its
    // canonical form, and read back to itself.
    const QString typed = QString::fromLatin1(reply);
    const int decimals = size ? data[0] % (MaxDecimals + 2) : 0;
    const qint32 v = DecStrToInt(typed, decimals, true, INT32_MIN + 1, INT32_MAX - 2);
    if (v != DecStrMalformed && v != DecStrOutOfRange && decimals <= MaxDecimals) {
        const QString shown = formatDecimal(decimals, v);
        if (DecStrToInt(shown, decimals, true, INT32_MIN + 1, INT32_MAX - 2) != v) fuzz::fail();
    }

    const int step = size ? data[size - 1] % 4 : 0;
    w.state.unit.TypeInfoStep = step;
    w.dialogs.clear(); // a long run must not keep every box it was shown
    w.unit.RQ500TypeInfoCommResult(reply);
    w.state.tables.setParameter(ParamTables::PositionDecimalsParameter, size ? data[0] : 0);
    w.monitor.valueResult(MonitorPanel::ActPos, unit::classifyReply(u"r0", reply, 100),
                          ParamTables::DecimalsFromParameter203, QString());
    w.monitor.valueResult(MonitorPanel::Spanning_in, unit::classifyReply(u"r4", reply, 20), 2,
                          QStringLiteral(" V"));
    w.monitor.RQ500Analoog_in_AWECommResult(reply);
    w.monitor.RQ500_inCommResult(reply);
    w.monitor.RQ500_uitCommResult(reply);
    w.state.monitor.ThumbwheelIndex = step - 1;
    w.monitor.RQ500DuimwielCommResult(reply);
    w.monitor.RQ500ReadErrorCommResult(reply);
    return 0;
}
