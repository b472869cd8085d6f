#pragma once

// The main window's live view of the unit: actual values, digital I/O and
// thumbwheels, each switched by its own button, and the error number polled
// once a second.  Every group polls through its own components, so their
// requests take turns on the line and the window never waits.
//
// This is the logic only: what each panel shows, in which colour, and which
// request goes when.  The window (LiveMonitorView) puts it on its widgets.

#include "link/HandlerBinding.h"
#include "link/RQ500Protocol.h"
#include "link/RequestSequence.h"
#include "link/UnitProtocol.h"
#include "shell/OnlineView.h"

#include <QByteArray>
#include <QColor>
#include <QString>

namespace kqm52 {

class ProgramState;
class TZRComm;
class UnitSelection;
class LanguageTexts;

class LiveMonitor {
  public:
    LiveMonitor(ProgramState& state, TZRComm& port, const LanguageTexts& texts,
                LiveMonitorView& view, UnitSelection& unit);

    // Pale yellow: the panel is being polled.
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
    void valueResult(MonitorPanel panel, const unit::Reply& reply, int decimals,
                     const QString& unit);
    void RQ500Analoog_in_AWECommResult(const QByteArray& result);
    void RQ500_inCommResult(const QByteArray& result);
    void RQ500_uitCommResult(const QByteArray& result);
    void RQ500DuimwielCommResult(const QByteArray& result);
    void RQ500DuimwielCommError();
    void RQ500ReadErrorCommResult(const QByteArray& result);

    TRQ500Protocol RQ500ActPos, RQ500Snelheid, RQ500Spanning_uit, RQ500Stroom_uit, RQ500Spanning_in,
        RQ500Stroom_in, RQ500Analoog_in_AWE, RQ500_in, RQ500_uit, RQ500Duimwiel, RQ500ReadError,
        RQ500ResetError;

    const QString& errorDots() const { return errorDots_; }

  private:
    HandlerBinding handlers_;
    void setup(TRQ500Protocol& c, const char* name);
    void colour(MonitorPanel panel, bool active);
    void numeric(TRQ500Protocol& c, MonitorPanel panel, int bufferSize, int decimals,
                 const char* unit);

    ProgramState& state_;
    TZRComm& port_;
    const LanguageTexts& texts_;
    LiveMonitorView& view_;
    UnitSelection& unit_;
    QString errorDots_;
    // "rd 1" … "rd 4" and round again, one at a time, while every one is answered.
    RequestSequence thumbwheels_{RQ500Duimwiel};
};

} // namespace kqm52
