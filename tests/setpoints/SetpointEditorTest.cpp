// The setpoint editor's logic over a recording view: what the cells show,
// what typing and Enter store, the setpoint file on disk, and receive and
// send on the simulated bus with the markers they leave.

#include "sim/SimLinkFixture.h"
#include "support/QtPrinting.h"

#include "model/engines/ProgramState.h"
#include "model/engines/TableTransfer.h"
#include "model/files/SetpointFile.h"
#include "setpoints/SetpointEditor.h"
#include "support/BuiltInTexts.h"
#include "ui/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

struct RecordingView : SetpointEditorView {
    void refillGrid() override { ++refills; }
    void showMessage(const QString& text) override { message = text; }
    std::optional<ParamTables::Setpoints> receiveSetpoints() override {
        return receive ? receive() : std::nullopt;
    }
    SendReport sendSetpoints(const ParamTables::Setpoints& values) override {
        sent.push_back(values);
        return send ? send(values) : SendReport{};
    }
    void printSetpoints() override { ++prints; }
    void previewSetpoints() override { ++previews; }
    int unitNumber() const override { return 3; }
    void selectSetpoint(int n) override { selected.push_back(n); }

    int refills = 0, prints = 0, previews = 0;
    std::vector<int> selected;
    QString message;
    std::vector<ParamTables::Setpoints> sent;
    std::function<std::optional<ParamTables::Setpoints>()> receive;
    std::function<SendReport(const ParamTables::Setpoints&)> send;
};

class SetpointEditorTest : public SimLinkFixture {
  protected:
    SetpointEditorTest() { state.tables.setParameter(203, 2); }

    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    // The boxes the user saw, "caption|text": errors, and the questions.
    QStringList boxes(Dialogs::Icon icon) const {
        QStringList out;
        for (const auto& a : dialogs.asked(ScriptedDialogs::Kind::Message))
            if (a.icon == icon) out << a.caption + QLatin1Char('|') + a.text;
        return out;
    }
    QStringList errors() const { return boxes(Dialogs::Icon::Critical); }
    QStringList questions() const { return boxes(Dialogs::Icon::Warning); }

    QTemporaryDir dir;
    ProgramState state{QString()};
    RecordingView view;
    ScriptedDialogs dialogs;
    SetpointEditor editor{state, port, view, dialogs};
};

TEST_F(SetpointEditorTest, CellsShowNumbersAndValuesWithTheDecimalsOfParameter203) {
    state.tables.setSetpoint(7, -1250);
    state.tables.setSetpoint(25, 5);
    EXPECT_EQ(editor.cellText(0, 7), "7");
    EXPECT_EQ(editor.cellText(1, 7), "-12,50");
    EXPECT_EQ(editor.cellText(3, 1), "25");
    EXPECT_EQ(editor.cellText(4, 1), "0,05");
    EXPECT_EQ(editor.cellText(2, 1), "");
    state.tables.setParameter(203, 0);
    EXPECT_EQ(editor.cellText(1, 7), "-1250");
    // A damaged parameter 203 shows the raw value rather than a wall of zeros.
    state.tables.setParameter(203, 1000000);
    EXPECT_EQ(editor.cellText(1, 7), "-1250");
}

