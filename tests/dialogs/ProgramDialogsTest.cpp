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
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
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
        program_ = std::make_unique<Program>(StartOptions{}, ProgramFolders::portable(dir()));
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

    // Chooses a language in the options window as a user would.  Returns the
    // text of the message box that came up (closed with its button), or an
    // empty text; a window left open is read (optionsCaption_) and cancelled.
    QString chooseLanguage(int languageNo) {
        QString boxText;
        optionsCaption_.clear();
        whenShown<TFormOpties>([this, languageNo, &boxText](TFormOpties& f) {
            f.ComboTaal->setCurrentIndex(languageNo);
            QTimer::singleShot(0, [&boxText] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                        boxText = box->text();
                        box->buttons().value(0)->click();
                    }
            });
            f.CmdOK->click();
            if (f.isVisible()) {
                optionsCaption_ = f.windowTitle();
                f.CmdCancel->click();
            }
        });
        ctl<QAction>(main(), "ww1")->trigger();
        return boxText;
    }
    // The captions of a question box's buttons as Qt gives them.
    static QString buttonTexts() {
        QMessageBox box(QMessageBox::Warning, u"?"_qs, u"?"_qs,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return box.button(QMessageBox::Yes)->text() + u'|' + box.button(QMessageBox::No)->text() +
               u'|' + box.button(QMessageBox::Cancel)->text();
    }

    QTemporaryDir dir_;
    std::unique_ptr<Program> program_;
    QString optionsCaption_;
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
              program_->state().language.text(TextId{"Main", "menuBestand"}));
    EXPECT_TRUE(program_->state().language.loadedPath().endsWith(u"Taal2.ini"_qs));
}

// Qt's own buttons and dialogs speak the chosen language too, and change with it.
TEST_F(ProgramDialogs, QtsOwnTextsFollowTheChosenLanguage) {
    EXPECT_EQ(buttonTexts(), u"&Yes|&No|Cancel"_qs);
    EXPECT_EQ(chooseLanguage(2), QString());
    EXPECT_EQ(buttonTexts(), u"&Ja|&Nein|Abbrechen"_qs);
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), u"Suchen in:"_qs);
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), u"Drucken"_qs);
    EXPECT_EQ(chooseLanguage(0), QString());
    EXPECT_EQ(buttonTexts(), u"&Ja|&Nee|Annuleren"_qs);
    EXPECT_EQ(chooseLanguage(1), QString());
    EXPECT_EQ(buttonTexts(), u"&Yes|&No|Cancel"_qs);
}

// German without its file: one message naming the file, and the whole program
// stays English, the settings file included.
TEST_F(ProgramDialogs, ALanguageWithoutItsFileIsNamedAndEveryWindowStaysAsItWas) {
    ASSERT_TRUE(QFile::remove(dir() + u"Taal2.ini"_qs));
    auto* open = ctl<QPushButton>(main(), "CmdSelectUnit");
    auto* lamp = ctl<QLabel>(main(), "LabelFun_in1");
    auto* group = ctl<QGroupBox>(main(), "GroupBoxIngangen");
    ASSERT_EQ(open->text(), u"Open"_qs);
    ASSERT_EQ(lamp->text(), u"Not used"_qs);
    ASSERT_EQ(group->title(), u"Inputs"_qs);

    const QString box = chooseLanguage(2);
    EXPECT_EQ(box, u"This language file was not found:\n"_qs +
                       QDir::toNativeSeparators(dir() + u"Taal2.ini"_qs) +
                       u"\nThe program stays in its current language."_qs);
    EXPECT_EQ(optionsCaption_, u"Options"_qs);
    EXPECT_EQ(open->text(), u"Open"_qs);
    EXPECT_EQ(lamp->text(), u"Not used"_qs);
    EXPECT_EQ(group->title(), u"Inputs"_qs);
    EXPECT_EQ(ctl<QMenu>(main(), "File1")->title(), u"File"_qs);
    EXPECT_EQ(program_->state().catalogue.name(249, program_->state().settings.LanguageNo),
              u"Input 1 function"_qs);
    EXPECT_EQ(buttonTexts(), u"&Yes|&No|Cancel"_qs);

    main().close();
    program_.reset();
    QFile ini(dir() + u"application.ini"_qs);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("[Opties]\nTaal=1\n"));
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
