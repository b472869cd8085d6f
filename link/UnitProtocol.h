#pragma once

// The words the unit understands and the shapes of its answers, in one place.
//
// A request is a command word of two lower-case letters and, for some, one or
// two decimal arguments, each after a single blank.  The unit answers by
// repeating the request (its word and first argument) and, for a read, a blank
// and the value; every answer ends with two line-end bytes.  It refuses with
// "er" and a number instead, and answers a recomputation with "bp -1" when it
// went well and "bp" with something else when it did not.
//
// Windows build their requests here and hand every reply to classifyReply,
// so no window spells a command or takes a reply apart by hand.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace kqm52::unit {

enum class Command {
    Unknown,
    SelectUnit,        // "sc n"
    ReadType,          // "rt"
    ReadHardware,      // "rh"
    ReadExtra,         // "rx"
    ReadPosition,      // "r0"
    ReadVelocity,      // "r1"
    ReadOutputVoltage, // "r2"
    ReadOutputCurrent, // "r3"
    ReadInputVoltage,  // "r4"
    ReadInputCurrent,  // "r5"
    ReadInputAwe,      // "r6"
    ReadInputs,        // "ri"
    ReadOutputs,       // "ru"
    ReadThumbwheel,    // "rd n"
    ReadErrorNumber,   // "rf"
    ResetError,        // "wf"
    ReadParameter,     // "rp n"
    WriteParameter,    // "wp n v"
    ReadSetpoint,      // "rs n"
    WriteSetpoint,     // "ws n v"
    Compute,           // "bp": the unit recomputes its derived parameters
    CalibrationMode,   // "km 0|1"
    CalibrationOutput, // "kf 0|1|2": the analog output under calibration
    // "ki": the unit's own word for the current output being under calibration
    CurrentOutputSelected,
    ReadCalibration,  // "kr n"
    WriteCalibration, // "kw n v"
    DriveOutput,      // "ka v"
    StoreCalibration, // "ks": into the unit's EEPROM
    Refusal,          // "er n", only ever an answer
};

// The two letters of a command; empty for Unknown.
QLatin1StringView wordOf(Command command);
// The command a word (the first two bytes of a request or reply) stands for.
Command commandOf(QByteArrayView word);
Command commandOf(QStringView text);

// The error number the unit gives for a value it will not take.
constexpr int ValueRefused = 7;
// The parameter that chooses which analog input the unit measures.
constexpr int AnalogInputParameter = 226;

// ---------------------------------------------------------------------------
// Requests

QString selectUnit(int unitNumber);
QString readType();
QString readHardware();
QString readExtra();

// The live values, in the order of their request words "r0" … "r6".
enum class LiveValue {
    Position,
    Velocity,
    OutputVoltage,
    OutputCurrent,
    InputVoltage,
    InputCurrent,
    InputAwe,
};
constexpr int LiveValueCount = 7;
QString readLive(LiveValue value);
QString readInputs();
QString readOutputs();
QString readThumbwheel(int wheel);
QString readErrorNumber();
QString resetError();

QString readParameter(int number);
QString writeParameter(int number, qint32 value);
QString readSetpoint(int number);
QString writeSetpoint(int number, qint32 value);
QString compute();

// Which analog input the unit measures: the voltage or the current one.
QString selectAnalogInput(bool current);

QString calibrationMode(bool on);
enum class CalibratedOutput { None = 0, Voltage = 1, Current = 2 };
QString calibrationOutput(CalibratedOutput output);
QString readCalibration(int number);
QString writeCalibration(int number, int value);
QString driveOutput(int value);
QString storeCalibration();

// ---------------------------------------------------------------------------
// Replies

struct Reply {
    enum class Kind {
        Value,         // a read answered: value, with the echoed number where one was asked
        Echo,          // a write or command repeated by the unit
        Refused,       // "er n": error holds n
        ComputeDone,   // "bp -1"
        ComputeFailed, // "bp" and the unit's complaint in answer
        Text,          // "rt", "rh", "rx", "r6" or "rf" answered: a word, a blank and free text
        Unreadable,    // too long for the buffer, not one line, or not in the shape asked for
    };
    Kind kind = Kind::Unreadable;
    // The reply as its reader shows it: without the line end.  Empty when
    // the reply did not fit the buffer.
    QString text;
    qsizetype size = 0;   // bytes received, line end included
    bool tooLong = false; // more than the reader's buffer holds
    Command command = Command::Unknown;
    // The decimal number right after the word: the item the reply is about.
    std::optional<qint32> number;
    qint32 value = 0; // Value
    qint32 error = 0; // Refused
    // After a recomputation or a request answered with text: the reply after
    // its word and blank, without its line end, whatever the reply was (also
    // when Unreadable, cut to the buffer).
    QString answer;
    // The reply repeats the request's word, and its number where the
    // request has one.  Said of every kind; only a matching Value or Echo
    // answers the request.
    bool matches = false;

    bool answers() const {
        return matches && (kind == Kind::Value || kind == Kind::Echo || kind == Kind::Text);
    }
    // The value read, when this reply answers its read; nothing otherwise.
    std::optional<qint32> readValue() const {
        return matches && kind == Kind::Value ? std::optional(value) : std::nullopt;
    }
    // The unit's echo of exactly this request, byte for byte: the device
    // search takes nothing less as a unit answering its address.
    bool repeats(QStringView request) const {
        return kind == Kind::Echo && matches && text == request;
    }
    // The unit's own answer to the request, whatever it says (a refusal
    // too).  Anything else is left over from another request, cut short or
    // unreadable, and the line is not to be trusted until it falls silent.
    bool fromRequest() const { return matches || kind == Kind::Refused; }
    bool refused(qint32 code) const { return kind == Kind::Refused && error == code; }
};

// What a reply to `request` says, as a reader with a bufferSize-byte buffer
// reads it.  A reply longer than the buffer is Unreadable: what fits can read
// like an answer the unit never gave.  So is one that is not a single line
// ending in its two line-end bytes (cut short, or run into another).
Reply classifyReply(QStringView request, const QByteArray& reply, int bufferSize);

// A refusal as the unit words it and a panel quotes it: "er 7".
QString refusalText(qint32 code);

// The device type an answer to "rt" names: the first four characters of its
// text ("MX52").  Empty when the reply does not answer "rt".
QString deviceType(const Reply& reply);

// The serial number a unit names in its identification (the answers to
// "rt", "rh" and "rx"): the word after "SN" ("HW 2.1 SN 520017" gives
// "520017"), looked for in the hardware answer first; empty when none names one.
QString serialNumberIn(const QString& type, const QString& hardware, const QString& extra);

// The digital inputs as the answer to "ri" has them: bit 0 is K0, bits 1 … 4
// the inputs 1 … 4.  A reply that is no answer to "ri" lights nothing.
struct Inputs {
    bool k0 = false;
    std::array<bool, 4> inputs{};
};
Inputs inputsOf(const Reply& reply);
// The digital outputs 1 … 4 as the answer to "ru" has them (bits 0 … 3).
std::array<bool, 4> outputsOf(const Reply& reply);

// The answer to "rf" says the unit has no error: its text is empty or
// begins with "-1".  A reply that is no answer to "rf" says nothing either way.
bool reportsNoError(const Reply& reply);

// A signed 32-bit decimal as the unit and this program's files write one:
// an optional minus and digits, leading zeros allowed; nothing else, no
// blanks, no plus.
std::optional<qint32> parseWireInteger(QByteArrayView text);

} // namespace kqm52::unit
