// Where the program reads its data files and keeps application.ini: run from
// its own folder (portable) or installed with share/kqm52 beside its bin
// folder and the settings in the user's configuration folder.

#include "model/files/ProgramFolders.h"
#include "app/Program.h"
#include "dialogs/FormAbout.h"
#include "model/engines/DataFiles.h"
#include "model/engines/ProgramState.h"
#include "shell/FormMain.h"
#include "ui/ScriptedDialogs.h"
#include "ui/StartOptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace kqm52 {
namespace {

QString dataFile(const QString& name) {
    return QStringLiteral(KQM52_DATA_DIR "/") + name;
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

void ship(const QString& folder, const QString& name) {
    QDir().mkpath(folder);
    ASSERT_TRUE(QFile::copy(dataFile(name), folder + name)) << name.toStdString();
}

// Far over the bound a data file may have: refused unread.
QByteArray tooLarge() {
    return QByteArray(MaxDataFileBytes + 1, 'x');
}

// A prefix as an install makes it: bin/ with nothing beside the programs,
// share/kqm52/ with the data files, and a home folder of the user's own.
class Installed : public ::testing::Test {
  protected:
    QString root() const { return tmp_.path() + QLatin1Char('/'); }
    QString bin() const { return root() + QStringLiteral("prefix/bin/"); }
    QString share() const { return root() + QStringLiteral("prefix/share/kqm52/"); }
    QString user() const { return root() + QStringLiteral("home/.config/kqm52/"); }
    void SetUp() override {
        ASSERT_TRUE(tmp_.isValid());
        QDir().mkpath(bin());
        for (const char* name : {"Taal0.ini", "Taal1.ini", "Parameters.txt", "ParNo.txt"})
            ship(share(), QLatin1String(name));
    }
    ProgramFolders folders() const { return ProgramFolders::decide(bin(), user(), true); }
    QStringList filesIn(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir tmp_;
};

// --- the decision ----------------------------------------------------------

TEST_F(Installed, TheFoldersFollowFromWhatLiesBesideTheProgram) {
    const QString prefixBin = bin();
    const struct {
        const char* name;
        QStringList beside; // files put beside the program
        bool writable;
        bool portable;
        QString settings;
        QStringList data;
    } cases[] = {
        {"build folder", {"Taal0.ini", "Parameters.txt"}, true, true, prefixBin, {prefixBin}},
        {"settings of an earlier run", {"application.ini"}, true, true, prefixBin, {prefixBin}},
        {"catalogue spelt the Windows way", {"parameters.txt"}, true, true, prefixBin, {prefixBin}},
        {"installed", {}, true, false, user(), {user(), share()}},
        {"read-only copy with its data", {"Taal0.ini"}, false, false, user(), {user(), prefixBin}},
        {"other files do not count", {"notes.txt"}, true, false, user(), {user(), share()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& f : filesIn(bin()))
            QFile::remove(bin() + f);
        for (const QString& f : c.beside)
            write(bin() + f, "[x]\n");
        const ProgramFolders f = ProgramFolders::decide(bin(), user(), c.writable);
        EXPECT_EQ(f.isPortable(), c.portable);
        EXPECT_EQ(f.programDir(), prefixBin);
        EXPECT_EQ(f.settingsDir(), c.settings);
        EXPECT_EQ(f.settingsPath(), c.settings + QStringLiteral("application.ini"));
        EXPECT_EQ(f.dataDirs(), c.data);
    }
}

TEST_F(Installed, TheUsersOwnFileComesFirstAndAMissingOneNamesTheInstalledPlace) {
    const ProgramFolders f = folders();
    EXPECT_EQ(f.foldersHolding(QStringLiteral("Taal0.ini")), QStringList{share()});
    write(user() + QStringLiteral("Taal0.ini"), "[Main]\n");
    write(user() + QStringLiteral("parameters.txt"), "[P0]\n");
    EXPECT_EQ(f.foldersHolding(QStringLiteral("Taal0.ini")), (QStringList{user(), share()}));
    EXPECT_EQ(f.dataPath(QStringLiteral("Taal0.ini")), user() + QStringLiteral("Taal0.ini"));
    // The catalogue is found in any spelling, a language file only in its own.
    EXPECT_EQ(f.foldersHolding(QStringLiteral("Parameters.txt"), Qt::CaseInsensitive),
              (QStringList{user(), share()}));
    EXPECT_EQ(f.foldersHolding(QStringLiteral("Parameters.txt")), QStringList{share()});
    EXPECT_EQ(f.dataPath(QStringLiteral("Tree0.txt")), share() + QStringLiteral("Tree0.txt"));
    EXPECT_TRUE(f.isUserFolder(user()));
    EXPECT_FALSE(f.isUserFolder(share()));
}

TEST_F(Installed, APortableProgramNeverLooksInTheUsersFolder) {
    const ProgramFolders f = ProgramFolders::portable(share());
    write(user() + QStringLiteral("Taal0.ini"), "[Main]\n");
    EXPECT_EQ(f.foldersHolding(QStringLiteral("Taal0.ini")), QStringList{share()});
    EXPECT_EQ(f.settingsPath(), share() + QStringLiteral("application.ini"));
    EXPECT_FALSE(f.isUserFolder(share()));
    // Nothing to prepare, nothing made.
    const QStringList before = filesIn(share());
    EXPECT_TRUE(f.prepareSettingsFolder());
    EXPECT_EQ(filesIn(share()), before);
}

TEST_F(Installed, TheSettingsFolderIsMadeOrItsTroubleSaid) {
    QString reason;
    EXPECT_TRUE(folders().prepareSettingsFolder(&reason));
    EXPECT_TRUE(QFileInfo(user()).isDir());
    EXPECT_TRUE(reason.isEmpty());
    // Something in the way where the folder belongs.
    const QString blocked = root() + QStringLiteral("blocked");
    write(blocked, "a file, not a folder");
    const ProgramFolders inTheWay =
        ProgramFolders::installed(bin(), share(), blocked + QStringLiteral("/kqm52/"));
    EXPECT_FALSE(inTheWay.prepareSettingsFolder(&reason));
    EXPECT_FALSE(reason.isEmpty());
    const ProgramFolders isAFile = ProgramFolders::installed(bin(), share(), blocked);
    EXPECT_FALSE(isAFile.prepareSettingsFolder(&reason));
    EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(ENOTDIR)));
}

// --- reading with the user's own files first -------------------------------

class InstalledReading : public Installed {
  protected:
    void SetUp() override {
        Installed::SetUp();
        state_ = std::make_unique<ProgramState>(folders());
        state_->ownFileFailed = [this](const ReadProblem& p) { ownFailed_ << p.path; };
        state_->fileRefused = [this](const ReadProblem& p) { refused_ << p.path; };
    }
    std::unique_ptr<ProgramState> state_;
    QStringList ownFailed_;
    QStringList refused_;
};

TEST_F(InstalledReading, TheInstalledFilesAreReadWhenTheUserHasNone) {
    EXPECT_TRUE(readLanguageFile(*state_, 1));
    EXPECT_EQ(state_->language.loadedPath(), share() + QStringLiteral("Taal1.ini"));
    EXPECT_EQ(state_->language.text(TextId{"Main", "GroepIngangen"}), u"Inputs");
    readCatalogueFiles(*state_);
    EXPECT_TRUE(state_->catalogue.parameterDefinitionsPresent());
    EXPECT_TRUE(state_->catalogue.parameterNumbersPresent());
    EXPECT_EQ(state_->catalogue.info(2).name(1), u"Display language");
    EXPECT_TRUE(ownFailed_.isEmpty());
    EXPECT_TRUE(refused_.isEmpty());
}

TEST_F(InstalledReading, TheUsersOwnFilesOverrideTheInstalledOnes) {
    write(user() + QStringLiteral("Taal1.ini"), "[Main]\nGroepIngangen=My inputs\n");
    QFile installed(dataFile(QStringLiteral("Parameters.txt")));
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    write(user() + QStringLiteral("Parameters.txt"),
          installed.readAll().replace("naam1=Display language", "naam1=My language"));
    EXPECT_TRUE(readLanguageFile(*state_, 1));
    EXPECT_EQ(state_->language.text(TextId{"Main", "GroepIngangen"}), u"My inputs");
    readCatalogueFiles(*state_);
    EXPECT_EQ(state_->catalogue.info(2).name(1), u"My language");
    EXPECT_TRUE(ownFailed_.isEmpty());
}

TEST_F(InstalledReading, AnOwnFileThatFailsIsToldOnceAndTheInstalledOneRead) {
    write(user() + QStringLiteral("Taal1.ini"), tooLarge());
    write(user() + QStringLiteral("Parameters.txt"), tooLarge());
    EXPECT_TRUE(readLanguageFile(*state_, 1));
    EXPECT_EQ(state_->language.text(TextId{"Main", "GroepIngangen"}), u"Inputs");
    readCatalogueFiles(*state_);
    EXPECT_EQ(state_->catalogue.info(2).name(1), u"Display language");
    EXPECT_EQ(ownFailed_, (QStringList{QDir::toNativeSeparators(user() + "Taal1.ini"),
                                       QDir::toNativeSeparators(user() + "Parameters.txt")}));
    // Not also the message of a file refused with nothing in its place.
    EXPECT_TRUE(refused_.isEmpty());

    ReadProblem problem;
    problem.kind = ReadProblem::Kind::TooLarge;
    problem.path = QDir::toNativeSeparators(user() + "Parameters.txt");
    problem.limit = MaxDataFileBytes;
    EXPECT_EQ(ownFileFailedText(state_->language, state_->settings.folders, problem),
              u"Your own file %1 could not be read (larger than 4 MB). The installed file %2 "
              u"is used instead."_qs.arg(problem.path,
                                         QDir::toNativeSeparators(share() + "Parameters.txt")));
}

TEST_F(InstalledReading, AnOwnFileWithNothingInstalledBehindItIsRefusedAsBefore) {
    QFile::remove(share() + QStringLiteral("ParNo.txt"));
    write(user() + QStringLiteral("ParNo.txt"), tooLarge());
    readCatalogueFiles(*state_);
    EXPECT_FALSE(state_->catalogue.parameterNumbersPresent());
    EXPECT_TRUE(ownFailed_.isEmpty());
    EXPECT_EQ(refused_, QStringList{QDir::toNativeSeparators(user() + "ParNo.txt")});
}

// --- the main window of an installed program ---------------------------------

class InstalledWindow : public Installed {
  protected:
    TFormMain& start(const ProgramFolders& f) {
        program_ = std::make_unique<Program>(StartOptions{}, f, dialogs_);
        state_ = &program_->state();
        QCoreApplication::processEvents(); // the start-up messages come once it is shown
        return program_->mainWindow();
    }
    ScriptedDialogs dialogs_;
    std::unique_ptr<Program> program_;
    ProgramState* state_ = nullptr;
};

TEST_F(InstalledWindow, SettingsAreWrittenInTheUsersFolderAndNeverBesideTheProgram) {
    write(bin() + QStringLiteral("../../home/.config/kqm52/application.ini"),
          "[Opties]\nTaal=1\n[Serieel]\nunit_no=7\n");
    TFormMain& w = start(folders());
    EXPECT_EQ(state_->settings.LanguageNo, 1);
    EXPECT_EQ(state_->language.loadedPath(), share() + QStringLiteral("Taal1.ini"));
    w.close();
    EXPECT_TRUE(filesIn(bin()).isEmpty());
    EXPECT_EQ(filesIn(share()),
              (QStringList{"ParNo.txt", "Parameters.txt", "Taal0.ini", "Taal1.ini"}));
    QFile ini(user() + QStringLiteral("application.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray written = ini.readAll();
    EXPECT_TRUE(written.contains("unit_no=7")) << written.constData();
    EXPECT_EQ(written.count('='), 21);
    EXPECT_TRUE(dialogs_.asked().empty());
}

TEST_F(InstalledWindow, AFirstRunMakesTheSettingsFolderAndWritesOnClose) {
    TFormMain& w = start(folders());
    EXPECT_TRUE(QFileInfo(user()).isDir());
    EXPECT_FALSE(QFileInfo::exists(user() + QStringLiteral("application.ini")));
    w.close();
    EXPECT_TRUE(QFileInfo::exists(user() + QStringLiteral("application.ini")));
    EXPECT_TRUE(dialogs_.asked().empty());
}

TEST_F(InstalledWindow, AnUnusableSettingsFolderIsSaidOnceByNameAndTheProgramRuns) {
    const QString blocked = root() + QStringLiteral("blocked");
    write(blocked, "a file where the folder belongs");
    const QString settings = blocked + QStringLiteral("/kqm52/");
    TFormMain& w = start(ProgramFolders::installed(bin(), share(), settings));
    ASSERT_EQ(dialogs_.asked().size(), 1u);
    const QString text = dialogs_.asked()[0].text;
    EXPECT_TRUE(
        text.startsWith(u"De map voor de instellingen "_qs + QDir::toNativeSeparators(settings)))
        << text.toStdString();
    EXPECT_EQ(dialogs_.asked()[0].icon, Dialogs::Icon::Critical);
    // The texts and catalogue are there all the same.
    EXPECT_TRUE(state_->language.LanguageLoaded());
    EXPECT_TRUE(state_->catalogue.parameterDefinitionsPresent());
    w.close();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs_.asked().size(), 1u);
    EXPECT_TRUE(filesIn(bin()).isEmpty());
}

TEST_F(InstalledWindow, AnOwnLanguageFileThatFailsIsReportedInTheInstalledLanguage) {
    write(user() + QStringLiteral("Taal0.ini"), tooLarge());
    start(folders());
    ASSERT_EQ(dialogs_.asked().size(), 1u);
    EXPECT_TRUE(dialogs_.asked()[0].text.startsWith(u"Uw eigen bestand "_qs +
                                                    QDir::toNativeSeparators(user() + "Taal0.ini")))
        << dialogs_.asked()[0].text.toStdString();
    EXPECT_EQ(state_->language.loadedPath(), share() + QStringLiteral("Taal0.ini"));
}

// --- what the About box and the command line say ---------------------------

TEST_F(Installed, TheAboutBoxNamesTheFoldersInUse) {
    LanguageTexts english;
    ASSERT_TRUE(english.TekstFile_Lezen(share(), 1));
    const QString s = QDir::toNativeSeparators(share());
    const QString u = QDir::toNativeSeparators(user());
    const QString b = QDir::toNativeSeparators(bin());
    EXPECT_EQ(AboutBox::folderLines(english, folders()),
              u"Settings: %1\nData files: %1, %2"_qs.arg(u, s));
    EXPECT_EQ(AboutBox::folderLines(english, ProgramFolders::portable(bin())),
              u"Everything in the program's folder (portable).\n"_qs + b);

    TFormAbout box(english, folders());
    box.show();
    // The folders, then what the program can open.
    EXPECT_TRUE(box.LabelMappen->text().startsWith(AboutBox::folderLines(english, folders())));
    for (const char* form : {"/dev/ttyUSB0", "tcp://HOST:PORT", "rfc2217://HOST:PORT"})
        EXPECT_TRUE(box.LabelMappen->text().contains(QLatin1String(form))) << form;
    EXPECT_EQ(box.size(), QSize(TFormAbout::ClientWidth, TFormAbout::ClientHeight));
}

TEST(StartOptionsTest, VersionHelpAndCloseAfterAreRecognised) {
    const struct {
        QStringList args;
        bool version;
        bool help;
        int closeAfter;
        QStringList unknown;
    } cases[] = {
        {{"--version"}, true, false, 0, {}},
        {{"-h"}, false, true, 0, {}},
        {{"--help", "--demo"}, false, true, 0, {}},
        {{"--close-after", "3"}, false, false, 3, {}},
        {{"--close-after=2", "fieldtrim"}, false, false, 2, {}},
        {{"--close-after", "0"}, false, false, 0, {"--close-after", "0"}},
        {{"--close-after", "soon"}, false, false, 0, {"--close-after", "soon"}},
        {{"--close-after"}, false, false, 0, {"--close-after"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const StartOptions o = StartOptions::parse(c.args);
        EXPECT_EQ(o.version, c.version);
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(o.closeAfterSeconds, c.closeAfter);
        EXPECT_EQ(o.unknown, c.unknown);
    }
    // fieldtrim still counts after an option that takes a value.
    EXPECT_TRUE(StartOptions::parse({"--close-after", "1", "fieldtrim"}).fieldtrim);
}

} // namespace
} // namespace kqm52
