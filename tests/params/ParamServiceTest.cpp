// The service window and the loader: the entry's key filter and check, the
// single write and the "bp" on the simulated unit, what the panel says and in
// which colour, and the sent-but-not-loaded flag they keep for the editor.

#include "../sim/SimLinkFixture.h"

#include "model/engines/ProgramState.h"
#include "params/FormParLoader.h"
#include "params/FormParamService.h"
#include "params/ParLoaderLogic.h"
#include "params/ParamServiceLogic.h"
#include "ui/TextTableChecks.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

TEST(EntryKeys, FilterForMinusHundredToTwoHundredWithTwoDecimals) {
    const EntryRules rules{2, -10000, integerDigitsOf("-100,00", "200,00", 2)};
    ASSERT_EQ(rules.integerDigits, 3);
    const struct {
        const char* text;
        int caret;
        int selected;
        QChar key;
        QChar becomes; // null: refused
    } cases[] = {
        {"12", 2, 0, '5', '5'},    {"12", 2, 0, 'a', {}},
        {"12", 2, 0, '.', ','},    {"12", 2, 0, ',', ','},
        {"12,5", 4, 0, ',', {}},   {"123", 3, 0, '4', {}},
        {"123", 3, 0, ',', ','},   {"123,4", 5, 0, '5', '5'},
        {"123,45", 6, 0, '6', {}}, {"123,45", 2, 0, '9', {}},
        {"12,45", 1, 0, '9', '9'}, {"-12", 3, 0, '-', {}},
        {"-12", 0, 0, '5', {}},    {"123", 3, 0, QChar(8), QChar(8)},
        {"123", 0, 3, '7', '7'},   {"", 0, 0, '-', '-'},
    };
    for (const auto& c : cases) {
        const KeyOutcome o = filterEntryKey(rules, c.key, c.text, c.caret, c.selected);
        EXPECT_EQ(o.accepted, !c.becomes.isNull()) << c.text << " + " << c.key.toLatin1();
        EXPECT_FALSE(o.replaced) << c.text;
        if (o.accepted) {
            EXPECT_EQ(o.key, c.becomes) << c.text;
        }
    }
    // "-" behind the digits puts the sign in front and the caret at the end.
    const KeyOutcome sign = filterEntryKey(rules, '-', "25", 2, 0);
    EXPECT_TRUE(sign.replaced);
    EXPECT_EQ(sign.text, "-25");
    EXPECT_EQ(sign.caret, 3);
    // No comma, no minus where the limits allow neither.
    const EntryRules whole{0, 0, 4};
    EXPECT_FALSE(filterEntryKey(whole, ',', "12", 2, 0).accepted);
    EXPECT_FALSE(filterEntryKey(whole, '-', "12", 2, 0).accepted);
    EXPECT_FALSE(filterEntryKey(whole, '-', "12", 0, 0).accepted);
}

class ServiceTest : public SimLinkFixture {
  protected:
    ServiceTest() : state(dir.path() + "/"), logic(state, port, view) {
        QFile f(dir.filePath("Parameters.txt"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[007]\nnaam0=Waarde\ntype=0\ndec=2\nmin=-10000\nmax=20000\ndefault=1250\n"
                "[012]\nnaam0=Keuze\ntype=1\nopties0=Uit,Aan,Auto\ndefault=2\n"
                "[014]\nnaam0=Verwijzing\ntype=1\nopties0=#012\n"
                "[050]\nnaam0=Groot\ndec=0\nmin=0\nmax=999999999\n");
        f.close();
        state.catalogue.ParameterDef_lezen(state.settings.folders.programDir());
        QString texts = "[ParamService]\n";
        for (int i = 0; i <= 10; ++i)
            texts += QStringLiteral("PanelTekst%1=t%1\n").arg(i);
        texts += "[Loader]\n";
        for (int i = 0; i <= 6; ++i)
            texts += QStringLiteral("PanelTekst%1=l%1\n").arg(i);
        state.language.loadFromText(texts);
        bus->addUnit(0, lineOf(38400));
        hostLines.attach(*bus);
    }
    void open(int p, bool portOpen = true) {
        state.tables.selected = state.catalogue.selection(p, 0, state.tables);
        if (portOpen) port.SetActive(true);
        logic.FormActivate(portOpen);
    }
    QStringList sent() { return hostLines.all(); }
    bool idle() {
        return waitUntil([&] { return !logic.busy(); });
    }

    struct View : ParamServiceView {
        void showPanel(const QString& t, bool r) override {
            text = t;
            red = r;
        }
        void setButtonsEnabled(bool e) override { enabled = e; }
        void focusEntry() override { ++focused; }
        QString text;
        bool red = false, enabled = true;
        int focused = 0;
    };

    QTemporaryDir dir;
    ProgramState state;
    View view;
    ParamServiceLogic logic;
    simtest::HostLines hostLines;
};

} // namespace

