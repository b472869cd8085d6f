#include "shell/BackupRestore.h"

#include "model/engines/ProgramState.h"
#include "model/files/FileProblemText.h"
#include "shell/SecondaryWindows.h"
#include "ui/Dialogs.h"
#include "ui/SendStopText.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace kqm52 {

namespace {

// Message lines are joined by LF CR.
const QString LineBreak = QStringLiteral("\n\r");

} // namespace

QString BackupRestore::text(TextIn<"BackupRestore"> key) const {
    return state_.language.text(key.id());
}

QString BackupRestore::proposedFileName(const QString& deviceType, int unitNumber,
                                        const QDate& date) {
    // Only what is safe in a file name on every system: the type comes from
    // the unit and could hold anything.
    QString type = deviceType.trimmed();
    type.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9-]")), QStringLiteral("_"));
    if (type.isEmpty()) type = QStringLiteral("MX5x");
    return QStringLiteral("%1_unit%2_%3.bak")
        .arg(type)
        .arg(unitNumber, 2, 10, QLatin1Char('0'))
        .arg(date.toString(Qt::ISODate));
}

void BackupRestore::refuse(const QString& languageText, const QString& detail) {
    // The language file's words when it has them, and always the reason:
    // a refusal nobody can read is worse than one in English.
    QString message = languageText;
    if (!detail.isEmpty()) message += (message.isEmpty() ? QString() : LineBreak) + detail;
    dialogs_.error(owner_, QString(), message);
}

void BackupRestore::Backup1Click(TransferWindows& transfers, int unitNumber, const QDate& today) {
    const std::optional<UnitTables> tables = transfers.receive(TableTransfer::Mode::Device);
    if (!tables) return;

    const QString folder = state_.settings.DialogPath;
    const QString proposed = proposedFileName(state_.unit.DeviceType, unitNumber, today);
    const QString path = dialogs_.saveFileName(
        owner_, text("SaveCaption"), folder.isEmpty() ? proposed : QDir(folder).filePath(proposed),
        fileDialogFilter(text("OpenFilter")), QStringLiteral("bak"));
    if (path.isEmpty()) return;
    state_.settings.rememberDialogFolder(path);

    const QString error = BackupFile::write(path, *tables);
    if (!error.isEmpty())
        refuse(QString(),
               state_.language.text(TextId{"BackupRestore", "MsgBackupNotWritten"}) + LineBreak +
                   error + LineBreak +
                   state_.language.text(TextId{"BackupRestore", "MsgBackupOldFileKept"}));
}

void BackupRestore::Restore1Click(TransferWindows& transfers, int unitNumber) {
    const QString path =
        dialogs_.openFileName(owner_, text("OpenCaption"), state_.settings.DialogPath,
                              fileDialogFilter(text("OpenFilter")));
    if (path.isEmpty()) return;
    state_.settings.rememberDialogFolder(path);

    const FileRead<UnitTables> file = BackupFile::read(path);
    if (!file.ok()) {
        const QString languageText =
            file.problem.messageKey.isEmpty() ? QString() : text("OpenMsg2");
        refuse(languageText, fileProblemDetail(state_.language, file.problem));
        return;
    }
    if (!state_.language.LanguageLoaded()) {
        // The question before overwriting a unit has no words without a
        // language file, and a unit is never overwritten unasked.
        refuse(QString(), state_.language.text(TextId{"BackupRestore", "MsgRestoreNoLanguage"}));
        return;
    }
    const LanguageTexts& l = state_.language;
    const UnitTables& tables = *file.tables;
    std::vector<LimitFinding> outside =
        LimitCheck::parameters(state_.catalogue, state_.settings.LanguageNo, tables.parameters);
    for (LimitFinding& f : LimitCheck::setpoints(tables.parameters, tables.setpoints))
        outside.push_back(std::move(f));
    if (!outside.empty() && !dialogs_.confirm(owner_, text("Msg_waarschuwingCaption"),
                                              outOfLimitsQuestion(l, outside, LineBreak)))
        return;
    const QString type = state_.unit.DeviceType.trimmed();
    const QString question = text("Msg_waarschuwingRestore_1") + QStringLiteral("  ") +
                             QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) +
                             LineBreak +
                             l.text(TextId{"BackupRestore", "MsgRestoreUnit"})
                                 .arg(unitNumber)
                                 .arg(type.isEmpty() ? QStringLiteral("?") : type) +
                             LineBreak + text("Msg_waarschuwingRestore_2");
    if (!dialogs_.confirm(owner_, text("Msg_waarschuwingCaption"), question)) return;
    for (;;) {
        const SendReport report = transfers.send(TableTransfer::Mode::Device, tables);
        if (report.complete()) return;
        const QString file = l.text(TextId{"BackupRestore", "MsgRestoreStopped"})
                                 .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
        if (report.refused) {
            // The backup holds a value this unit does not take; sent again it
            // would stop at the same place.  Name it, offer nothing.
            const LimitFinding refused =
                report.refusedIsSetpoint
                    ? LimitCheck::setpoint(tables.parameters, report.refusedNumber,
                                           report.refusedValue)
                    : LimitCheck::parameter(state_.catalogue, state_.settings.LanguageNo,
                                            tables.parameters, report.refusedNumber,
                                            report.refusedValue);
            refuse(QString(), file + LineBreak + sendStopText(l, report) + LineBreak +
                                  refusedValueText(l, refused));
            return;
        }
        // The unit now holds part of the backup.  Say how much, keep the file
        // at hand and offer it again: the user fixes the line and says Yes.
        const QString stopped =
            file + LineBreak + sendStopText(l, report) + LineBreak +
            sendAgainQuestion(l, report, TextId{"BackupRestore", "MsgRestoreAgain"});
        if (!dialogs_.confirm(owner_, text("Msg_waarschuwingCaption"), stopped)) return;
    }
}

bool BackupRestore::ParSollOntvangen1Click(TransferWindows& transfers) {
    const std::optional<UnitTables> tables = transfers.receive(TableTransfer::Mode::Both);
    if (!tables) return false;
    state_.tables.replaceParameters(tables->parameters, ParameterSource::Received);
    state_.tables.replaceSetpoints(tables->setpoints, SetpointSource::Received);
    return true;
}

} // namespace kqm52
