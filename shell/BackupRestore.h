#pragma once

// BackupRestore: the dialogue around a whole unit on file, and the plain
// receive of both tables from the Communicatie menu.  The line work is the
// receive and send windows' (through TransferWindows); this class asks for
// the file, writes or checks it, and asks before a unit is overwritten.  No
// widgets: the owner is only handed on to the dialogs.
//
// Backup leaves the program's tables alone: it files what the unit holds, not
// what the editors show.  Restore sends nothing unless the file is a whole,
// well-marked backup and the user said Yes, and, when it holds values the
// unit would refuse, said Yes to sending them anyway; a restore that stops
// part-way says how far the unit got and offers the same backup again, unless
// the unit refused a value, which it would refuse again.

#include "model/files/BackupFile.h"
#include "model/texts/TextKeys.h"
#include "ui/Dialogs.h"

#include <QDate>
#include <QString>

namespace kqm52 {

class ProgramState;
class TransferWindows;

class BackupRestore {
  public:
    BackupRestore(ProgramState& state, Dialogs& dialogs, DialogOwner owner = {})
        : state_(state), dialogs_(dialogs), owner_(owner) {}

    // The caller switches the live monitor off first: the transfer needs the
    // line to itself.
    void Backup1Click(TransferWindows& transfers, int unitNumber, const QDate& today);
    // The question before it names the file and the unit (its number and
    // the type it reported).
    void Restore1Click(TransferWindows& transfers, int unitNumber);
    // Reads both tables into the program's tables; true when it did.
    bool ParSollOntvangen1Click(TransferWindows& transfers);

    // The name the save dialog proposes: what the file holds and when,
    // "MX52_unit07_2026-12-06.bak"; "MX5x" while the type is unknown.
    static QString proposedFileName(const QString& deviceType, int unitNumber, const QDate& date);

  private:
    QString text(TextIn<"BackupRestore"> key) const;
    void refuse(const QString& languageText, const QString& detail);

    ProgramState& state_;
    Dialogs& dialogs_;
    DialogOwner owner_;
};

} // namespace kqm52
