// The parameter editor: what its grid and status bar show for a group, the
// parameter file through the open and save items, the questions before a
// send and on closing, and the search.  The logic runs on the program's own
// catalogue and language files; the window keeps a few checks of its wiring.

#include "params/EditParamLogic.h"
#include "params/FormEditParam.h"
#include "params/model/ParameterFile.h"
#include "ui/ProgramState.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TextTableChecks.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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

// The logic's boxes go to scripted dialogs, so a test reads what was asked.
class ScriptedView : public EditParamView {
  public:
    explicit ScriptedView(ScriptedDialogs& d) : d_(d) {}
    void showError(const QString& c, const QString& t) override { d_.error(nullptr, c, t); }
    void showInformation(const QString& c, const QString& t) override {
        d_.information(nullptr, c, t);
    }
    bool askYes(const QString& c, const QString& t) override { return d_.confirm(nullptr, c, t); }
    QString askOpenFile(const QString& c, const QString& dir, const QString& f) override {
        return d_.openFileName(nullptr, c, dir, f);
    }
    QString askSaveFile(const QString& c, const QString& dir, const QString& f) override {
        return d_.saveFileName(nullptr, c, dir, f);
    }
    void setCaption(const QString& c) override { caption = c; }
    QString caption;

  private:
    ScriptedDialogs& d_;
};

class EditorTest : public ::testing::Test {
  protected:
    explicit EditorTest(int languageNo = 1, const QString& programDir = DataDir)
        : state(programDir), view(dialogs), logic(state, view) {
        state.settings.LanguageNo = languageNo;
        state.language.TekstFile_Lezen(programDir, languageNo);
        state.catalogue.ParameterDef_lezen(programDir);
        state.catalogue.ParamNo_lezen(programDir);
        logic.hooks.unitNumber = [] { return 3; };
        logic.hooks.refreshFunctionTexts = [this] { ++refreshes; };
        logic.hooks.portOpen = [] { return true; };
    }

    int nodeOf(int menu, int submenu) const {
        const auto& nodes = logic.tree().nodes();
        for (int i = 0; i < int(nodes.size()); ++i)
            if (nodes[std::size_t(i)].level > 0 && nodes[std::size_t(i)].menuNumber == menu &&
                nodes[std::size_t(i)].submenuNumber == submenu)
                return i;
        return -1;
    }
    QString lang(const char* key) const {
        return state.language.text(QStringLiteral("EditParam"), QLatin1String(key));
    }
    QString path(const QString& name) const { return tmp.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    ScriptedDialogs::Asked lastError() const {
        const auto boxes = dialogs.asked(Kind::Message);
        return boxes.empty() ? ScriptedDialogs::Asked{} : boxes.back();
    }

    QTemporaryDir tmp;
    ProgramState state;
    ScriptedDialogs dialogs;
    ScriptedView view;
    EditParamLogic logic;
    int refreshes = 0;
};

class EditorWithoutFiles : public EditorTest {
  protected:
    EditorWithoutFiles() : EditorTest(1, QDir::tempPath() + "/kqm52-no-such-folder/") {}
};

// A valid file's data lines; `edit` may change them before they are joined.
QByteArray fileWith(const std::function<void(QList<QByteArray>&)>& edit = {}) {
    ParamTables::Parameters values{};
    for (int p = 0; p < 400; ++p)
        values[std::size_t(p)] = p * 10;
    QList<QByteArray> lines = ParameterFile::toBytes(values, 5).split('\n');
    if (edit) edit(lines);
    return lines.join('\n');
}

} // namespace

