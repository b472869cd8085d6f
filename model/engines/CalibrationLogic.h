#pragma once

// The analog calibration without its window: reading the twelve constants and
// the four DA teach values, writing a constant while the unit is in
// calibration mode, the test values, mode and output selection, storing in
// EEPROM, and the live voltage and current input readings.
//
// The window's state follows the unit's replies, never the button presses: a
// command that gets no answer changes nothing.  The commands of the window go
// out one after another in the order they were given, each on the engine, so
// two quick changes of a spin edit put two "kw" on the line, not the last one
// twice.

#include "link/CommTypes.h"
#include "link/HandlerBinding.h"
#include "link/RQ500Protocol.h"
#include "link/RequestSequence.h"
#include "link/UnitProtocol.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <deque>
#include <optional>

namespace kqm52 {

class LanguageTexts;
class TZRComm;

namespace calibration {

constexpr int ConstantCount = 12;
// The order the constants are read in, which is also the order of the
// window's spin edits: DA voltage, DA current, AD voltage, AD current.
constexpr std::array<int, ConstantCount> ReadOrder{2041, 2042, 2040, 2043, 2044, 2045,
                                                   2034, 2035, 2036, 2037, 2038, 2039};
constexpr std::array<int, 4> TeachNumbers{2028, 2029, 2030, 2031};
constexpr int ReplyBuffer = 100;

// Index of a constant's number in ReadOrder, or -1.
int indexOf(int number);

// The values a constant's field takes.  The offsets are bounded only by the
// 32-bit value on the wire.
struct Limits {
    int min;
    int max;
};
Limits limitsOf(int number);
// The field as the window labels it: its group and its row ("DA Spanning
// Gain +").
QString fieldName(int number);

} // namespace calibration

// What the window shows apart from the spin edits.
struct CalibrationControls {
    bool daVoltage = false; // GroupBox1
    bool daCurrent = false; // GroupBox2
    bool adGroups = false;  // GroupBox5, GroupBox6
    bool daSelect = false;  // GroupBox4 and its buttons
    bool eeprom = false;
    QString panel1;
    bool panel1Red = false;
    bool voltageOn = false;
    bool currentOn = false;
    QString panel2; // live voltage input
    QString panel3; // live current input
    std::array<QString, 4> teach;
    // By ReadOrder: the constant's value came from the unit.  A field whose
    // value never arrived shows no value and cannot be edited.
    std::array<bool, calibration::ConstantCount> known{};
};

class CalibrationView {
  public:
    virtual ~CalibrationView() = default;
    // Puts a read value in the constant's spin edit, as it is, also outside
    // the field's limits, and returns what the spin edit holds then.
    virtual int showConstant(int number, int value) = 0;
    // The constant's spin edit as it is now.
    virtual int constantValue(int number) const = 0;
    virtual void controlsChanged() = 0;
};

class CalibrationLogic {
  public:
    CalibrationLogic(TZRComm& port, const LanguageTexts& texts, CalibrationView& view);
    ~CalibrationLogic();
    CalibrationLogic(const CalibrationLogic&) = delete;
    CalibrationLogic& operator=(const CalibrationLogic&) = delete;

    // FormActivate: everything editable off, then the constants are read.
    void activate();
    // A constant's spin edit changed (by the user).  A value outside the
    // field's limits is refused: nothing goes out.
    void constantChanged(int number, int value);
    // The user typed a value a field cannot take; it was not sent and the
    // window says so.
    void entryRefused(const QString& field, const QString& typed, calibration::Limits limits);
    void constantRefused(int number, const QString& typed) {
        entryRefused(calibration::fieldName(number), typed, calibration::limitsOf(number));
    }
    // Test values: the voltage value as it is, the current one halved.
    void setVoltage(int value);
    void setCurrent(int value);
    void CmdSetKalibtatieModeClick();
    void CmdResCalibtatieModeClick();
    void CmdSet_U_actiefClick();
    void CmdSet_I_actiefClick();
    void CmdSet_I_InActiefClick();
    void CmdSaveToEEPROMClick();
    void cmd_LeesDAC_TeachClick();
    void CmdAct_U_ADClick();
    void CmdAct_I_ADClick();
    // FormClose: the readings stop.  True when the user must be asked first.
    bool sentNotSaved() const { return sentNotSaved_; }
    void close();

    const CalibrationControls& controls() const { return controls_; }
    bool writesEnabled() const { return writesEnabled_; }
    int savedValue(int number) const;
    // A chain or a command is under way or waiting.
    bool busy() const {
        return constants_.running() || teach_.running() || commands_.running() || !pending_.empty();
    }

    TRQ500Protocol RQ500Kalibratie;
    TRQ500Protocol RQ500LeesKalibratieWaarden;
    TRQ500Protocol RQ500Lees_U_AD;
    TRQ500Protocol RQ500Lees_I_AD;
    TRQ500Protocol RQ500Lees_DAC_TeachWaarden;
    HandlerBinding handlers_;

    // `request` is what the reply answers, when known.  False when the reply
    // confirmed nothing: too long, or a write echo about another constant.
    bool RQ500KalibratieCommResult(const QByteArray& reply, const QString& request = {});
    void RQ500KalibratieCommError(const TCommError& error);
    void RQ500Lees_U_ADCommResult(const QByteArray& reply);
    void RQ500Lees_I_ADCommResult(const QByteArray& reply);

  private:
    enum class Reading { None, Voltage, Current };

    void send(const QString& command);
    void sendNextCommand();
    RequestSequence::Verdict constantRead(int index, const QByteArray& reply);
    RequestSequence::Verdict teachRead(int index, const QByteArray& reply);
    void showReply(const unit::Reply& reply);
    // The value of a calibration read, after the reply was shown; none, with
    // the reason shown, for a reply that is no answer to this request.
    std::optional<qint32> calibrationValue(const QString& request, const QByteArray& bytes);
    void showUnreadable(const unit::Reply& reply);
    void showTooLong(const unit::Reply& reply);
    void showNotAsked(const QString& request, const unit::Reply& reply);
    void showLinkError(const QString& text);
    QString commErrorText() const;
    QString linkErrorText(const TCommError& error) const;
    void switchReading(Reading reading);
    void readingError(Reading reading, const TCommError& error);
    void readingOff();
    void startPolling();
    void changed();

    TZRComm& port_;
    const LanguageTexts& texts_;
    CalibrationView& view_;
    CalibrationControls controls_;
    RequestSequence constants_{RQ500LeesKalibratieWaarden};
    RequestSequence teach_{RQ500Lees_DAC_TeachWaarden};
    RequestSequence commands_{RQ500Kalibratie};
    std::deque<QString> pending_;
    std::array<int, calibration::ConstantCount> saved_{};
    bool writesEnabled_ = false;
    bool sentNotSaved_ = false;
    bool filling_ = false; // the chain is putting read values in the spin edits
    // The message panel's notes on constants read outside their fields.
    QStringList outside_;
    Reading reading_ = Reading::None;
    // The input selection of a reading switched on is under way; polling
    // starts once the unit has recomputed after it.
    Reading selecting_ = Reading::None;
};

} // namespace kqm52
