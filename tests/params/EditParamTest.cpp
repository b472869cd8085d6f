// The parameter editor: what its grid and status bar show for a group, the
// parameter file through the open and save items, the questions before a
// send and on closing, and the search.  The logic runs on the program's own
// catalogue and language files; the window keeps a few checks of its wiring.

#include "RecordingEditView.h"
#include "model/engines/ProgramState.h"
#include "model/files/ParameterFile.h"
#include "model/values/LimitCheck.h"
#include "params/EditParamLogic.h"
#include "params/FormEditParam.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TextTableChecks.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kqm52;
using Button = Dialogs::Button;
using Kind = ScriptedDialogs::Kind;

namespace {

const QString DataDir = QStringLiteral(KQM52_SOURCE_DATA_DIR "/");

using RecordingView = test::RecordingEditView;

class EditorTest : public ::testing::Test {
  protected:
    explicit EditorTest(const QString& programDir = DataDir)
        : state(programDir), logic(state, view, dialogs) {
        state.settings.LanguageNo = 1;
        state.language.TekstFile_Lezen(programDir, 1);
        state.catalogue.ParameterDef_lezen(programDir);
        state.catalogue.ParamNo_lezen(programDir);
        logic.hooks.unitNumber = [] { return 3; };
        logic.hooks.refreshFunctionTexts = [this] { ++refreshes; };
        logic.hooks.portOpen = [] { return true; };
    }

    int nodeOf(int menu, int submenu) const {
        const auto& nodes = logic.tree().nodes();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].level > 0 && nodes[i].menuNumber == menu &&
                nodes[i].submenuNumber == submenu)
                return int(i);
        return -1;
    }
    QString lang(const char* key) const {
        return state.language.LanguageIni().readString(QStringLiteral("EditParam"),
                                                       QLatin1String(key));
    }
    QString path(const QString& name) const { return tmp.filePath(name); }
    ScriptedDialogs::Asked lastBox() const {
        const auto boxes = dialogs.asked(Kind::Message);
        return boxes.empty() ? ScriptedDialogs::Asked{} : boxes.back();
    }
    // Offers `bytes` as the file to open.
    void open(const QByteArray& bytes) {
        QFile f(path("open.mxp"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        dialogs.answerOpenFile(f.fileName());
        logic.OpenenClick();
    }

    QTemporaryDir tmp;
    ProgramState state;
    ScriptedDialogs dialogs;
    RecordingView view;
    EditParamLogic logic;
    int refreshes = 0;
};

class EditorWithoutFiles : public EditorTest {
  protected:
    EditorWithoutFiles() : EditorTest(QDir::tempPath() + "/kqm52-no-such-folder/") {}
};

} // namespace

