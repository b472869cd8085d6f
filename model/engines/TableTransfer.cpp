#include "model/engines/TableTransfer.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/files/TableFile.h"

#include <algorithm>

namespace kqm52 {

namespace {

using Seq = RequestSequence;

} // namespace

QString SendReport::stopText(const QString& stopNote, const QString& computeNote) const {
    if (complete()) return {};
    if (confirmed < total)
        return stopNote.isEmpty()
                   ? QString()
                   : QString(stopNote).arg(firstUnconfirmed).arg(confirmed).arg(total);
    return computeNote.isEmpty() ? QString() : QString(computeNote).arg(total);
}

TableTransfer::TableTransfer(TZRComm& port, Direction direction, const LanguageTexts& language)
    : direction_(direction), port_(port), language_(language) {
    requests_.setUpForDevice(direction == Direction::Receive ? ReceiveTimeoutMs : SendTimeoutMs);
    requests_.SetZRComm(&port);
    compute_.setUpForDevice(ComputeTimeoutMs);
    compute_.SetZRComm(&port);

    sequence_ = std::make_unique<RequestSequence>(requests_);
    // One more try after a reply that cannot be used; the link has already
    // retried a link error, so that stops at once.
    sequence_->setPolicy({.badReplyRetries = 1, .commErrorRetries = 0});
    sequence_->onItemStarted = [this](int item) { itemStarted(item); };
    sequence_->onFinished = [this](Seq::Ending e) { requestsFinished(e); };

    computeSequence_ = std::make_unique<RequestSequence>(compute_);
    computeSequence_->setPolicy({.badReplyRetries = 0, .commErrorRetries = 0});
    // Any answer is an outcome: done, or the unit's complaint.
    computeSequence_->setItems({Seq::Item{unit::compute(), {}, -1, {}}});
    computeSequence_->onFinished = [this](Seq::Ending e) { computeFinished(e); };
}

QString TableTransfer::text(int n) const {
    static constexpr auto receive =
        TextSeries<"LeesParSoll", "PanelTekst", ReceiveTextCount>::all();
    static constexpr auto send = TextSeries<"SchrijfParSoll", "PanelTekst", SendTextCount>::all();
    const auto& texts = direction_ == Direction::Receive ? std::span<const TextId>(receive)
                                                         : std::span<const TextId>(send);
    return n >= 0 && std::size_t(n) < texts.size() ? language_.text(texts[std::size_t(n)])
                                                   : QString();
}

TableTransfer::~TableTransfer() = default;

void TableTransfer::setParameterSubset(std::optional<std::vector<int>> numbers) {
    if (numbers) std::erase_if(*numbers, [](int p) { return !ParamTables::isParameter(p); });
    subset_ = std::move(numbers);
}

bool TableTransfer::subsetActive() const {
    return subset_ && direction_ == Direction::Send && mode_ == Mode::Parameters;
}

int TableTransfer::numberOf(int item) const {
    if (!parameterItem(item)) return item - parameterItems_ + 1;
    return subsetActive() ? (*subset_)[std::size_t(item)] : item;
}

std::vector<Seq::Item> TableTransfer::buildItems() {
    const bool receive = direction_ == Direction::Receive;
    std::vector<Seq::Item> items;
    const auto add = [&](const QString& request, int item) {
        items.push_back(Seq::Item{
            request,
            [this, item, request](const QByteArray& reply) { return judge(item, request, reply); },
            -1,
            {}});
    };
    if (subsetActive()) {
        int item = 0;
        for (const int p : *subset_)
            add(unit::writeParameter(p, tables.parameters[std::size_t(p)]), item++);
        return items;
    }
    int item = 0;
    if (mode_ != Mode::Setpoints)
        for (int p = 0; p < ParamTables::ParameterCount; ++p, ++item)
            add(receive ? unit::readParameter(p)
                        : unit::writeParameter(p, tables.parameters[std::size_t(p)]),
                item);
    if (mode_ != Mode::Parameters)
        for (int s = 1; s <= ParamTables::SetpointCount; ++s, ++item)
            add(receive ? unit::readSetpoint(s)
                        : unit::writeSetpoint(s, tables.setpoints[std::size_t(s - 1)]),
                item);
    return items;
}

void TableTransfer::start() {
    if (sequence_->running() || computeSequence_->running()) return;
    // A port that closed itself because its converter was pulled out opens
    // again here, as Open would: once the converter is back, Again (or the
    // offer to send the same values again) works without a detour through
    // the main window.  Still gone, the open fails and the first request
    // then stops on the closed port with the link's failure text.
    if (!port_.Active() && port_.LastSystemError() != 0) {
        try {
            port_.SetActive(true);
        } catch (const ECommHandleError&) {
        }
    }
    // A unit that missed a request made the port fall back to silence
    // framing; that unit may be back, or another one on the line now.
    port_.resumeFastFraming();
    status_ = Status::Running;
    stop_ = Stop::None;
    failedItem_.clear();
    commError_.clear();
    computeAnswer_.clear();
    computeAnswered_ = false;
    closedWithOK_ = false;
    view_ = TransferView{};
    parameterItems_ = mode_ == Mode::Setpoints ? 0
                      : subsetActive()         ? int(subset_->size())
                                               : ParamTables::ParameterCount;
    // A whole table refused at one value would be refused there again; a few
    // chosen values stand each on its own.
    sequence_->setPolicy(
        {.badReplyRetries = 1,
         .commErrorRetries = 0,
         .onRefused = subsetActive() ? Seq::RefusalAction::Continue : Seq::RefusalAction::Stop});
    sequence_->setItems(buildItems());
    if (sequence_->count() == 0) {
        // Nothing chosen: nothing to write and nothing to recompute.
        finishWith(3, false);
        return;
    }
    if (ServiceJournal* journal = ServiceJournal::of(port_)) {
        journal->beginAction(journalAction(), journalFile_);
        journalOpen_ = true;
    }
    sequence_->start(0);
}

journal::Action TableTransfer::journalAction() const {
    using journal::Action;
    if (journalAction_) return *journalAction_;
    if (direction_ == Direction::Receive)
        return mode_ == Mode::Device ? Action::Backup : Action::Receive;
    if (subsetActive()) return Action::CompareWrite;
    switch (mode_) {
    case Mode::Parameters:
        return Action::ParameterSend;
    case Mode::Setpoints:
        return Action::SetpointSend;
    case Mode::Both:
        return Action::TableSend;
    case Mode::Device:
        return Action::Restore;
    }
    return Action::ParameterSend;
}

int TableTransfer::itemCount() const {
    return sequence_->count();
}

int TableTransfer::itemsBefore() const {
    return std::max(0, sequence_->current());
}

void TableTransfer::journalEnd(const QString& outcome) {
    if (!journalOpen_) return;
    journalOpen_ = false;
    if (ServiceJournal* journal = ServiceJournal::of(port_)) journal->endAction(outcome);
}

void TableTransfer::ok() {
    if (status_ == Status::Done) close(Result::OK);
}

void TableTransfer::cancel() {
    switch (status_) {
    case Status::Running:
        sequence_->cancel();
        break;
    case Status::Computing:
        computeSequence_->cancel();
        break;
    case Status::Idle:
    case Status::Done:
    case Status::Stopped:
        close(Result::Cancel);
        break;
    case Status::Closed:
        break;
    }
}

Seq::Verdict TableTransfer::judge(int item, const QString& request, const QByteArray& reply) {
    // Cut to the buffer, a longer reply can read like an answer it is not: a
    // write echo the unit never gave, or a value it never sent.  The echo
    // must name the item asked for, or the reply is about another.
    const unit::Reply r = unit::classifyReply(request, reply, ReplyBufferSize);
    if (direction_ == Direction::Send) {
        if (r.refused(unit::ValueRefused)) return Seq::Verdict::Refused;
        // Any "er n" to one of a few chosen values is that value's refusal.
        if (subsetActive() && r.kind == unit::Reply::Kind::Refused) return Seq::Verdict::Refused;
        return r.answers() ? Seq::Verdict::Good : Seq::Verdict::Bad;
    }
    if (!r.answers()) return Seq::Verdict::Bad;
    if (parameterItem(item))
        tables.parameters[std::size_t(numberOf(item))] = r.value;
    else
        tables.setpoints[std::size_t(numberOf(item) - 1)] = r.value;
    return Seq::Verdict::Good;
}

void TableTransfer::itemStarted(int item) {
    const bool parameter = parameterItem(item);
    const int number = numberOf(item);
    view_.panelText = text(parameter ? 2 : 4) + QLatin1Char(' ') + QString::number(number);
    view_.panelRed = false;
    if (subsetActive()) {
        view_.progressMaximum = sequence_->count();
        view_.progressPosition = item + 1;
    } else {
        view_.progressMaximum =
            parameter ? ParamTables::ParameterCount - 1 : ParamTables::SetpointCount;
        view_.progressPosition = number;
    }
    show();
}

void TableTransfer::requestsFinished(Seq::Ending ending) {
    switch (ending) {
    case Seq::Ending::Completed:
        if (direction_ == Direction::Receive) {
            finishWith(mode_ == Mode::Parameters ? 3 : mode_ == Mode::Setpoints ? 5 : 6, false);
        } else if (mode_ == Mode::Setpoints) {
            finishWith(5, false);
        } else if (subsetActive() && refusedCount() == sequence_->count()) {
            // The unit took none of them: nothing to recompute.
            showRefusals();
        } else {
            // The unit recomputes what follows from the parameters just written.
            status_ = Status::Computing;
            view_.panelText = computingText();
            view_.panelRed = false;
            show();
            computeSequence_->start(0);
        }
        break;
    case Seq::Ending::Cancelled:
        close(Result::Cancel);
        break;
    case Seq::Ending::Stopped: {
        const int item = sequence_->current();
        const Seq::ItemOutcome& outcome = sequence_->outcome(item);
        failedItem_ = QStringLiteral("%1[%2]")
                          .arg(parameterItem(item) ? QLatin1Char('P') : QLatin1Char('S'))
                          .arg(numberOf(item), 3, 10, QLatin1Char('0'));
        if (outcome.status == Seq::ItemStatus::BadReply) {
            stop_ = Stop::BadReply;
            status_ = Status::Stopped;
            view_.panelText = text(7) + QLatin1Char(' ') +
                              replyHead(outcome.reply, ReplyBufferSize, 4) + QStringLiteral("   ") +
                              failedItem_;
            view_.panelRed = true;
            view_.againVisible = true;
            show();
        } else if (outcome.status == Seq::ItemStatus::Refused) {
            stop_ = Stop::Refused;
            status_ = Status::Stopped;
            view_.panelText =
                QStringLiteral("(%1) ").arg(unit::refusalText(unit::ValueRefused)) + text(9);
            view_.panelRed = true;
            view_.againVisible = true;
            show();
        } else {
            commFailed(outcome.error);
        }
        break;
    }
    case Seq::Ending::None:
        break;
    }
}

void TableTransfer::computeFinished(Seq::Ending ending) {
    if (ending == Seq::Ending::Cancelled) {
        close(Result::Cancel);
        return;
    }
    const Seq::ItemOutcome& outcome = computeSequence_->outcome(0);
    if (ending != Seq::Ending::Completed) {
        commFailed(outcome.error);
        return;
    }
    computeAnswered_ = true;
    // Any answer but "done" is shown as the unit gave it, even one cut to
    // the buffer or in other words: the user sees what went wrong.
    const unit::Reply r = unit::classifyReply(unit::compute(), outcome.reply, ReplyBufferSize);
    if (r.kind == unit::Reply::Kind::ComputeDone) {
        if (showRefusals()) return;
        finishWith(mode_ == Mode::Parameters  ? 3
                   : mode_ == Mode::Setpoints ? 5
                   : mode_ == Mode::Both      ? 6
                                              : 8,
                   false);
        return;
    }
    computeAnswer_ = r.answer;
    finishWith(-1, true);
    view_.panelText = text(10) + QLatin1Char(' ') + computeAnswer_ + QLatin1Char(' ') + text(11);
    show();
}

void TableTransfer::commFailed(const TCommError& error) {
    commError_ = error;
    status_ = Status::Stopped;
    if (error.Code == CommCode::Timeout) {
        stop_ = Stop::Timeout;
        view_.panelText = text(0);
    } else if (error.SystemError != 0 || error.LineErrors != 0) {
        stop_ = Stop::LineError;
        view_.panelText = text(1);
    } else {
        // No reply, no details (the port closed under the transfer): still a
        // failure the user must see, and the nearest text says the link failed.
        stop_ = Stop::LinkError;
        view_.panelText = text(1);
    }
    view_.panelRed = true;
    view_.againVisible = true;
    show();
}

void TableTransfer::finishWith(int textNo, bool red) {
    status_ = Status::Done;
    if (textNo >= 0) view_.panelText = text(textNo);
    view_.panelRed = red;
    view_.okVisible = true;
    view_.okFocused = true;
    view_.againVisible = true;
    show();
}

int TableTransfer::refusedCount() const {
    return int(std::count_if(
        sequence_->outcomes().begin(), sequence_->outcomes().end(),
        [](const Seq::ItemOutcome& o) { return o.status == Seq::ItemStatus::Refused; }));
}

bool TableTransfer::showRefusals() {
    if (!subsetActive() || refusedCount() == 0) return false;
    QStringList refused;
    qint32 code = unit::ValueRefused;
    for (int item = 0; item < sequence_->count(); ++item) {
        if (sequence_->outcome(item).status != Seq::ItemStatus::Refused) continue;
        if (refused.isEmpty())
            code = unit::classifyReply(sequence_->item(item).request,
                                       sequence_->outcome(item).reply, ReplyBufferSize)
                       .error;
        refused << QStringLiteral("P%1").arg(numberOf(item), 3, 10, QLatin1Char('0'));
    }
    finishWith(-1, true);
    view_.panelText = QStringLiteral("(%1) ").arg(unit::refusalText(code)) + text(9) +
                      QLatin1Char(' ') + refused.join(QStringLiteral(", "));
    show();
    return true;
}

SendReport TableTransfer::sendReport() const {
    SendReport r;
    r.closedWithOK = closedWithOK_;
    r.computeAnswer = computeAnswer_;
    r.total = sequence_->count();
    const auto& outcomes = sequence_->outcomes();
    if (subsetActive()) {
        // Refusals do not stop such a send: count what the unit took, and
        // name the first value it may not hold for another reason.
        int firstRefused = -1;
        int firstOther = -1;
        for (int item = 0; item < int(outcomes.size()); ++item) {
            const Seq::ItemOutcome& o = outcomes[std::size_t(item)];
            SendReport::Written w;
            w.number = numberOf(item);
            w.value = tables.parameters[std::size_t(w.number)];
            if (o.status == Seq::ItemStatus::Good) {
                w.fate = SendReport::Written::Fate::Confirmed;
                ++r.confirmed;
            } else if (o.status == Seq::ItemStatus::Refused) {
                w.fate = SendReport::Written::Fate::Refused;
                w.error =
                    unit::classifyReply(sequence_->item(item).request, o.reply, ReplyBufferSize)
                        .error;
                if (firstRefused < 0) firstRefused = item;
            } else if (firstOther < 0) {
                firstOther = item;
            }
            r.written.push_back(w);
        }
        const int first = firstOther >= 0 ? firstOther : firstRefused;
        if (first >= 0)
            r.firstUnconfirmed =
                QStringLiteral("P%1").arg(numberOf(first), 3, 10, QLatin1Char('0'));
        r.computeDue = r.confirmed > 0;
        r.computeAnswered = computeAnswered_;
        if (firstOther < 0 && firstRefused >= 0) {
            r.refused = true;
            r.refusedNumber = numberOf(firstRefused);
            r.refusedValue = tables.parameters[std::size_t(r.refusedNumber)];
        }
        return r;
    }
    while (r.confirmed < int(outcomes.size()) &&
           outcomes[std::size_t(r.confirmed)].status == Seq::ItemStatus::Good)
        ++r.confirmed;
    if (r.confirmed < r.total) {
        const int item = r.confirmed;
        r.firstUnconfirmed =
            parameterItem(item)
                ? QStringLiteral("P%1").arg(numberOf(item), 3, 10, QLatin1Char('0'))
                : QStringLiteral("S%1").arg(numberOf(item), 2, 10, QLatin1Char('0'));
    }
    r.computeDue = mode_ != Mode::Setpoints;
    r.computeAnswered = computeAnswered_;
    if (stop_ == Stop::Refused && r.confirmed < int(outcomes.size()) &&
        sequence_->outcome(r.confirmed).status == Seq::ItemStatus::Refused) {
        const int item = r.confirmed;
        r.refused = true;
        r.refusedIsSetpoint = !parameterItem(item);
        r.refusedNumber = numberOf(item);
        r.refusedValue = r.refusedIsSetpoint ? tables.setpoints[std::size_t(r.refusedNumber - 1)]
                                             : tables.parameters[std::size_t(r.refusedNumber)];
    }
    return r;
}

void TableTransfer::close(Result result) {
    journalEnd(journal::cancelled());
    closedWithOK_ = result == Result::OK;
    status_ = Status::Closed;
    if (onClosed) onClosed(result);
}

void TableTransfer::show() {
    if (status_ == Status::Done)
        journalEnd(computeFailed() || refusedCount() > 0 ? journal::refused() : journal::done());
    else if (status_ == Status::Stopped)
        // "P[012]" as "P012"; no item when the recomputation failed.
        journalEnd(
            stop_ == Stop::Refused ? journal::refused()
            : failedItem_.isEmpty()
                ? journal::stoppedAt(unit::compute())
                : journal::stoppedAt(
                      QString(failedItem_).remove(QLatin1Char('[')).remove(QLatin1Char(']'))));
    // Whatever stopped a send, the user learns how far the unit got.
    if (direction_ == Direction::Send && status_ == Status::Stopped)
        view_.stopNote =
            sendReport().stopText(language_.text(TextId{"SchrijfParSoll", "StopNote"}),
                                  language_.text(TextId{"SchrijfParSoll", "StopNoteCompute"}));
    if (onViewChanged) onViewChanged(view_);
}

} // namespace kqm52