TEST_F(EditorTest, RootShowsNoRowsAndMenusLabelTheirRowsWithSubmenuZero) {
    logic.FormActivate();
    EXPECT_EQ(logic.selectedNode(), 0);
    EXPECT_EQ(logic.groupNumber(), 0);
    EXPECT_FALSE(logic.clearVisible());
    for (int r = 1; r <= EditParamLogic::Rows; ++r)
        EXPECT_TRUE(logic.row(r)[1].isEmpty()) << r;

    state.tables.setParameter(203, 2); // positions with two decimals
    const int p = state.catalogue.parameterInRow(300, 1);
    ASSERT_GE(p, 0);
    state.tables.setParameter(p, -1250);
    logic.selectNode(nodeOf(3, 0));
    EXPECT_EQ(logic.groupNumber(), 300);
    EXPECT_EQ(logic.row(1)[0], "3.0.1");
    EXPECT_EQ(logic.row(2)[0], "3.0.2");
    EXPECT_EQ(logic.row(1)[1], QStringLiteral("%1").arg(p, 3, 10, QLatin1Char('0')));
    EXPECT_EQ(logic.row(1)[2], state.catalogue.name(p, 1));
    EXPECT_EQ(logic.row(1)[3], state.catalogue.valueText(p, -1250, state.tables));
    EXPECT_FALSE(logic.clearVisible());

    // A submenu: the first output's group.
    logic.selectNode(nodeOf(6, 1));
    EXPECT_EQ(logic.groupNumber(), 601);
    EXPECT_TRUE(logic.row(1)[0].startsWith("6.1."));
}

TEST_F(EditorTest, OptionParameterShowsItsLabelAndTheRowSelectionFillsTheStatus) {
    logic.FormActivate();
    logic.selectNode(nodeOf(1, 0));
    const int p = state.catalogue.parameterInRow(100, 2);
    ASSERT_TRUE(state.catalogue.isOptionList(p));
    state.tables.setParameter(p, 1);
    logic.InitParameterStringgrid();
    EXPECT_EQ(logic.row(2)[4], state.catalogue.optionList(p, 1).value(1));
    state.tables.setParameter(p, 99);
    logic.InitParameterStringgrid();
    EXPECT_EQ(logic.row(2)[4], "########");

    logic.StringGrid1SelectCell(2);
    const ParameterInfo& info = state.catalogue.info(p);
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
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::File);
    EXPECT_TRUE(dialogs.asked().empty()); // no question
}

TEST_F(EditorTest, SavedFileHasTheUnitInItsHeaderAndReadsBackTheSameTable) {
    for (int p = 0; p < 400; ++p)
        state.tables.setParameter(p, p % 7 == 0 ? -p * 3 : p);
    state.tables.setParameter(7, -1250);
    const ParamTables::Parameters saved = state.tables.parameters();
    dialogs.answerSaveFile(path("unit3")); // no extension: .mxp is added
    logic.OpslaanAlsClick();
    QFile f(path("unit3.mxp"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("ASCII Parameters MX5x-XXX   No: 3\r\n\r\nP000 0\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nP007 -1250\r\n"));
    EXPECT_TRUE(bytes.endsWith("P399 -1197\r\n"));
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::Nothing); // saving changes no marker
    EXPECT_EQ(state.settings.DialogPath, tmp.path() + "/");

    state.tables.reset();
    state.tables.parametersModified = true;
    dialogs.answerOpenFile(path("unit3.mxp"));
    logic.OpenenClick();
    EXPECT_EQ(state.tables.parameters(), saved);
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::File);
    EXPECT_FALSE(state.tables.parametersModified);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(dialogs.asked(Kind::Message).empty());
}

