// Requests on the wire and their outcomes, on a virtual clock: framing,
// time-outs, the silence that ends a reply, retries and error reporting.

#include "LinkFixture.h"

#include "link/ZRCommThread.h"

#include <QLoggingCategory>
#include <QWidget>

#include <atomic>
#include <cstring>

using namespace kqm52;
using namespace kqm52::test;

namespace {

class RequestTest : public LinkFixture {
  protected:
    void SetUp() override { port.SetActive(true); }
};

TEST_F(RequestTest, FramesAndRepliesAsTheWireHasThem) {
    struct Case {
        const char* text;
        TSequenceChar foot;
        std::vector<Chunk> answer;
        QByteArray wire;
        QByteArray result; // empty: a time-out
        const char* trimmed;
    };
    const Case cases[] = {
        {"  rp 0 ", TSequenceChar::scCR, {{2, "rp 0 17\r\n"}}, "rp 0\r", "rp 0 17\r\n", "rp 0"},
        {"rt", TSequenceChar::scCR, {{5, "12345\r"}}, "rt\r", "12345\r", "rt"},
        {"\t rt\r\n", TSequenceChar::scCR, {{1, "x\r\n"}}, "rt\r", "x\r\n", "rt"},
        // 45 ms between two halves is one reply; 60 ms cuts it at the gap
        {"rh", TSequenceChar::scCR, {{2, "rh AB"}, {47, "CD\r\n"}}, "rh\r", "rh ABCD\r\n", "rh"},
        {"rh", TSequenceChar::scCR, {{2, "rh AB"}, {62, "CD\r\n"}}, "rh\r", "rh AB", "rh"},
        {"rh",
         TSequenceChar::scCR,
         {{2, "rh " + QByteArray(1500, 'y') + "\r\n"}},
         "rh\r",
         "rh " + QByteArray(1500, 'y') + "\r\n",
         "rh"},
        {"   ", TSequenceChar::scCR, {}, "\r", "", ""},
        {"", TSequenceChar::scNone, {}, "", "", ""},
    };
    for (const auto& k : cases) {
        auto c = makeAscii(k.text);
        c->SetProtocolFoot(k.foot);
        line->setPeer(answerAlways(k.answer));
        const QByteArray before = line->wire();
        const Event e = exchange(*c);
        EXPECT_EQ(line->wire().mid(before.size()), k.wire) << k.text;
        EXPECT_EQ(c->ASCIIProtocol(), k.trimmed);
        if (k.result.isEmpty()) {
            EXPECT_EQ(e.error.Code, CommCode::Timeout) << k.text;
        } else {
            EXPECT_EQ(e.kind, Event::Result) << k.text;
            EXPECT_EQ(e.data, k.result) << k.text;
        }
    }
}

TEST_F(RequestTest, FirstByteMayTakeUpToTheTimeout) {
    struct Case {
        int timeout;
        long long firstByteAt;
        bool answered;
    };
    const Case cases[] = {
        {0, 99, true}, {0, 101, false}, {-5, 100, true}, {300, 290, true}, {300, 320, false}};
    for (const auto& k : cases) {
        auto c = makeAscii("rf", k.timeout);
        line->setPeer(answerAlways({{k.firstByteAt, "rf -1\r\n"}}));
        const auto writesBefore = line->writes().size();
        const Event e = exchange(*c);
        if (k.answered) {
            EXPECT_EQ(e.kind, Event::Result) << k.timeout << "/" << k.firstByteAt;
        } else {
            EXPECT_EQ(e.error, (TCommError{CommCode::Timeout, 0, 0}))
                << k.timeout << "/" << k.firstByteAt;
            EXPECT_EQ(line->writes().size() - writesBefore, 1) << "a time-out is not retried";
        }
    }
}

TEST_F(RequestTest, LineErrorsCarryTheDriversFlags) {
    auto c = makeAscii("r0");
    // Every attempt sees a parity and framing error after its first reply byte.
    line->setPeer([this](const QByteArray& w) {
        line->injectLineErrors(LineErrorParity | LineErrorFrame, 1);
        return std::vector<Chunk>{{2, w.left(2) + " 12\r\n"}};
    });
    EXPECT_EQ(exchange(*c).error,
              (TCommError{CommCode::LineError, 0, std::int32_t(LineErrorParity | LineErrorFrame)}));
    EXPECT_EQ(line->writes().size(), 3);
}

TEST_F(RequestTest, AFailedAttemptsBytesAreDroppedFromTheResult) {
    auto c = makeAscii("r0");
    int attempt = 0;
    line->setPeer([&](const QByteArray&) {
        if (++attempt == 1) line->injectLineErrors(LineErrorOverrun, 2);
        return std::vector<Chunk>{
            {2, attempt == 1 ? QByteArray("r0 999\r\n") : QByteArray("r0 7\r\n")}};
    });
    const Event e = exchange(*c);
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, QByteArray("r0 7\r\n"));
}