TEST_F(EditorTest, GridRowsOptionLabelsAndStatusOfTheSelectedRow) {
    logic.FormActivate();
    EXPECT_EQ(logic.selectedNode(), 0);
    for (int r = 1; r <= EditParamLogic::Rows; ++r)
        EXPECT_TRUE(logic.row(r)[1].isEmpty()) << r; // the root shows no rows

    state.tables.setParameter(203, 2); // positions with two decimals
    const int p = state.catalogue.parameterInRow(300, 1);
    state.tables.setParameter(p, -1250);
    logic.selectNode(nodeOf(3, 0)); // a menu: its rows are submenu 0
    EXPECT_EQ(logic.groupNumber(), 300);
    EXPECT_EQ(logic.row(1)[0], "3.0.1");
    EXPECT_EQ(logic.row(2)[0], "3.0.2");
    EXPECT_EQ(logic.row(1)[1], QStringLiteral("%1").arg(p, 3, 10, QLatin1Char('0')));
    EXPECT_EQ(logic.row(1)[2], state.catalogue.name(p, 1));
    EXPECT_EQ(logic.row(1)[3], state.catalogue.valueText(p, -1250, state.tables));
    logic.selectNode(nodeOf(6, 1));
    EXPECT_EQ(logic.groupNumber(), 601);
    EXPECT_TRUE(logic.row(1)[0].startsWith("6.1."));

    logic.selectNode(nodeOf(1, 0));
    const int option = state.catalogue.parameterInRow(100, 2);
    ASSERT_TRUE(state.catalogue.isOptionList(option));
    for (const auto& [value, shown] : {std::pair{1, state.catalogue.optionList(option, 1).value(1)},
                                       {99, QStringLiteral("########")}}) {
        state.tables.setParameter(option, value);
        logic.InitParameterStringgrid();
        EXPECT_EQ(logic.row(2)[4], shown);
    }
    logic.StringGrid1SelectCell(2);
    const ParameterInfo& info = state.catalogue.info(option);
    EXPECT_EQ(state.tables.selected.numberText, info.numberText());
    EXPECT_EQ(logic.status().minimum, info.valueText(info.minimum(), state.tables));
    EXPECT_EQ(logic.status().maximum, info.valueText(info.maximum(), state.tables));
    EXPECT_EQ(logic.status().def, info.valueText(info.defaultValue(), state.tables));
    logic.StringGrid1Exit();
    EXPECT_EQ(logic.status(), EditParamLogic::Status{});
}

TEST_F(EditorTest, ClearInMenuNineZeroesOnlyThatGroup) {
    logic.FormActivate();
    ParamTables::Parameters fives;
    fives.fill(5);
    state.tables.replaceParameters(fives, ParameterSource::File);
    logic.selectNode(nodeOf(3, 0));
    EXPECT_FALSE(logic.clearVisible());
    logic.selectNode(nodeOf(9, 1));
    ASSERT_TRUE(logic.clearVisible());
    std::set<int> inGroup;
    for (int r = 1; r <= 18; ++r)
        if (int p = state.catalogue.parameterInRow(logic.groupNumber(), r); p >= 0)
            inGroup.insert(p);
    ASSERT_FALSE(inGroup.empty());
    logic.CmdClearClick();
    for (int p = 0; p < 400; ++p)
        EXPECT_EQ(state.tables.parameter(p), inGroup.count(p) ? 0 : 5) << p;
    EXPECT_TRUE(dialogs.asked().empty()); // no question
}

TEST_F(EditorTest, SavedFileHasTheUnitInItsHeaderAndReadsBackTheSameTable) {
    for (int p = 0; p < 400; ++p)
        state.tables.setParameter(p, p % 7 == 0 ? -p * 3 : p);
    const ParamTables::Parameters saved = state.tables.parameters();
    dialogs.answerSaveFile(path("unit3")); // no extension: .mxp is added
    logic.OpslaanAlsClick();
    QFile f(path("unit3.mxp"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), ParameterFile::toBytes(saved, 3));
    EXPECT_EQ(state.tables.parameterSource,
              ParameterSource::Nothing); // saving changes no marker
    EXPECT_EQ(state.settings.DialogPath, tmp.path() + "/");

    state.tables.reset();
    state.tables.parametersModified = true;
    dialogs.answerMessage(Button::Discard); // the emptied table is in no file
    dialogs.answerOpenFile(path("unit3.mxp"));
    logic.OpenenClick();
    EXPECT_EQ(state.tables.parameters(), saved);
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::File);
    EXPECT_FALSE(state.tables.parametersModified);
    EXPECT_EQ(refreshes, 1);
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), 1u); // that question, no error
    EXPECT_TRUE(lastBox().buttons & Button::Discard);

    // A folder that is not there: the box says what was not saved, and where.
    dialogs.answerSaveFile(path("gone/unit3.mxp"));
    logic.OpslaanAlsClick();
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), 2u);
    EXPECT_TRUE(
        lastBox().text.startsWith(lang("MsgNotSaved") + "\n\r" + path("gone/unit3.mxp") + ": "))
        << lastBox().text.toStdString();
}

