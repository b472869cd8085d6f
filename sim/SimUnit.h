#pragma once

// SimUnit: one simulated MX5x controller, shaped like a Modbus server core: a
// request line goes in, a reply (or silence) comes out, and time is a number
// handed in with it.  No transport, no thread, no lock: SimBus puts units on
// a line and guards them; tests drive a unit directly.
//
// The protocol: a request is text up to CR; words are
// separated by blanks; the reply repeats the command word and the arguments
// with single blanks, a read adds a blank and the value, and every reply ends
// with CR LF.
//
// Selection: "sc n" selects unit n, which answers "sc n"; every other unit
// deselects itself and stays silent.  Only a selected unit answers anything
// else.  A unit powers up selected, so a lone unit answers at once; two
// selected units on the same line answer together and collide (SimBus).
//
// Our error codes ("er n"):
//   1  unknown command word
//   2  wrong number of arguments, or an argument that is not a decimal
//      32-bit integer
//   3  number out of range: parameter (0..399), setpoint (1..48), thumbwheel
//      (1..4), calibration item (kr: 2028..2031, 2034..2045; kw: 2034..2045),
//      "km" other than 0/1, "kf" other than 0..2
//   4  request line longer than 80 characters
//   5  calibration command (kw, kf, ka, ks) while calibration mode is off
//   6  "ka" while no DA output is under calibration ("kf 0")
//   7  write refused: value outside the parameter's or constant's limits, a
//      read-only item (teach values 2028..2031), or the refuse-writes fault
//
// "bp" rule: the unit checks its parameters and answers "bp -1" when they are
// consistent, else "bp " and the lowest-numbered offending parameter, where a
// parameter offends when
//   - its value lies outside its catalogue limits (possible after a state file
//     or a new Parameters.txt), or, for every cam n (1..24) whose function
//     (parameter 255+n) is above 0:
//   - its output (351+n) is not 1..4: parameter 351+n offends;
//   - its start selector (303+n) is not 0..52: parameter 303+n offends;
//   - its end selector (327+n) is not 0..52: parameter 327+n offends;
//   - both selectors are 0 and its start (6+n) equals its end (30+n): a cam of
//     no length; parameter 6+n offends.
// The fail-bp fault answers "bp -2" when the rule finds nothing.

#include "link/SerialDriver.h"
#include "sim/SimCatalogue.h"
#include "sim/SimClock.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdint>
#include <limits>
#include <optional>

namespace kqm52 {

// Faults a unit can be told to show; all off by default.
struct SimFaults {
    enum class WrongWord { Off, Once, Always };

    bool noAnswer = false;                // silence, even to "sc"
    int lateMs = 0;                       // > 0: the reply starts this long after the request
    bool timingOnce = false;              // lateMs and pauseMs: only for the next reply
    QByteArray timingWord{};              // lateMs and pauseMs: only for this request word
    bool garbled = false;                 // every byte after "xx " up to CR LF has bit 4 flipped
    WrongWord wrongWord = WrongWord::Off; // second letter of the echoed word + 1 ("rp" -> "rq")
    // The echo names the next item: its first number + 1 ("rp 7" answers
    // "rp 8 …"), the value untouched.  Only replies that echo a number.
    WrongWord wrongNumber = WrongWord::Off;
    bool refuseWrites = false; // "er 7" to every wp, ws and kw
    bool failBp = false;       // "bp" never answers "bp -1"
    int pauseMs = 0;           // > 0: a pause this long after the first half of a reply
    bool longReply = false;    // the reply text is padded with " ###…" to 110 bytes
    // > 0: a unit that needs the silence after its reply: for this long after
    // its last reply byte it is not listening, and a request that starts then
    // is lost whole (no reply).  Without the fault a unit listens right away.
    int notReadyMs = 0;
    // > 0: the reply runs on into this many bytes of noise with no pause, as a
    // converter with a loose ground does: a line that does not fall silent.
    int chatterBytes = 0;
    // > 0: a line that never falls silent at a slow byte rate: the reply
    // trickles out one byte every this many milliseconds and runs on into
    // noise at that pace for a minute, each byte well inside the silence
    // that would end it.
    int dripMs = 0;
    // Bytes a noisy line puts into every reply, just before its line end
    // (NUL, 0xFF).
    QByteArray noise{};
    // In-process only (SimDriver; a pty cannot carry them):
    std::uint32_t lineErrors = 0; // LineErrorFlag bits that come with every reply byte
    int driverError = 0;          // errno: the driver call that reads the reply fails
    bool vanish = false;          // the device goes away after half the reply (one-shot)

