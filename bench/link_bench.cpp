// 448 request/reply round trips over a pty against a peer that answers 1 ms
// after each request, as in a full parameter and setpoint transfer.
//
// Prints the mean time per request, its ratio to the protocol's own floor
// (peer turnaround + line time + the 50 ms of silence that ends a reply) and
// the user-interface thread's CPU time per reply.

#include "ThreadCpuClock.h"
#include "link/RQ500Protocol.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "support/PtyPeer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <chrono>
#include <cstdio>

using namespace kqm52;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int Requests = 448;
    constexpr int TurnaroundMs = 1;

    test::PtyPeer peer;
    peer.serve([](const QByteArray& line) { return line + " 123456\r\n"; },
               std::chrono::milliseconds(TurnaroundMs));
    const QString slave = peer.slavePath();

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
        rq.SetASCIIProtocol(done < 400 ? unit::readParameter(done)
                                       : unit::readSetpoint(done - 399));
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
    const double cpu0 = bench::threadCpuMs();
    wall.start();
    next();
    loop.exec();
    const double elapsedMs = double(wall.nsecsElapsed()) / 1e6;
    const double cpuMs = bench::threadCpuMs() - cpu0;
    port.SetActive(false);
    peer.stop();

    // A pty moves bytes without line time; the floor is turnaround + silence.
    const double floorMs = TurnaroundMs + 50.0;
    const double mean = elapsedMs / Requests;
    std::printf("link_bench: %d requests over a pty, peer turnaround %d ms\n", Requests,
                TurnaroundMs);
    std::printf("  total            %8.1f ms\n", elapsedMs);
    std::printf("  mean per request %8.2f ms (floor %.2f ms: turnaround + 50 ms silence; a pty has "
                "no line time)\n",
                mean, floorMs);
    std::printf("  ratio to floor   %8.3f (target <= 1.03)\n", mean / floorMs);
    std::printf("  UI-thread CPU    %8.3f ms per reply (target <= 0.2)\n", cpuMs / Requests);
    if (failed) std::printf("  FAILED requests: %d\n", failed);
    return failed ? 1 : 0;
}
