#pragma once

// The program's secondary windows.  main creates them after the main window,
// in a fixed order, and hands the set to the main window.  A window that is
// not part of this build stays null; the menu items and buttons that would
// open it are disabled.

#include <QDialog>
#include <QPointer>

namespace kqm52 {

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
};

} // namespace kqm52
