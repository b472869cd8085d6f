// The log graph window: settings in and out, the source lock, and a short
// run on the simulated bus kept as CSV and PNG through the file dialogs.

#include "../sim/SimLinkFixture.h"

#include "model/engines/ProgramState.h"
#include "tools/FormGrafiek.h"
#include "tools/GraphPainter.h"
#include "tools/PlotSurface.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TextTableChecks.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cerrno>
#include <cstring>
#include <unistd.h>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class FormGrafiekTest : public SimLinkFixture {
  protected:
    FormGrafiekTest()
        : state(dir.path() + "/"),
          form(state, port, dialogs, nullptr, [this] { return quint32(now() / 1'000'000); }) {
        SimAxis& axis = bus->addUnit(0, lineOf(38400)).axis();
        axis.moving = false;
        axis.startPosition = 150;
    }
    ~FormGrafiekTest() override { form.FormClose(); }

    QTemporaryDir dir;
    ProgramState state;
    ScriptedDialogs dialogs;
    TFormGrafiek form;
};

} // namespace

TEST_F(FormGrafiekTest, TakesTheSettingsOverAndHandsThemBack) {
    state.settings.graph = {
        .X_Div = 2, .Y_Div = 4, .BronItem = 1, .X_hulplijn = true, .Y_hulplijn = false};
    form.FormActivate();
    EXPECT_EQ(form.ListBoxX->currentRow(), 2);
    EXPECT_EQ(form.ListBoxY->currentRow(), 4);
    EXPECT_EQ(form.ComboBoxBron->currentIndex(), 1);
    EXPECT_TRUE(form.CheckHulplijnenXas->isChecked());
    EXPECT_FALSE(form.CmdStartLog->isEnabled()); // the port is closed
    EXPECT_FALSE(form.CmdStopLog->isEnabled());
    EXPECT_FALSE(form.CmdExportCsv->isEnabled());

    form.ComboBoxBron->setCurrentIndex(2); // Act_U: 2 V per division, list locked
    EXPECT_EQ(form.ListBoxY->currentRow(), 7);
    EXPECT_FALSE(form.ListBoxY->isEnabled());
    form.CheckHulplijnenYas->setChecked(true);
    form.FormClose();
    EXPECT_EQ(state.settings.graph,
              (GraphSettings{
                  .X_Div = 2, .Y_Div = 7, .BronItem = 2, .X_hulplijn = true, .Y_hulplijn = true}));
}

TEST_F(FormGrafiekTest, RunDrawsTheCurveAndIsKeptAsCsvAndPngOrSaysWhyNot) {
    state.language.loadFromText("[Grafiek]\nPanelTekst2=Running\nPanelTekst3=Stopped\n");
    port.SetActive(true);
    form.FormActivate();
    form.CmdStartLogClick();
    EXPECT_EQ(form.PanelCommError->text(), "Running");
    EXPECT_FALSE(form.CmdExportCsv->isEnabled());
    EXPECT_FALSE(form.CmdExportPng->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return form.logic().samples().count >= 3; }));
    form.CmdStopLogClick();
    EXPECT_EQ(form.PanelCommError->text(), "Stopped");
    EXPECT_TRUE(form.CmdExportCsv->isEnabled());
    // 150 at 100 per division: one and a half divisions above the zero line.
    EXPECT_EQ(form.plotImage().pixelColor(10, 204 - 60), QColor(Qt::blue));

    const QString csv = dir.filePath("run.csv");
    const QString png = dir.filePath("run.png");
    dialogs.answerSaveFile(csv);
    dialogs.answerSaveFile(png);
    form.CmdExportCsvClick();
    form.CmdExportPngClick();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), form.logic().csvText());
    const QImage picture(png);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), form.picture().size());
    EXPECT_EQ(
        picture.pixelColor(graph::PlotLeft + 10, graph::TitleHeight + graph::PlotTop + 204 - 60),
        QColor(Qt::blue));
    EXPECT_EQ(dialogs.unscripted(), 0);

    // A file that cannot be written is reported, and nothing is left behind.
    dialogs.answerSaveFile(dir.filePath("missing/run.csv"));
    form.CmdExportCsvClick();
    const auto boxes = dialogs.asked(ScriptedDialogs::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, Dialogs::Icon::Critical);
    EXPECT_TRUE(boxes[0].text.contains("run.csv"));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/run.csv")));
}

