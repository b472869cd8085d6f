#pragma once

// The whole contract between the link worker and a serial device.
//
// Every call returns 0 on success or an operating-system error number (errno
// values on POSIX) on failure; the worker turns a non-zero return into
// TCommError{4097, errno, 0}.  A driver never throws.
//
// Threads: interrupt() may be called from any thread.  open() and close() run on the user-interface
// thread while no worker exists.  setLineState() may run on the user-interface thread while the
// worker is busy (a speed change while the port is open), so implementations must make it safe
// against a concurrent read or write.  Every other call runs on the port's worker thread only.

#include <cstdint>
#include <memory>
#include <string>

namespace kqm52 {

enum class DriverParity { None, Even, Odd };

// The part of the driver's line state the port object touches.  Fields the
// port never changes (flow control, RTS/DTR handling, special characters) stay
// inside the driver as it found them.
struct LineState {
    int baud = 9600;
    int dataBits = 8;
    DriverParity parity = DriverParity::Even;
    int stopBits = 1;
    friend bool operator==(const LineState&, const LineState&) = default;
};

// Line-error flags, as the driver reports them when they are cleared.
enum LineErrorFlag : std::uint32_t {
    LineErrorRxOverflow = 0x0001, // the driver's receive buffer overflowed
    LineErrorOverrun = 0x0002,    // the UART dropped a character
    LineErrorParity = 0x0004,
    LineErrorFrame = 0x0008,
    LineErrorBreak = 0x0010,
};

// The calls of the contract below, for simulated and scripted drivers that
// can be told to fail one of them.
enum class DriverCall {
    Open,
    Close,
    SetBufferSizes,
    GetLineState,
    SetLineState,
    GetReadTimeout,
    SetReadTimeout,
    Purge,
    Write,
    Flush,
    ReadByte,
    ClearLineErrors
};

class SerialDriver {
  public:
    virtual ~SerialDriver() = default;

    // Opens the device for exclusive use.  A device already held by another
    // program (or another port object) is refused with EBUSY.
    virtual int open(const std::string& path) = 0;
    virtual int close() = 0;

    // Asks for receive and transmit buffers of these sizes (advisory).
    virtual int setBufferSizes(int receive, int transmit) = 0;
    virtual int getLineState(LineState& state) = 0;
    virtual int setLineState(const LineState& state) = 0;

    // How long readByte() waits for a byte.  Writes have no time-out.
    virtual int getReadTimeout(int& milliseconds) = 0;
    virtual int setReadTimeout(int milliseconds) = 0;

    // Discards unread input and unsent output.
    virtual int purge() = 0;
    // Writes all of data; written tells how much went out even on failure.
    virtual int write(const std::uint8_t* data, int count, int& written) = 0;
    // Waits until everything written has left the transmitter.
    virtual int flush() = 0;
    // Reads one byte, waiting up to the read time-out for it.  got is false
    // when none arrived in time (not an error).  A device that has gone away
    // (USB converter unplugged, pty peer closed) is an error, never a
    // time-out, so that the caller cannot poll a dead device in a loop.
    virtual int readByte(std::uint8_t& byte, bool& got) = 0;
    // Clears the line-error state and reports the LineErrorFlag bits that were
    // set since the last call.  Drivers that cannot tell report none.
    virtual int clearLineErrors(std::uint32_t& flags) = 0;

    // Makes a readByte() or waitIdle() that is waiting, and every later one,
    // return at once (readByte with got = false) until the next open().  Safe
    // to call from any thread; the port calls it when closing so that closing
    // never waits out a long first-byte time-out.
    virtual void interrupt() = 0;

    // Waits this long, or until interrupt().  The worker paces its retries
    // with it after a failed driver call, so that a device that has gone away
    // is not hammered in a tight loop.  A simulated driver advances its own
    // clock instead of sleeping.
    virtual void waitIdle(int milliseconds) = 0;

    // Milliseconds on a clock that only moves forward: the clock the read
    // time-outs run on, so that the worker can bound a whole request in time.
    // A simulated driver gives its own (virtual) clock.
    virtual std::int64_t monotonicMs() const;

    // True when open() may wait for something slow (a server to accept, a
    // name to resolve): the port then opens it off the user-interface
    // thread.  open() must not touch anything of that thread.
    virtual bool mayBlockOnOpen() const { return false; }
    // True when the line's speed and framing are set at the far end and
    // setLineState() cannot change them (a raw serial device server); the
    // port says so wherever it shows the line.
    virtual bool lineSetAtServer() const { return false; }

    // The operating system's text for an error number returned above.
    virtual std::string errorText(int error) const;
    // True when an error number says the device itself has gone (converter
    // unplugged, pty peer closed): no retry can succeed, the port closes.
    virtual bool isDeviceGone(int error) const;
};

// The operating system's text for an error number.
std::string systemErrorText(int error);
// The errno of the call that just failed; never 0, so a failure always
// reads as one even when the call forgot to set errno.
int lastSystemError();

} // namespace kqm52
