// The receive and send windows over the simulated unit: what the caller gets
// back from exec(), and what the user sees on the window's own widgets.

#include "sim/SimLinkFixture.h"

#include "model/texts/LanguageTexts.h"
#include "params/FormLeesParSoll.h"
#include "params/FormSchrijfParSoll.h"
#include "ui/TextTableChecks.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class TransferWindowTest : public SimLinkFixture {
  protected:
    TransferWindowTest() {
        SimUnit& unit = bus->addUnit(0, lineOf(38400));
        for (int p = 0; p < 400; ++p)
            unit.forceParameter(p, p - 200);
        for (int s = 1; s <= 48; ++s)
            unit.setSetpoint(s, 500 + s);
    }
    void SetUp() override { port.SetActive(true); }

    static QPushButton* button(const QWidget& w, const char* name) {
        return w.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static QString panel(const QWidget& w) {
        return w.findChild<QLabel*>(QStringLiteral("Panel1"))->text();
    }
    // Shows the window modally as a caller does; `press` runs once the
    // transfer has come to rest and presses the buttons it wants.  A polling
    // timer rather than a wait inside a callback: a nested event loop there
    // would starve the link's hand-overs.
    template <class Press> int runModal(TransferWindow& w, TableTransfer::Mode mode, Press press) {
        QTimer poll;
        QElapsedTimer clock;
        clock.start();
        bool pressed = false;
        QObject::connect(&poll, &QTimer::timeout, &w, [&] {
            const auto status = w.transfer().status();
            const bool rested =
                status == TableTransfer::Status::Done || status == TableTransfer::Status::Stopped;
            if (!pressed && rested) {
                pressed = true;
                press();
            } else if (clock.elapsed() > 10000) {
                ADD_FAILURE() << "the transfer did not come to rest";
            } else {
                return;
            }
            // A press that does not close the window must not hang the test.
            if (w.isVisible()) w.done(99);
            poll.stop();
        });
        poll.start(1);
        return w.run(mode);
    }

    LanguageTexts language;
};

// Which text goes where is the last test's; here the caller's protocol.
TEST_F(TransferWindowTest, ReceiveReturnsOKWithTheUnitsTables) {
    TFormLeesParSoll w(port, language);
    const int result = runModal(w, TableTransfer::Mode::Device, [&] {
        EXPECT_TRUE(button(w, "CmdOK")->isVisible());
        EXPECT_EQ(w.focusWidget(), button(w, "CmdOK"));
        EXPECT_EQ(w.findChild<QProgressBar*>()->value(), 48);
        button(w, "CmdOK")->click();
    });
    EXPECT_EQ(result, TransferWindow::ResultOK);
    EXPECT_EQ(w.tables().parameters[0], -200);
    EXPECT_EQ(w.tables().parameters[399], 199);
    EXPECT_EQ(w.tables().setpoints[47], 548);
}

TEST_F(TransferWindowTest, RefusedWriteStopsInRedAndCancelClosesAtOnce) {
    bus->setFaults(0, {.refuseWrites = true});
    TFormSchrijfParSoll w(port, language); // no language file: built-in captions
    const int result = runModal(w, TableTransfer::Mode::Parameters, [&] {
        EXPECT_EQ(w.windowTitle(), "Schrijf Param");
        EXPECT_EQ(panel(w), "(er 7) ");
        EXPECT_EQ(
            w.findChild<QLabel*>(QStringLiteral("Panel1"))->palette().color(QPalette::WindowText),
            QColor(Qt::red));
        EXPECT_FALSE(button(w, "CmdOK")->isVisible());
        EXPECT_TRUE(button(w, "CmdAgain")->isVisible());
        EXPECT_EQ(button(w, "CmdCancel")->text(), "Cancel");
        // How far the unit got, in words even without a language file.
        auto* note = w.findChild<QLabel*>(QStringLiteral("LabelStopNote"));
        EXPECT_TRUE(note->isVisible());
        EXPECT_EQ(note->text(), "Stopped at P000: the unit confirmed 0 of 400 values.");
        button(w, "CmdCancel")->click();
    });
    EXPECT_EQ(result, TransferWindow::ResultCancel);
    EXPECT_FALSE(w.transfer().sendReport().complete());
    EXPECT_FALSE(w.transfer().sendReport().closedWithOK);
}

// Fast framing chosen, but the unit needs its pause after a reply: the values
// still arrive, and the window says the link frames by silence for now.  The
// next transfer tries fast framing again; with the unit cured nothing is said.
TEST_F(TransferWindowTest, SaysWhenFastFramingIsOffForNow) {
    port.SetFastFraming(true);
    TFormLeesParSoll w(port, language);
    auto* off = w.findChild<QLabel*>(QStringLiteral("LabelFastFramingOff"));
    ASSERT_NE(off, nullptr);
    for (const bool needsPause : {true, false}) {
        SCOPED_TRACE(needsPause);
        bus->setFaults(0, {.notReadyMs = needsPause ? 20 : 0});
        const int result = runModal(w, TableTransfer::Mode::Setpoints, [&] {
            EXPECT_EQ(off->isVisible(), needsPause);
            if (needsPause) {
                EXPECT_EQ(off->text(), "Fast framing off for now");
            }
            button(w, "CmdOK")->click();
        });
        EXPECT_EQ(result, TransferWindow::ResultOK);
        EXPECT_EQ(w.tables().setpoints[47], 548);
    }
}

// Escape is a Cancel press, never a silent close with the reply in flight;
// each window puts its own section's texts on its controls.
TEST_F(TransferWindowTest, EscapeWhileStoppedIsCancelAndEachWindowShowsItsTexts) {
    bus->setFaults(0, {.noAnswer = true});
    TFormLeesParSoll receiver(port, language);
    TFormSchrijfParSoll sender(port, language);
    const std::pair<TransferWindow*, const char*> rows[] = {{&receiver, "LeesParSoll"},
                                                            {&sender, "SchrijfParSoll"}};
    for (const auto& [w, section] : rows) {
        SCOPED_TRACE(section);
        language.loadFromText(test::markedLanguage(section));
        const int result = runModal(*w, TableTransfer::Mode::Setpoints, [&] {
            test::expectMarkedTextsShown(*w, section);
            EXPECT_EQ(w->windowTitle(), "<CaptionMode1>");
            EXPECT_EQ(panel(*w), "<PanelTekst0>");
            w->reject();
        });
        EXPECT_EQ(result, TransferWindow::ResultCancel);
    }
}

} // namespace
