// The options window, the error help and the About box, on a program folder
// of their own with the shipped language and help files.

#include "dialogs/FormAbout.h"
#include "dialogs/FormInfoErrorNummers.h"
#include "dialogs/FormOpties.h"
#include "dialogs/RtfReader.h"
#include "model/engines/ProgramState.h"
#include "model/texts/QtTranslations.h"
#include "ui/ScriptedDialogs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <memory>

namespace kqm52 {
namespace {

class DialogWorld : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString programDir() const { return dir_.path() + u'/'; }
    void ship(const QString& name) const {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KQM52_DATA_DIR "/") + name, programDir() + name));
        QFile::setPermissions(programDir() + name, QFile::ReadOwner | QFile::WriteOwner);
    }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(programDir() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // The program as it starts: settings, language file and catalogue read.
    ProgramState& start(int languageNo) {
        state_ = std::make_unique<ProgramState>(programDir());
        state_->settings.LanguageNo = languageNo;
        if (state_->language.TekstFile_Lezen(programDir(), languageNo))
            state_->qtTexts.use(languageNo);
        state_->catalogue.ParameterDef_lezen(programDir());
        return *state_;
    }

    QTemporaryDir dir_;
    std::unique_ptr<ProgramState> state_;
    ScriptedDialogs dialogs_;
};

// --- Options ---------------------------------------------------------------

class Options : public DialogWorld {
  protected:
    void SetUp() override {
        DialogWorld::SetUp();
        for (const char* f : {"Taal0.ini", "Taal2.ini", "Parameters.txt"})
            ship(QLatin1String(f));
        start(0);
        window_ = std::make_unique<TFormOpties>(*state_, dialogs_, [this] {
            // What the main window would put in its Options menu item.
            applied_ << state_->language.text(TextId{"Main", "subOpties"});
        });
        window_->show();
    }
    QString parameterName() const { return state_->catalogue.name(200, 0); }

    std::unique_ptr<TFormOpties> window_;
    QStringList applied_;
};

TEST_F(Options, ShowsTheLanguagesOfTheLoadedFileAndCancelChangesNothing) {
    EXPECT_EQ(window_->windowTitle(), u"Opties"_qs);
    EXPECT_EQ(window_->PageControl1->tabText(0), u"Algemeen"_qs);
    EXPECT_EQ(window_->LabelTaal->text(), u"Taal:"_qs);
    EXPECT_EQ(window_->CmdCancel->text(), u"Annuleren"_qs);
    ASSERT_EQ(window_->ComboTaal->count(), 3);
    EXPECT_EQ(window_->ComboTaal->itemText(1), u"Engels (English)"_qs);
    EXPECT_EQ(window_->ComboTaal->currentIndex(), 0);

    window_->ComboTaal->setCurrentIndex(2);
    window_->CmdCancelClick();
    EXPECT_EQ(window_->result(), QDialog::Rejected);
    EXPECT_EQ(state_->settings.LanguageNo, 0);
    EXPECT_TRUE(applied_.isEmpty());
    EXPECT_TRUE(state_->language.loadedPath().endsWith(u"Taal0.ini"_qs));
}

// The language file is read again only for another language; the
// definitions are read at every OK.
TEST_F(Options, OkRenewsTextsAndDefinitionsAndAnotherLanguageSwitchesAtOnce) {
    // Both files change on disk; only the catalogue may be read again.
    write(u"Taal0.ini"_qs, "[Main]\nsubOpties=changed on disk\n");
    QFile::remove(programDir() + u"Parameters.txt"_qs);
    write(u"Parameters.txt"_qs, "[200]\nnaam0=Nieuwe naam\n");
    window_->CmdOKClick();
    EXPECT_EQ(window_->result(), QDialog::Accepted);
    EXPECT_EQ(parameterName(), u"Nieuwe naam"_qs);
    EXPECT_EQ(applied_, QStringList{u"Opties..."_qs}); // as Taal0.ini had it

    window_->hide();
    window_->show();
    window_->ComboTaal->setCurrentIndex(2);
    window_->CmdOKClick();
    EXPECT_EQ(state_->settings.LanguageNo, 2);
    EXPECT_TRUE(state_->language.loadedPath().endsWith(u"Taal2.ini"_qs));
    EXPECT_EQ(state_->qtTexts.inUse(), u"qtbase_de"_qs);
    ASSERT_EQ(applied_.size(), 2);
    EXPECT_EQ(applied_[1], state_->language.text(TextId{"Main", "subOpties"}));
    EXPECT_NE(applied_[1], u"Opties..."_qs);
    EXPECT_TRUE(dialogs_.asked().empty());
    // The next showing speaks German too.
    window_->hide();
    window_->show();
    EXPECT_EQ(window_->windowTitle(), u"Optionen"_qs);
    EXPECT_EQ(window_->ComboTaal->currentIndex(), 2);
}

