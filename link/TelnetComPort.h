#pragma once

// The bytes of a Telnet connection with the COM-PORT option, as a serial
// device server speaks it: the line's data with 0xFF doubled, option
// negotiation, and COM-PORT subnegotiations that set the remote line and
// report its errors.  No sockets here: the encoder makes bytes to send, the
// decoder takes bytes as they arrive (in any split) and hands back the line's
// data and what the server said, so both are tested byte for byte.

#include "link/SerialDriver.h"

#include <cstdint>
#include <vector>

namespace kqm52::telnet {

using Bytes = std::vector<std::uint8_t>;

enum : std::uint8_t {
    SE = 240,
    NOP = 241,
    SB = 250,
    WILL = 251,
    WONT = 252,
    DO = 253,
    DONT = 254,
    IAC = 255,
};

enum : std::uint8_t {
    OptionBinary = 0,
    OptionSuppressGoAhead = 3,
    OptionComPort = 44,
};

// COM-PORT commands as the client sends them; the server answers each with
// the same code plus ServerOffset.
enum : std::uint8_t {
    ComSignature = 0,
    ComSetBaudrate = 1,
    ComSetDatasize = 2,
    ComSetParity = 3,
    ComSetStopsize = 4,
    ComSetControl = 5,
    ComNotifyLinestate = 6,
    ComNotifyModemstate = 7,
    ComSetLinestateMask = 10,
    ComSetModemstateMask = 11,
    ComPurgeData = 12,
    ServerOffset = 100,
};

// PURGE-DATA: both the server's receive and transmit buffers.
constexpr std::uint8_t PurgeBoth = 3;
// The line-state bits worth hearing about: overrun, parity, framing, break.
constexpr std::uint8_t LinestateErrors = 0x02 | 0x04 | 0x08 | 0x10;

// The line's data with every 0xFF doubled.
Bytes escaped(const std::uint8_t* data, int count);
// IAC verb option.
Bytes negotiation(std::uint8_t verb, std::uint8_t option);
// IAC SB COM-PORT command value IAC SE, the value escaped.
Bytes comPortCommand(std::uint8_t command, const Bytes& value);

// The four set commands for a line, in the order a server applies them.
Bytes lineCommands(const LineState& line);
// The COM-PORT values of a line and back; 0 for a value the option has no
// word for.
std::uint8_t parityCode(DriverParity parity);
std::uint8_t stopCode(int stopBits);

// What the server said, one event per negotiation or subnegotiation.
struct Event {
    enum Kind { Negotiation, ComPort } kind = Negotiation;
    std::uint8_t verb = 0;    // WILL/WONT/DO/DONT for a negotiation
    std::uint8_t option = 0;  // the option negotiated
    std::uint8_t command = 0; // the COM-PORT command, server codes (101...)
    Bytes value;              // its value, unescaped
    friend bool operator==(const Event&, const Event&) = default;
};

// The server's response to a COM-PORT command read as a line setting: the
// baud rate of a 101, the data bits of a 102, and so on; false for any
// other event.
bool applyResponse(const Event& event, LineState& line);
// The LineErrorFlag bits of a NOTIFY-LINESTATE value.
std::uint32_t lineErrorFlags(std::uint8_t linestate);

// Splits the stream from the server into data and events.  State carries
// across calls, so a command cut between two reads is read whole.
class Decoder {
  public:
    void feed(const std::uint8_t* bytes, int count, Bytes& data, std::vector<Event>& events);

  private:
    enum class State { Data, Iac, Verb, Sub, SubIac } state_ = State::Data;
    std::uint8_t verb_ = 0;
    Bytes sub_;
};

// Which options this side takes part in, and the answers owed to the
// server's negotiation: a request for an option it has already agreed to is
// not answered again, so two sides never loop.
class Negotiator {
  public:
    // The first bytes to send: WILL COM-PORT, and binary and no go-ahead both
    // ways, so that no byte of the line is taken for Telnet's own.
    Bytes opening();
    // The answer to one negotiation from the server (may be empty).
    Bytes answer(const Event& event);
    // What the server has said about COM-PORT so far.
    enum class ComPortState { Asked, Accepted, Refused };
    ComPortState comPort() const { return comPort_; }

  private:
    bool weWill_[256] = {};
    bool weDo_[256] = {};
    ComPortState comPort_ = ComPortState::Asked;
};

} // namespace kqm52::telnet