// Which line refuses a file is the file reader's; here the box and the table.
TEST_F(EditorTest, ARefusedFileChangesNothingAndSaysWhy) {
    state.tables.setParameter(1, 77);
    QByteArray bytes = ParameterFile::toBytes({}, 5);
    dialogs.answerMessage(Button::Discard); // the 77 is in no file
    open(bytes.replace("P048 0", "P048 12a"));
    EXPECT_EQ(state.tables.parameter(1), 77);
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::Nothing);
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), 2u);
    EXPECT_EQ(lastBox().icon, Dialogs::Icon::Critical);
    EXPECT_TRUE(lastBox().text.startsWith(lang("OpenMsg3")));
    EXPECT_EQ(refreshes, 0);
}

TEST_F(EditorTest, SendAsksOnlyWhileNothingWasLoaded) {
    std::vector<ParamTables::Parameters> sent;
    logic.hooks.sendParameters = [&](const ParamTables::Parameters& v) {
        sent.push_back(v);
        SendReport report;
        report.closedWithOK = true;
        return report;
    };
    // Values the unit takes, from nowhere: the question is about their origin.
    state.tables.replaceParameters(state.catalogue.defaults(), ParameterSource::Nothing);
    dialogs.answerMessage(Button::No);
    logic.ParametersZendenClick();
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(lastBox().icon, Dialogs::Icon::Warning);
    EXPECT_EQ(lastBox().text, QStringList({lang("ZendMsg_1"), lang("ZendMsg_2"), lang("ZendMsg_3"),
                                           lang("ZendMsg_4"), lang("ZendMsg_5"), lang("ZendMsg_6")})
                                  .join("\n\r"));
    dialogs.answerMessage(Button::Yes);
    state.tables.parametersSentNotLoaded = true;
    logic.ParametersZendenClick();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_FALSE(state.tables.parametersSentNotLoaded);
}

// Values the unit would refuse are named before anything goes out, and
// only Yes sends them; Enter does not.  Many are counted, not all listed.
TEST_F(EditorTest, ValuesOutsideTheirLimitsAreListedAndSentOnlyOnYes) {
    std::vector<ParamTables::Parameters> sent;
    logic.hooks.sendParameters = [&](const ParamTables::Parameters& v) {
        sent.push_back(v);
        SendReport report;
        report.closedWithOK = true;
        return report;
    };
    state.tables.replaceParameters(state.catalogue.defaults(), ParameterSource::Defaults);
    state.tables.setParameter(1, 5);  // Operating mode, 0 … 1
    state.tables.setParameter(2, -1); // Display language, 0 … 2
    dialogs.answerEnter();
    logic.ParametersZendenClick();
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(lastBox().defaultButton, Button::No);
    EXPECT_EQ(lastBox().icon, Dialogs::Icon::Warning);
    const QStringList lines = lastBox().text.split("\n\r");
    ASSERT_EQ(lines.size(), 4) << lastBox().text.toStdString();
    EXPECT_TRUE(lines[0].contains("outside the limits")) << lines[0].toStdString();
    EXPECT_EQ(lines[1], "P001 Operating mode: 5 (limits 0 … 1)");
    EXPECT_EQ(lines[2], "P002 Display language: -1 (limits 0 … 2)");
    EXPECT_EQ(lines[3], "Send anyway?");

    // Twenty more above their maximum: twelve named, the rest counted.
    int more = 0;
    for (int p = 3; p < 400 && more < 20; ++p) {
        const ParameterInfo& info = state.catalogue.info(p);
        if (!info.described() || info.maximum() >= 1000000) continue;
        state.tables.setParameter(p, info.maximum() + 1);
        ++more;
    }
    dialogs.answerMessage(Button::Yes);
    logic.ParametersZendenClick();
    const QStringList many = lastBox().text.split("\n\r");
    ASSERT_EQ(many.size(), 1 + LimitCheck::ListedAtMost + 2);
    EXPECT_EQ(many[LimitCheck::ListedAtMost + 1], "… and 10 more.");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][1], 5);
}

