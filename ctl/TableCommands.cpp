// kqm52ctl receive and send: whole tables to and from files.

#include "ctl/CtlRunner.h"

#include "model/files/ParameterFile.h"
#include "model/files/SetpointFile.h"
#include "model/values/LimitCheck.h"

#include <QDir>

namespace kqm52::ctl {

int CtlRunner::receive() {
    const QString kind = argument(0);
    const std::optional<Mode> chosen = modeNamed(kind);
    if (!chosen || options_.arguments.size() != 2)
        return usage(QStringLiteral("receive params|setpoints|all FILE"));
    const Mode mode = *chosen;
    const bool folder = writesFolders();
    const QString target = argument(1);
    const QStringList single =
        mode == Mode::Both ? QStringList{baseName(target) + ".mxp", baseName(target) + ".mxs"}
                           : QStringList{target};
    if (const int e = folder ? prepareFolders(target) : checkTargets(single, {})) return e;
    return forUnits(
        [&](CtlBus& bus, int unit, const Identity& id) {
            UnitResult r;
            const auto tables = receiveTables(bus, mode, r.exit, r.error);
            if (!tables) return r;
            QStringList files;
            if (folder) {
                const QString base =
                    QDir(targetOf(target, bus.label)).filePath(unitFileBase(unit, id.serial));
                if (mode != Mode::Setpoints) files << base + QStringLiteral(".mxp");
                if (mode != Mode::Parameters) files << base + QStringLiteral(".mxs");
            } else if (mode == Mode::Both) {
                files << baseName(target) + QStringLiteral(".mxp")
                      << baseName(target) + QStringLiteral(".mxs");
            } else {
                files << target;
            }
            for (int i = 0; i < files.size(); ++i) {
                const bool setpoints = mode == Mode::Setpoints || (mode == Mode::Both && i == 1);
                const QString error =
                    setpoints ? SetpointFile::write(files[i], tables->setpoints, unit)
                              : ParameterFile::write(files[i], tables->parameters, unit);
                if (!error.isEmpty()) {
                    r.exit = FileError;
                    r.error = error;
                    return r;
                }
                // The read's entry names its first file (the parameters of "all").
                if (i == 0) bus.link.journal().setFileOfLastEntry(files[i]);
                if (!bus.units) note(bus, text("Wrote").arg(files[i]));
            }
            r.summary = files.join(QStringLiteral(", "));
            r.json.insert(QStringLiteral("files"), QJsonArray::fromStringList(files));
            return r;
        },
        folder);
}

int CtlRunner::send() {
    const QString kind = argument(0);
    const std::optional<Mode> chosen = modeNamed(kind);
    if (!chosen || options_.arguments.size() != 2)
        return usage(QStringLiteral("send params|setpoints|all FILE"));
    const Mode mode = *chosen;
    const QString path = argument(1);
    UnitTables tables;
    const QString paramPath = mode == Mode::Both ? baseName(path) + QStringLiteral(".mxp") : path;
    const QString setpointPath =
        mode == Mode::Both ? baseName(path) + QStringLiteral(".mxs") : path;
    if (mode != Mode::Setpoints) {
        const auto read = ParameterFile::read(paramPath);
        if (!read.ok()) return fail(FileError, fileRefusal(language_, paramPath, read.problem));
        tables.parameters = *read.tables;
    }
    if (mode != Mode::Parameters) {
        const auto read = SetpointFile::read(setpointPath);
        if (!read.ok()) return fail(FileError, fileRefusal(language_, setpointPath, read.problem));
        tables.setpoints = *read.tables;
    }
    std::vector<LimitFinding> findings;
    if (mode != Mode::Setpoints)
        findings = LimitCheck::parameters(catalogue_, languageNo_, tables.parameters);
    if (mode != Mode::Parameters) {
        const auto s = LimitCheck::setpoints(tables.parameters, tables.setpoints);
        findings.insert(findings.end(), s.begin(), s.end());
    }
    if (!findings.empty())
        return fail(Usage, text("WouldRefuse") + QLatin1Char('\n') +
                               LimitCheck::list(findings, Indent + text("LimitLine"),
                                                Indent + text("AndMore"), QStringLiteral("\n")) +
                               QLatin1Char('\n') + text("NothingSent"));
    return forUnits(
        [&](CtlBus& bus, int, const Identity&) {
            UnitResult r;
            TableTransfer t(bus.link.port(), TableTransfer::Direction::Send, language_);
            t.setMode(mode);
            t.tables = tables;
            t.setJournalAction(journal::Action::CtlSend);
            t.setJournalFile(mode == Mode::Setpoints ? setpointPath : paramPath);
            r.exit = transfer(bus, t, QStringLiteral("send"), &r.error);
            if (r.exit == Done) note(bus, text("SentValues").arg(t.sendReport().total));
            return r;
        },
        false);
}

} // namespace kqm52::ctl