TEST_F(SetpointEditorTest, EnterStoresWhatIsValidAndRestoresWhatIsNot) {
    const struct {
        int decimals;
        const char* typed;
        bool accepted;
        qint32 stored;
    } cases[] = {
        // Which texts are numbers is the decimal reader's; here the limits.
        {2, "12", true, 1200},           {2, "12,5", true, 1250},
        {2, "-0,05", true, -5},          {2, "12,345", false, 0},
        {0, "99999999", true, 99999999}, {0, "100000000", false, 0},
        {0, "-9999999", true, -9999999}, {0, "-10000000", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        state.tables.setParameter(203, c.decimals);
        state.tables.setSetpoint(5, 777);
        view.message.clear();
        const auto entry = editor.enter(1, 5, QString::fromLatin1(c.typed), QStringLiteral("x"));
        EXPECT_EQ(entry.accepted, c.accepted);
        EXPECT_EQ(state.tables.setpoint(5), c.accepted ? c.stored : 777);
        EXPECT_EQ(entry.cellText, editor.cellText(1, 5));
        EXPECT_EQ(view.message, c.accepted ? QString() : QStringLiteral("Ingane ongeldig!"));
    }
}

TEST_F(SetpointEditorTest, EnterMovesDownMarksChangesAndColumn4IsTheSecondHalf) {
    state.tables.setSetpoint(27, 100);
    auto entry = editor.enter(4, 3, QStringLiteral("1"), QStringLiteral("1,00"));
    EXPECT_TRUE(entry.moveDown);
    EXPECT_FALSE(state.tables.setpointsModified) << "the same value is no change";
    entry = editor.enter(4, 3, QStringLiteral("2"), QStringLiteral("1,00"));
    EXPECT_EQ(state.tables.setpoint(27), 200);
    EXPECT_TRUE(state.tables.setpointsModified);
    EXPECT_FALSE(editor.enter(4, 24, QStringLiteral("3"), QString()).moveDown);
    EXPECT_EQ(state.tables.setpoint(48), 300);

    view.message = QStringLiteral("old");
    EXPECT_EQ(editor.escape(4, 3), "2,00");
    EXPECT_EQ(view.message, "");
}

TEST_F(SetpointEditorTest, TypedCharactersAreFiltered) {
    const struct {
        int decimals;
        QChar key;
        const char* text;
        std::optional<QChar> result;
    } cases[] = {
        {2, u'7', "", u'7'}, {2, u'.', "12", u','},         {2, u',', "12,", std::nullopt},
        {0, u',', "12", {}}, {2, u'-', "-1", std::nullopt}, {2, u'-', "", u'-'},
        {2, u'a', "", {}},   {2, u'\b', "1", u'\b'},        {2, u' ', "", std::nullopt},
    };
    for (const auto& c : cases) {
        state.tables.setParameter(203, c.decimals);
        EXPECT_EQ(editor.StringGrid1KeyPress(c.key, QString::fromLatin1(c.text)), c.result)
            << c.text << " + " << c.key.toLatin1();
    }
}

TEST_F(SetpointEditorTest, SavedFileHasTheFormatAndOpensBackExactly) {
    for (int n = 1; n <= 48; ++n)
        state.tables.setSetpoint(n, n * 1000 - 50000);
    const ParamTables::Setpoints saved = state.tables.setpoints();
    dialogs.answerSaveFile(dir.filePath(QStringLiteral("unit3"))); // the extension is added
    editor.Opslaanals1Click();
    ASSERT_TRUE(errors().isEmpty()) << errors().join(' ').toStdString();
    QFile f(dir.filePath(QStringLiteral("unit3.mxs")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), SetpointFile::toBytes(saved, 3));
    EXPECT_EQ(state.settings.DialogPath, dir.path() + QLatin1Char('/'));
    EXPECT_EQ(dialogs.asked(ScriptedDialogs::Kind::SaveFile).at(0).filter,
              "ASCII Sollwertbestand (*.mxs)");

    state.tables.reset();
    state.tables.setpointsModified = true;
    dialogs.answerMessage(Dialogs::Button::Discard); // the emptied table is in no file
    dialogs.answerOpenFile(f.fileName());
    editor.Openen1Click();
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_EQ(state.tables.setpoints(), saved);
    EXPECT_EQ(state.tables.setpointSource, SetpointSource::File);
    EXPECT_FALSE(state.tables.setpointsModified);
    EXPECT_EQ(view.refills, 1);

    // A folder that is not there: the box says what was not saved, and where.
    const QString gone = dir.filePath(QStringLiteral("gone/unit3.mxs"));
    dialogs.answerSaveFile(gone);
    editor.Opslaanals1Click();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith("|The setpoints were not saved.\n\r" + gone + ": "))
        << errors()[0].toStdString();
}