// The unit refused a value ("er 7"): the same table would be refused again,
// so the editor names the value and offers to open it instead.
TEST_F(EditorTest, ARefusedValueIsNamedAndOpenedNotSentAgain) {
    logic.FormActivate();
    state.tables.replaceParameters(state.catalogue.defaults(), ParameterSource::Defaults);
    state.tables.setParameter(3, 2);
    int sends = 0;
    logic.hooks.sendParameters = [&](const ParamTables::Parameters& v) {
        ++sends;
        SendReport r{.closedWithOK = false,
                     .total = 400,
                     .confirmed = 3,
                     .firstUnconfirmed = "P003",
                     .computeDue = true,
                     .computeAnswered = false,
                     .computeAnswer = {},
                     .written = {}};
        r.refused = true;
        r.refusedNumber = 3;
        r.refusedValue = v[3];
        return r;
    };
    QStringList edited;
    logic.hooks.editParameter = [&] { edited << state.tables.selected.numberText; };

    dialogs.answerEnter();
    logic.ParametersZendenClick();
    EXPECT_EQ(sends, 1) << "not offered again";
    EXPECT_TRUE(edited.empty());
    EXPECT_EQ(lastBox().defaultButton, Button::No);
    const QString question = lastBox().text;
    EXPECT_TRUE(question.contains("Stopped at P003: the unit confirmed 3 of 400 values."));
    EXPECT_TRUE(question.contains("The unit refused P003 Display shows: 2 (limits 0 … 3)."))
        << question.toStdString();
    EXPECT_TRUE(question.endsWith("Go to P003 in the editor to correct it?"));
    EXPECT_FALSE(question.contains("once the line is back"));

    dialogs.answerMessage(Button::Yes);
    logic.ParametersZendenClick();
    EXPECT_EQ(sends, 2);
    EXPECT_EQ(edited, QStringList{"003"});
    ASSERT_GT(logic.selectedRow(), 0);
    EXPECT_EQ(logic.row(logic.selectedRow())[1], "003");
}

TEST_F(EditorTest, ReceiveReplacesTheTableOnlyAfterOkAndDefaultsComeFromTheCatalogue) {
    logic.FormActivate();
    std::optional<ParamTables::Parameters> answer;
    logic.hooks.receiveParameters = [&] { return answer; };
    state.tables.setParameter(4, 44);
    dialogs.answerMessage(Button::Discard); // the 44 is in no file
    logic.ParametersOntvangenClick();       // cancelled
    EXPECT_EQ(state.tables.parameter(4), 44);
    EXPECT_EQ(refreshes, 0);
    answer.emplace();
    (*answer)[4] = -4;
    state.tables.parametersModified = true;
    logic.ParametersOntvangenClick();
    EXPECT_EQ(state.tables.parameter(4), -4);
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::Received);
    EXPECT_FALSE(state.tables.parametersModified);
    EXPECT_EQ(refreshes, 1);

    logic.LaadDefaultparametersClick();
    EXPECT_EQ(state.tables.parameters(), state.catalogue.defaults());
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::Defaults);
    EXPECT_EQ(lastBox().icon, Dialogs::Icon::Information);
    EXPECT_EQ(lastBox().text, lang("msg_DefaultParGeladen"));
}

TEST_F(EditorTest, ClosingWithUnloadedParametersAsks) {
    logic.FormActivate();
    EXPECT_TRUE(logic.FormClose()); // nothing sent: no question
    EXPECT_TRUE(dialogs.asked().empty());
    state.tables.parametersSentNotLoaded = true;
    dialogs.answerMessage(Button::No);
    EXPECT_FALSE(logic.FormClose());
    const QString question = lastBox().text;
    for (const QString& line : question.split("\r\n"))
        EXPECT_LE(line.size(), EditParamLogic::CloseQuestionWidth) << line.toStdString();
    EXPECT_EQ(QString(question).remove("\r\n"), lang("Msg_ParGezondenEnNietGeladen"));
    dialogs.answerMessage(Button::Yes);
    EXPECT_TRUE(logic.FormClose());
    EXPECT_EQ(refreshes, 2); // the main window's labels follow on every close
}

