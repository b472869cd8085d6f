#pragma once

// The receive and send windows of the fault tests, as a user works them.

#include "TestWait.h"
#include "link/ZRComm.h"
#include "model/engines/TableTransfer.h"
#include "shell/SecondaryWindows.h"
#include "support/BuiltInTexts.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace kqm52::test {

// The receive and send windows as a user works them: wait until the transfer
// has ended, then OK when it is done, Cancel when it stopped.  Faults can be
// switched on when the panel first names an item, and Cancel pressed there.
class UserTransfers : public TransferWindows {
  public:
    explicit UserTransfers(TZRComm& port, const LanguageTexts& texts = testsupport::builtInTexts())
        : port_(port), texts_(texts) {}

    std::function<void(const QString& panel)> watch; // every panel text
    std::function<void(int sendNo)> beforeSend;      // 1 for the first send
    QString cancelAt;                                // Cancel pressed on this panel
    // Runs when a transfer stopped; true: the user presses Again (once).
    std::function<bool()> again;
    TransferView lastView; // as the window was left
    int sends = 0;

    std::optional<UnitTables> receive(TableTransfer::Mode mode) override {
        TableTransfer t(port_, TableTransfer::Direction::Receive, texts_);
        if (!run(t, mode)) return std::nullopt;
        return t.tables;
    }
    SendReport send(TableTransfer::Mode mode, const UnitTables& tables) override {
        ++sends;
        if (beforeSend) beforeSend(sends);
        TableTransfer t(port_, TableTransfer::Direction::Send, texts_);
        t.tables = tables;
        run(t, mode);
        return t.sendReport();
    }

  private:
    using Status = TableTransfer::Status;

    bool run(TableTransfer& t, TableTransfer::Mode mode) {
        t.setMode(mode);
        std::optional<TableTransfer::Result> closed;
        t.onClosed = [&](TableTransfer::Result r) { closed = r; };
        bool cancelled = false;
        t.onViewChanged = [&](const TransferView& v) {
            lastView = v;
            if (watch) watch(v.panelText);
            if (!cancelled && v.panelText == cancelAt) {
                cancelled = true;
                t.cancel();
            }
        };
        const auto wait = [&] {
            EXPECT_TRUE(waitUntil([&] {
                return t.status() != Status::Running && t.status() != Status::Computing;
            })) << "the transfer window hangs";
        };
        t.start();
        wait();
        if (t.status() == Status::Stopped && again && again()) {
            t.again();
            wait();
        }
        if (t.status() == Status::Done)
            t.ok();
        else if (t.status() != Status::Closed)
            t.cancel();
        return closed == TableTransfer::Result::OK;
    }
    TZRComm& port_;
    const LanguageTexts& texts_;
};

} // namespace kqm52::test