// A language whose file is not there is not half taken up: the message names
// the file in the language still in force, and nothing else moves.
TEST_F(Options, ALanguageWithoutItsFileIsNamedAndNothingSwitches) {
    ASSERT_EQ(state_->qtTexts.inUse(), u"qtbase_nl"_qs);
    window_->ComboTaal->setCurrentIndex(1); // Taal1.ini is not shipped here
    window_->CmdOKClick();

    ASSERT_EQ(dialogs_.asked().size(), 1u);
    const ScriptedDialogs::Asked& box = dialogs_.asked()[0];
    EXPECT_EQ(box.icon, Dialogs::Icon::Critical);
    EXPECT_EQ(box.caption, u"Opties"_qs);
    EXPECT_EQ(box.text, u"Dit taalbestand is niet gevonden:\n\r"_qs +
                            QDir::toNativeSeparators(programDir() + u"Taal1.ini"_qs) +
                            u"\n\rHet programma blijft in de huidige taal."_qs);
    EXPECT_EQ(state_->settings.LanguageNo, 0);
    EXPECT_TRUE(state_->language.loadedPath().endsWith(u"Taal0.ini"_qs));
    EXPECT_EQ(state_->qtTexts.inUse(), u"qtbase_nl"_qs);
    EXPECT_TRUE(applied_.isEmpty()); // the main window's texts were not touched
    // The window stays open on the language in force, for another choice.
    EXPECT_TRUE(window_->isVisible());
    EXPECT_NE(window_->result(), QDialog::Accepted);
    EXPECT_EQ(window_->ComboTaal->currentIndex(), 0);
    EXPECT_EQ(window_->windowTitle(), u"Opties"_qs);

    window_->ComboTaal->setCurrentIndex(2); // the user picks one that is there
    window_->CmdOKClick();
    EXPECT_EQ(window_->result(), QDialog::Accepted);
    EXPECT_EQ(state_->settings.LanguageNo, 2);
    EXPECT_EQ(applied_.size(), 1);
}

// Qt's catalogues are an extra: without them Qt speaks English and nothing else changes.
TEST(QtTranslationsTest, MissingCataloguesLeaveQtInEnglish) {
    auto yes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
    ASSERT_EQ(yes(), u"&Yes"_qs);
    {
        QtTranslations shipped;
        EXPECT_TRUE(shipped.use(2));
        EXPECT_EQ(yes(), u"&Ja"_qs);
        QTemporaryDir empty;
        QtTranslations none(empty.path());
        EXPECT_FALSE(none.use(0));
        EXPECT_EQ(none.inUse(), QString());
        EXPECT_TRUE(shipped.use(1)); // English needs no catalogue
        EXPECT_EQ(shipped.inUse(), QString());
        EXPECT_EQ(yes(), u"&Yes"_qs);
        EXPECT_TRUE(shipped.use(0));
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Annuleren"_qs);
    }
    EXPECT_EQ(yes(), u"&Yes"_qs); // gone with its owner
}

TEST_F(Options, AShortLanguageListStillOffersEveryLanguage) {
    write(u"Taal0.ini"_qs, "[Opties]\nTaalItems=Nederlands\n");
    start(0);
    state_->settings.LanguageNo = 2; // chosen before, its file since removed
    TFormOpties window(*state_, dialogs_, [] {});
    window.show();
    ASSERT_EQ(window.ComboTaal->count(), 3);
    EXPECT_EQ(window.ComboTaal->itemText(0), u"Nederlands"_qs);
    EXPECT_EQ(window.ComboTaal->itemText(2), u"D"_qs);
    EXPECT_EQ(window.ComboTaal->currentIndex(), 2);
}

// --- Error help ------------------------------------------------------------

class ErrorHelpWindow : public DialogWorld {
  protected:
    std::unique_ptr<TFormInfoErrorNummers> open(int languageNo) {
        start(languageNo);
        auto w = std::make_unique<TFormInfoErrorNummers>(*state_, dialogs_);
        w->show();
        return w;
    }
    static QString firstLine(TFormInfoErrorNummers& w) {
        return w.RichEdit1->document()->begin().text();
    }
};

TEST_F(ErrorHelpWindow, ShowsTheHelpOfTheLanguageOnPaleYellow) {
    for (const char* f : {"Taal2.ini", "ErrorHelp0.rtf", "ErrorHelp2.rtf"})
        ship(QLatin1String(f));
    auto w = open(2);
    EXPECT_EQ(w->windowTitle(), u"Fehlernummern MX52"_qs);
    EXPECT_EQ(firstLine(*w), u"Fehlernummern der MX52"_qs);
    EXPECT_EQ(w->RichEdit1->palette().color(QPalette::Base), QColor(255, 255, 151));
    EXPECT_TRUE(w->RichEdit1->isReadOnly());
    EXPECT_EQ(w->size(), QSize(545, 362));
    EXPECT_TRUE(dialogs_.asked().empty());
}

