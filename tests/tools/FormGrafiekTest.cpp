// The log graph window: settings in and out, the source lock, and a short
// run on the simulated bus kept as CSV and PNG through the file dialogs.

#include "../sim/SimLinkFixture.h"

#include "tools/FormGrafiek.h"
#include "tools/GraphPainter.h"
#include "ui/ProgramState.h"
#include "ui/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

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
    EXPECT_EQ(picture.pixelColor(graph::PlotLeft + 10, graph::PlotTop + 204 - 60),
              QColor(Qt::blue));
    EXPECT_EQ(dialogs.unscripted(), 0);

    // A file that cannot be written is reported, and nothing is left behind.
    dialogs.answerSaveFile(dir.filePath("missing/run.csv"));
    form.CmdExportCsvClick();
    const auto boxes = dialogs.asked(ScriptedDialogs::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(boxes[0].text.contains("run.csv"));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/run.csv")));
}
