// 448 request/reply round trips over a pty against a peer that answers 1 ms
// after each request, as in a full parameter and setpoint transfer.
//
// Prints the mean time per request, its ratio to the protocol's own floor
// (peer turnaround + line time + the 50 ms of silence that ends a reply) and
// the user-interface thread's CPU time per reply.

#include "link/RQ500Protocol.h"
#include "link/ZRComm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

using namespace kqm52;

namespace {

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int Requests = 448;
    constexpr int TurnaroundMs = 1;

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master);
    ::unlockpt(master);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));

    std::atomic<bool> stop{false};
    std::thread peer([&] {
        QByteArray pending;
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                continue;
            pending.append(buf, n);
            int cr;
            while ((cr = int(pending.indexOf('\r'))) >= 0) {
                const QByteArray line = pending.left(cr);
                pending.remove(0, cr + 1);
                std::this_thread::sleep_for(std::chrono::milliseconds(TurnaroundMs));
                const QByteArray reply = line + " 123456\r\n";
                [[maybe_unused]] auto w = ::write(master, reply.constData(), size_t(reply.size()));
            }
        }
    });

    PortMap map;
    map.setDevice(TPort::COM1, slave);
    TZRComm port;
    port.setPortMap(&map);
    port.SetBaudrate(TBaudrate::br38400);
    port.SetActive(true);

    TRQ500Protocol rq;
    rq.setUpForDevice();
    rq.SetZRComm(&port);
    int done = 0, failed = 0;
    QEventLoop loop;
    const auto next = [&] {
        rq.SetASCIIProtocol(done < 400 ? QString("rp %1").arg(done) : QString("rs %1").arg(done - 399));
        rq.Send();
    };
    rq.OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) {
        if (++done == Requests)
            loop.quit();
        else
            next();
    };
    rq.OnCommError = [&](TZRProtocolComponent*, const TCommError& e, const QByteArray&) {
        ++failed;
        std::fprintf(stderr, "request %d failed: %d\n", done, e.Code);
        loop.quit();
    };

    QElapsedTimer wall;
    const double cpu0 = threadCpuMs();
    wall.start();
    next();
    loop.exec();
    const double elapsedMs = double(wall.nsecsElapsed()) / 1e6;
    const double cpuMs = threadCpuMs() - cpu0;
    port.SetActive(false);
    stop = true;
    peer.join();
    ::close(master);

    // A pty moves bytes without line time; the floor is turnaround + silence.
    const double floorMs = TurnaroundMs + 50.0;
    const double mean = elapsedMs / Requests;
    std::printf("link_bench: %d requests over a pty, peer turnaround %d ms\n", Requests, TurnaroundMs);
    std::printf("  total            %8.1f ms\n", elapsedMs);
    std::printf("  mean per request %8.2f ms (floor %.2f ms: turnaround + 50 ms silence; a pty has no line time)\n",
                mean, floorMs);
    std::printf("  ratio to floor   %8.3f (target <= 1.03)\n", mean / floorMs);
    std::printf("  UI-thread CPU    %8.3f ms per reply (target <= 0.2)\n", cpuMs / Requests);
    if (failed)
        std::printf("  FAILED requests: %d\n", failed);
    return failed ? 1 : 0;
}
