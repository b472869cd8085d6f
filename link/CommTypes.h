#pragma once

// Outcome of one request and the codes the link reports.  Failures of a
// request are values, never exceptions.

#include <cstdint>

namespace kqm52 {

struct TCommError {
    std::int32_t Code = 0;
    std::int32_t SystemError = 0; // errno when Code is 4097
    std::int32_t LineErrors = 0;  // LineErrorFlag bits when Code is 4098

    bool ok() const { return Code == 0 && SystemError == 0 && LineErrors == 0; }
    void clear() { *this = TCommError{}; }
    friend bool operator==(const TCommError&, const TCommError&) = default;
};

namespace CommCode {
constexpr std::int32_t None = 0;
constexpr std::int32_t PortClosed = 1;      // port not open, or closing
constexpr std::int32_t DeviceError = 4096;  // device answered with an error frame
constexpr std::int32_t DriverFailed = 4097; // SystemError holds the errno
constexpr std::int32_t LineError = 4098;    // LineErrors holds the flags
constexpr std::int32_t EmptyRequest = 4099; // nothing to send
// Our own: the request text does not fit the 255-byte frame, so it was not sent.
constexpr std::int32_t RequestTooLong = 4100;
constexpr std::int32_t Timeout = 4208; // no reply byte within the read time-out
constexpr std::int32_t BadChecksum = 4209;
constexpr std::int32_t BadZR2Header = 4210;
constexpr std::int32_t UndoubledZR2Escape = 4211;
constexpr std::int32_t BadKDVHeader = 4212;
constexpr std::int32_t BadKDVEscape = 4213;
constexpr std::int32_t BadStartChar = 4214;
} // namespace CommCode

// Fixed sizes of the link: the frame and the transfer buffer.
constexpr int FrameSize = 512;
// A frame counts its own length in byte 0, so head, text and foot share 254 bytes.
constexpr int MaxFrameContent = 254;

// How long the worker waits for the first byte when a request asks for 0 or less.
constexpr int DefaultFirstByteTimeoutMs = 100;
// Silence that ends a reply, and the wait for every byte after the first.
constexpr int InterByteTimeoutMs = 50;

// A line that never falls silent (wrong speed, a second talker, a fault)
// would keep one request on the line for ever.  Every request is over within
// RequestLimitMs of going on the line, whatever the byte rate: a reply still
// arriving then ends it at once, without a retry, as a receive-buffer
// overflow (Code 4098 with LineErrorRxOverflow, the link's line-error text),
// and no retry starts after it.  At a fast byte rate the reply is cut sooner,
// by its bytes: five seconds of line time at the port's speed (never more
// than MaxReplyBytes).  Every drain of the line stops after two seconds of
// line time (at most 512 bytes).
constexpr int RequestLimitMs = 10000;
constexpr int ReplyBudgetSeconds = 5;
constexpr int DrainBudgetSeconds = 2;
constexpr int MinReplyBudget = 64;
constexpr int MaxReplyBytes = 4096;

// A reply that did not come in time, or the rest of one cut short by a pause,
// still arrives; the purge before a write only drops what is there already.
// So after a reply that was missing, unusable or another request's, the next
// request waits until the line has been silent for as long as the failed one
// waited for its first byte (never less than the silence that ends a reply,
// never more than SettleLimitMs), dropping whatever comes meanwhile.  A line
// that does not fall silent is given SettleLimitMs and the drain's bytes; the
// request then goes out all the same.  A good reply costs no such wait.
constexpr int SettleLimitMs = 2000;

} // namespace kqm52
