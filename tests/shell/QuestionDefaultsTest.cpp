// Every question whose Yes changes a unit or a file, asked through the real
// windows and the dialogs seam, answered with Enter: the box names No (or
// Cancel) as its default, so nothing is sent, overwritten or dropped.

#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/files/BackupFile.h"
#include "params/FormEditParam.h"
#include "setpoints/FormEditSollwerten.h"
#include "shell/BackupRestore.h"
#include "shell/SecondaryWindows.h"
#include "ui/QtDialogs.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace kqm52;

namespace {

using Button = Dialogs::Button;
using Kind = ScriptedDialogs::Kind;

const QString kLanguage = QStringLiteral(
    "[EditParam]\nMsg_waarschuwingCaption=Let op\nZendMsg_1=Niets geladen.\n"
    "Msg_ParGezondenEnNietGeladen=Niet overgenomen. Toch sluiten?\n"
    "[EditSollwert]\nMsg_waarschuwingCaption=Let op\nZendMsg_10=Niets geladen.\n"
    "[BackupRestore]\nMsg_waarschuwingCaption=Let op\nMsg_waarschuwingRestore_1=Overschrijven:\n"
    "Msg_waarschuwingRestore_2=Doorgaan?\n");

// A send that stopped on the line (not refused): the offer to send again.
SendReport stoppedSend(int total) {
    return SendReport{.closedWithOK = false,
                      .total = total,
                      .confirmed = 2,
                      .firstUnconfirmed = QStringLiteral("P002"),
                      .computeDue = total != 48,
                      .computeAnswered = false,
                      .computeAnswer = {},
                      .written = {}};
}

struct CountingTransfers : TransferWindows {
    int sends = 0;
    std::optional<UnitTables> receive(TableTransfer::Mode) override { return UnitTables{}; }
    SendReport send(TableTransfer::Mode, const UnitTables&) override {
        ++sends;
        return stoppedSend(448);
    }
};

class QuestionDefaultsTest : public ::testing::Test {
  public: // the rows below reach in through a reference
    QuestionDefaultsTest() {
        state.language.loadFromText(kLanguage);
        IniFile definitions;
        definitions.loadFromText(QStringLiteral("[001]\nnaam0=Modus\nmin=0\nmax=1\n"));
        state.catalogue.setDefinitions(definitions);
        state.settings.DialogPath = dir.path();
        state.unit.DeviceType = QStringLiteral("MX52");
        editParam.hooks().sendParameters = [this](const ParamTables::Parameters&) {
            ++parameterSends;
            return stoppedSend(400);
        };
        editSetpoints.setTransfers([] { return std::optional<ParamTables::Setpoints>(); },
                                   [this](const ParamTables::Setpoints&) {
                                       ++setpointSends;
                                       return stoppedSend(48);
                                   });
        writeFile("old.mxp", "old");
        writeFile("old.mxs", "old");
        writeFile("old.bak", "old");
        writeFile("unit.bak", BackupFile::toBytes(UnitTables{}));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readFile(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    ProgramState state{QString()};
    ScriptedDialogs dialogs;
    TZRComm port;
    TFormEditParam editParam{state, dialogs};
    TFormEditSollwerten editSetpoints{state, port, dialogs};
    BackupRestore backupRestore{state, dialogs};
    CountingTransfers transfers;
    int parameterSends = 0, setpointSends = 0;
    bool closed = true;
};

} // namespace

TEST_F(QuestionDefaultsTest, EnterAnswersNoToEveryQuestionThatWouldChangeAUnitOrAFile) {
    using T = QuestionDefaultsTest;
    const struct {
        const char* question;
        int yesFirst;                       // questions answered Yes before the one under test
        std::function<void(T&)> act;        // sets up and asks; Enter to every box
        std::function<bool(const T&)> kept; // nothing was sent, written or dropped
    } rows[] = {
        {"parameters: send values nobody loaded", 0,
         [](T& t) { t.editParam.ParametersZendenClick(); },
         [](const T& t) { return t.parameterSends == 0; }},
        {"parameters: send values outside their limits", 0,
         [](T& t) {
             t.state.tables.parameterSource = ParameterSource::File;
             t.state.tables.setParameter(1, 7);
             t.editParam.ParametersZendenClick();
         },
         [](const T& t) { return t.parameterSends == 0; }},
        {"parameters: send again after a stop", 0,
         [](T& t) {
             t.state.tables.parameterSource = ParameterSource::File;
             t.editParam.ParametersZendenClick();
         },
         [](const T& t) { return t.parameterSends == 1; }},
        {"parameters: close without the unit taking them over", 0,
         [](T& t) {
             t.state.tables.parametersSentNotLoaded = true;
             t.closed = t.editParam.logic().FormClose();
         },
         [](const T& t) { return !t.closed; }},
        {"parameters: save over a file", 0,
         [](T& t) {
             t.dialogs.answerSaveFile(t.path("old"));
             t.editParam.OpslaanAlsClick();
         },
         [](const T& t) { return t.readFile("old.mxp") == "old"; }},
        {"setpoints: send values nobody loaded", 0,
         [](T& t) { t.editSetpoints.Sollwertenzenden1Click(); },
         [](const T& t) { return t.setpointSends == 0; }},
        {"setpoints: send values outside the range", 0,
         [](T& t) {
             t.state.tables.setpointSource = SetpointSource::File;
             t.state.tables.setSetpoint(3, 100000000);
             t.editSetpoints.Sollwertenzenden1Click();
         },
         [](const T& t) { return t.setpointSends == 0; }},
        {"setpoints: send again after a stop", 0,
         [](T& t) {
             t.state.tables.setpointSource = SetpointSource::File;
             t.editSetpoints.Sollwertenzenden1Click();
         },
         [](const T& t) { return t.setpointSends == 1; }},
        {"setpoints: save over a file", 0,
         [](T& t) {
             t.dialogs.answerSaveFile(t.path("old.mxs"));
             t.editSetpoints.logic().Opslaanals1Click();
         },
         [](const T& t) { return t.readFile("old.mxs") == "old"; }},
        {"restore: overwrite the unit", 0,
         [](T& t) {
             t.dialogs.answerOpenFile(t.path("unit.bak"));
             t.backupRestore.Restore1Click(t.transfers, 3);
         },
         [](const T& t) { return t.transfers.sends == 0; }},
        {"restore: values outside their limits", 0,
         [](T& t) {
             UnitTables unit;
             unit.parameters[1] = 9;
             t.writeFile("unit.bak", BackupFile::toBytes(unit));
             t.dialogs.answerOpenFile(t.path("unit.bak"));
             t.backupRestore.Restore1Click(t.transfers, 3);
         },
         [](const T& t) { return t.transfers.sends == 0; }},
        {"restore: send the backup again after a stop", 1, // Yes to the restore itself
         [](T& t) {
             t.writeFile("clean.bak", BackupFile::toBytes(UnitTables{}));
             t.dialogs.answerOpenFile(t.path("clean.bak"));
             t.backupRestore.Restore1Click(t.transfers, 3);
         },
         [](const T& t) { return t.transfers.sends == 1; }},
        {"backup: save over a file", 0,
         [](T& t) {
             t.dialogs.answerSaveFile(t.path("old.bak"));
             t.backupRestore.Backup1Click(t.transfers, 3, QDate(2026, 12, 6));
         },
         [](const T& t) { return t.readFile("old.bak") == "old"; }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.question);
        dialogs.clear();
        for (int i = 0; i < r.yesFirst; ++i)
            dialogs.answerMessage(Button::Yes);
        for (int i = 0; i < 4; ++i)
            dialogs.answerEnter();
        r.act(*this);
        const auto boxes = dialogs.asked(Kind::Message);
        ASSERT_FALSE(boxes.empty()) << "no question was asked";
        const auto& last = boxes.back();
        EXPECT_EQ(last.icon, Dialogs::Icon::Warning);
        EXPECT_TRUE(last.buttons & Button::Yes);
        EXPECT_TRUE(last.defaultButton == Button::No || last.defaultButton == Button::Cancel)
            << last.text.toStdString();
        EXPECT_TRUE(r.kept(*this)) << last.text.toStdString();
        // Back to where every row starts.
        state.tables.reset();
        parameterSends = setpointSends = 0;
        transfers.sends = 0;
        closed = true;
    }
}

namespace {

// Runs `answer` on the real box that `ask` opens, and gives what ask returned.
template <typename Ask> auto answerBox(const std::function<void(QMessageBox&)>& answer, Ask&& ask) {
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll.stop();
        answer(*box);
    });
    poll.start();
    return ask();
}

} // namespace

