#include "params/ParamServiceLogic.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/engines/TableTransfer.h"
#include "model/journal/ServiceJournal.h"
#include "model/texts/TextKeys.h"
#include "model/values/ValueEntry.h"

namespace kqm52 {

namespace {

using PanelTekst = TextSeries<"ParamService", "PanelTekst", 11>;

constexpr QChar Backspace(8);
const QLatin1Char Comma(',');
const QLatin1Char Minus('-');

} // namespace

int integerDigitsOf(const QString& minimumText, const QString& maximumText, int decimals) {
    int digits = 0;
    for (QString t : {minimumText, maximumText}) {
        const qsizetype sign = t.indexOf(Minus);
        if (sign >= 0) t.remove(sign, 1);
        const qsizetype comma = t.indexOf(Comma);
        const int n = int(decimals > 0 && comma >= 0 ? comma : t.size());
        digits = std::max(digits, n);
    }
    return digits;
}

KeyOutcome filterEntryKey(const EntryRules& rules, QChar key, const QString& text, int caret,
                          int selectionLength) {
    // A key typed over a selection replaces it: the rules see the text as it
    // is once the selection is gone (a minus over the whole value starts a
    // new negative number rather than signing the old one).
    if (selectionLength > 0 && key != Backspace) {
        QString rest = text;
        rest.remove(caret, selectionLength);
        return filterEntryKey(rules, key, rest, caret, 0);
    }
    KeyOutcome refused;
    if (key == QLatin1Char('.')) key = Comma;
    if (key != Backspace && !key.isDigit() && key != Comma && key != Minus) return refused;
    if (key.isDigit() && (key < QLatin1Char('0') || key > QLatin1Char('9'))) return refused;
    const bool hasMinus = text.contains(Minus);
    const bool nothingSelected = selectionLength == 0;
    if (key == Comma && (rules.decimals < 1 || text.contains(Comma))) return refused;
    if (key == Minus && rules.minimum >= 0) return refused;
    if (key == Minus && hasMinus && nothingSelected) return refused;
    // Nothing may go in front of the sign.
    if (hasMinus && caret == 0 && nothingSelected) return refused;
    if (key == Minus && caret != 0 && !hasMinus) {
        KeyOutcome o;
        o.replaced = true;
        o.text = QString(Minus) + text;
        o.caret = int(o.text.size());
        return o;
    }
    if (nothingSelected && key != Backspace && key != Minus) {
        QString body = text;
        int bodyCaret = caret;
        if (hasMinus) {
            body.remove(body.indexOf(Minus), 1);
            bodyCaret = std::max(0, caret - 1);
        }
        const qsizetype comma = body.indexOf(Comma);
        if (comma < 0) {
            if (key != Comma && body.size() >= rules.integerDigits) return refused;
        } else if (bodyCaret <= comma) {
            if (comma + 1 > rules.integerDigits) return refused;
        } else if (body.size() - comma - 1 >= rules.decimals) {
            return refused;
        }
    }
    KeyOutcome o;
    o.accepted = true;
    o.key = key;
    return o;
}

ParamServiceLogic::ParamServiceLogic(ProgramState& state, TZRComm& port, ParamServiceView& view)
    : state_(state), view_(view) {
    RQ500ZendServiceParameter.setObjectName(QStringLiteral("RQ500ZendServiceParameter"));
    RQ500ZendServiceParameter.setUpForDevice(WriteTimeoutMs);
    RQ500ServiceBerPar.setObjectName(QStringLiteral("RQ500ServiceBerPar"));
    RQ500ServiceBerPar.setUpForDevice(LoadTimeoutMs);
    const auto failed = [this](const TCommError& e, const QByteArray&) {
        RQ500ZendServiceParameterCommError(e);
    };
    handlers_.bind(
        RQ500ZendServiceParameter,
        [this](const QByteArray& r) { RQ500ZendServiceParameterCommResult(r); }, failed);
    handlers_.bind(
        RQ500ServiceBerPar, [this](const QByteArray& r) { RQ500ServiceBerParCommResult(r); },
        failed);
    for (TRQ500Protocol* c : {&RQ500ZendServiceParameter, &RQ500ServiceBerPar}) {
        c->SetZRComm(&port);
        ServiceJournal::setWindowAction(*c, journal::Action::ServiceWindow);
    }
}

ParamServiceLogic::~ParamServiceLogic() {
    handlers_.unbindAll();
    for (TRQ500Protocol* c : {&RQ500ZendServiceParameter, &RQ500ServiceBerPar})
        c->SetZRComm(nullptr);
}

QString ParamServiceLogic::text(TextId id) const {
    return state_.language.text(id);
}

void ParamServiceLogic::show(const QString& text, bool red) {
    panelText_ = text;
    panelRed_ = red;
    view_.showPanel(text, red);
}

void ParamServiceLogic::FormActivate(bool portOpen) {
    busy_ = false;
    show({}, false);
    const SelectedParameter& record = state_.tables.selected;
    bool numberOk = false;
    parameter_ = record.numberText.toInt(&numberOk);
    if (!numberOk || !ParamTables::isParameter(parameter_)) parameter_ = -1;
    valueAtActivation_ = state_.tables.parameter(parameter_);

    const ParameterCatalogue& cat = state_.catalogue;
    const int languageNo = state_.settings.LanguageNo;
    setup_ = Setup{};
    setup_.minimumText = record.minimumText;
    setup_.maximumText = record.maximumText;
    setup_.defaultText = record.defaultText;
    setup_.title = QStringLiteral("[%1]   %2").arg(record.numberText, record.name);
    setup_.optionList = parameter_ >= 0 && cat.isOptionList(parameter_);
    if (setup_.optionList) {
        const QStringList labels = cat.optionList(parameter_, languageNo);
        for (int i = 0; i < labels.size(); ++i)
            setup_.items << QStringLiteral("%1 - %2").arg(i).arg(labels[i]);
        const qint32 v = state_.tables.parameter(parameter_);
        setup_.itemIndex = (v >= 0 && v < labels.size()) ? int(v) : -1;
    } else {
        setup_.entryText = record.valueText;
    }
    rules_ = EntryRules{};
    rules_.decimals = parameter_ >= 0 ? cat.info(parameter_).decimals(state_.tables) : 0;
    rules_.minimum = record.minimum;
    rules_.integerDigits = integerDigitsOf(record.minimumText, record.maximumText, rules_.decimals);
    setup_.transferEnabled = portOpen;
}

bool ParamServiceLogic::TestIngave(const QString& entryText, int itemIndex) {
    show({}, false);
    if (parameter_ < 0) return false;
    qint32 value = 0;
    if (setup_.optionList) {
        // The table may hold a value the list has no label for: nothing is
        // chosen then, and storing "nothing" would be a guess.
        if (itemIndex < 0) {
            show(text(PanelTekst{2}), true);
            view_.focusEntry();
            return false;
        }
        value = itemIndex;
    } else {
        QString t = entryText.trimmed();
        if (t.isEmpty()) t = QStringLiteral("0");
        const SelectedParameter& record = state_.tables.selected;
        const ValueEntry entry = enterNumber(t, {rules_.decimals, record.minimum, record.maximum});
        // The entry shows eight digits: a longer number (a pasted one) is
        // refused as such, whatever the limits allow.
        if (entry.problem != ValueEntry::Problem::NotANumber) {
            QString digits = t;
            digits.remove(Minus);
            const qsizetype comma = digits.indexOf(Comma);
            if ((comma < 0 ? digits.size() : comma) + rules_.decimals > MaxDigits) {
                show(text(PanelTekst{3}), true);
                view_.focusEntry();
                return false;
            }
        }
        if (!entry.ok()) {
            show(text(PanelTekst{2}), true);
            view_.focusEntry();
            return false;
        }
        value = entry.raw;
    }
    state_.tables.setParameter(parameter_, value);
    if (value != valueAtActivation_) state_.tables.parametersModified = true;
    return true;
}

bool ParamServiceLogic::CmdOKClick(const QString& entryText, int itemIndex) {
    return TestIngave(entryText, itemIndex) && panelText_.isEmpty();
}

void ParamServiceLogic::send(TRQ500Protocol& component, const QString& request) {
    busy_ = true;
    view_.setButtonsEnabled(false);
    component.SetASCIIProtocol(request);
    component.Send();
}

void ParamServiceLogic::CmdZendenClick(const QString& entryText, int itemIndex) {
    if (busy_ || !TestIngave(entryText, itemIndex) || !panelText_.isEmpty()) return;
    show(text(PanelTekst{1}), false);
    send(RQ500ZendServiceParameter,
         unit::writeParameter(parameter_, state_.tables.parameter(parameter_)));
}

void ParamServiceLogic::CmdBerParClick() {
    if (busy_) return;
    show(text(PanelTekst{9}), false);
    send(RQ500ServiceBerPar, unit::compute());
}

int ParamServiceLogic::defaultItem() const {
    bool ok = false;
    const int v = setup_.defaultText.toInt(&ok);
    return ok && v >= 0 && v < setup_.items.size() ? v : -1;
}

void ParamServiceLogic::EnableButtons() {
    busy_ = false;
    view_.setButtonsEnabled(true);
}

void ParamServiceLogic::RQ500ZendServiceParameterCommResult(const QByteArray& reply) {
    // Only the echo of this write, whole, says the unit took the value: a
    // reply cut to the buffer, or one that names another parameter, is no
    // answer to it.
    const unit::Reply r =
        unit::classifyReply(RQ500ZendServiceParameter.ASCIIProtocol(), reply, ReplyBufferSize);
    if (r.refused(unit::ValueRefused)) {
        show(QStringLiteral("(%1) ").arg(unit::refusalText(unit::ValueRefused)) +
                 text(PanelTekst{6}),
             true);
    } else if (r.answers()) {
        state_.tables.parametersSentNotLoaded = true;
        show(text(PanelTekst{4}), false);
    } else {
        show(text(TextId{"ParamService", "MsgOnbruikbaarAntwoord"})
                 .arg(replyStart(reply, UnusableQuoted)),
             true);
    }
    EnableButtons();
}

void ParamServiceLogic::RQ500ServiceBerParCommResult(const QByteArray& reply) {
    state_.tables.parametersSentNotLoaded = false;
    // Any answer but "done" is shown as the unit gave it.
    const unit::Reply r = unit::classifyReply(unit::compute(), reply, ReplyBufferSize);
    if (r.kind == unit::Reply::Kind::ComputeDone)
        show(text(PanelTekst{10}), false);
    else
        show(text(PanelTekst{8}) + QLatin1Char(' ') + r.answer + QLatin1Char(' ') +
                 text(PanelTekst{7}),
             true);
    EnableButtons();
}

void ParamServiceLogic::RQ500ZendServiceParameterCommError(const TCommError& error) {
    // Any failure is shown: a request that silently ends would read as done.
    show(error.Code == CommCode::Timeout ? text(PanelTekst{0}) : text(PanelTekst{5}), true);
    EnableButtons();
}

} // namespace kqm52