TEST_F(RequestTest, DriverFailuresAreRetriedPacedAndReportedAtOnceAfterTheLast) {
    // Paced by the request's time-out between attempts, so a failing driver is
    // not hammered; after the third there is nothing to wait for.
    auto c = makeAscii("r0", 100);
    line->failCall(DriverCall::Write, EPROTO, 3);
    const long long before = line->nowMs();
    EXPECT_EQ(exchange(*c).error, (TCommError{CommCode::DriverFailed, EPROTO, 0}));
    EXPECT_EQ(line->nowMs() - before, 200);
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(port.LastSystemError(), 0);
}

TEST_F(RequestTest, AVanishedDeviceIsReportedOnceAndThePortClosesItself) {
    auto cyclic = makeAscii("rp 12");
    Recorder r;
    r.attach(*cyclic);
    int portClosed = 0;
    port.OnDeactivate = [&](TZRComm*) {
        ++portClosed;
        EXPECT_FALSE(line->isOpen()) << "the device is handed back before the port says so";
    };
    line->setPeer(echoPeer("4711"));
    line->vanishAfter(4);
    cyclic->SetActive(true);
    ASSERT_TRUE(waitFor([&] { return portClosed == 1; }));
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(r.count(Event::Error), 1);
    EXPECT_EQ(r.events[1].error, (TCommError{CommCode::DriverFailed, EIO, 0}));
    EXPECT_EQ(r.events.back().kind, Event::Deactivate);
    EXPECT_EQ(line->writes().size(), 1) << "no retry can reach a device that is gone";
    // What a window needs to say it in words.
    EXPECT_EQ(port.LastSystemError(), EIO);
    EXPECT_EQ(port.LastSystemErrorText(), QString::fromLocal8Bit(std::strerror(EIO)));
    EXPECT_EQ(port.devicePath(), QString("fake"));
    // Plugged in again, the user presses Open: the old reason is gone.
    line->vanishAfter(-1);
    port.SetActive(true);
    EXPECT_EQ(port.LastSystemError(), 0);
}

// A line that never falls silent ends the request within ten seconds of its
// going out, whatever its byte rate: all the bytes 1200 bit/s carries, or a
// slow drip at 38400 bit/s that no byte count would stop in time.
TEST_F(RequestTest, AChatteringLineEndsTheRequestWithinTenSeconds) {
    struct Case {
        TBaudrate speed;
        long long everyMs;
    };
    for (const Case k : {Case{TBaudrate::br1200, 9}, Case{TBaudrate::br38400, 10},
                         Case{TBaudrate::br115200, 49}}) {
        SCOPED_TRACE(baudrateValue(k.speed));
        port.SetBaudrate(k.speed);
        auto c = makeAscii("rp 1", 2000);
        std::vector<Chunk> chatter;
        for (int i = 0; i < 20000; ++i)
            chatter.push_back({2 + k.everyMs * i, "z"});
        line->setPeer(answerAlways(chatter));
        const auto writesBefore = line->writes().size();
        const long long before = line->nowMs();
        const Event e = exchange(*c);
        EXPECT_EQ(e.error, (TCommError{CommCode::LineError, 0, std::int32_t(LineErrorRxOverflow)}));
        EXPECT_LE(line->nowMs() - before, 10000);
        EXPECT_EQ(line->writes().size() - writesBefore, 1) << "a retry would meet the same chatter";
    }
}