TEST_F(ServiceTest, ActivationShowsTheRecordAndOkStoresTheChoice) {
    state.tables.setParameter(7, -250);
    open(7, false);
    const auto& s = logic.setup();
    EXPECT_EQ(s.title, "[007]   Waarde");
    EXPECT_EQ(s.minimumText, "-100,00");
    EXPECT_EQ(s.maximumText, "200,00");
    EXPECT_EQ(s.defaultText, "12,50");
    EXPECT_EQ(s.entryText, "-2,50");
    EXPECT_FALSE(s.optionList || s.transferEnabled);

    state.tables.setParameter(14, 1);
    open(14);
    EXPECT_TRUE(logic.setup().optionList && logic.setup().transferEnabled);
    EXPECT_EQ(logic.setup().items, QStringList({"0 - Uit", "1 - Aan", "2 - Auto"}));
    EXPECT_EQ(logic.setup().itemIndex, 1);

    open(12, false);
    EXPECT_EQ(logic.defaultItem(), 2);
    EXPECT_TRUE(logic.CmdOKClick({}, 2));
    EXPECT_EQ(state.tables.parameter(12), 2);
    EXPECT_FALSE(logic.CmdOKClick({}, -1)); // a value the list has no label for
    EXPECT_EQ(view.text, "t2");
}

TEST_F(ServiceTest, EntryIsCheckedAndStored) {
    open(7, false);
    const struct {
        const char* text;
        bool stored;
        qint32 value;
    } cases[] = {
        {"12", true, 1200},    {"12,5", true, 1250},   {",5", true, 50},
        {"", true, 0},         {"-100", true, -10000}, {"200,01", false, 0},
        {"-100,01", false, 0}, {"1,234", false, 0},    {"12a", false, 0},
    };
    for (const auto& c : cases) {
        state.tables.setParameter(7, 7777);
        EXPECT_EQ(logic.TestIngave(c.text, -1), c.stored) << c.text;
        EXPECT_EQ(state.tables.parameter(7), c.stored ? c.value : 7777) << c.text;
        EXPECT_EQ(view.text, c.stored ? "" : "t2") << c.text;
        EXPECT_EQ(view.red, !c.stored) << c.text;
    }
    // The same value again leaves the modified flag.
    state.tables.setParameter(7, 1250);
    open(7, false);
    state.tables.parametersModified = false;
    EXPECT_TRUE(logic.CmdOKClick("12,50", -1));
    EXPECT_FALSE(state.tables.parametersModified);
    EXPECT_TRUE(logic.CmdOKClick("12,51", -1));
    EXPECT_TRUE(state.tables.parametersModified);
    // Nine digits are refused whatever the maximum allows.
    open(50, false);
    EXPECT_FALSE(logic.TestIngave("123456789", -1));
    EXPECT_EQ(view.text, "t3");
    EXPECT_TRUE(view.red);
    EXPECT_GE(view.focused, 1);
    EXPECT_TRUE(logic.TestIngave("12345678", -1));
}

