#include "params/ParLoaderLogic.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/ProgramState.h"

namespace kqm52 {

ParLoaderLogic::ParLoaderLogic(ProgramState& state, TZRComm& port) : state_(state) {
    RQ500ParLoader.setObjectName(QStringLiteral("RQ500ParLoader"));
    RQ500ParLoader.setUpForDevice(0);
    RQ500ParLoader.SetZRComm(&port);
    handlers_.bind(
        RQ500ParLoader, [this](const QByteArray& r) { RQ500ParLoaderCommResult(r); },
        [this](const TCommError& e, const QByteArray&) { RQ500ParLoaderCommError(e); });
}

ParLoaderLogic::~ParLoaderLogic() {
    handlers_.unbindAll();
    RQ500ParLoader.SetZRComm(nullptr);
}

QString ParLoaderLogic::panelTekst(int n) const {
    const QString key = QStringLiteral("PanelTekst%1").arg(n);
    const TextKey* row = findTextKey(u"Loader", key);
    return state_.language.textOrEmpty(QStringLiteral("Loader"), key,
                                       row ? QString::fromUtf8(row->def) : QString());
}

void ParLoaderLogic::show(const QString& text, bool red) {
    panelText_ = text;
    panelRed_ = red;
    if (onChanged) onChanged();
}

void ParLoaderLogic::FormActivate() {
    waiting_ = true;
    RQ500ParLoader.SetASCIIProtocol(unit::compute());
    RQ500ParLoader.Send();
    show({}, false);
}

void ParLoaderLogic::RQ500ParLoaderCommResult(const QByteArray& reply) {
    waiting_ = false;
    // Only the unit's answer to "bp", whole, says anything about its
    // parameters; cut to the buffer or in another command's words it might
    // read like one.  The editor then keeps its warning.
    const unit::Reply r = unit::classifyReply(unit::compute(), reply, ReplyBufferSize);
    if (r.kind != unit::Reply::Kind::ComputeDone && r.kind != unit::Reply::Kind::ComputeFailed) {
        show(state_.language.text(TextId{"Loader", "MsgOnbruikbaarAntwoord"})
                 .arg(replyStart(reply, UnusableQuoted)),
             true);
        return;
    }
    state_.tables.parametersSentNotLoaded = false;
    if (r.kind == unit::Reply::Kind::ComputeDone)
        show(panelTekst(4), false);
    else
        show(panelTekst(5) + QLatin1Char(' ') + r.answer + QLatin1Char(' ') + panelTekst(6), true);
}

void ParLoaderLogic::RQ500ParLoaderCommError(const TCommError& error) {
    waiting_ = false;
    // Every failure is shown; a closed port would otherwise leave an empty panel.
    show(panelTekst(error.Code == CommCode::Timeout ? 0 : 2), true);
}

} // namespace kqm52