TEST_F(EditorTest, RefusedFilesChangeNothingAndSayWhy) {
    const struct {
        const char* name;
        QByteArray bytes;
        const char* key;
    } cases[] = {
        {"header", fileWith([](auto& l) { l[0] = "ASCII Sollwerten MX5x-XXX   No: 5\r"; }),
         "OpenMsg2"},
        {"399 lines", fileWith([](auto& l) { l.removeAt(50); }), "OpenMsg4"},
        {"401 lines", fileWith([](auto& l) { l.insert(50, "P050 1\r"); }), "OpenMsg4"},
        {"a number twice", fileWith([](auto& l) { l[50] = "P049 1\r"; }), "OpenMsg4"},
        {"number 400", fileWith([](auto& l) { l[50] = "P400 1\r"; }), "OpenMsg3"},
        {"value not decimal", fileWith([](auto& l) { l[50] = "P048 12a\r"; }), "OpenMsg3"},
        {"no blank at 5", fileWith([](auto& l) { l[50] = "P0048 1\r"; }), "OpenMsg3"},
    };
    for (const auto& c : cases) {
        state.tables.reset();
        state.tables.setParameter(1, 77);
        dialogs.clear();
        write("bad.mxp", c.bytes);
        dialogs.answerOpenFile(path("bad.mxp"));
        logic.OpenenClick();
        EXPECT_EQ(state.tables.parameter(1), 77) << c.name;
        EXPECT_EQ(state.tables.parameterSource, ParameterSource::Nothing) << c.name;
        ASSERT_EQ(dialogs.asked(Kind::Message).size(), 1u) << c.name;
        EXPECT_EQ(lastError().icon, Dialogs::Icon::Critical) << c.name;
        EXPECT_TRUE(lastError().text.startsWith(lang(c.key))) << c.name;
    }
    EXPECT_EQ(refreshes, 0);
}

TEST_F(EditorTest, DataLinesInAnyOrderAreAccepted) {
    write("any.mxp", fileWith([](auto& l) {
              std::reverse(l.begin() + 2, l.end() - 1);
              for (QByteArray& line : l)
                  if (line.startsWith("P007 ")) line = "P007 -1250\r";
              l.insert(10, "\r"); // an empty line among them
          }));
    dialogs.answerOpenFile(path("any.mxp"));
    logic.OpenenClick();
    EXPECT_TRUE(dialogs.asked(Kind::Message).empty()) << lastError().text.toStdString();
    EXPECT_EQ(state.tables.parameter(7), -1250);
    EXPECT_EQ(state.tables.parameter(398), 3980);
}

TEST_F(EditorTest, SendAsksOnlyWhileNothingWasLoaded) {
    std::vector<ParamTables::Parameters> sent;
    logic.hooks.sendParameters = [&](const ParamTables::Parameters& v) {
        sent.push_back(v);
        return SendReport{.closedWithOK = true};
    };
    dialogs.answerMessage(Button::No);
    logic.ParametersZendenClick();
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), 1u);
    EXPECT_EQ(lastError().icon, Dialogs::Icon::Warning);
    EXPECT_EQ(lastError().text,
              QStringList({lang("ZendMsg_1"), lang("ZendMsg_2"), lang("ZendMsg_3"),
                           lang("ZendMsg_4"), lang("ZendMsg_5"), lang("ZendMsg_6")})
                  .join("\n\r"));
    dialogs.answerMessage(Button::Yes);
    state.tables.parametersSentNotLoaded = true;
    logic.ParametersZendenClick();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_FALSE(state.tables.parametersSentNotLoaded);

    // Loaded from anywhere: no question.
    state.tables.setParameter(9, 99);
    state.tables.parameterSource = ParameterSource::Received;
    dialogs.clear();
    logic.ParametersZendenClick();
    EXPECT_TRUE(dialogs.asked().empty());
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent.back()[9], 99);
}

TEST_F(EditorTest, ReceiveReplacesTheTableOnlyAfterOk) {
    logic.FormActivate();
    std::optional<ParamTables::Parameters> answer;
    logic.hooks.receiveParameters = [&] { return answer; };
    state.tables.setParameter(4, 44);
    logic.ParametersOntvangenClick(); // cancelled
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
}

TEST_F(EditorTest, DefaultsComeFromTheCatalogue) {
    logic.LaadDefaultparametersClick();
    EXPECT_EQ(state.tables.parameters(), state.catalogue.defaults());
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::Defaults);
    EXPECT_EQ(lastError().icon, Dialogs::Icon::Information);
    EXPECT_EQ(lastError().text, lang("msg_DefaultParGeladen"));
}