// Which line refuses a file, and with which key, is the file reader's; here
// the box with that key's text, and the table left alone.
TEST_F(SetpointEditorTest, RefusedFilesChangeNothingAndSayWhy) {
    dialogs.answerOpenFile(write(QStringLiteral("bad.mxs"), "not a setpoint file\r\n"));
    editor.Openen1Click();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_GT(errors()[0].size(), 10); // without a language file too

    state.language.loadFromText(
        QStringLiteral("[EditSollwert]\nMsg_ErrorCaption=Fout\nOpenMsg3=m3\n"));
    state.tables.setSetpoint(1, 4242);
    dialogs.clear();
    dialogs.answerMessage(Dialogs::Button::Discard); // the 4242 is in no file
    dialogs.answerOpenFile(write(QStringLiteral("bad.mxs"),
                                 SetpointFile::toBytes({}, 9).replace("S048 0", "S048 4x")));
    editor.Openen1Click();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith(QStringLiteral("Fout|m3")));
    EXPECT_EQ(state.tables.setpoint(1), 4242);
    EXPECT_EQ(state.tables.setpointSource, SetpointSource::Nothing);
}

TEST_F(SetpointEditorTest, SendingAndPrintingUnloadedValuesAskFirst) {
    state.language.loadFromText(QStringLiteral(
        "[EditSollwert]\nMsg_waarschuwingCaption=Let op\nZendMsg_10=a\nZendMsg_20=b\n"
        "ZendMsg_30=\nZendMsg_40=d\nZendMsg_50=e\n"
        "[Afdrukken]\nMsg_waarschuwingCaption=Print\nAfdrukMsg_10=p\n"));
    editor.Sollwertenzenden1Click();
    ASSERT_EQ(questions().size(), 1);
    EXPECT_EQ(questions()[0], "Let op|a\n\rb\n\r\n\rd\n\re");
    EXPECT_TRUE(view.sent.empty());
    editor.AfdrukkenClick();
    EXPECT_EQ(questions().value(1), "Print|p\n\r\n\r\n\r\n\r");
    EXPECT_EQ(view.prints, 0);

    dialogs.answerMessage(Dialogs::Button::Yes);
    dialogs.answerMessage(Dialogs::Button::Yes);
    editor.Sollwertenzenden1Click();
    editor.AfdrukkenClick();
    EXPECT_EQ(view.sent.size(), 1u);
    EXPECT_EQ(view.prints, 1);

    // Once the values came from somewhere, no more questions (sending: the
    // transfer test below).
    dialogs.clear();
    state.tables.replaceSetpoints({}, SetpointSource::File);
    editor.AfdrukkenClick();
    EXPECT_TRUE(questions().isEmpty());
    EXPECT_EQ(view.prints, 2);
}

// The transfer windows' caller protocol, played by the transfer engine on
// the simulated unit: mode 1, and the table copied only after OK.
class SetpointTransferTest : public SetpointEditorTest {
  protected:
    SetpointTransferTest() {
        unit = &bus->addUnit(0, lineOf(38400));
        for (int s = 1; s <= 48; ++s)
            unit->setSetpoint(s, 1000 * s - 7);
        view.receive = [this]() -> std::optional<ParamTables::Setpoints> {
            TableTransfer t(port, TableTransfer::Direction::Receive, testsupport::builtInTexts());
            if (!run(t)) return std::nullopt;
            return t.tables.setpoints;
        };
        view.send = [this](const ParamTables::Setpoints& values) {
            TableTransfer t(port, TableTransfer::Direction::Send, testsupport::builtInTexts());
            t.tables.setpoints = values;
            if (run(t)) t.ok();
            return t.sendReport();
        };
    }
    void SetUp() override { port.SetActive(true); }
    bool run(TableTransfer& t) {
        t.setMode(TableTransfer::Mode::Setpoints);
        t.start();
        waitUntil([&] { return t.status() != TableTransfer::Status::Running; });
        return t.status() == TableTransfer::Status::Done;
    }
    SimUnit* unit = nullptr;
};