// The real box: Enter presses the named default, Escape the least harmful
// button, whatever Qt would pick by itself (Yes, the first accepting one).
TEST(QtDialogsTest, EnterPressesTheDefaultAndEscapeTheLeastHarmful) {
    QtDialogs dialogs;
    const struct {
        Dialogs::Buttons buttons;
        Button defaultButton;
        Qt::Key key;
        Button expected;
    } rows[] = {
        {Button::Yes | Button::No | Button::Cancel, Button::No, Qt::Key_Return, Button::No},
        {Button::Yes | Button::No | Button::Cancel, Button::No, Qt::Key_Escape, Button::Cancel},
        {Button::Yes | Button::No, Button::No, Qt::Key_Escape, Button::No},
        {Button::Yes | Button::No, Button::NoButton, Qt::Key_Return, Button::No},
        {Button::Ok, Button::Ok, Qt::Key_Return, Button::Ok},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(int(r.expected));
        const Button pressed =
            answerBox([&](QMessageBox& box) { QTest::keyClick(&box, r.key); },
                      [&] {
                          return dialogs.messageBox(
                              nullptr, Dialogs::Icon::Warning, QStringLiteral("Let op"),
                              QStringLiteral("Overschrijven?"), r.buttons, r.defaultButton);
                      });
        EXPECT_EQ(pressed, r.expected);
    }
}

