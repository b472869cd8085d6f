// The options and error help windows as the running program wires them to
// the main window's menu.

#include "app/Program.h"
#include "dialogs/FormAbout.h"
#include "dialogs/FormInfoErrorNummers.h"
#include "dialogs/FormOpties.h"
#include "params/FormEditParam.h"
#include "setpoints/FormEditSollwerten.h"
#include "shell/FormMain.h"
#include "tools/FormGrafiek.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

namespace kqm52 {
namespace {

// The main window keeps its controls to itself; tests find them by name.
template <class T> T* ctl(const QObject& window, const char* name) {
    T* c = window.findChild<T*>(QLatin1String(name));
    if (!c) ADD_FAILURE() << "no control " << name;
    return c;
}

class ProgramDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const QDir data(QStringLiteral(KQM52_DATA_DIR));
        for (const QString& f :
             data.entryList({u"*.ini"_qs, u"*.txt"_qs, u"*.rtf"_qs}, QDir::Files))
            if (f != u"CMakeLists.txt"_qs) {
                ASSERT_TRUE(QFile::copy(data.filePath(f), dir() + f));
            }
        // Start in English.
        QFile ini(dir() + u"application.ini"_qs);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Opties]\nTaal=1\n");
        ini.close();
        program_ = std::make_unique<Program>(StartOptions{}, dir());
        main().show();
    }
    void TearDown() override {
        if (program_) main().close();
    }
    QString dir() const { return dir_.path() + u'/'; }
    TFormMain& main() { return program_->mainWindow(); }
    // Runs fn on the modal window that the next handler opens.
    template <class W> void whenShown(std::function<void(W&)> fn) {
        QTimer::singleShot(0, [fn] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* form = qobject_cast<W*>(w); form && form->isVisible()) return fn(*form);
        });
    }

    QTemporaryDir dir_;
    std::unique_ptr<Program> program_;
};

// A start pays for the main window only: every other window is made when
// the user first opens it, and is the same window the next time.  The menu
// offers all of them from the start, as before.
TEST_F(ProgramDialogs, EachWindowIsMadeWhenFirstOpenedAndKept) {
    EXPECT_TRUE(main().findChildren<QDialog*>(Qt::FindDirectChildrenOnly).isEmpty());
    EXPECT_EQ(main().findChild<TFormInfoErrorNummers*>(), nullptr);
    for (const char* name : {"Par11", "Par21", "Serial1", "ww1", "MX52zoeken", "displaynokken1",
                             "Grafiek1", "FormAbout", "Errno1"})
        EXPECT_TRUE(ctl<QAction>(main(), name)->isEnabled()) << name;
    EXPECT_TRUE(ctl<QPushButton>(main(), "CmdCalibratie")->isEnabled());

    for (int i = 0; i < 2; ++i) {
        whenShown<TFormAbout>([](TFormAbout& f) { f.reject(); });
        ctl<QAction>(main(), "FormAbout")->trigger();
        ctl<QAction>(main(), "Errno1")->trigger();
    }
    EXPECT_EQ(main().findChildren<TFormAbout*>().size(), 1);
    EXPECT_EQ(main().findChildren<TFormInfoErrorNummers*>().size(), 1);
    // Opening those made no other window.
    EXPECT_EQ(main().findChild<TFormEditParam*>(), nullptr);
    EXPECT_EQ(main().findChild<TFormEditSollwerten*>(), nullptr);
    EXPECT_EQ(main().findChild<TFormGrafiek*>(), nullptr);
}

TEST_F(ProgramDialogs, GermanFromTheOptionsRelabelsTheMainWindowAtOnce) {
    ASSERT_EQ(program_->state().settings.LanguageNo, 1);
    ASSERT_TRUE(ctl<QAction>(main(), "ww1")->isEnabled());
    const QString englishFileMenu = ctl<QMenu>(main(), "File1")->title();
    whenShown<TFormOpties>([](TFormOpties& f) {
        f.ComboTaal->setCurrentIndex(2);
        f.CmdOK->click();
    });
    ctl<QAction>(main(), "ww1")->trigger();
    EXPECT_EQ(program_->state().settings.LanguageNo, 2);
    EXPECT_NE(ctl<QMenu>(main(), "File1")->title(), englishFileMenu);
    EXPECT_EQ(ctl<QMenu>(main(), "File1")->title(),
              program_->state().language.text(u"Main"_qs, u"menuBestand"_qs, {}));
    EXPECT_TRUE(program_->state().language.loadedPath().endsWith(u"Taal2.ini"_qs));
}

TEST_F(ProgramDialogs, ErrorHelpOpensBesideTheMainWindowInItsLanguage) {
    ASSERT_TRUE(ctl<QAction>(main(), "Errno1")->isEnabled());
    ctl<QAction>(main(), "Errno1")->trigger();
    auto* help = main().findChild<TFormInfoErrorNummers*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_EQ(help->windowTitle(), u"MX52 error numbers"_qs);
    EXPECT_EQ(help->RichEdit1->document()->begin().text(), u"MX52 error numbers"_qs);
}

} // namespace
} // namespace kqm52
