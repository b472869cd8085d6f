#pragma once

// A server of the test's own on 127.0.0.1 for the network drivers.

#include <functional>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

// A listening socket on 127.0.0.1 and a free port; serve() runs what the
// server does with the one connection it accepts.
class LoopbackServer {
  public:
    LoopbackServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 1);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~LoopbackServer() {
        finish();
        ::close(fd_);
    }
    // Waits until the session is over, so that what it saw can be read.
    void finish() {
        if (thread_.joinable()) thread_.join();
    }
    void serve(std::function<void(int connection)> session) {
        thread_ = std::thread([this, session = std::move(session)] {
            const int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0) return;
            session(c);
            ::close(c);
        });
    }
    std::string address(const char* scheme = "tcp") const {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_);
    }
    int port() const { return port_; }

  private:
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

} // namespace testsupport