TEST_F(ErrorHelpWindow, FollowsALanguageChangeWhenShownAgain) {
    for (const char* f : {"ErrorHelp0.rtf", "ErrorHelp1.rtf"})
        ship(QLatin1String(f));
    auto w = open(0);
    EXPECT_EQ(w->windowTitle(), u"FormInfoErrorNummers"_qs); // no language file
    EXPECT_EQ(firstLine(*w), u"Foutnummers van de MX52"_qs);
    w->hide();
    state_->settings.LanguageNo = 1;
    w->show();
    EXPECT_EQ(firstLine(*w), u"MX52 error numbers"_qs);
    w->hide();
    state_->settings.LanguageNo = 2; // no German help here: nothing in the wrong language
    w->show();
    EXPECT_TRUE(w->RichEdit1->document()->isEmpty());
}

TEST_F(ErrorHelpWindow, AnUnreadableFileIsReportedOnceAndTheWindowStays) {
    write(u"ErrorHelp0.rtf"_qs, "This is plain text, not RTF.");
    auto w = open(0);
    ASSERT_EQ(dialogs_.asked().size(), 1u);
    const QString text = dialogs_.asked()[0].text;
    EXPECT_TRUE(text.startsWith(u"EParserError error raised, with message : "_qs));
    EXPECT_TRUE(text.contains(programDir() + u"ErrorHelp0.rtf"_qs)) << qPrintable(text);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->RichEdit1->document()->isEmpty());
    w->FormActivate(); // coming back to the window does not nag again
    EXPECT_EQ(dialogs_.asked().size(), 1u);
}

// A help file made to freeze the window (its megabyte in one paragraph) is
// shown cut, with a note in the user's language above it, and the help
// that fits is there below.
TEST_F(ErrorHelpWindow, AHelpFileTooLongToShowIsShownCutWithANote) {
    ship(u"Taal2.ini"_qs);
    const RtfLimits limits;
    write(u"ErrorHelp2.rtf"_qs,
          "{\\rtf1{\\b Fehler 1}\\par " + QByteArray(limits.maxInputBytes - 40, 'x') + "}");
    auto w = open(2);
    EXPECT_TRUE(dialogs_.asked().empty());
    const QTextDocument& doc = *w->RichEdit1->document();
    ASSERT_EQ(doc.blockCount(), 3);
    EXPECT_EQ(firstLine(*w), u"Diese Hilfedatei ist länger, als das Fenster zeigen kann; sie wird "
                             "nur teilweise angezeigt."_qs);
    EXPECT_EQ(doc.begin().next().text(), u"Fehler 1"_qs);
    EXPECT_EQ(doc.begin().next().begin().fragment().charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(doc.lastBlock().text(), QString(limits.maxParagraphLength, u'x'));

    // The shipped help is whole and has no note.
    ship(u"ErrorHelp0.rtf"_qs);
    w->hide();
    state_->settings.LanguageNo = 0;
    w->show();
    EXPECT_EQ(firstLine(*w), u"Foutnummers van de MX52"_qs);
}

// --- About -----------------------------------------------------------------

class About : public DialogWorld {};

TEST_F(About, TheVersionLineAppearsOnceAfterTwoOpenings) {
    ship(u"Taal1.ini"_qs);
    start(1);
    TFormAbout w(state_->language, state_->settings.folders);
    for (int i = 0; i < 2; ++i) {
        w.show();
        w.hide();
    }
    EXPECT_EQ(w.LabelSoftwareVersie->text(), u"Software version: 4.03"_qs);
    EXPECT_EQ(w.windowTitle(), u"About"_qs);
    EXPECT_EQ(w.LabelHandelsmerk->text(), u"MX5x is a trademark of Morvek."_qs);
    // The version is said once: the build line names only Qt's.
    EXPECT_EQ(w.LabelBuild->text(), u"Qt "_qs + QLatin1String(qVersion()));
    EXPECT_EQ(w.size(), QSize(353, 354));
    EXPECT_EQ(w.Image1->pixmap().size(), QSize(153, 41));
}

TEST_F(About, WithoutALanguageFileTheLinkOpensTheWebAddressAndShowsTheHand) {
    start(0);
    TFormAbout w(state_->language, state_->settings.folders);
    QList<QUrl> opened;
    w.openUrl = [&](const QUrl& url) {
        opened << url;
        return true;
    };
    w.show();
    EXPECT_EQ(w.LabelSoftwareVersie->text(), u"Software versie: 4.03"_qs);
    EXPECT_EQ(w.windowTitle(), u"Info"_qs);
    w.LabelWWWLinkMouseMove();
    EXPECT_EQ(w.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(w.LabelWWWLink->palette().color(QPalette::WindowText), QColor(Qt::blue));
    w.FormMouseMove();
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(w.LabelWWWLink->palette().color(QPalette::WindowText), QColor(Qt::blue));
    w.LabelWWWLinkClick();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], AboutBox::webAddress());
}

} // namespace
} // namespace kqm52
