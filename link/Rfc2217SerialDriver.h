#pragma once

// SerialDriver on a bus behind a serial device server that speaks Telnet
// with the COM-PORT option ("rfc2217://HOST:PORT"): the tool sets the remote
// line's speed and framing and hears its line errors.  A server that
// refuses the option is used as a raw one, its line set at the server.
//
// The tool needs neither DTR nor RTS, so it never asks for them: servers
// with a pseudo-terminal behind them never answer such a request.

#include "link/TcpSerialDriver.h"
#include "link/TelnetComPort.h"

#include <atomic>

namespace kqm52 {

class Rfc2217SerialDriver : public TcpSerialDriver {
  public:
    // How long open() waits for the server's word on COM-PORT, and a line
    // change for the server's acknowledgement.
    static constexpr int NegotiationTimeoutMs = 1000;

    Rfc2217SerialDriver();

    int getLineState(LineState& state) override;
    int setLineState(const LineState& state) override;
    int purge() override;
    int clearLineErrors(std::uint32_t& flags) override;
    bool lineSetAtServer() const override;

  protected:
    int afterConnect() override;
    void takeIn(const std::uint8_t* bytes, int count) override;
    std::vector<std::uint8_t> wireForm(const std::uint8_t* data, int count) override;

  private:
    // Sends bytes of Telnet's own (callers need not hold sendMutex_).
    int sendControl(const telnet::Bytes& bytes);
    // Reads until done() holds or the deadline passes; readMutex_ held.
    // 0 when done, ETIMEDOUT when not, or errno.
    template <typename Done> int receiveUntil(Done done, int timeoutMs);

    telnet::Decoder decoder_;
    telnet::Negotiator negotiator_;
    std::vector<telnet::Bytes> answers_; // negotiation owed, sent after each read
    std::mutex stateMutex_;              // guards acked_ and the counts
    LineState acked_;                    // the line as the server last said
    int ackCount_ = 0;                   // line responses heard so far
    int purgeAcks_ = 0;                  // purge responses heard so far
    std::atomic<bool> comPort_{false};   // the server accepted COM-PORT
    std::atomic<std::uint32_t> lineErrors_{0};
};

} // namespace kqm52