TEST_F(EditorTest, ClosingWithUnloadedParametersAsks) {
    logic.FormActivate();
    EXPECT_TRUE(logic.FormClose()); // nothing sent: no question
    EXPECT_TRUE(dialogs.asked().empty());
    state.tables.parametersSentNotLoaded = true;
    dialogs.answerMessage(Button::No);
    EXPECT_FALSE(logic.FormClose());
    const QString question = lastError().text;
    for (const QString& line : question.split("\r\n"))
        EXPECT_LE(line.size(), EditParamLogic::CloseQuestionWidth) << line.toStdString();
    EXPECT_EQ(QString(question).remove("\r\n"), lang("Msg_ParGezondenEnNietGeladen"));
    dialogs.answerMessage(Button::Yes);
    EXPECT_TRUE(logic.FormClose());
    EXPECT_EQ(refreshes, 2); // the main window's labels follow on every close
}

TEST_F(EditorWithoutFiles, NoTreeGivesAnEmptyGridAndAMessage) {
    logic.FormActivate();
    EXPECT_TRUE(logic.tree().nodes().empty());
    EXPECT_EQ(logic.selectedNode(), -1);
    EXPECT_TRUE(logic.row(1)[0].isEmpty());
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), 1u);
    EXPECT_TRUE(lastError().text.contains(" error raised, with message : "));
    // No catalogue: defaults say so, even without a language file.
    dialogs.clear();
    state.tables.setParameter(0, 8);
    logic.LaadDefaultparametersClick();
    EXPECT_EQ(state.tables.parameter(0), 8);
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), 1u);
    EXPECT_FALSE(lastError().text.isEmpty());
}

TEST_F(EditorWithoutFiles, WithoutLanguageARefusedFileStillSaysSo) {
    write("wrong.mxp", "Something else\r\n");
    dialogs.answerOpenFile(path("wrong.mxp"));
    state.tables.setParameter(2, 2);
    logic.OpenenClick();
    EXPECT_EQ(state.tables.parameter(2), 2);
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), 1u);
    EXPECT_FALSE(lastError().text.isEmpty());
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
    const struct {
        int language;
        const char* query;
        int parameter;
    } cases[] = {
        {0, "7", 7},           {1, "P007", 7},    {2, "007", 7},         {0, "toegang", 0},
        {1, "ACCESS code", 0}, {2, "zugangs", 0}, {1, "code access", 0},
    };
    for (const auto& c : cases) {
        ProgramState state(DataDir);
        state.settings.LanguageNo = c.language;
        state.catalogue.ParameterDef_lezen(DataDir);
        state.catalogue.ParamNo_lezen(DataDir);
        GroupTree tree;
        ASSERT_TRUE(tree.load(DataDir + GroupTree::fileName(c.language)));
        const auto hits = ParameterSearch::find(state.catalogue, tree, c.language, c.query);
        ASSERT_FALSE(hits.empty()) << c.query;
        EXPECT_EQ(hits.front().parameter, c.parameter) << c.query;
        const GroupTree::Node& node = tree.nodes()[std::size_t(hits.front().node)];
        EXPECT_EQ(state.catalogue.parameterInRow(node.groupId(), hits.front().row), c.parameter);
        EXPECT_EQ(hits.front().name, state.catalogue.name(c.parameter, c.language));
        EXPECT_TRUE(ParameterSearch::find(state.catalogue, tree, c.language, "qqqzz").empty());
        EXPECT_TRUE(ParameterSearch::find(state.catalogue, tree, c.language, "  ").empty());
    }
}

TEST_F(EditorTest, JumpSelectsTheGroupAndRowOfAHit) {
    logic.FormActivate();
    const auto hits = logic.find("7");
    ASSERT_FALSE(hits.empty());
    logic.jumpTo(hits.front());
    EXPECT_EQ(logic.selectedNode(), hits.front().node);
    EXPECT_EQ(logic.row(hits.front().row)[1], "007");
    EXPECT_EQ(state.tables.selected.numberText, "007");
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