TEST_F(SetpointTransferTest, ReceiveFillsTheTableAndSendWritesTheEditedOne) {
    EXPECT_TRUE(editor.transfersEnabled());
    // A receive that fails keeps the table.
    state.tables.setSetpoint(1, 5);
    bus->setFaults(0, {.noAnswer = true});
    dialogs.answerMessage(Dialogs::Button::Discard); // the 5 is in no file
    editor.Sollwertenontvangen1Click();
    EXPECT_EQ(state.tables.setpoint(1), 5);
    EXPECT_EQ(state.tables.setpointSource, SetpointSource::Nothing);

    bus->setFaults(0, {});
    state.tables.setpointsModified = true;
    editor.Sollwertenontvangen1Click();
    EXPECT_EQ(state.tables.setpoint(1), 993);
    EXPECT_EQ(state.tables.setpoint(48), 47993);
    EXPECT_EQ(state.tables.setpointSource, SetpointSource::Received);
    EXPECT_FALSE(state.tables.setpointsModified);
    EXPECT_EQ(editor.cellText(4, 24), "479,93");
    EXPECT_EQ(view.refills, 2);

    editor.enter(1, 7, QStringLiteral("-12,5"), editor.cellText(1, 7));
    editor.Sollwertenzenden1Click();
    EXPECT_EQ(questions().size(), 1); // the one about the 5, before the receive
    EXPECT_EQ(unit->setpoint(7), -1250);
    EXPECT_EQ(unit->setpoint(8), 7993);
}

// A send the unit stopped says how far it got and offers the same table
// again; the editor's table and its markers stay as they were.
TEST_F(SetpointTransferTest, AStoppedSendSaysHowFarAndOffersTheTableAgain) {
    editor.Sollwertenontvangen1Click();
    editor.enter(1, 7, QStringLiteral("-12,5"), editor.cellText(1, 7));
    const ParamTables::Setpoints table = state.tables.setpoints();
    const auto sendOnTheLine = view.send;
    bus->setFaults(0, {.noAnswer = true});
    editor.Sollwertenzenden1Click();
    ASSERT_EQ(questions().size(), 1);
    EXPECT_TRUE(questions()[0].contains(
        "Stopped at S01: the unit confirmed 0 of 48 values.\n\rThe unit may now hold part of "
        "the new values"))
        << questions()[0].toStdString();
    EXPECT_EQ(view.sent.size(), 1u);
    EXPECT_EQ(state.tables.setpoints(), table);
    EXPECT_TRUE(state.tables.setpointsModified);

    // The line is back before the user says Yes: the same table goes out again.
    dialogs.answerMessage(Dialogs::Button::Yes);
    view.send = [&](const ParamTables::Setpoints& v) {
        if (view.sent.size() == 3) bus->setFaults(0, {});
        return sendOnTheLine(v);
    };
    editor.Sollwertenzenden1Click();
    EXPECT_EQ(view.sent.size(), 3u);
    EXPECT_EQ(questions().size(), 2);
    EXPECT_EQ(view.sent[2], table);
    EXPECT_EQ(unit->setpoint(7), -1250);
}

