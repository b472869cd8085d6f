#include "params/ParLoaderLogic.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/texts/TextKeys.h"

namespace kqm52 {

namespace {

using PanelTekst = TextSeries<"Loader", "PanelTekst", 7>;

} // namespace

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

QString ParLoaderLogic::text(TextId id) const {
    return state_.language.text(id);
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
        show(
            text(TextId{"Loader", "MsgOnbruikbaarAntwoord"}).arg(replyStart(reply, UnusableQuoted)),
            true);
        return;
    }
    state_.tables.parametersSentNotLoaded = false;
    if (r.kind == unit::Reply::Kind::ComputeDone)
        show(text(PanelTekst{4}), false);
    else
        show(text(PanelTekst{5}) + QLatin1Char(' ') + r.answer + QLatin1Char(' ') +
                 text(PanelTekst{6}),
             true);
}

void ParLoaderLogic::RQ500ParLoaderCommError(const TCommError& error) {
    waiting_ = false;
    // Every failure is shown; a closed port would otherwise leave an empty panel.
    show(error.Code == CommCode::Timeout ? text(PanelTekst{0}) : text(PanelTekst{2}), true);
}

} // namespace kqm52
