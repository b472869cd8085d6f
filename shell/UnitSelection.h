#pragma once

// Opening and closing the link from the main window: on every opening the
// unit in the spin edit is selected ("sc n") and asked who it is ("rt", "rh",
// "rx"), and the answers go to the status bar.  Closing puts the window back
// to its offline look.  Also the error handler that four of the main
// window's components share, which shows link trouble in PanelComInfo.

#include "link/CommTypes.h"
#include "link/HandlerBinding.h"
#include "link/RQ500Protocol.h"
#include "link/RequestSequence.h"
#include "ui/Dialogs.h"

#include <QByteArray>
#include <QString>

namespace kqm52 {

class LiveMonitor;
class ProgramState;
class TZRComm;
class UnitSelectionView;
class LanguageTexts;

class UnitSelection {
  public:
    UnitSelection(ProgramState& state, TZRComm& port, const LanguageTexts& texts,
                  UnitSelectionView& view, Dialogs& dialogs, DialogOwner owner = {});

    void setLiveMonitor(LiveMonitor* monitor) { monitor_ = monitor; }

    void CmdSelectUnitClick();
    void ZRComm1Activate();
    void ZRComm1Deactivate();
    void RQ500UnitSelectCommResult(const QByteArray& result);
    // False when the reply was not the unit's answer to the identification
    // request of this step (another request's, cut short): it is asked again.
    bool RQ500TypeInfoCommResult(const QByteArray& result);
    // Shared by RQ500UnitSelect, RQ500_in, RQ500Protocol1 and RQ500ReadError.
    void RQ500UnitSelectComError(const TCommError& error);

    // What PanelComInfo says about a failed request: words, never bare numbers
    // for a failing driver (an unplugged converter), with the device it concerns.
    static QString linkErrorText(const QString& linkErrorCaption, const TCommError& error,
                                 const QString& device);

    TRQ500Protocol RQ500UnitSelect;
    TRQ500Protocol RQ500TypeInfo;
    HandlerBinding handlers_;

  private:
    // "rt", "rh" or "rx": the request of identification step 0, 1 or 2.
    static QString identificationRequest(int step);

    ProgramState& state_;
    TZRComm& port_;
    const LanguageTexts& texts_;
    UnitSelectionView& view_;
    Dialogs& dialogs_;
    DialogOwner owner_;
    LiveMonitor* monitor_ = nullptr;
    RequestSequence identification_{RQ500TypeInfo};
};

} // namespace kqm52
