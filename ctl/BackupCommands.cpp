// kqm52ctl backup and restore: the whole unit in one file.

#include "ctl/CtlRunner.h"

#include "model/files/BackupFile.h"
#include "model/values/LimitCheck.h"

#include <QDir>

namespace kqm52::ctl {

int CtlRunner::backup() {
    if (options_.arguments.size() != 1) return usage(QStringLiteral("backup FILE.bak"));
    const bool folder = writesFolders();
    const QString target = argument(0);
    if (const int e = folder ? prepareFolders(target) : checkTargets({target}, {})) return e;
    return forUnits(
        [&](CtlBus& bus, int unit, const Identity& id) {
            UnitResult r;
            const auto tables = receiveTables(bus, Mode::Device, r.exit, r.error);
            if (!tables) return r;
            const QString file =
                folder ? QDir(targetOf(target, bus.label))
                             .filePath(unitFileName(unit, id.serial, QStringLiteral("bak")))
                       : target;
            const QString error = BackupFile::write(file, *tables);
            if (!error.isEmpty()) {
                r.exit = FileError;
                r.error = error;
                return r;
            }
            bus.link.journal().setFileOfLastEntry(file);
            if (!bus.units) note(bus, text("Wrote").arg(file));
            r.summary = file;
            r.json.insert(QStringLiteral("files"), QJsonArray{file});
            return r;
        },
        folder);
}

int CtlRunner::restore() {
    if (options_.arguments.size() != 1) return usage(QStringLiteral("restore FILE.bak"));
    const QString path = argument(0);
    const auto read = BackupFile::read(path);
    if (!read.ok()) return fail(FileError, fileRefusal(language_, path, read.problem));
    std::vector<LimitFinding> findings =
        LimitCheck::parameters(catalogue_, languageNo_, read.tables->parameters);
    const auto s = LimitCheck::setpoints(read.tables->parameters, read.tables->setpoints);
    findings.insert(findings.end(), s.begin(), s.end());
    if (!findings.empty())
        return fail(Usage, text("FileWouldRefuse").arg(path) + QLatin1Char('\n') +
                               LimitCheck::list(findings, Indent + text("LimitLine"),
                                                Indent + text("AndMore"), QStringLiteral("\n")) +
                               QLatin1Char('\n') + text("NothingSent"));
    if (!options_.yes) {
        if (!context_.inputIsTerminal || !context_.readLine) return usage(text("RestoreNeedsYes"));
        *context_.err
            << text("RestoreQuestion").arg(bus().link.unit()).arg(bus().link.portText(), path)
            << ' ';
        context_.err->flush();
        const std::optional<QString> answer = context_.readLine();
        if (!answer) {
            // Ctrl+C at the question: the user's no, at once.
            *context_.err << '\n';
            return fail(Interrupted, text("NotConfirmed"));
        }
        // Only the yes of the language the question was asked in: a "j"
        // typed at "[y/N]" is not an answer the user was offered.
        const QStringList yes = text("YesWords").split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!yes.contains(answer->trimmed().toLower())) return fail(Usage, text("NotConfirmed"));
    }
    return forUnits(
        [&](CtlBus& bus, int, const Identity&) {
            UnitResult r;
            TableTransfer t(bus.link.port(), TableTransfer::Direction::Send, language_);
            t.setMode(Mode::Device);
            t.tables = *read.tables;
            t.setJournalAction(journal::Action::CtlRestore);
            t.setJournalFile(path);
            r.exit = transfer(bus, t, QStringLiteral("restore"), &r.error);
            if (r.exit == Done) note(bus, text("Restored").arg(t.sendReport().total).arg(path));
            return r;
        },
        false);
}

} // namespace kqm52::ctl
