#include "link/TelnetComPort.h"

namespace kqm52::telnet {

namespace {

// A subnegotiation longer than any COM-PORT command is noise; it is dropped
// rather than grown without end.
constexpr std::size_t MaxSub = 64;

bool weWantToWill(std::uint8_t option) {
    return option == OptionComPort || option == OptionBinary || option == OptionSuppressGoAhead;
}

bool weWantServerTo(std::uint8_t option) {
    return option == OptionBinary || option == OptionSuppressGoAhead;
}

} // namespace

Bytes escaped(const std::uint8_t* data, int count) {
    Bytes out;
    out.reserve(std::size_t(count) + 4);
    for (int i = 0; i < count; ++i) {
        out.push_back(data[i]);
        if (data[i] == IAC) out.push_back(IAC);
    }
    return out;
}

Bytes negotiation(std::uint8_t verb, std::uint8_t option) {
    return {IAC, verb, option};
}

Bytes comPortCommand(std::uint8_t command, const Bytes& value) {
    Bytes out{IAC, SB, OptionComPort, command};
    const Bytes v = escaped(value.data(), int(value.size()));
    out.insert(out.end(), v.begin(), v.end());
    out.push_back(IAC);
    out.push_back(SE);
    return out;
}

std::uint8_t parityCode(DriverParity parity) {
    switch (parity) {
    case DriverParity::None:
        return 1;
    case DriverParity::Odd:
        return 2;
    case DriverParity::Even:
        return 3;
    }
    return 0;
}

std::uint8_t stopCode(int stopBits) {
    return stopBits == 1 ? 1 : stopBits == 2 ? 2 : 0;
}

Bytes lineCommands(const LineState& line) {
    const auto baud = std::uint32_t(line.baud);
    Bytes out = comPortCommand(ComSetBaudrate, {std::uint8_t(baud >> 24), std::uint8_t(baud >> 16),
                                                std::uint8_t(baud >> 8), std::uint8_t(baud)});
    for (const Bytes& b : {comPortCommand(ComSetDatasize, {std::uint8_t(line.dataBits)}),
                           comPortCommand(ComSetParity, {parityCode(line.parity)}),
                           comPortCommand(ComSetStopsize, {stopCode(line.stopBits)})})
        out.insert(out.end(), b.begin(), b.end());
    return out;
}

bool applyResponse(const Event& event, LineState& line) {
    if (event.kind != Event::ComPort || event.value.empty()) return false;
    const Bytes& v = event.value;
    switch (event.command) {
    case ServerOffset + ComSetBaudrate:
        if (v.size() != 4) return false;
        line.baud = int((std::uint32_t(v[0]) << 24) | (std::uint32_t(v[1]) << 16) |
                        (std::uint32_t(v[2]) << 8) | std::uint32_t(v[3]));
        return true;
    case ServerOffset + ComSetDatasize:
        line.dataBits = v[0];
        return true;
    case ServerOffset + ComSetParity:
        if (v[0] == 1)
            line.parity = DriverParity::None;
        else if (v[0] == 2)
            line.parity = DriverParity::Odd;
        else if (v[0] == 3)
            line.parity = DriverParity::Even;
        else
            return false;
        return true;
    case ServerOffset + ComSetStopsize:
        if (v[0] != 1 && v[0] != 2) return false;
        line.stopBits = v[0];
        return true;
    default:
        return false;
    }
}

std::uint32_t lineErrorFlags(std::uint8_t linestate) {
    std::uint32_t flags = 0;
    if (linestate & 0x02) flags |= LineErrorOverrun;
    if (linestate & 0x04) flags |= LineErrorParity;
    if (linestate & 0x08) flags |= LineErrorFrame;
    if (linestate & 0x10) flags |= LineErrorBreak;
    return flags;
}

void Decoder::feed(const std::uint8_t* bytes, int count, Bytes& data, std::vector<Event>& events) {
    for (int i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        switch (state_) {
        case State::Data:
            if (b == IAC)
                state_ = State::Iac;
            else
                data.push_back(b);
            break;
        case State::Iac:
            if (b == IAC) {
                data.push_back(IAC);
                state_ = State::Data;
            } else if (b >= WILL && b <= DONT) {
                verb_ = b;
                state_ = State::Verb;
            } else if (b == SB) {
                sub_.clear();
                state_ = State::Sub;
            } else {
                // NOP, GA, a lone SE and the like carry nothing for the line.
                state_ = State::Data;
            }
            break;
        case State::Verb:
            events.push_back(Event{Event::Negotiation, verb_, b, 0, {}});
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == IAC)
                state_ = State::SubIac;
            else if (sub_.size() < MaxSub)
                sub_.push_back(b);
            break;
        case State::SubIac:
            if (b == IAC) {
                if (sub_.size() < MaxSub) sub_.push_back(IAC);
                state_ = State::Sub;
            } else if (b == SE) {
                if (sub_.size() >= 2 && sub_[0] == OptionComPort)
                    events.push_back(Event{Event::ComPort, 0, OptionComPort, sub_[1],
                                           Bytes(sub_.begin() + 2, sub_.end())});
                state_ = State::Data;
            } else {
                // Not a valid pair inside a subnegotiation: skipped, the
                // subnegotiation goes on to its SE.
                state_ = State::Sub;
            }
            break;
        }
    }
}

Bytes Negotiator::opening() {
    Bytes out;
    for (const std::uint8_t option : {OptionComPort, OptionBinary, OptionSuppressGoAhead}) {
        weWill_[option] = true;
        const Bytes b = negotiation(WILL, option);
        out.insert(out.end(), b.begin(), b.end());
    }
    for (const std::uint8_t option : {OptionBinary, OptionSuppressGoAhead}) {
        weDo_[option] = true;
        const Bytes b = negotiation(DO, option);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

Bytes Negotiator::answer(const Event& event) {
    if (event.kind != Event::Negotiation) return {};
    const std::uint8_t option = event.option;
    switch (event.verb) {
    case DO:
        if (option == OptionComPort) comPort_ = ComPortState::Accepted;
        if (!weWantToWill(option)) return negotiation(WONT, option);
        if (weWill_[option]) return {};
        weWill_[option] = true;
        return negotiation(WILL, option);
    case WILL:
        if (!weWantServerTo(option)) return negotiation(DONT, option);
        if (weDo_[option]) return {};
        weDo_[option] = true;
        return negotiation(DO, option);
    case DONT:
    case WONT:
        // A refusal, or the server switching an option off: nothing is owed
        // back, which is what keeps two sides from answering each other
        // forever.  A server that will not speak COM-PORT in either word
        // leaves the line as it set it.
        if (option == OptionComPort && (event.verb == DONT || comPort_ == ComPortState::Asked))
            comPort_ = ComPortState::Refused;
        if (event.verb == DONT)
            weWill_[option] = false;
        else
            weDo_[option] = false;
        return {};
    default:
        return {};
    }
}

} // namespace kqm52::telnet