// The unit refused a setpoint: sent again it would be refused again, so the
// editor names it with its limits and offers to put the cursor on it.
TEST_F(SetpointTransferTest, ARefusedSetpointIsNamedAndTheCursorGoesToIt) {
    editor.Sollwertenontvangen1Click();
    bus->setFaults(0, {.refuseWrites = true});
    for (bool yes : {false, true}) {
        dialogs.clear();
        if (yes) dialogs.answerMessage(Dialogs::Button::Yes);
        editor.Sollwertenzenden1Click();
        ASSERT_EQ(questions().size(), 1);
        const QString q = questions()[0];
        EXPECT_TRUE(q.contains("The unit refused S01: 9,93 (limits -99999,99 … 999999,99)."))
            << q.toStdString();
        EXPECT_TRUE(q.endsWith("Go to S01 in the editor to correct it?"));
        EXPECT_FALSE(q.contains("once the line is back"));
    }
    EXPECT_EQ(view.sent.size(), 2u) << "one send per click, no offer to send again";
    EXPECT_EQ(view.selected, std::vector<int>{1});
}

// Setpoints outside what may be typed (a file written elsewhere) are named
// before anything goes out; only Yes sends them.
TEST_F(SetpointTransferTest, SetpointsOutsideTheRangeAreListedFirst) {
    editor.Sollwertenontvangen1Click();
    state.tables.setSetpoint(30, 100000000);
    state.tables.setSetpoint(2, -10000000);
    editor.Sollwertenzenden1Click();
    ASSERT_EQ(questions().size(), 1);
    EXPECT_EQ(questions()[0].section(QLatin1Char('|'), 1).split("\n\r").mid(1),
              QStringList({"S02: -100000,00 (limits -99999,99 … 999999,99)",
                           "S30: 1000000,00 (limits -99999,99 … 999999,99)", "Send anyway?"}));
    EXPECT_TRUE(view.sent.empty());
    dialogs.answerMessage(Dialogs::Button::Yes);
    editor.Sollwertenzenden1Click();
    EXPECT_EQ(view.sent.size(), 1u);
    EXPECT_EQ(unit->setpoint(30), 100000000);
}

} // namespace

// Entries that are in no file: asked about before closing or opening
// another file; Enter cancels, Save writes first, Discard goes on and the
// same entries are not asked about again.
TEST_F(SetpointEditorTest, UnsavedEntriesAreAskedAboutBeforeTheyAreLeftBehind) {
    using Button = Dialogs::Button;
    EXPECT_TRUE(editor.FormClose()); // nothing entered: no question
    EXPECT_TRUE(dialogs.asked().empty());
    editor.enter(1, 5, QStringLiteral("3"), editor.cellText(1, 5));
    ASSERT_TRUE(editor.modified());

    dialogs.answerEnter();
    EXPECT_FALSE(editor.FormClose());
    ASSERT_EQ(questions().size(), 1);
    const auto box = dialogs.asked().back();
    EXPECT_EQ(box.buttons, Button::Save | Button::Discard | Button::Cancel);
    EXPECT_EQ(box.defaultButton, Button::Cancel);
    EXPECT_EQ(box.text,
              "The setpoints have changes that are not saved in a file. Save them first?");
    dialogs.answerMessage(Button::Cancel);
    editor.Openen1Click();
    EXPECT_TRUE(dialogs.asked(ScriptedDialogs::Kind::OpenFile).empty());
    EXPECT_EQ(state.tables.setpoint(5), 300);

    dialogs.answerMessage(Button::Save);
    dialogs.answerSaveFile(dir.filePath(QStringLiteral("work.mxs")));
    EXPECT_TRUE(editor.FormClose());
    EXPECT_FALSE(editor.modified());
    const auto saved = SetpointFile::read(dir.filePath(QStringLiteral("work.mxs")));
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ((*saved.tables)[4], 300);

    editor.enter(1, 6, QStringLiteral("4"), editor.cellText(1, 6));
    dialogs.answerMessage(Button::Discard);
    EXPECT_TRUE(editor.FormClose());
    const std::size_t asked = dialogs.asked().size();
    EXPECT_TRUE(editor.FormClose());
    EXPECT_EQ(dialogs.asked().size(), asked);
    EXPECT_EQ(dialogs.unscripted(), 0);
}