// Work that is in no file: asked about before a close, an open or a
// receive would leave it behind; Cancel (also Enter) keeps everything as it
// is, Save writes it first, Discard goes on and is not asked again.
TEST_F(EditorTest, UnsavedWorkIsAskedAboutBeforeItIsLeftBehind) {
    logic.FormActivate();
    logic.selectNode(nodeOf(1, 0));
    const int p = logic.row(1)[1].toInt();
    qint32 next = 4321;
    logic.hooks.editParameter = [&] { state.tables.setParameter(p, next); };
    int receives = 0;
    logic.hooks.receiveParameters = [&]() -> std::optional<ParamTables::Parameters> {
        ++receives;
        return ParamTables::Parameters{};
    };
    logic.editRow(1);
    ASSERT_TRUE(logic.modified());

    dialogs.answerEnter();
    EXPECT_FALSE(logic.FormClose());
    const auto box = lastBox();
    EXPECT_EQ(box.buttons, Button::Save | Button::Discard | Button::Cancel);
    EXPECT_EQ(box.defaultButton, Button::Cancel);
    EXPECT_EQ(box.text, state.language.text(TextId{"Bewerken", "MsgParNietOpgeslagen"}));
    EXPECT_FALSE(box.text.isEmpty());
    dialogs.answerMessage(Button::Cancel);
    logic.OpenenClick();
    EXPECT_TRUE(dialogs.asked(Kind::OpenFile).empty()); // no file dialog after Cancel
    dialogs.answerMessage(Button::Cancel);
    logic.ParametersOntvangenClick();
    EXPECT_EQ(receives, 0);
    EXPECT_EQ(state.tables.parameter(p), 4321);
    EXPECT_EQ(dialogs.unscripted(), 0);

    // Save: the file dialog, the file, and the window may close.
    dialogs.answerMessage(Button::Save);
    dialogs.answerSaveFile(path("work.mxp"));
    EXPECT_TRUE(logic.FormClose());
    EXPECT_FALSE(logic.modified());
    const auto saved = ParameterFile::read(path("work.mxp"));
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ((*saved.tables)[std::size_t(p)], 4321);

    // A save dialog cancelled after Save keeps the window open.
    next = 5;
    logic.editRow(1);
    dialogs.answerMessage(Button::Save);
    EXPECT_FALSE(logic.FormClose());
    // Discard: closed, and the same work is not asked about again.
    dialogs.answerMessage(Button::Discard);
    EXPECT_TRUE(logic.FormClose());
    const std::size_t asked = dialogs.asked().size();
    EXPECT_TRUE(logic.FormClose());
    logic.ParametersOntvangenClick();
    EXPECT_EQ(dialogs.asked().size(), asked);
    EXPECT_EQ(receives, 1);
}