    bool any() const {
        return noAnswer || lateMs > 0 || garbled || wrongWord != WrongWord::Off ||
               wrongNumber != WrongWord::Off || refuseWrites || failBp || pauseMs > 0 ||
               longReply || notReadyMs > 0 || lineErrors || driverError || vanish ||
               chatterBytes > 0 || dripMs > 0 || !noise.isEmpty();
    }
};

// What a unit puts on the line after a request.
struct SimReply {
    QByteArray bytes;    // empty: the unit stays silent
    SimNanos delay = 0;  // end of the request's CR to the start of the first byte
    int pauseAfter = -1; // a pause follows this many bytes
    SimNanos pause = 0;
    SimNanos gap = 0;             // between every two bytes, beyond their line time
    std::uint32_t lineErrors = 0; // flags the host's UART sees with every byte
    int driverError = 0;          // the host's read of the first byte fails with this errno
    int vanishAfter = -1;         // the device disappears after this many bytes
    bool silent() const { return bytes.isEmpty(); }
};

// The axis: position and velocity are closed-form functions of time, so a
// test can compute what "r0" and "r1" will say.  The velocity swings around
// its base value: v(t) = base + amplitude * sin(2 pi t / period), in position
// units per second; the position is the integral of it, modulo `modulo`.
struct SimAxis {
    bool moving = true;
    std::int32_t modulo = 36000;
    double baseVelocity = 3000.0;
    double amplitude = 600.0;
    double periodSeconds = 20.0;
    std::int32_t startPosition = 0;
};

class SimUnit {
  public:
    static constexpr int TeachFirst = 2028, TeachLast = 2031;
    static constexpr int CalFirst = 2034, CalLast = 2045;
    static constexpr int CalCount = CalLast - CalFirst + 1;
    static constexpr int MaxLine = 80;
    static constexpr SimNanos DefaultTurnaround = simMs(2);

    SimUnit(int number, const LineState& line, const SimCatalogue& catalogue = {});

    int number() const { return number_; }
    void setNumber(int n) { number_ = n; }
    const LineState& line() const { return line_; }
    void setLine(const LineState& line) { line_ = line; }
    SimNanos turnaround() const { return turnaround_; }
    void setTurnaround(SimNanos t) { turnaround_ = t; }
    SimFaults& faults() { return faults_; }
    const SimFaults& faults() const { return faults_; }
    SimAxis& axis() { return axis_; }
    const SimAxis& axis() const { return axis_; }
    const SimCatalogue& catalogue() const { return catalogue_; }

    // Identity texts, answered after "rt ", "rh ", "rx ".
    QByteArray typeText = "MX52 Nokkenregelaar V3.07";
    QByteArray hardwareText; // "HW 2.1 SN 5200nn" by default
    QByteArray extraText = "KQM52 simulator";

    // The UART and line buffer: one received byte at time t.  Returns the reply
    // when the byte ends a request line (CR).  LF and other control characters
    // are ignored, so a terminal's CR LF works.
    std::optional<SimReply> receiveByte(std::uint8_t byte, SimNanos t);
    // A character the unit could not decode (sent at other line settings): the
    // UART flags it and the unit drops the line gathered so far.
    void lineNoise() {
        pending_.clear();
        overflow_ = false;
    }
    // The bus tells the unit when the last byte of its reply left it.
    void replyEnded(SimNanos t) { replyEnd_ = std::max(replyEnd_, t); }

    // The device core: one request line (without its CR) in, one reply out,
    // with the faults applied.
    SimReply process(const QByteArray& line, SimNanos t);

