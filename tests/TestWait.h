#pragma once

// Waiting in tests for something the event loop brings about.
//
// QTest::qWaitFor sleeps 10 ms between rounds of events, and the link hands
// every received byte to the user-interface thread by a posted event: a
// 100-byte reply would take a second.  This runs a real event loop instead,
// which wakes for each posted event at once, and checks the condition often.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace kqm52::test {

template <class Pred> bool waitUntil(Pred pred, int timeoutMs = 10000) {
    if (pred()) return true;
    QEventLoop loop;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (pred() || elapsed.elapsed() > timeoutMs) loop.quit();
    });
    check.start(1);
    loop.exec();
    return pred();
}

} // namespace kqm52::test
