#pragma once

// SerialDriver on a bus behind a serial device server in its raw TCP mode
// (the box's "TCP server", or ser2net's raw accepter): the bytes of the line,
// nothing else.  The server's line is set at the server, so setLineState()
// is remembered for getLineState() and changes nothing remote.  A reset, a
// closed peer or a broken pipe is the device gone, as an unplugged converter.

#include "link/SerialDriver.h"
#include "link/WakeablePoll.h"

#include <QString>

#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

namespace kqm52 {

// "tcp://HOST:PORT", HOST a name, an IPv4 address or an IPv6 one in
// brackets; nothing for any other form.
struct NetworkAddress {
    QString host;
    int port = 0;
};
std::optional<NetworkAddress> parseNetworkAddress(const QString& value, const QString& scheme);

class TcpSerialDriver : public SerialDriver {
  public:
    // How long open() waits for the server to accept.
    static constexpr int ConnectTimeoutMs = 3000;

    TcpSerialDriver();
    ~TcpSerialDriver() override;

    int open(const std::string& path) override;
    int close() override;
    int setBufferSizes(int receive, int transmit) override;
    int getLineState(LineState& state) override;
    int setLineState(const LineState& state) override;
    int getReadTimeout(int& milliseconds) override;
    int setReadTimeout(int milliseconds) override;
    int purge() override;
    int write(const std::uint8_t* data, int count, int& written) override;
    int flush() override;
    int readByte(std::uint8_t& byte, bool& got) override;
    int clearLineErrors(std::uint32_t& flags) override;
    void interrupt() override;
    void waitIdle(int milliseconds) override;
    std::string errorText(int error) const override;
    bool isDeviceGone(int error) const override;
    bool mayBlockOnOpen() const override { return true; }
    bool lineSetAtServer() const override { return true; }

  protected:
    // The scheme of the port values this driver opens.
    explicit TcpSerialDriver(const char* scheme);

    // After the connection stands, before open() returns: a protocol's
    // greeting.  0 or an errno value, which fails the open.
    virtual int afterConnect() { return 0; }
    // Bytes as they came off the socket; the line's data goes to rx_.
    virtual void takeIn(const std::uint8_t* bytes, int count);
    // The line's data as it goes onto the socket.
    virtual std::vector<std::uint8_t> wireForm(const std::uint8_t* data, int count);

    // Sends all of bytes, waiting at most a second for room.  Callers hold
    // sendMutex_, so that a set-up sent from another thread never splits a
    // request.
    int sendAll(const std::uint8_t* bytes, std::size_t count);
    // Reads what the socket has, waiting until deadline for the first byte,
    // into takeIn().  1 when bytes came, 0 on time-out or interrupt, else
    // -errno (a closed peer is -ECONNRESET).  Callers hold readMutex_.
    int receiveSome(wakeable::Clock::time_point deadline);
    // Drops the line's data that has arrived, unread; dropped tells how
    // much.  0 or errno.  Callers hold readMutex_.
    int dropArrived(std::size_t& dropped);

    int fd_ = -1;
    int wakeFd_ = -1; // eventfd that interrupt() signals
    std::mutex sendMutex_;
    std::mutex readMutex_;
    std::vector<std::uint8_t> rx_; // the line's data not yet read
    std::size_t rxAt_ = 0;         // the next byte of rx_ to read
    LineState line_;

  private:
    const char* scheme_;
    int readTimeoutMs_ = 0;
    // A resolver failure (EAI_*), reported through errorText().
    int resolveError_ = 0;
};

} // namespace kqm52