TEST_F(ServiceTest, SendWritesTheOneValueAndShowsTheUnitsAnswer) {
    const QString unusable = QStringLiteral(
        "Onbruikbaar antwoord van het apparaat (%1); of de parameter geschreven is, is niet "
        "bekend.");
    const struct {
        SimFaults faults;
        QString panel;
    } cases[] = {
        {{}, "t4"},
        {{.refuseWrites = true}, "(er 7) t6"},
        {{.noAnswer = true}, "t0"},
        // Replies the unit did not give to this write: no success.
        {{.wrongWord = SimFaults::WrongWord::Always}, unusable.arg("wq 7 -1250")},
        {{.wrongNumber = SimFaults::WrongWord::Always}, unusable.arg("wp 8 -1250")},
        {{.longReply = true}, unusable.arg("wp 7 -1250 #…")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.panel.toStdString());
        const bool ok = c.panel == "t4";
        bus->setFaults(0, c.faults);
        state.tables.parametersSentNotLoaded = false;
        open(7);
        hostLines.clear();
        logic.CmdZendenClick("-12,5", -1);
        EXPECT_EQ(view.text, "t1");
        EXPECT_FALSE(view.enabled);
        ASSERT_TRUE(idle());
        EXPECT_EQ(ok ? sent() : sent().mid(0, 1), QStringList{"wp 7 -1250"});
        EXPECT_EQ(view.text, c.panel);
        EXPECT_EQ(view.red, !ok);
        EXPECT_TRUE(view.enabled);
        EXPECT_EQ(state.tables.parametersSentNotLoaded, ok);
    }
    EXPECT_EQ(bus->withUnit(0, [](SimUnit& u) { return u.parameter(7); }), -1250);

    // The echoed number counts as a number.
    state.tables.parametersSentNotLoaded = false;
    logic.RQ500ZendServiceParameterCommResult("wp 007 -1250\r\n");
    EXPECT_EQ(view.text, "t4");
    EXPECT_TRUE(state.tables.parametersSentNotLoaded);
}

TEST_F(ServiceTest, LoadShowsTheUnitsAnswer) {
    open(7);
    state.tables.parametersSentNotLoaded = true;
    logic.CmdBerParClick();
    EXPECT_EQ(view.text, "t9");
    ASSERT_TRUE(idle());
    EXPECT_EQ(sent().last(), "bp");
    EXPECT_FALSE(state.tables.parametersSentNotLoaded);
    EXPECT_EQ(view.text, "t10");
    // Another answer, and one longer than the reply buffer.
    logic.RQ500ServiceBerParCommResult("bp 42\r\n");
    EXPECT_EQ(view.text, "t8 42 t7");
    EXPECT_TRUE(view.red);
    logic.RQ500ServiceBerParCommResult("bp " + QByteArray(200, '9') + "\r\n");
    EXPECT_EQ(view.text, "t8 " + QString(95, '9') + " t7");
}

TEST_F(ServiceTest, LoaderSendsOneBpAndClearsTheFlagOnAnyAnswer) {
    ParLoaderLogic loader(state, port);
    port.SetActive(true);
    state.tables.parametersSentNotLoaded = true;
    loader.FormActivate();
    ASSERT_TRUE(waitUntil([&] { return !loader.waiting(); }));
    EXPECT_EQ(sent(), QStringList({"bp"}));
    EXPECT_EQ(loader.panelText(), "l4");
    EXPECT_FALSE(loader.panelRed());
    EXPECT_FALSE(state.tables.parametersSentNotLoaded);

    state.tables.parametersSentNotLoaded = true;
    loader.RQ500ParLoaderCommResult("bp 42\r\n");
    EXPECT_EQ(loader.panelText(), "l5 42 l6");
    EXPECT_TRUE(loader.panelRed());
    EXPECT_FALSE(state.tables.parametersSentNotLoaded);
    loader.RQ500ParLoaderCommError({CommCode::Timeout, 0, 0});
    EXPECT_EQ(loader.panelText(), "l0");
    loader.RQ500ParLoaderCommError({CommCode::LineError, 0, 4});
    EXPECT_EQ(loader.panelText(), "l2");

    // A reply that is no answer to "bp" says nothing about the parameters:
    // shown as unusable, and the flag stays for the editor to warn about.
    const QString unusable = QStringLiteral(
        "Onbruikbaar antwoord van het apparaat (%1); of de parameters geladen zijn, is niet "
        "bekend.");
    const std::pair<QByteArray, QString> noAnswers[] = {
        {"er 1\r\n", "er 1"},
        {"wp 12 5\r\n", "wp 12 5"},
        {"bp -1 " + QByteArray(200, '#') + "\r\n", "bp -1 ######…"},
    };
    for (const auto& [reply, shown] : noAnswers) {
        state.tables.parametersSentNotLoaded = true;
        loader.RQ500ParLoaderCommResult(reply);
        EXPECT_EQ(loader.panelText(), unusable.arg(shown));
        EXPECT_TRUE(loader.panelRed());
        EXPECT_TRUE(state.tables.parametersSentNotLoaded);
    }
    bus->setFaults(0, {.longReply = true});
    loader.FormActivate();
    ASSERT_TRUE(waitUntil([&] { return !loader.waiting(); }));
    EXPECT_EQ(loader.panelText(), unusable.arg("bp -1 ######…"));

    // Without a language file success shows an empty panel in the normal colour.
    ProgramState bare(dir.path() + "/");
    ParLoaderLogic quiet(bare, port);
    quiet.RQ500ParLoaderCommResult("bp -1\r\n");
    EXPECT_TRUE(quiet.panelText().isEmpty());
    EXPECT_FALSE(quiet.panelRed());
}

