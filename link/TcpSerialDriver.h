#pragma once

// SerialDriver on a bus behind a serial device server in its raw TCP mode
// (the box's "TCP server", or ser2net's raw accepter): the bytes of the line,
// nothing else.  The server's line is set at the server, so setLineState()
// is remembered for getLineState() and changes nothing remote.  A reset, a
// closed peer or a broken pipe is the device gone, as an unplugged converter.

#include "link/SerialDriver.h"

#include <QString>

#include <optional>

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

  private:
    int fd_ = -1;
    int wakeFd_ = -1; // eventfd that interrupt() signals
    int readTimeoutMs_ = 0;
    LineState line_;
    // A resolver failure (EAI_*), reported through errorText().
    int resolveError_ = 0;
};

} // namespace kqm52
