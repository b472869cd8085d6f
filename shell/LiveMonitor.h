#pragma once

// The main window's live view of the unit: actual values, digital I/O and
// thumbwheels, each switched by its own button, and the error number polled
// once a second.  Every group polls through its own components, so their
// requests take turns on the line and the window never waits.

#include "link/RQ500Protocol.h"

#include <QByteArray>
#include <QColor>
#include <QString>

class QLabel;

namespace kqm52 {

class ProgramState;
class TFormMain;
class UnitSelection;

class LiveMonitor {
public:
    LiveMonitor(TFormMain& window, ProgramState& state, UnitSelection& unit);

    static QColor activeColour() { return QColor(255, 255, 151); }

    // The three toggles.
    void ActualActief();
    void InUitActief();
    void DuimwielActief();
    // Switches every group that is on off, before a window that needs the line.
    void switchOff();
    // After the port has closed: everything back to the offline look.
    void resetOffline();

    void Timer1Timer();
    void CmdResetErrorClick();

    // Reply handlers.
    void valueResult(QLabel* panel, const QByteArray& result, int bufferSize, int decimals,
                     const QString& unit);
    void RQ500Analoog_in_AWECommResult(const QByteArray& result);
    void RQ500_inCommResult(const QByteArray& result);
    void RQ500_uitCommResult(const QByteArray& result);
    void RQ500DuimwielCommResult(const QByteArray& result);
    void RQ500DuimwielCommError();
    void RQ500ReadErrorCommResult(const QByteArray& result);

    TRQ500Protocol RQ500ActPos, RQ500Snelheid, RQ500Spanning_uit, RQ500Stroom_uit,
        RQ500Spanning_in, RQ500Stroom_in, RQ500Analoog_in_AWE, RQ500_in, RQ500_uit, RQ500Duimwiel,
        RQ500ReadError, RQ500ResetError;

    const QString& errorDots() const { return errorDots_; }

private:
    void setup(TRQ500Protocol& c, const char* name);
    // Panel colour: pale yellow while polled, the window face otherwise.
    static void colour(QLabel* panel, bool active);
    void numeric(TRQ500Protocol& c, QLabel* panel, int bufferSize, int decimals, const char* unit);
    bool transferWindowIsActive() const;

    TFormMain& window_;
    ProgramState& state_;
    UnitSelection& unit_;
    QString errorDots_;
};

} // namespace kqm52
