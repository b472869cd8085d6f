// The Journal window on a journal of years: 100 000 entries and 1.5 million
// items, made in a temporary folder.  Prints how long the window takes from
// being opened to its first rows drawn, and to the list filtered by a serial
// number and by a parameter number, each drawn.  Figures only; nothing here
// judges them.
//
//     build/bin/journal_window_bench [--entries N]

#include "JournalFill.h"
#include "model/engines/ProgramState.h"
#include "model/journal/JournalStore.h"
#include "tools/FormJournal.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using namespace kqm52;

namespace {

// Until what the list shows is drawn.
void drawn(QApplication& app, QTableView* grid) {
    app.processEvents();
    grid->viewport()->grab();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int entries = 100000;
    const QStringList args = app.arguments();
    if (const auto i = args.indexOf(QStringLiteral("--entries")); i > 0 && i + 1 < args.size())
        entries = args[i + 1].toInt();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    QElapsedTimer t;
    t.start();
    if (!bench::fillJournal(path, entries)) return 1;
    std::printf("journal of %d entries, %d items made in %.1f s (%.0f MB)\n", entries,
                entries * bench::ItemsPerEntry, double(t.elapsed()) / 1000,
                double(QFileInfo(path).size()) / 1e6);

    ProgramState state(QStringLiteral(KQM52_DATA_DIR "/"));
    state.settings.LanguageNo = 1;
    state.language.TekstFile_Lezen(QStringLiteral(KQM52_DATA_DIR "/"), 1);
    state.catalogue.ParameterDef_lezen(QStringLiteral(KQM52_DATA_DIR "/"));
    ScriptedDialogs dialogs;
    for (int run = 0; run < 3; ++run) {
        t.restart();
        TFormJournal form(state, dialogs, path);
        form.show();
        auto* grid = form.findChild<QTableView*>(QStringLiteral("GridJournal"));
        drawn(app, grid);
        const double opened = double(t.nsecsElapsed()) / 1e6;

        t.restart();
        form.findChild<QLineEdit*>(QStringLiteral("EditSerial"))->setText(QStringLiteral("520042"));
        form.CmdApplyClick();
        drawn(app, grid);
        const double bySerial = double(t.nsecsElapsed()) / 1e6;
        const int serialRows = form.logic().model().total();

        form.CmdClearClick();
        t.restart();
        form.findChild<QLineEdit*>(QStringLiteral("EditItemNumber"))->setText(QStringLiteral("12"));
        form.CmdApplyClick();
        drawn(app, grid);
        const double byNumber = double(t.nsecsElapsed()) / 1e6;
        std::printf("run %d: window open to first rows shown %.1f ms; filter by serial %.1f ms"
                    " (%d entries); filter by parameter 12 %.1f ms (%d entries)\n",
                    run + 1, opened, bySerial, serialRows, byNumber, form.logic().model().total());
    }
    return 0;
}