// Fast framing ends a reply at its line end, so the next request may reach a
// unit that is not listening yet.  Sent right after such a reply, a request
// (time-out 100 ms) gets half its time-out for the first byte; then it goes
// once more with the other half, and the port says it frames by silence now.
// A unit that missed it answers the second; one that is gone costs one
// time-out in all.  Long after the reply, a request is simply itself.
TEST_F(RequestTest, AfterAFastFramedReplyAMissedRequestCostsOneTimeOut) {
    enum class Unit { Dead, Deaf };
    struct Case {
        Unit unit;
        long long pauseMs; // between the fast-framed reply and the next request
        bool answered;
        int sends;        // of the second request
        long long tookMs; // from the first reply to the second request's outcome
        bool suspended;
    };
    const Case cases[] = {
        {Unit::Dead, 0, false, 2, 100, true},
        {Unit::Deaf, 0, true, 2, 50 + 2 + 50, true}, // the second reply ends in silence
        {Unit::Dead, 1000, false, 1, 100, false},
    };
    port.SetFastFraming(true);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.unit == Unit::Dead ? "dead" : "deaf");
        SCOPED_TRACE(k.pauseMs);
        port.resumeFastFraming();
        std::vector<bool> changes;
        const QMetaObject::Connection watch =
            QObject::connect(&port, &TZRComm::fastFramingSuspendedChanged,
                             [&](bool suspended) { changes.push_back(suspended); });
        // Deaf: a request that starts within 20 ms of the end of its reply is lost.
        std::atomic<int> replies{0};
        std::atomic<long long> replyEnd{-1000};
        line->setPeer([&, k](const QByteArray& w) {
            const long long now = line->nowMs();
            if (replies > 0 && (k.unit == Unit::Dead || now < replyEnd + 20))
                return std::vector<Chunk>{};
            ++replies;
            replyEnd = now + 2;
            return std::vector<Chunk>{{2, w.left(w.size() - 1) + " 5\r\n"}};
        });
        auto first = makeAscii("rp 0");
        auto second = makeAscii("rp 1");
        Recorder r;
        r.attach(*second);
        long long firstDone = 0;
        first->OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) {
            line->advance(k.pauseMs);
            firstDone = line->nowMs();
            second->Send();
        };
        const auto writesBefore = line->writes().size();
        first->Send();
        ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
        ASSERT_TRUE(settle());
        const long long took = line->nowMs() - firstDone;
        QObject::disconnect(watch);

        if (k.answered) {
            EXPECT_EQ(r.events[0].data, QByteArray("rp 1 5\r\n"));
        } else {
            EXPECT_EQ(r.events[0].error, (TCommError{CommCode::Timeout, 0, 0}));
        }
        EXPECT_EQ(line->writes().mid(writesBefore).count("rp 1\r"), k.sends);
        EXPECT_EQ(took, k.tookMs);
        EXPECT_EQ(port.fastFramingSuspended(), k.suspended);
        EXPECT_EQ(changes, k.suspended ? std::vector<bool>{true} : std::vector<bool>{});
    }
    // A transfer starting tries fast framing again; closing forgets it too.
    port.resumeFastFraming();
    EXPECT_FALSE(port.fastFramingSuspended());
}

TEST_F(RequestTest, ATooLongRequestIsReportedAndNeverSent) {
    auto c = makeAscii(QString(254, 'x')); // 254 + CR does not fit
    EXPECT_EQ(exchange(*c).error.Code, CommCode::RequestTooLong);
    EXPECT_TRUE(line->writes().isEmpty());

    // Nothing went out, so a good reply afterwards clears nothing: no extra
    // all-zero error follows it (exchange counts the outcomes).
    line->setPeer(answerAlways({{1, "ok\r\n"}}));
    c->SetASCIIProtocol("rt");
    EXPECT_EQ(exchange(*c).kind, Event::Result);
    EXPECT_TRUE(c->LastCommError().ok());

    // Cyclic, it is reported once and the cycle ends.
    auto cyclic = makeAscii(QString(300, 'x'));
    Recorder r;
    r.attach(*cyclic);
    cyclic->SetActive(true);
    ASSERT_TRUE(waitFor([&] { return r.count(Event::Deactivate) == 1; }));
    EXPECT_FALSE(cyclic->Active());
    EXPECT_EQ(r.count(Event::Error), 1);
}

