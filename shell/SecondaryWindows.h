#pragma once

// The program's secondary windows.  main creates them after the main window,
// in a fixed order, and hands the set to the main window.  A window that is
// not part of this build stays null; the menu items and buttons that would
// open it are disabled.

#include "params/model/TableTransfer.h"

#include <QDialog>
#include <QPointer>

#include <optional>

namespace kqm52 {

// The receive and send windows as the main window drives them: it cannot see
// their classes, only this.  Modes as the windows take them (0 parameters,
// 1 setpoints, 2 both, 3 a whole unit).
class TransferWindows {
  public:
    virtual ~TransferWindows() = default;
    // Runs the receive window; the tables it read when it ended with OK.
    virtual std::optional<UnitTables> receive(int mode) = 0;
    // Runs the send window on these tables; how far it got and whether the
    // user closed it with OK.
    virtual SendReport send(int mode, const UnitTables& tables) = 0;
};

struct SecondaryWindows {
    QPointer<QDialog> FormAbout;
    QPointer<QDialog> FormEditParam;
    QPointer<QDialog> FormOpties;
    QPointer<QDialog> FormInitSerial;
    QPointer<QDialog> FormParamService;
    QPointer<QDialog> FormEditSollwerten;
    QPointer<QDialog> FormDisplayNokken;
    QPointer<QDialog> FormLeesParSoll;
    QPointer<QDialog> FormApparaatZoeken;
    QPointer<QDialog> FormSchrijfParSoll;
    QPointer<QWidget> FormInfoErrorNummers; // the one window shown without being modal
    QPointer<QDialog> FormParLoader;
    QPointer<QDialog> FormCalibratie;
    QPointer<QDialog> FormAfdrukkenPar;
    QPointer<QDialog> FormAfdrukkenSoll;
    QPointer<QDialog> FormGrafiek;
    // Drives FormLeesParSoll and FormSchrijfParSoll; null while they are not
    // part of the build.
    TransferWindows* transfers = nullptr;
};

} // namespace kqm52