// A load and a receive are one step each: undo goes back through them to
// the edit before, with the source each table had, and redo comes forward.
TEST_F(EditorTest, UndoGoesBackThroughALoadAndAReceive) {
    logic.FormActivate();
    logic.selectNode(nodeOf(1, 0));
    const int p = logic.row(1)[1].toInt();
    qint32 next = 11;
    logic.hooks.editParameter = [&] { state.tables.setParameter(p, next); };
    logic.editRow(1);
    ParamTables::Parameters inFile{};
    inFile[std::size_t(p)] = 22;
    ASSERT_TRUE(ParameterFile::write(path("in.mxp"), inFile, 1).isEmpty());
    dialogs.answerMessage(Button::Discard);
    dialogs.answerOpenFile(path("in.mxp"));
    logic.OpenenClick();
    ASSERT_EQ(state.tables.parameter(p), 22);
    ParamTables::Parameters fromUnit{};
    fromUnit[std::size_t(p)] = 33;
    logic.hooks.receiveParameters = [&] { return std::optional(fromUnit); };
    logic.ParametersOntvangenClick(); // the table before is in in.mxp: no question
    EXPECT_EQ(dialogs.asked(Kind::Message).size(), 1u);
    ASSERT_EQ(state.tables.parameter(p), 33);

    struct Expect {
        qint32 value;
        ParameterSource source;
    };
    for (const Expect& e : {Expect{22, ParameterSource::File}, Expect{11, ParameterSource::Nothing},
                            Expect{0, ParameterSource::Nothing}}) {
        ASSERT_TRUE(logic.canUndo());
        logic.OngedaanMakenClick();
        EXPECT_EQ(state.tables.parameter(p), e.value);
        EXPECT_EQ(state.tables.parameterSource, e.source);
        EXPECT_EQ(logic.row(1)[3], state.catalogue.valueText(p, e.value, state.tables));
    }
    EXPECT_FALSE(logic.canUndo());
    EXPECT_FALSE(logic.modified()); // the table the run began with
    for (int i = 0; i < 3; ++i)
        logic.OpnieuwClick();
    EXPECT_EQ(state.tables.parameter(p), 33);
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::Received);
    EXPECT_FALSE(logic.canRedo());

    // A long session: every one of 120 edits can be taken back.
    for (next = 1000; next < 1120; ++next)
        logic.editRow(1);
    for (int i = 0; i < 120; ++i)
        logic.OngedaanMakenClick();
    EXPECT_EQ(state.tables.parameter(p), 33);
}

// Opened and saved files go to the front of the list, eight at most; one
// that has gone is said so, dropped, and nothing else changes.
TEST_F(EditorTest, RecentFilesOpenAgainAndAMissingOneIsDropped) {
    logic.FormActivate();
    ParamTables::Parameters values{};
    for (int i = 1; i <= 9; ++i) {
        values[5] = i;
        ASSERT_TRUE(
            ParameterFile::write(path(QStringLiteral("f%1.mxp").arg(i)), values, 1).isEmpty());
        dialogs.answerOpenFile(path(QStringLiteral("f%1.mxp").arg(i)));
        logic.OpenenClick();
    }
    ASSERT_EQ(logic.recentFiles().size(), RecentFiles::MaxFiles);
    EXPECT_TRUE(dialogs.asked(Kind::Message).empty()) << "a table just opened is in its file";
    EXPECT_EQ(QFileInfo(logic.recentFiles().front()).fileName(), "f9.mxp");
    EXPECT_EQ(QFileInfo(logic.recentFiles().back()).fileName(), "f2.mxp");
    dialogs.answerSaveFile(path("f3.mxp"));
    dialogs.answerMessage(Button::Yes); // replace it
    logic.OpslaanAlsClick();            // saved: to the front, once
    EXPECT_EQ(QFileInfo(logic.recentFiles().front()).fileName(), "f3.mxp");
    EXPECT_EQ(logic.recentFiles().size(), RecentFiles::MaxFiles);

    logic.openRecent(path("f4.mxp"));
    EXPECT_EQ(state.tables.parameter(5), 4);
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::File);

    ASSERT_TRUE(QFile::remove(path("f6.mxp")));
    const std::size_t boxes = dialogs.asked(Kind::Message).size();
    logic.openRecent(path("f6.mxp"));
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), boxes + 1);
    EXPECT_EQ(lastBox().icon, Dialogs::Icon::Critical);
    EXPECT_TRUE(lastBox().text.contains(QDir::toNativeSeparators(path("f6.mxp"))));
    EXPECT_EQ(state.tables.parameter(5), 4);
    for (const QString& f : logic.recentFiles())
        EXPECT_FALSE(f.endsWith("f6.mxp"));
    EXPECT_EQ(logic.recentFiles().size(), RecentFiles::MaxFiles - 1);
}

