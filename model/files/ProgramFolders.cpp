#include "model/files/ProgramFolders.h"

#include "model/texts/LanguageTexts.h"
#include "model/values/ParameterCatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

namespace kqm52 {

namespace {

QString withSeparator(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

// "" stays "": the working folder, as a reader that appends a name sees it.
QString cleanFolder(const QString& folder) {
    return folder.isEmpty() ? folder : withSeparator(QDir::cleanPath(folder));
}

bool holds(const QString& folder, const QString& name, Qt::CaseSensitivity cs) {
    const QString exact = folder + name;
    if (QFileInfo(exact).isFile()) return true;
    if (cs == Qt::CaseSensitive) return false;
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    // Name filters compare without regard to case unless told otherwise.
    return !dir.entryList({name}, QDir::Files).isEmpty();
}

// A folder that holds any of these has been set up to run the program from:
// the data files copied beside it, or the settings of an earlier run.
bool holdsProgramFiles(const QString& folder) {
    QStringList names{ParameterCatalogue::definitionFileName(),
                      ParameterCatalogue::numberFileName(), ProgramFolders::settingsFileName()};
    for (int language = 0; language < 3; ++language)
        names << LanguageTexts::fileName(language);
    // One listing for all of them: an installed program's folder is
    // /usr/bin, thousands of names long.
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    return !dir.entryList(names, QDir::Files).isEmpty();
}

} // namespace

ProgramFolders ProgramFolders::portable(const QString& programDir) {
    ProgramFolders f;
    f.portable_ = true;
    f.programDir_ = cleanFolder(programDir);
    f.settingsDir_ = f.programDir_;
    f.dataDir_ = f.programDir_;
    f.journalDir_ = f.programDir_;
    return f;
}

ProgramFolders ProgramFolders::installed(const QString& programDir, const QString& dataDir,
                                         const QString& userDir, const QString& journalDir) {
    ProgramFolders f;
    f.portable_ = false;
    f.programDir_ = cleanFolder(programDir);
    f.settingsDir_ = cleanFolder(userDir);
    f.dataDir_ = cleanFolder(dataDir);
    f.journalDir_ = cleanFolder(journalDir);
    return f;
}

ProgramFolders ProgramFolders::decide(const QString& programDir, const QString& userDir,
                                      bool programDirWritable) {
    const QString dir = cleanFolder(programDir);
    const bool besideProgram = holdsProgramFiles(dir);
    if (besideProgram && programDirWritable) return portable(dir);
    // Data files beside a program the user cannot write (a shared folder, an
    // unpacked copy made read-only) are read from there; only the settings
    // move to the user.
    if (besideProgram) return installed(dir, dir, userDir);
    return installed(dir, dir + QStringLiteral("../share/kqm52/"), userDir);
}

QString ProgramFolders::userConfigFolder() {
    // GenericConfigLocation and our own name rather than AppConfigLocation:
    // that one follows the running program's name, and kqm52ctl must find
    // what kqm52 wrote.  For kqm52 both are the same folder.
    return withSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) +
           QStringLiteral("kqm52/");
}

QString ProgramFolders::userDataFolder() {
    return withSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
           QStringLiteral("kqm52/");
}

QString ProgramFolders::journalPath() const {
    return journalDir_ + QStringLiteral("journal.sqlite");
}

ProgramFolders ProgramFolders::ofRunningProgram() {
    const QString dir = withSeparator(QDir(QCoreApplication::applicationDirPath()).absolutePath());
    return decide(dir, userConfigFolder(), QFileInfo(dir).isWritable());
}

QString ProgramFolders::settingsPath() const {
    return settingsDir_ + settingsFileName();
}

QStringList ProgramFolders::dataDirs() const {
    if (portable_ || settingsDir_ == dataDir_) return {dataDir_};
    return {settingsDir_, dataDir_};
}

QStringList ProgramFolders::foldersHolding(const QString& name, Qt::CaseSensitivity cs) const {
    QStringList found;
    for (const QString& folder : dataDirs())
        if (holds(folder, name, cs)) found << folder;
    return found;
}

QString ProgramFolders::dataFolder(const QString& name, Qt::CaseSensitivity cs) const {
    const QStringList found = foldersHolding(name, cs);
    return found.isEmpty() ? dataDir_ : found.front();
}

bool ProgramFolders::isUserFolder(const QString& folder) const {
    return !portable_ && folder == settingsDir_ && settingsDir_ != dataDir_;
}

bool ProgramFolders::prepareSettingsFolder(QString* reason) const {
    if (portable_) return true;
    auto fail = [reason](int error) {
        if (reason) *reason = QString::fromLocal8Bit(std::strerror(error));
        return false;
    };
    // Without the trailing separator: "file/" is not found as the file it names.
    const QFileInfo info(QDir::cleanPath(settingsDir_));
    if (info.exists() && !info.isDir()) return fail(ENOTDIR);
    errno = 0;
    if (!info.exists() && !QDir().mkpath(settingsDir_)) return fail(errno ? errno : EACCES);
    if (!QFileInfo(settingsDir_).isWritable()) return fail(EACCES);
    return true;
}

} // namespace kqm52