TEST_F(RequestTest, ACyclicComponentReportsAnErrorOnceAndItsRecovery) {
    auto c = makeAscii("r0");
    Recorder r;
    r.attach(*c);
    std::atomic<int> n{0}; // counted on the worker, read by the test
    // answers, then three silences, then answers again
    line->setPeer([&](const QByteArray&) {
        const int k = ++n;
        if (k >= 2 && k <= 4) return std::vector<Chunk>{};
        return std::vector<Chunk>{{2, QByteArray("r0 ") + QByteArray::number(k) + "\r\n"}};
    });
    c->SetActive(true);
    ASSERT_TRUE(waitFor([&] { return n >= 7; }));
    c->SetActive(false);
    ASSERT_TRUE(settle());

    std::vector<Event::Kind> kinds;
    for (const auto& e : r.events)
        kinds.push_back(e.kind);
    ASSERT_GE(kinds.size(), 8u);
    EXPECT_EQ(kinds[0], Event::Activate);
    EXPECT_EQ(kinds[1], Event::Result); // 1
    EXPECT_EQ(kinds[2], Event::Error);  // 2: time-out, once
    EXPECT_EQ(r.events[2].error.Code, CommCode::Timeout);
    EXPECT_EQ(kinds[3], Event::Result); // 5: answers again
    EXPECT_EQ(kinds[4], Event::Error);  // ... and the error clears
    EXPECT_TRUE(r.events[4].error.ok());
    EXPECT_EQ(kinds[5], Event::Result); // 6
    EXPECT_EQ(r.count(Event::Error), 2);
}

TEST_F(RequestTest, SwitchingACyclingComponentOnAgainDoesNotDoubleTheLoad) {
    auto c = makeAscii("r0");
    int results = 0;
    c->OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) { ++results; };
    line->setPeer(echoPeer("1"));
    c->SetActive(true);
    c->SetActive(true);
    // Off and on again while the request is still queued or on the line,
    // as a window's buttons do when the queue is long.
    for (int i = 0; i < 5; ++i) {
        c->SetActive(false);
        c->SetActive(true);
    }
    EXPECT_EQ(port.queuedRequests(), 1);
    ASSERT_TRUE(waitFor([&] { return results >= 5; }));
    c->SetActive(false);
    const int atOff = results;
    ASSERT_TRUE(settle());
    // One cycle has at most its one request in flight when switched off; two
    // cycles side by side would still deliver two.
    EXPECT_LE(results - atOff, 1);
}

TEST_F(RequestTest, DestroyingAComponentWithdrawsItsRequestQueuedOrOnTheLine) {
    auto a = makeAscii("r0");
    auto b = makeAscii("r1");
    auto d = makeAscii("r4");
    Recorder rd;
    rd.attach(*d);
    a->OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) {
        ADD_FAILURE() << "delivered to a destroyed component";
    };
    line->setPeer(echoPeer("3"));
    a->Send();
    b->Send();
    d->Send();
    b.reset();
    a.reset(); // its reply is being handed over byte by byte
    ASSERT_TRUE(waitFor([&] { return rd.outcomes() == 1; }));
    EXPECT_FALSE(line->writes().contains("r1\r"));
    EXPECT_EQ(rd.events[0].data, QByteArray("r4 3\r\n"));
}

