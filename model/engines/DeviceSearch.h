#pragma once

// The device search without its window: every unit number 0 … 31 probed with
// "sc n" at every speed from the chosen one, optionally under every parity and
// both stop-bit settings; a unit that echoes its probe is asked "rt", "rh" and
// "rx", entered in the list of found units, and the search pauses there.
//
// The probes run on one RequestSequence whose items are the combinations in
// search order; each item puts its line settings on the open port just
// before its probe goes out.  The type requests run on a second sequence on
// their own component.  Nothing here knows a widget, so a command-line tool
// drives the same class with a view of its own.

#include "link/CommTypes.h"
#include "link/RQ500Protocol.h"
#include "link/RequestSequence.h"
#include "link/ZRComm.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace kqm52 {

// One line setting a probe is sent at.
struct SearchCombination {
    int unit = 0;
    TBaudrate baud = TBaudrate::br9600;
    TParityBit parity = TParityBit::None;
    TStopBit stop = TStopBit::sb_1;
    friend bool operator==(const SearchCombination&, const SearchCombination&) = default;
};

// A unit that answered, with what it said and where.
struct FoundUnit {
    SearchCombination at;
    QString typeText; // "rt", "rh" and "rx" side by side, three blanks apart
};

// How the user asked for the search.
struct SearchChoice {
    int startSpeedIndex = 0; // 0 … 4: 9600 … 57600
    bool autoParity = false;
    bool autoStopBits = false;
};

enum class SearchState { Idle, Searching, Found, Halted, Complete };

class LanguageTexts;

// What a window or a command-line tool shows.
class DeviceSearchView {
  public:
    virtual ~DeviceSearchView() = default;
    // A probe goes out at these settings (the status line and the indicators).
    virtual void probing(const SearchCombination& at) = 0;
    // A unit joined the list (its index in found()).
    virtual void unitFound(int index) = 0;
    // State, status text and which controls can be used changed.
    virtual void stateChanged() = 0;
    // An error the user must read in a box: the port could not be opened, or
    // its device has gone away.
    virtual void showError(const QString& caption, const QString& text) = 0;
};

class DeviceSearch {
  public:
    static constexpr int UnitCount = 32;
    static constexpr int SpeedCount = 5;
    // A probe and a type request wait 100 ms for the first byte.
    static constexpr int ProbeTimeoutMs = 100;
    static constexpr int ReplyBuffer = 100;

    // The status texts and the first lines of its boxes come from language
    // (section "AparaatZoeken"), read when shown: a change of language
    // shows at the next state.
    DeviceSearch(TZRComm& port, DeviceSearchView& view, const LanguageTexts& language);
    ~DeviceSearch();
    DeviceSearch(const DeviceSearch&) = delete;
    DeviceSearch& operator=(const DeviceSearch&) = delete;

    // The speeds of the start-speed box, by index.
    static TBaudrate speedOf(int index);
    // Every combination a search goes through, in order.
    static std::vector<SearchCombination> combinations(const SearchChoice& choice,
                                                       TParityBit comParity, TStopBit comStop);
    // The grid's texts: "9600", "Even", "1".
    static QString speedText(TBaudrate b);
    static QString parityText(TParityBit p);
    static QString stopText(TStopBit s);

    // Activation: the port's settings as they are now are what Cancel restores
    // and what the "com" choices mean.
    void activate();
    // Start: a new search from unit 0 at the chosen speed.
    void start(const SearchChoice& choice);
    // Continue from the combination after the one last probed.
    void resume();
    // The search halts when the request under way has answered or failed.
    void stop();
    // OK on entry `index` of found(): closes the port and puts the unit's
    // line settings on it.  Returns the unit number, or nullopt (and does
    // nothing) when there is no such entry.
    std::optional<int> takeOver(int index);
    // Cancel: closes the port and puts back the settings of activation.
    void cancel();

    SearchState state() const { return state_; }
    bool stopRequested() const { return stopRequested_; }
    const QString& statusText() const { return statusText_; }
    const std::vector<FoundUnit>& found() const { return found_; }
    // The combination probed last (or being probed).
    const SearchCombination& current() const { return current_; }
    int probesSent() const { return probesSent_; }
    // The search goes over a raw serial device server: one line setting.
    bool searchesAtServer() const { return atServer_; }
    // Which controls the user can use in the present state.
    bool canStart() const { return state_ != SearchState::Searching; }
    bool canContinue() const {
        return state_ == SearchState::Found || state_ == SearchState::Halted;
    }
    bool canStop() const { return state_ != SearchState::Idle && state_ != SearchState::Complete; }
    bool canTakeOver() const { return !found_.empty(); }

    TRQ500Protocol RQ500ApparaatZoeken;
    TRQ500Protocol ASCIILeesTypeInfo;

  private:
    RequestSequence::Verdict probeReply(int index, const QByteArray& reply);
    void probeFailed(const TCommError& error);
    void typesFinished(RequestSequence::Ending ending);
    // A driver error that means the device itself has gone.
    bool deviceGone(const TCommError& error) const;
    void deviceLost(const TCommError& error);
    void halt();
    void complete();
    // text: the status text PanelTekst0 … PanelTekst3 (searching, stopped,
    // ended, found).
    void setState(SearchState state, int text);
    void applyLine(const SearchCombination& c);
    void closeAndSet(TBaudrate baud, TParityBit parity, TStopBit stop);
    void abortAll();

    TZRComm& port_;
    DeviceSearchView& view_;
    const LanguageTexts& language_;
    RequestSequence probes_{RQ500ApparaatZoeken};
    RequestSequence types_{ASCIILeesTypeInfo};
    std::vector<SearchCombination> plan_;
    std::vector<FoundUnit> found_;
    SearchCombination current_;
    QString typeText_;
    QString statusText_;
    SearchState state_ = SearchState::Idle;
    bool stopRequested_ = false;
    bool unitAnswered_ = false; // the paused probe found a unit (not a stop)
    int probesSent_ = 0;
    TBaudrate savedBaud_ = TBaudrate::br9600;
    TParityBit savedParity_ = TParityBit::Even;
    TStopBit savedStop_ = TStopBit::sb_1;
    bool atServer_ = false;
};

} // namespace kqm52
