// A panel of fixed size shows a text of any length: what does not fit is cut
// with "…" and the whole text is in the tooltip.  Every fixed panel of the
// windows that shows a message or a value does so.

#include "../shell/ShellTestSupport.h"

#include "params/FormLeesParSoll.h"
#include "params/FormParLoader.h"
#include "params/FormParamService.h"
#include "setpoints/FormEditSollwerten.h"
#include "tools/FormApparaatZoeken.h"
#include "tools/FormCalibratie.h"
#include "tools/FormGrafiek.h"
#include "ui/FittedLabel.h"

#include <QFontMetrics>
#include <QLayout>

#include <functional>

namespace kqm52::test {
namespace {

const QChar Ellipsis(0x2026);
const QString Long =
    QStringLiteral("Geen antwoord van het apparaat binnen de wachttijd; controleer "
                   "de kabel, de omzetter en het unitnummer (time-out)");

QFont pixelFace(int pixels) {
    QFont f;
    f.setPixelSize(pixels);
    return f;
}

TEST(FittedLabelTest, TheTextIsCutWhereThePanelEnds) {
    const QFont font = pixelFace(12);
    const QFontMetrics fm(font);
    const int oneLine = fm.height();
    const int twoLines = fm.height() + fm.lineSpacing();
    const QString twoLineText = QStringLiteral("Geen antwoord\nvan het apparaat");
    const struct {
        const char* name;
        QString text;
        int width, height;
        bool wrap;
        int lines; // shown; 0: the text unchanged
    } rows[] = {
        {"short text", QStringLiteral("Offline"), 80, oneLine, false, 0},
        {"exactly wide enough", QStringLiteral("Offline"), fm.horizontalAdvance("Offline"), oneLine,
         false, 0},
        {"one pixel short", QStringLiteral("Offline"), fm.horizontalAdvance("Offline") - 1, oneLine,
         false, 1},
        {"long text, one line", Long, 169, oneLine, false, 1},
        {"long text, wrapped in two lines", Long, 169, twoLines, true, 2},
        {"long text, wrapped, room for one line", Long, 169, oneLine, true, 1},
        {"two lines of text in two lines", twoLineText, 169, twoLines, false, 0},
        {"two lines of text in one line", twoLineText, 80, oneLine, false, 1},
        {"a word longer than the panel", QStringLiteral("Parameterbestandsfehler"), 60, twoLines,
         true, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const QString shown = FittedLabel::fitted(r.text, font, r.width, r.height, r.wrap);
        if (r.lines == 0) {
            EXPECT_EQ(shown, r.text);
            continue;
        }
        const QStringList lines = shown.split('\n');
        ASSERT_EQ(lines.size(), r.lines) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(Ellipsis)) << shown.toStdString();
        for (const QString& line : lines)
            EXPECT_LE(fm.horizontalAdvance(line), r.width) << line.toStdString();
        // What is shown is the start of the text, nothing else.
        QString start = lines.join(' ');
        start.chop(1);
        EXPECT_TRUE(QString(r.text).replace('\n', ' ').startsWith(start)) << shown.toStdString();
        // A wrapped line breaks between words.
        if (r.wrap && lines.size() > 1) {
            EXPECT_TRUE(Long.startsWith(lines[0] + ' ')) << lines[0].toStdString();
        }
    }
}

TEST(FittedLabelTest, ACutTextIsWholeInTheTooltipAndPaintedAsShown) {
    QWidget window;
    auto* panel = new FittedLabel(&window);
    panel->setGeometry(0, 0, 169, 25);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFont(pixelFace(12));

    panel->setText(Long);
    EXPECT_EQ(panel->text(), Long); // the program's text stays whole
    EXPECT_TRUE(panel->isCut());
    EXPECT_TRUE(panel->shownText().endsWith(Ellipsis));
    EXPECT_EQ(panel->toolTip(), Long);

    // What is painted is the shown text, where QLabel would put it.
    QLabel same(&window);
    same.setGeometry(0, 0, 169, 25);
    same.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    same.setAlignment(Qt::AlignCenter);
    same.setFont(pixelFace(12));
    same.setText(panel->shownText());
    EXPECT_EQ(panel->grab().toImage(), same.grab().toImage());

    panel->setText(QStringLiteral("Gestopt"));
    EXPECT_EQ(panel->shownText(), "Gestopt");
    EXPECT_TRUE(panel->toolTip().isEmpty());

    // Widened on screen, the panel shows the whole text, without a tooltip.
    window.show();
    panel->setText(Long);
    panel->resize(2000, 25);
    EXPECT_EQ(panel->shownText(), Long);
    EXPECT_TRUE(panel->toolTip().isEmpty());
}

// Every fixed panel that shows a message or a value: a long text ends in
// "…" and is whole in the tooltip.
class FittedPanelsTest : public ShellWorld {};

TEST_F(FittedPanelsTest, EveryMessageAndValuePanelCutsALongTextAndTipsIt) {
    TFormMain& main = createWindow();
    ProgramState& state = *state_;
    TZRComm port;
    TFormGrafiek graph(state, port, dialogs_);
    TFormCalibratie calibration(port, state.language, dialogs_);
    TFormParLoader loader(state, port);
    TFormLeesParSoll receive(port, state.language);
    TFormEditSollwerten setpoints(state, port, dialogs_);
    TFormParamService service(state, port, [] { return false; });
    TFormApparaatZoeken search(state, port, dialogs_, {});
    const struct {
        QWidget* window;
        const char* panel;
    } rows[] = {
        {&main, "PanelComInfo"},  {&main, "PanelErrorNo"},     {&main, "StatusPanel2"},
        {&main, "PanelActPos"},   {&main, "Panel_DW1"},        {&graph, "PanelCommError"},
        {&calibration, "Panel1"}, {&calibration, "Panel2"},    {&loader, "Panel1"},
        {&receive, "Panel1"},     {&setpoints, "Panel1"},      {&service, "PanelService"},
        {&service, "PanelMin"},   {&search, "PanelZoekTekst"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.window->objectName().toStdString() + " " + r.panel);
        auto* panel = r.window->findChild<FittedLabel*>(QLatin1String(r.panel));
        ASSERT_NE(panel, nullptr);
        panel->setText(Long);
        // A window laid out by its layout sizes the panel first.
        if (QLayout* layout = r.window->layout()) layout->activate();
        EXPECT_TRUE(panel->shownText().endsWith(Ellipsis)) << panel->shownText().toStdString();
        EXPECT_EQ(panel->toolTip(), Long);
    }
}

} // namespace
} // namespace kqm52::test