TEST_F(RequestTest, AHandlerMayCloseThePortItIsServedBy) {
    auto c = makeAscii("rt");
    Recorder r;
    r.attach(*c);
    int deactivated = 0;
    bool heldAtDeactivate = true;
    port.OnDeactivate = [&](TZRComm*) {
        ++deactivated;
        heldAtDeactivate = line->isOpen();
    };
    bool reopened = false;
    c->OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) {
        port.SetActive(false);
        // The device is free again by the time SetActive returns.
        EXPECT_FALSE(line->isOpen());
        port.SetActive(true);
        reopened = port.Active();
    };
    line->setPeer(echoPeer("MX52"));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return deactivated == 1; }));
    EXPECT_FALSE(heldAtDeactivate);
    EXPECT_TRUE(reopened);
    c->OnCommResult = nullptr;
    EXPECT_EQ(exchange(*c).data, QByteArray("rt MX52\r\n"));
}

// --- Binary protocols -------------------------------------------------------

class BinaryTest : public RequestTest {
  protected:
    template <class P> std::unique_ptr<P> make(const QByteArray& content) {
        auto p = std::make_unique<P>();
        p->SetZRComm(&port);
        for (int i = 0; i < content.size(); ++i)
            p->SetFrameByte(i + 1, std::uint8_t(content[i]));
        if (!content.isEmpty()) p->SetFrameByte(0, std::uint8_t(content.size() + 1));
        return p;
    }
    // One request of either protocol: its outcome, and what went on the line.
    Event exchangeBinary(bool zr2, const QByteArray& content, const QByteArray& reply,
                         QList<QByteArray>& written) {
        line->setPeer(answerAlways({{2, reply}}));
        const auto before = line->writes().size();
        Event e =
            zr2 ? exchange(*make<TZR2Protocol>(content)) : exchange(*make<TKDVProtocol>(content));
        written = line->writes().mid(before);
        return e;
    }
};

QByteArray bytes(std::initializer_list<int> v) {
    QByteArray a;
    for (int b : v)
        a.append(char(b));
    return a;
}

// The request frames are the codecs' business; here: that the worker puts
// them on the line, reads each kind of reply (good, an error frame, damaged
// in each way), and retries only where the protocol says so, each failed
// attempt acknowledged with the control frame.
TEST_F(BinaryTest, OutcomesRetriesAndControlFrames) {
    const QByteArray zr2Ack = bytes({0x82, 0x00, 0x82, 0x00}),
                     kdvAck = bytes({0x10, 0x00, 0x10, 0x00});
    const struct {
        bool zr2;
        QByteArray content, reply;
        std::int32_t code; // 0: a result
        QByteArray data;   // the result, or the payload of an error frame
        int writes;
        QByteArray lastWrite;
    } rows[] = {
        // ZR2: 82h doubled, checksum 03^82^01 = 80h, both ways.
        {true, bytes({0x82, 0x01}), bytes({0x82, 0x96, 0x03, 0x05, 0x82, 0x82, 0x84}), 0,
         bytes({0x03, 0x05, 0x82}), 1, bytes({0x82, 0x96, 0x03, 0x82, 0x82, 0x01, 0x80})},
        // KDV: DLE doubled inside the content, block check over the content once.
        {false, bytes({0x10, 0x41}), bytes({0x10, 0x02, 0x10, 0x10, 0x42, 0x10, 0x03, 0x52}), 0,
         bytes({0x03, 0x10, 0x42}), 1, bytes({0x10, 0x02, 0x10, 0x10, 0x41, 0x10, 0x03, 0x51})},
        // An error frame ends at once with its payload; neither protocol retries it.
        {true, bytes({0x10}), bytes({0x82, 0x96, 0x03, 0xFF, 0x07, 0x03 ^ 0xFF ^ 0x07}),
         CommCode::DeviceError, bytes({0x03, 0xFF, 0x07}), 1,
         bytes({0x82, 0x96, 0x02, 0x10, 0x12})},
        {false, bytes({0x01}), bytes({0x10, 0x02, 0xFF, 0x09, 0x10, 0x03, 0xFF ^ 0x09}),
         CommCode::DeviceError, QByteArray(), 1, bytes({0x10, 0x02, 0x01, 0x10, 0x03, 0x01})},
        // ZR2 never retries a bad reply.
        {true, bytes({0x01}), bytes({0x82, 0x97, 0x02, 0x01, 0x03}), CommCode::BadZR2Header,
         QByteArray(), 2, zr2Ack},
        {true, bytes({0x01}), bytes({0x82, 0x96, 0x02, 0x01, 0x07}), CommCode::BadChecksum,
         QByteArray(), 2, zr2Ack},
        {true, bytes({0x01}), bytes({0x82, 0x96, 0x03, 0x82, 0x01, 0x00}),
         CommCode::UndoubledZR2Escape, QByteArray(), 2, zr2Ack},
        {true, bytes({0x01}), bytes({0x82, 0x96, 0x00}), CommCode::BadChecksum, QByteArray(), 2,
         zr2Ack},
        {true, bytes({0x01}), QByteArray(), CommCode::Timeout, QByteArray(), 2, zr2Ack},
        // KDV tries a bad reply three times, a time-out once.
        {false, bytes({0x01}), bytes({0x10, 0x02, 0x01, 0x10, 0x04}), CommCode::BadKDVEscape,
         QByteArray(), 6, kdvAck},
        {false, bytes({0x01}), bytes({0x02, 0x10, 0x01}), CommCode::BadKDVHeader, QByteArray(), 6,
         kdvAck},
        {false, bytes({0x01}), bytes({0x10, 0x02, 0x01, 0x10, 0x03, 0x00}), CommCode::BadChecksum,
         QByteArray(), 6, kdvAck},
        {false, bytes({0x01}), QByteArray(), CommCode::Timeout, QByteArray(), 2, kdvAck},
        // More content than byte 0 can count never runs past the buffer.
        {false, bytes({0x01}), bytes({0x10, 0x02}) + QByteArray(700, 'x'), CommCode::BadChecksum,
         QByteArray(), 6, kdvAck},
        // An empty frame is refused before anything is sent.
        {true, QByteArray(), QByteArray(), CommCode::EmptyRequest, QByteArray(), 0, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.reply.toHex(' ').toStdString());
        QList<QByteArray> written;
        const Event e = exchangeBinary(r.zr2, r.content, r.reply, written);
        EXPECT_EQ(written.size(), r.writes);
        EXPECT_EQ(written.value(r.writes - 1), r.lastWrite);
        EXPECT_EQ(e.kind, r.code ? Event::Error : Event::Result);
        EXPECT_EQ(e.error.Code, r.code);
        if (!r.data.isEmpty()) {
            EXPECT_EQ(e.data, r.data);
        }
    }
}