// The entry opens with its value selected: what is typed replaces it, a
// minus too.  With nothing selected, a minus behind the digits puts the sign
// in front, and a second minus does nothing.
TEST_F(ServiceTest, TypingOverTheSelectedValueReplacesItSignIncluded) {
    state.tables.setParameter(7, 2500);
    state.tables.selected = state.catalogue.selection(7, 0, state.tables);
    TFormParamService form(state, port, [] { return false; });
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* edit = form.findChild<QLineEdit*>("MaskEditParData");
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "25,00");
    QTest::keyClicks(edit, "-30");
    EXPECT_EQ(edit->text(), "-30");
    form.findChild<QPushButton*>("CmdOK")->click();
    EXPECT_EQ(state.tables.parameter(7), -3000);

    const struct {
        const char* text;
        int selectFrom, selectLength; // selectLength 0: the cursor at selectFrom
        const char* keys;
        const char* becomes;
    } cases[] = {
        {"25", 2, 0, "-", "-25"},   {"25", 2, 0, "-3", "-253"}, {"-25", 3, 0, "-", "-25"},
        {"-25", 0, 3, "-1", "-1"},  {"-25", 0, 3, "4", "4"},    {"123", 1, 1, "-", "-13"},
        {"-25", 1, 2, "-", "-25"},  {"12,5", 0, 4, ",5", ",5"}, {"25", 0, 2, "x", "25"},
        {"123", 0, 1, "45", "423"},
    };
    for (const auto& c : cases) {
        state.tables.selected = state.catalogue.selection(7, 0, state.tables);
        form.show();
        edit->setText(c.text);
        if (c.selectLength > 0)
            edit->setSelection(c.selectFrom, c.selectLength);
        else
            edit->setCursorPosition(c.selectFrom);
        QTest::keyClicks(edit, c.keys);
        EXPECT_EQ(edit->text(), c.becomes) << c.text << " + " << c.keys;
    }
}

// The windows: texts where the table says, typed keys through the filter,
// and the red panel on the widget.
TEST_F(ServiceTest, ServiceWindowWiring) {
    state.tables.setParameter(7, 0);
    state.tables.selected = state.catalogue.selection(7, 0, state.tables);
    state.language.loadFromText(test::markedLanguage("ParamService"));
    TFormParamService form(state, port, [] { return false; });
    form.show();
    test::expectMarkedTextsShown(form, "ParamService");
    auto* edit = form.findChild<QLineEdit*>("MaskEditParData");
    ASSERT_TRUE(edit);
    EXPECT_FALSE(form.findChild<QComboBox*>("ComboParData")->isVisible());
    EXPECT_FALSE(form.findChild<QPushButton*>("CmdZenden")->isEnabled());
    edit->clear();
    QTest::keyClicks(edit, "25.5x-");
    EXPECT_EQ(edit->text(), "-25,5");
    edit->setText("300");
    form.findChild<QPushButton*>("CmdOK")->click();
    EXPECT_TRUE(form.isVisible());
    auto* panel = form.findChild<QLabel*>("PanelService");
    EXPECT_EQ(panel->text(), "<PanelTekst2>");
    EXPECT_EQ(panel->palette().color(QPalette::WindowText), QColor(Qt::red));
    form.findChild<QPushButton*>("CmdDefault")->click();
    EXPECT_EQ(edit->text(), "12,50");
    form.findChild<QPushButton*>("CmdOK")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(state.tables.parameter(7), 1250);

    TFormParLoader loader(state, port);
    state.language.loadFromText(test::markedLanguage("Loader"));
    loader.FormActivate();
    test::expectMarkedTextsShown(loader, "Loader");
}