    // State, for tests, the state file and the demo bus.
    std::int32_t parameter(int p) const { return params_[p]; }
    // Within the catalogue's limits only; false (and unchanged) otherwise.
    bool setParameter(int p, std::int64_t v);
    void forceParameter(int p, std::int32_t v) { params_[p] = v; }
    std::int32_t setpoint(int s) const { return setpoints_[s - 1]; } // 1..48
    void setSetpoint(int s, std::int32_t v) { setpoints_[s - 1] = v; }
    std::int32_t calibration(int number) const { return cal_[number - CalFirst]; }
    void setCalibration(int number, std::int32_t v) { cal_[number - CalFirst] = v; }
    std::int32_t eeprom(int number) const { return eeprom_[number - CalFirst]; }
    void setEeprom(int number, std::int32_t v) { eeprom_[number - CalFirst] = v; }
    static bool calibrationAllows(int number, std::int64_t v);
    bool calibrationMode() const { return calMode_; }
    int daSelect() const { return daSelect_; }
    std::int32_t testValue() const { return testValue_; }
    std::int32_t thumbwheel(int i) const { return thumbwheels_[i - 1]; } // 1..4
    void setThumbwheel(int i, std::int32_t v) { thumbwheels_[i - 1] = v; }
    int errorNumber() const { return error_; } // -1: none
    void setErrorNumber(int e) { error_ = e; }
    bool selected() const { return selected_; }
    void setSelected(bool s) { selected_ = s; }
    // Pins the digital inputs to a pattern (nullopt: they change by themselves).
    void setInputs(std::optional<int> bits) { forcedInputs_ = bits; }
    // Whether parameters, setpoints or the EEPROM changed since the flag was cleared.
    bool dirty() const { return dirty_; }
    void clearDirty() { dirty_ = false; }

    // Back to factory defaults: parameters from the catalogue, setpoints 0,
    // constants and EEPROM 0.
    void factoryReset();
    // Power off and on: RAM constants from the EEPROM, calibration mode off,
    // selected, no error, line buffer empty.
    void powerCycle();

    // Live values at time t (what r0 … r6, ri, ru answer).
    std::int32_t position(SimNanos t) const;
    std::int32_t velocity(SimNanos t) const;
    int inputs(SimNanos t) const;
    int outputs(SimNanos t) const;
    std::int32_t analogOutVoltage(SimNanos t) const; // r2, 1/10000 V
    std::int32_t analogOutCurrent(SimNanos t) const; // r3, 1/10000 mA
    std::int32_t analogInVoltage(SimNanos t) const;  // r4, 1/10000 V
    std::int32_t analogInCurrent(SimNanos t) const;  // r5, 1/10000 mA
    std::int32_t analogInAwe(SimNanos t) const;      // r6, ADC counts
    std::int32_t teachValue(int number) const;       // 2028 … 2031

    // The "bp" rule above: -1, or the first offending parameter.
    int checkParameters() const;
    // Whether cam n (1..24) is on at position pos; false for an unused or
    // inconsistent cam.
    bool camOn(int n, std::int32_t pos) const;

  private:
    QByteArray answer(const QList<QByteArray>& words, SimNanos t);
    std::optional<std::int32_t> selectorValue(int selector, std::int32_t own) const;

    int number_;
    LineState line_;
    SimCatalogue catalogue_;
    SimNanos turnaround_ = DefaultTurnaround;
    SimFaults faults_;
    SimAxis axis_;
    SimNanos replyEnd_ = std::numeric_limits<SimNanos>::min() / 2; // not replied yet
    bool deaf_ = false; // dropping a request that began while not listening

    std::array<std::int32_t, SimParameterCount> params_{};
    std::array<std::int32_t, SimSetpointCount> setpoints_{};
    std::array<std::int32_t, CalCount> cal_{};
    std::array<std::int32_t, CalCount> eeprom_{};
    std::array<std::int32_t, 4> thumbwheels_{};
    bool calMode_ = false;
    int daSelect_ = 0;
    std::int32_t testValue_ = 0;
    int error_ = -1;
    bool selected_ = true;
    std::optional<int> forcedInputs_;
    bool dirty_ = false;

    QByteArray pending_;
    bool overflow_ = false;
};

} // namespace kqm52
