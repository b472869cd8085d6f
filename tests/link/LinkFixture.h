#pragma once

#include "FakeDriver.h"

#include "link/KDVProtocol.h"
#include "link/RQ500Protocol.h"
#include "link/ZR2Protocol.h"
#include "link/ZRComm.h"

#include "TestWait.h"

#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kqm52::test {

// What a component reported, in order.
struct Event {
    enum Kind { Result, Error, Activate, Deactivate } kind;
    QByteArray data;
    TCommError error;
};

struct Recorder {
    std::vector<Event> events;
    void attach(TZRProtocolComponent& c) {
        c.OnCommResult = [this](TZRProtocolComponent*, const QByteArray& r) {
            events.push_back({Event::Result, r, {}});
        };
        c.OnCommError = [this](TZRProtocolComponent*, const TCommError& e, const QByteArray& r) {
            events.push_back({Event::Error, r, e});
        };
        c.OnActivate = [this](TZRProtocolComponent*) {
            events.push_back({Event::Activate, {}, {}});
        };
        c.OnDeactivate = [this](TZRProtocolComponent*) {
            events.push_back({Event::Deactivate, {}, {}});
        };
    }
    int count(Event::Kind k) const {
        int n = 0;
        for (const auto& e : events)
            n += e.kind == k;
        return n;
    }
    int outcomes() const { return count(Event::Result) + count(Event::Error); }
};

// An ASCII request of the device's kind on a port.
inline std::unique_ptr<TRQ500Protocol> asciiRequest(TZRComm& port, const QString& text,
                                                    int timeout = 0) {
    auto c = std::make_unique<TRQ500Protocol>();
    c->setUpForDevice(timeout);
    c->SetASCIIProtocol(text);
    c->SetZRComm(&port);
    return c;
}

// A port on COM1 whose driver is a FakeDriver on a virtual clock.
class LinkFixture : public ::testing::Test {
  protected:
    LinkFixture() {
        map.setDevice(TPort::COM1, "fake");
        map.registerDriver("fake", [this] { return std::make_unique<FakeDriver>(line); });
        port.setPortMap(&map);
    }
    ~LinkFixture() override {
        // A test's handlers capture its locals, which are gone by now.
        port.OnActivate = nullptr;
        port.OnDeactivate = nullptr;
        port.SetActive(false);
    }

    std::unique_ptr<TRQ500Protocol> makeAscii(const QString& text, int timeout = 0) {
        return asciiRequest(port, text, timeout);
    }

    // Waits (processing events) until pred holds; false after 5 s.
    template <class Pred> bool waitFor(Pred pred) { return waitUntil(pred); }

    // Sends once and waits for the one outcome; the line is quiet afterwards.
    Event exchange(TZRProtocolComponent& c) {
        Recorder r;
        r.attach(c);
        c.Send();
        EXPECT_TRUE(waitFor([&] { return r.outcomes() >= 1; }));
        EXPECT_TRUE(settle());
        EXPECT_EQ(r.outcomes(), 1) << "one request, one outcome";
        return r.events.empty() ? Event{Event::Error, {}, {-1, 0, 0}} : r.events.front();
    }

    // Lets the worker finish whatever is queued (nothing left on the line).
    bool settle() {
        return waitFor([this] { return port.queuedRequests() == 0; });
    }

    std::shared_ptr<FakeLine> line = std::make_shared<FakeLine>();
    PortMap map;
    TZRComm port;
};

// A peer that answers every line with fixed chunks.
inline FakeLine::Peer answerAlways(std::vector<Chunk> chunks) {
    return [chunks](const QByteArray&) { return chunks; };
}

// A peer that echoes the request without its CR, a blank, a value and CR LF.
inline FakeLine::Peer echoPeer(const QByteArray& value, long long turnaroundMs = 2) {
    return [value, turnaroundMs](const QByteArray& w) {
        QByteArray text = w;
        if (text.endsWith('\r')) text.chop(1);
        return std::vector<Chunk>{{turnaroundMs, text + ' ' + value + "\r\n"}};
    };
}

} // namespace kqm52::test