// The recent files: an opened file first; one that has gone is said so and
// dropped, and the table stays.
TEST_F(SetpointEditorTest, RecentFilesOpenAgainAndAMissingOneIsDropped) {
    ParamTables::Setpoints values{};
    values[0] = 11;
    const QString a = write(QStringLiteral("a.mxs"), SetpointFile::toBytes(values, 1));
    values[0] = 22;
    const QString b = write(QStringLiteral("b.mxs"), SetpointFile::toBytes(values, 1));
    dialogs.answerOpenFile(a);
    editor.Openen1Click();
    dialogs.answerOpenFile(b); // a's table is in a's file: no question
    editor.Openen1Click();
    ASSERT_EQ(editor.recentFiles().size(), 2);
    EXPECT_TRUE(editor.recentFiles()[0].endsWith("b.mxs"));

    editor.openRecent(a);
    EXPECT_TRUE(dialogs.asked(ScriptedDialogs::Kind::Message).empty());
    EXPECT_EQ(state.tables.setpoint(1), 11);
    EXPECT_TRUE(editor.recentFiles()[0].endsWith("a.mxs"));

    ASSERT_TRUE(QFile::remove(b));
    editor.openRecent(b);
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains(QDir::toNativeSeparators(b)));
    EXPECT_EQ(editor.recentFiles(), QStringList{QFileInfo(a).absoluteFilePath()});
    EXPECT_EQ(state.tables.setpoint(1), 11);
}

// A receive and a load are one step each: undo goes back through both to
// the entry before, with the source each table had; redo comes forward; a
// long session of entries can be taken back entry by entry.
TEST_F(SetpointTransferTest, UndoGoesBackThroughAReceiveAndALoad) {
    using Button = Dialogs::Button;
    editor.enter(1, 1, QStringLiteral("1"), editor.cellText(1, 1));
    dialogs.answerMessage(Button::Discard);
    editor.Sollwertenontvangen1Click();
    ASSERT_EQ(state.tables.setpoint(1), 993);
    ParamTables::Setpoints inFile{};
    inFile[0] = 4400;
    // What was received is in the unit: opening over it asks nothing.
    dialogs.answerOpenFile(write(QStringLiteral("in.mxs"), SetpointFile::toBytes(inFile, 1)));
    editor.Openen1Click();
    EXPECT_EQ(questions().size(), 1);
    ASSERT_EQ(state.tables.setpoint(1), 4400);

    const struct {
        qint32 value;
        SetpointSource source;
        const char* shown;
    } back[] = {{993, SetpointSource::Received, "9,93"},
                {100, SetpointSource::Nothing, "1,00"},
                {0, SetpointSource::Nothing, "0,00"}};
    for (const auto& b : back) {
        ASSERT_TRUE(editor.canUndo());
        editor.OngedaanMakenClick();
        EXPECT_EQ(state.tables.setpoint(1), b.value);
        EXPECT_EQ(state.tables.setpointSource, b.source);
        EXPECT_EQ(editor.cellText(1, 1), b.shown);
    }
    EXPECT_FALSE(editor.canUndo());
    EXPECT_FALSE(editor.modified());
    for (int i = 0; i < 3; ++i)
        editor.OpnieuwClick();
    EXPECT_EQ(state.tables.setpoint(1), 4400);
    EXPECT_EQ(state.tables.setpointSource, SetpointSource::File);

    for (int v = 1; v <= 130; ++v)
        editor.enter(1, 2, QString::number(v), editor.cellText(1, 2));
    for (int i = 0; i < 130; ++i)
        editor.OngedaanMakenClick();
    EXPECT_EQ(state.tables.setpoint(2), inFile[1]);
    EXPECT_EQ(state.tables.setpoint(1), 4400);
    // Sending after the undo sends what the grid shows.
    editor.Sollwertenzenden1Click();
    EXPECT_EQ(unit->setpoint(1), 4400);
}