// What the real box shows: the icon and exactly the buttons asked for, on the
// window that asked, the lines as lines.
TEST(QtDialogsTest, TheBoxShowsWhatWasAskedOnItsWindow) {
    QtDialogs dialogs;
    QWidget window;
    const struct {
        Dialogs::Icon icon;
        Dialogs::Buttons buttons;
        QMessageBox::Icon shownIcon;
        QMessageBox::StandardButtons shownButtons;
    } rows[] = {
        {Dialogs::Icon::Critical, Button::Ok, QMessageBox::Critical, QMessageBox::Ok},
        {Dialogs::Icon::Information, Button::Ok, QMessageBox::Information, QMessageBox::Ok},
        {Dialogs::Icon::NoIcon, Button::Ok, QMessageBox::NoIcon, QMessageBox::Ok},
        {Dialogs::Icon::Warning, Button::Yes | Button::No | Button::Cancel, QMessageBox::Warning,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
        {Dialogs::Icon::Warning, Button::Yes | Button::No, QMessageBox::Warning,
         QMessageBox::Yes | QMessageBox::No},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(int(r.shownIcon));
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QWidget* owner = nullptr;
        QString text, caption;
        answerBox(
            [&](QMessageBox& box) {
                icon = box.icon();
                buttons = box.standardButtons();
                owner = box.parentWidget();
                text = box.text();
                caption = box.windowTitle();
                QTest::keyClick(&box, Qt::Key_Escape);
            },
            [&] {
                return dialogs.messageBox(&window, r.icon, QStringLiteral("Fout"),
                                          QStringLiteral("a\n\rb"), r.buttons, Button::Ok);
            });
        EXPECT_EQ(icon, r.shownIcon);
        EXPECT_EQ(buttons, r.shownButtons);
        EXPECT_EQ(owner, &window);
        EXPECT_EQ(text, "a\nb");
        EXPECT_EQ(caption, "Fout");
    }
}