TEST_F(RequestTest, TheWireTraceShowsRequestAndReplyInHexAndText) {
    static QStringList lines;
    lines.clear();
    QLoggingCategory::setFilterRules(QStringLiteral("kqm52.link.debug=true"));
    const QtMessageHandler old = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { lines.append(m); });
    auto c = makeAscii("rt");
    line->setPeer(answerAlways({{2, "MX52\r\n"}}));
    exchange(*c);
    qInstallMessageHandler(old);
    QLoggingCategory::setFilterRules(QStringLiteral("kqm52.link.debug=false"));
    const QString all = lines.join('\n');
    EXPECT_TRUE(all.contains("send 72 74 0d")) << all.toStdString();
    EXPECT_TRUE(all.contains("\"rt%0D\"")) << all.toStdString();
    EXPECT_TRUE(all.contains("recv 4d 58 35 32 0d 0a")) << all.toStdString();
    EXPECT_TRUE(all.contains("\"MX52%0D%0A\"")) << all.toStdString();
}

TEST_F(RequestTest, TheOwnerWindowHearsOfEveryFinishedRequest) {
    struct Owner : QWidget {
        int finished = 0;
        void customEvent(QEvent* e) override {
            if (e->type() == requestFinishedEventType()) ++finished;
        }
    } owner;
    auto* c = new TRQ500Protocol(&owner);
    c->setUpForDevice();
    c->SetASCIIProtocol("rt");
    c->SetZRComm(&port);
    line->setPeer(answerAlways({{2, "MX52\r\n"}}));
    exchange(*c);
    c->SetASCIIProtocol("rv");
    exchange(*c); // a time-out finishes a request too
    EXPECT_TRUE(waitFor([&] { return owner.finished == 2; }));
}

} // namespace