// A run outlives the window: closed and opened again, the window shows an
// empty plot from 0 until the next scroll, but both exports keep the run.
// The picture is labelled by the run's own source, not by the one the list
// shows now.
TEST_F(FormGrafiekTest, ExportsKeepTheRunAfterReopeningAndItsOwnSource) {
    state.settings.graph.BronItem = 2; // Act_U: 2 V per division
    port.SetActive(true);
    form.FormActivate();
    form.CmdStartLogClick();
    ASSERT_TRUE(waitUntil([&] { return form.logic().samples().count >= 3; }));
    form.CmdStopLogClick();
    const QString csvBefore = form.logic().csvText();
    ASSERT_FALSE(csvBefore.isEmpty());

    form.done(QDialog::Accepted);
    form.FormActivate();
    ASSERT_TRUE(form.CmdExportPng->isEnabled());
    const auto exported = [&](const QString& name) {
        dialogs.answerSaveFile(dir.filePath(name));
        if (name.endsWith(".png")) {
            form.CmdExportPngClick();
            return QImage(dir.filePath(name)).convertToFormat(QImage::Format_RGB32);
        }
        form.CmdExportCsvClick();
        return QImage();
    };
    const auto bluePixels = [](const QImage& picture) {
        int blue = 0;
        for (int y = 1; y < graph::PlotHeight - 1; ++y)
            for (int x = 1; x < graph::PlotWidth - 1; ++x)
                blue +=
                    picture.pixelColor(graph::PlotLeft + x,
                                       graph::TitleHeight + graph::PlotTop + y) == QColor(Qt::blue);
        return blue;
    };

    exported("again.csv");
    QFile file(dir.filePath("again.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), csvBefore);
    const QImage reopened = exported("again.png");
    ASSERT_FALSE(reopened.isNull());
    EXPECT_GT(bluePixels(reopened), 10) << "the saved plot holds no curve";

    form.ComboBoxBron->setCurrentIndex(0); // ActPos now, in AWE
    const QImage otherSource = exported("other.png");
    ASSERT_FALSE(otherSource.isNull());
    EXPECT_GT(bluePixels(otherSource), 10);
    // The value axis of an Act_U run: volts, 2 per division.
    GraphFrame run;
    run.samples = form.logic().samples().span();
    run.choice.source = 2;
    run.choice.yIndex = 7;
    QImage axis(graph::ValueAxisWidth, graph::ValueAxisHeight, QImage::Format_RGB32);
    graph::TekenYasVerdeling(axis, run);
    EXPECT_TRUE(otherSource.copy(graph::ValueAxisLeft, graph::TitleHeight + graph::ValueAxisTop,
                                 graph::ValueAxisWidth, graph::ValueAxisHeight) == axis)
        << "the value axis is not the run's";
    EXPECT_EQ(dialogs.unscripted(), 0);
}

// An export that cannot be written says so in the user's language, then
// names the file and the system's reason.  Root writes into any folder, so
// there the "folder" is a plain file, which stops root as well.
TEST_F(FormGrafiekTest, AnExportThatCannotBeWrittenSaysWhyInTheUsersLanguage) {
    ASSERT_TRUE(QFile::copy(KQM52_DATA_DIR "/Taal0.ini", dir.filePath("Taal0.ini")));
    ASSERT_TRUE(state.language.TekstFile_Lezen(dir.path() + "/", 0));
    port.SetActive(true);
    form.FormActivate();
    form.CmdStartLogClick();
    ASSERT_TRUE(waitUntil([&] { return form.logic().samples().count >= 2; }));
    form.CmdStopLogClick();

    const QString folder = dir.filePath("locked");
    int reason = EACCES;
    if (::geteuid() == 0) {
        QFile blocker(folder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        reason = ENOTDIR;
    } else {
        ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    }
    const QString file = folder + "/run.png";
    dialogs.answerSaveFile(file);
    form.CmdExportPngClick();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const auto boxes = dialogs.asked(ScriptedDialogs::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, Dialogs::Icon::Critical);
    const QStringList lines = boxes[0].text.split("\n\r");
    ASSERT_EQ(lines.size(), 2) << boxes[0].text.toStdString();
    EXPECT_EQ(lines[0], "Het bestand is niet opgeslagen.");
    EXPECT_TRUE(lines[1].startsWith(QDir::toNativeSeparators(file) + ": "))
        << lines[1].toStdString();
    EXPECT_TRUE(
        lines[1].contains(QString::fromLocal8Bit(std::strerror(reason)), Qt::CaseInsensitive))
        << lines[1].toStdString();
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(FormGrafiekTest, EveryTextOfItsSectionLandsOnItsControl) {
    state.language.loadFromText(test::markedLanguage("Grafiek"));
    form.FormActivate();
    test::expectMarkedTextsShown(form, "Grafiek");
}

TEST_F(FormGrafiekTest, ItsTextsFollowTheLanguageChosen) {
    port.SetActive(true);
    state.language.loadFromText("[Grafiek]\nCaptionGrafiek=Istwerten\nLabelBron=Bron\n"
                                "optiesBron=Positie,Snelheid\nPanelTekst2=Loopt\n");
    form.FormActivate();
    form.CmdStartLogClick();
    EXPECT_EQ(form.PanelCommError->text(), "Loopt");
    form.CmdStopLogClick();
    state.language.loadFromText("[Grafiek]\nCaptionGrafiek=Actual values\nLabelBron=Source\n"
                                "optiesBron=Position,Velocity\nPanelTekst2=Running\n");
    form.FormActivate();
    EXPECT_EQ(form.windowTitle(), "Actual values");
    EXPECT_EQ(form.LabelBron->text(), "Source");
    ASSERT_EQ(form.ComboBoxBron->count(), 2);
    EXPECT_EQ(form.ComboBoxBron->itemText(1), "Velocity");
    EXPECT_EQ(form.CmdStartLog->text(), "Start"); // a key the file lacks: the built-in text
    form.CmdStartLogClick();
    EXPECT_EQ(form.PanelCommError->text(), "Running");
    form.CmdStopLogClick();
}

// A message longer than the panel is cut with "…" and whole in the tooltip.
TEST_F(FormGrafiekTest, ALongLinkMessageIsCutAndWholeInTheTooltip) {
    const QString timeout =
        QStringLiteral("Geen antwoord van het apparaat binnen 300 ms (time-out)");
    state.language.loadFromText("[Grafiek]\nPanelTekst0=" + timeout + "\n");
    bus->setFaults(0, {.noAnswer = true});
    port.SetActive(true);
    form.FormActivate();
    form.CmdStartLogClick();
    ASSERT_TRUE(waitUntil([&] { return !form.logic().logging(); }));
    EXPECT_EQ(form.PanelCommError->text(), timeout);
    EXPECT_TRUE(form.PanelCommError->shownText().endsWith(QChar(0x2026)))
        << form.PanelCommError->shownText().toStdString();
    EXPECT_EQ(form.PanelCommError->toolTip(), timeout);
}

TEST_F(FormGrafiekTest, TheReadingTextsLandOnTheirControls) {
    state.language.loadFromText(test::markedLanguage("GrafiekExtra"));
    form.FormActivate();
    test::expectMarkedTextsShown(form, "GrafiekExtra");
}

// At its designed size the window is laid out as it always was; larger, the
// plot, its axes, the scroll bar and the gauge grow, the rest moves down.
TEST_F(FormGrafiekTest, ThePlotGrowsWithTheWindowAndKeepsItsDesignAtItsOwnSize) {
    form.show(); // a hidden window hears of its new size only when shown
    form.resize(725, 654);
    QApplication::processEvents();
    const struct {
        QWidget* widget;
        QRect design;
    } designed[] = {
        {form.Image1, {80, 12, 601, 409}},        {form.ImageX, {60, 421, 653, 25}},
        {form.ImageY, {0, 6, 80, 419}},           {form.ScrollBar2, {80, 448, 601, 17}},
        {form.GroupBox_Yas, {80, 472, 129, 153}}, {form.CmdStartLog, {456, 552, 73, 25}},
        {form.Gauge1, {64, 635, 585, 10}},        {form.LabelBufferCount, {657, 630, 68, 16}},
    };
    for (const auto& d : designed)
        EXPECT_EQ(d.widget->geometry(), d.design) << d.widget->objectName().toStdString();
    EXPECT_EQ(form.plotImage().size(), QSize(601, 409));

    form.resize(1025, 854);
    QApplication::processEvents();
    for (const auto& d : designed) {
        QRect want = d.design;
        if (d.widget == form.Image1) want.setSize({901, 609});
        if (d.widget == form.ImageY) want.setHeight(619);
        if (d.widget == form.ImageX || d.widget == form.ScrollBar2 || d.widget == form.Gauge1)
            want = QRect(want.left(), want.top() + 200, want.width() + 300, want.height());
        if (d.widget == form.GroupBox_Yas || d.widget == form.CmdStartLog) want.translate(0, 200);
        if (d.widget == form.LabelBufferCount) want.translate(300, 200);
        EXPECT_EQ(d.widget->geometry(), want) << d.widget->objectName().toStdString();
    }
    EXPECT_EQ(form.plotImage().size(), QSize(901, 609));
    // The zero line runs through the middle of the larger plot, edge to edge.
    EXPECT_EQ(form.plotImage().pixelColor(450, 304), QColor(Qt::black));
    EXPECT_EQ(form.plotImage().pixelColor(899, 304), QColor(Qt::black));
    EXPECT_EQ(form.plotImage().pixelColor(450, 305), QColor(Qt::white));
    form.hide();
}

// The mouse on the plot: the wheel zooms around the sample under it, a click
// places A, Shift+click B, and the read-out says both and the difference; a
// double-click and Home go back to the lists' scales.
TEST_F(FormGrafiekTest, WheelClickAndHomeOnThePlot) {
    port.SetActive(true);
    form.FormActivate();
    form.CmdStartLogClick();
    ASSERT_TRUE(waitUntil([&] { return form.logic().samples().count >= 30; }));
    form.CmdStopLogClick();
    const QPoint at(300, 100);
    const int under = form.logic().sampleAt(at.x()).index;
    ASSERT_GT(under, 0);

    QWheelEvent wheel(at, form.Image1->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.Image1, &wheel);
    ASSERT_TRUE(form.logic().frame().view);
    EXPECT_LT(form.logic().frame().viewport().msPerPixel, 1000 / 60.0);
    EXPECT_EQ(form.logic().sampleAt(at.x()).index, under);

    QTest::mouseClick(form.Image1, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(form.Image1, Qt::LeftButton, Qt::ShiftModifier, at + QPoint(150, 0));
    ASSERT_TRUE(form.logic().cursor(0) && form.logic().cursor(1));
    EXPECT_EQ(form.logic().cursor(0)->index, under);
    EXPECT_GT(form.logic().cursor(1)->index, under);
    EXPECT_FALSE(form.LabelReadout->isHidden());
    EXPECT_TRUE(form.LabelReadout->text().contains("A  "))
        << form.LabelReadout->text().toStdString();
    EXPECT_TRUE(form.LabelReadout->text().contains(QStringLiteral("\u0394t ")));
    // The cursors are on the picture shown, not on the plot that is saved.
    // A sits on its sample, snapped from where the click was.
    const int ax =
        int(std::lround(form.logic().frame().viewport().x(form.logic().cursor(0)->time)));
    EXPECT_LE(std::abs(ax - at.x()), 12); // half a sample apart at most
    const QImage shown = form.Image1->pixmap().toImage();
    EXPECT_EQ(shown.pixelColor(ax, 20), QColor(Qt::red));
    EXPECT_NE(form.plotImage().pixelColor(ax, 20), QColor(Qt::red));

    QTest::keyClick(form.Image1, Qt::Key_Home);
    EXPECT_FALSE(form.logic().frame().view);
    EXPECT_FALSE(form.logic().cursor(0));
    QApplication::sendEvent(form.Image1, &wheel);
    QTest::mouseDClick(form.Image1, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_FALSE(form.logic().frame().view);
}

// A recording read back through Open: shown and exportable; a file that is
// not ours is refused with the line that did not read.
TEST_F(FormGrafiekTest, OpenRecordingShowsAFileOfOursAndRefusesOthers) {
    form.FormActivate();
    const QString ours = dir.filePath("ours.csv");
    QFile f(ours);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Index,Time (ms),Raw value,Value (AWE),Reply unusable\r\n");
    for (int i = 0; i < 100; ++i)
        f.write(QStringLiteral("%1,%2,150,150,0\r\n").arg(i).arg(i * 50).toLatin1());
    f.close();
    dialogs.answerOpenFile(ours);
    form.CmdOpenRecordingClick();
    ASSERT_TRUE(form.logic().recording());
    EXPECT_EQ(form.logic().recordedSamples(), 100);
    EXPECT_TRUE(form.CmdExportCsv->isEnabled());
    EXPECT_EQ(form.plotImage().pixelColor(10, 204 - 60), QColor(Qt::blue));
    EXPECT_EQ(form.LabelBufferCount->text(), "4,9 sec");

    const QString other = dir.filePath("other.csv");
    QFile g(other);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("Index,Time (ms),Raw value,Value (AWE),Reply unusable\r\n0,0,1,1,0\r\nhello\r\n");
    g.close();
    dialogs.answerOpenFile(other);
    form.CmdOpenRecordingClick();
    const auto boxes = dialogs.asked(ScriptedDialogs::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, Dialogs::Icon::Critical);
    EXPECT_EQ(boxes[0].text, "This is not a KQM52 recording.\n\r" +
                                 QDir::toNativeSeparators(other) + "\n\rLine 3: hello");
    // The recording shown before stays.
    EXPECT_EQ(form.logic().recordedSamples(), 100);
}

// The file for a long run is chosen before Start and used by that run only.
TEST_F(FormGrafiekTest, StreamingIsChosenBeforeStartAndUsedOnce) {
    port.SetActive(true);
    form.FormActivate();
    const QString path = dir.filePath("stream.csv");
    dialogs.answerSaveFile(path);
    form.CmdStream->click();
    EXPECT_TRUE(form.CmdStream->isChecked());
    EXPECT_EQ(form.logic().streamFile(), path);
    form.CmdStartLogClick();
    EXPECT_FALSE(form.CmdStream->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return form.logic().samples().count >= 5; }));
    form.CmdStopLogClick();
    EXPECT_FALSE(form.CmdStream->isChecked());
    EXPECT_TRUE(form.logic().streamFile().isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(f.readAll()), form.logic().csvText());
    EXPECT_EQ(dialogs.unscripted(), 0);
}

// The picture's title names the run's source and unit, the scales, the date
// and the unit's type.
TEST_F(FormGrafiekTest, ThePicturesTitleSaysWhatItShows) {
    state.unit.DeviceType = "MX52";
    state.settings.graph.X_Div = 2; // 1 sec per division
    state.settings.graph.Y_Div = 3; // 1000 per division
    port.SetActive(true);
    form.FormActivate();
    form.CmdStartLogClick();
    ASSERT_TRUE(waitUntil([&] { return form.logic().samples().count >= 3; }));
    form.CmdStopLogClick();
    const QString title = form.pictureTitle(form.logic().pictureFrame(false));
    EXPECT_TRUE(title.startsWith("ActPos (AWE)   X: 1,000 s/div   Y: 1000 AWE/div   "))
        << title.toStdString();
    EXPECT_TRUE(title.contains(QDate::currentDate().toString("yyyy-MM-dd")));
    EXPECT_TRUE(title.endsWith("   MX52"));
    // The whole run across the plot: its own time scale.
    const QString whole = form.pictureTitle(form.logic().pictureFrame(true));
    EXPECT_FALSE(whole.contains("X: 1,000 s/div")) << whole.toStdString();
    EXPECT_EQ(form.picture(true).height(), form.picture(false).height());
}