// The preview may print, so it asks as printing does while nothing was loaded.
TEST_F(EditorTest, PreviewAsksAsPrintingDoes) {
    logic.FormActivate();
    int previews = 0;
    logic.hooks.printPreview = [&] { ++previews; };
    dialogs.answerMessage(Button::No);
    logic.AfdrukvoorbeeldClick();
    EXPECT_EQ(previews, 0);
    dialogs.answerMessage(Button::Yes);
    logic.AfdrukvoorbeeldClick();
    EXPECT_EQ(previews, 1);
    state.tables.parameterSource = ParameterSource::Received;
    logic.AfdrukvoorbeeldClick();
    EXPECT_EQ(previews, 2);
    EXPECT_EQ(dialogs.asked().size(), 2u);
}

// No tree, catalogue or language file: an empty grid, and every refusal
// still says something.
TEST_F(EditorWithoutFiles, EmptyGridAndRefusalsThatStillSaySo) {
    logic.FormActivate();
    EXPECT_TRUE(logic.tree().nodes().empty());
    EXPECT_TRUE(logic.row(1)[0].isEmpty());
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), 1u);
    EXPECT_TRUE(lastBox().text.contains(" error raised, with message : "));

    state.tables.setParameter(2, 2);
    logic.LaadDefaultparametersClick();
    open("Something else\r\n");
    EXPECT_EQ(state.tables.parameter(2), 2);
    const auto boxes = dialogs.asked(Kind::Message);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_FALSE(boxes[1].text.isEmpty() || boxes[2].text.isEmpty());
    // Sending without language and nothing loaded is not done at all.
    bool sent = false;
    logic.hooks.sendParameters = [&](const ParamTables::Parameters&) {
        sent = true;
        return SendReport{};
    };
    logic.ParametersZendenClick();
    EXPECT_FALSE(sent);
}

