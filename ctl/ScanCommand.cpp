// kqm52ctl scan: the device search on the bus, as the window runs it.

#include "ctl/CtlRunner.h"

#include "model/engines/DeviceSearch.h"

namespace kqm52::ctl {

int CtlRunner::scan() {
    if (!options_.arguments.isEmpty())
        return usage(text("NoArguments").arg(QStringLiteral("scan")));
    class View : public DeviceSearchView {
      public:
        explicit View(CtlRunner& c) : c_(c) {}
        void probing(const SearchCombination& at) override {
            if (!c_.context_.errorIsTerminal || c_.options_.quiet) return;
            const QString line = QStringLiteral("%1,%2,8,%3")
                                     .arg(DeviceSearch::speedText(at.baud))
                                     .arg(DeviceSearch::parityText(at.parity).left(1))
                                     .arg(DeviceSearch::stopText(at.stop));
            *c_.context_.err << '\r' << c_.text("ScanProgress").arg(at.unit, 2).arg(line) << "   ";
            c_.context_.err->flush();
            c_.bus().progressShown = true;
        }
        void unitFound(int) override {}
        void stateChanged() override {}
        void showError(const QString&, const QString& text) override { error = text; }
        QString error;

      private:
        CtlRunner& c_;
    } view(*this);

    SearchChoice choice;
    if (options_.baud) {
        for (int i = 0; i < DeviceSearch::SpeedCount; ++i)
            if (DeviceSearch::speedOf(i) == *options_.baud) choice.startSpeedIndex = i;
    }
    choice.autoParity = choice.autoStopBits = options_.allSettings;
    DeviceSearch search(bus().link.port(), view, language_);
    search.activate();
    // Opened here, so that a port that will not open is named as the user
    // gave it (a device path is no "COM1"), as every other command names it.
    QString error;
    if (!bus().link.open(error, language_)) return fail(NoReply, error);
    search.start(choice);
    if (search.searchesAtServer()) note(search.statusText());
    bool interrupted = false;
    for (;;) {
        bus().link.waitUntil([&] { return search.state() != SearchState::Searching; },
                             [&] {
                                 interrupted = true;
                                 search.stop();
                             });
        if (search.state() == SearchState::Found && !interrupted) {
            search.resume();
            continue;
        }
        break;
    }
    endProgress();
    QJsonArray units;
    for (const FoundUnit& f : search.found()) {
        const QString line = QStringLiteral("%1,%2,8,%3")
                                 .arg(baudrateValue(f.at.baud))
                                 .arg(DeviceSearch::parityText(f.at.parity).left(1))
                                 .arg(DeviceSearch::stopText(f.at.stop));
        data(QStringLiteral("unit %1  %2  %3")
                 .arg(f.at.unit, 2)
                 .arg(line.leftJustified(12), f.typeText));
        units.append(
            QJsonObject{{QStringLiteral("unit"), f.at.unit},
                        {QStringLiteral("line"), line},
                        {QStringLiteral("baud"), baudrateValue(f.at.baud)},
                        {QStringLiteral("parity"), DeviceSearch::parityText(f.at.parity).left(1)},
                        {QStringLiteral("stopBits"), stopBitsValue(f.at.stop)},
                        {QStringLiteral("type"), f.typeText}});
    }
    json_.insert(QStringLiteral("units"), units);
    search.cancel();
    if (!view.error.isEmpty()) return fail(NoReply, view.error);
    if (interrupted)
        return fail(Interrupted, (terminated() ? text("ScanStoppedBySignal") : text("ScanStopped"))
                                     .arg(search.current().unit));
    note(text("UnitsFound").arg(search.found().size()));
    return Done;
}

} // namespace kqm52::ctl