TEST(EditorSearch, FindsByNumberAndByWordsOfTheNameInEachLanguage) {
    ParameterCatalogue catalogue;
    catalogue.ParameterDef_lezen(DataDir);
    catalogue.ParamNo_lezen(DataDir);
    const struct {
        int language;
        const char* query;
        int parameter;
    } cases[] = {
        {0, "7", 7},           {1, "P007", 7},    {2, "007", 7},         {0, "toegang", 0},
        {1, "ACCESS code", 0}, {2, "zugangs", 0}, {1, "code access", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        GroupTree tree;
        ASSERT_TRUE(tree.load(DataDir + GroupTree::fileName(c.language)));
        const auto hits = ParameterSearch::find(catalogue, tree, c.language, c.query);
        ASSERT_FALSE(hits.empty());
        EXPECT_EQ(hits.front().parameter, c.parameter);
        const GroupTree::Node& node = tree.nodes()[std::size_t(hits.front().node)];
        EXPECT_EQ(catalogue.parameterInRow(node.groupId(), hits.front().row), c.parameter);
        EXPECT_EQ(hits.front().name, catalogue.name(c.parameter, c.language));
        for (const char* nothing : {"qqqzz", "  "})
            EXPECT_TRUE(ParameterSearch::find(catalogue, tree, c.language, nothing).empty());
    }
}

// The window: texts where the table says, the search on Ctrl+F, Enter opens
// the service window, and closing can be refused.
class EditorWindowTest : public ::testing::Test {
  protected:
    EditorWindowTest() : state(DataDir), form(state, dialogs) {
        state.catalogue.ParameterDef_lezen(DataDir);
        state.catalogue.ParamNo_lezen(DataDir);
        form.hooks().portOpen = [] { return false; };
    }
    template <class T> T* ctl(const char* name) {
        T* c = form.findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(c) << name;
        return c;
    }
    ProgramState state;
    ScriptedDialogs dialogs;
    TFormEditParam form;
};

TEST_F(EditorWindowTest, LabelsItsControlsFromItsSection) {
    state.language.loadFromText(test::markedLanguage("EditParam"));
    form.FormActivate();
    test::expectMarkedTextsShown(form, "EditParam");
    EXPECT_EQ(ctl<QTableWidget>("StringGrid1")->horizontalHeaderItem(3)->text(), "<KolomTekst3>");
    // Windows that are not there, and the transfer items with the port closed.
    for (const char* item : {"Afdrukken", "Viewnokken1", "ParametersOntvangen", "ParametersZenden",
                             "ParametersLadenenovernemen1"})
        EXPECT_FALSE(ctl<QAction>(item)->isEnabled()) << item;
}

TEST_F(EditorWindowTest, CtrlFFindsAndEnterEditsTheRowFound) {
    int edits = 0;
    form.hooks().editParameter = [&] {
        ++edits;
        EXPECT_EQ(state.tables.selected.numberText, "007");
    };
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    auto* edit = ctl<QLineEdit>("EditZoeken");
    ASSERT_TRUE(edit->isVisible());
    QTest::keyClicks(edit, "7");
    EXPECT_GE(ctl<QListWidget>("ListZoeken")->count(), 1);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(edit->isVisible());
    auto* grid = ctl<QTableWidget>("StringGrid1");
    EXPECT_EQ(grid->item(grid->currentRow(), 1)->text(), "007");
    EXPECT_TRUE(ctl<QTreeWidget>("TreeView1")->isVisible());
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(edits, 1);

    state.language.loadFromText("[EditParam]\nMsg_ParGezondenEnNietGeladen=Close?\n");
    state.tables.parametersSentNotLoaded = true;
    dialogs.answerMessage(Button::No);
    form.close();
    EXPECT_TRUE(form.isVisible());
    dialogs.answerMessage(Button::Yes);
    form.close();
    EXPECT_FALSE(form.isVisible());
}

// The title: "*" after a load, gone after the save; Ctrl+Z anywhere in the
// window takes the load back; closing over unsaved work asks and Cancel keeps
// the window open.
TEST_F(EditorWindowTest, TitleMarksUnsavedWorkAndCtrlZUndoesALoad) {
    QTemporaryDir dir;
    ParamTables::Parameters values{};
    values[7] = 70;
    const QString file = dir.filePath("a.mxp");
    ASSERT_TRUE(ParameterFile::write(file, values, 1).isEmpty());
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_FALSE(form.isWindowModified());
    EXPECT_TRUE(form.windowTitle().endsWith("[*]"));
    EXPECT_FALSE(ctl<QAction>("OngedaanMaken")->isEnabled());

    dialogs.answerOpenFile(file);
    form.OpenenClick();
    EXPECT_TRUE(form.isWindowModified());
    EXPECT_TRUE(ctl<QAction>("OngedaanMaken")->isEnabled());
    dialogs.answerSaveFile(dir.filePath("b.mxp"));
    form.OpslaanAlsClick();
    EXPECT_FALSE(form.isWindowModified());

    QTest::keyClick(ctl<QTableWidget>("StringGrid1"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(state.tables.parameter(7), 0);
    EXPECT_TRUE(form.isWindowModified()); // the saved table was the loaded one
    EXPECT_TRUE(ctl<QAction>("Opnieuw")->isEnabled());
    QTest::keyClick(ctl<QTableWidget>("StringGrid1"), Qt::Key_Z,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(state.tables.parameter(7), 70);
    EXPECT_FALSE(form.isWindowModified());

    QTest::keyClick(ctl<QTableWidget>("StringGrid1"), Qt::Key_Z, Qt::ControlModifier);
    dialogs.answerEnter();
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(dialogs.asked(Kind::Message).back().defaultButton, Button::Cancel);
    dialogs.answerMessage(Button::Discard);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(QFileInfo(state.settings.recentParameterFiles.files.front()).fileName(), "b.mxp");
}
