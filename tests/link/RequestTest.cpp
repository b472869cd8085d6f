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

TEST_F(RequestTest, RequestsOfTwoComponentsRunInSendOrderOneAtATime) {
    auto a = makeAscii("r0");
    auto b = makeAscii("r1");
    std::vector<QByteArray> order;
    a->OnCommResult = [&](TZRProtocolComponent*, const QByteArray& res) { order.push_back(res); };
    b->OnCommResult = [&](TZRProtocolComponent*, const QByteArray& res) { order.push_back(res); };
    line->setPeer(echoPeer("5"));
    b->Send();
    a->Send();
    EXPECT_EQ(port.queuedRequests(), 2);
    ASSERT_TRUE(waitFor([&] { return order.size() == 2; }));
    EXPECT_EQ(order[0], QByteArray("r1 5\r\n"));
    EXPECT_EQ(order[1], QByteArray("r0 5\r\n"));
    EXPECT_EQ(line->writes(), (QList<QByteArray>{"r1\r", "r0\r"}));
}

TEST_F(RequestTest, ARequestOnAClosedPortIsNotQueuedAndFiresNothing) {
    auto c = makeAscii("rt");
    Recorder r;
    r.attach(*c);
    port.SetActive(false);
    c->Send();
    QCoreApplication::processEvents(); // an outcome would be posted, if any
    EXPECT_EQ(r.outcomes(), 0);
    EXPECT_TRUE(line->writes().isEmpty());

    TRQ500Protocol unbound;
    Recorder ru;
    ru.attach(unbound);
    unbound.SetASCIIProtocol("rt");
    unbound.Send();
    EXPECT_EQ(ru.outcomes(), 0);
}

TEST_F(RequestTest, StartAndStopCharactersFrameTheReply) {
    auto c = makeAscii("rq");
    c->SetReceiveStart(TSequenceChar::scSTX);
    c->SetReceiveStop(TSequenceChar::scETX);
    c->SetFiltered(true);
    line->setPeer(answerAlways({{3, "\x02ok\x03"}, {4, "trailing"}}));
    const Event good = exchange(*c);
    EXPECT_EQ(good.kind, Event::Result);
    EXPECT_EQ(good.data, QByteArray("ok"));

    // Without its start character the reply is tried three times, reported once.
    line->setPeer(answerAlways({{3, "ok\x03"}}));
    const auto writesBefore = line->writes().size();
    EXPECT_EQ(exchange(*c).error.Code, CommCode::BadStartChar);
    EXPECT_EQ(line->writes().size() - writesBefore, 3);
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
    // Plugged in again, the user presses Open.
    line->vanishAfter(-1);
    port.SetActive(true);
    EXPECT_EQ(port.LastSystemError(), 0);
    auto again = makeAscii("rp 12");
    EXPECT_EQ(exchange(*again).data, QByteArray("rp 12 4711\r\n"));
}

TEST_F(RequestTest, AChatteringLineEndsTheRequestWithinTenSecondsAndTheQueueGoesOn) {
    port.SetBaudrate(TBaudrate::br1200);
    auto c = makeAscii("rp 1", 2000);
    std::vector<Chunk> chatter;
    for (int i = 0; i < 20000; ++i) // a byte every 9 ms: what 1200 bit/s carries
        chatter.push_back({2 + 9LL * i, "z"});
    line->setPeer(answerAlways(chatter));
    const long long before = line->nowMs();
    const Event e = exchange(*c);
    EXPECT_EQ(e.error, (TCommError{CommCode::LineError, 0, std::int32_t(LineErrorRxOverflow)}));
    EXPECT_LT(line->nowMs() - before, 10000);
    EXPECT_EQ(line->writes().size(), 1) << "a retry would meet the same chatter";

    line->setPeer(echoPeer("3"));
    auto next = makeAscii("rp 2");
    EXPECT_EQ(exchange(*next).data, QByteArray("rp 2 3\r\n"));
}

TEST_F(RequestTest, ATooLongRequestIsReportedAndNeverSent) {
    auto c = makeAscii(QString(254, 'x')); // 254 + CR does not fit
    EXPECT_EQ(exchange(*c).error.Code, CommCode::RequestTooLong);
    EXPECT_TRUE(line->writes().isEmpty());

    auto fits = makeAscii(QString(253, 'y'));
    line->setPeer(answerAlways({{1, "ok\r\n"}}));
    EXPECT_EQ(exchange(*fits).kind, Event::Result);
    EXPECT_EQ(line->wire(), QByteArray(253, 'y') + '\r');

    // Nothing went out, so a good reply afterwards clears nothing: no extra
    // all-zero error follows it (exchange counts the outcomes).
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

TEST_F(RequestTest, DestroyingAComponentRemovesItsWaitingRequest) {
    auto a = makeAscii("r0");
    auto b = makeAscii("r1");
    auto d = makeAscii("r4");
    Recorder ra, rd;
    ra.attach(*a);
    rd.attach(*d);
    line->setPeer(echoPeer("3"));
    a->Send();
    b->Send();
    d->Send();
    b.reset();
    ASSERT_TRUE(waitFor([&] { return rd.outcomes() == 1; }));
    EXPECT_EQ(line->writes(), (QList<QByteArray>{"r0\r", "r4\r"}));
    EXPECT_EQ(ra.outcomes(), 1);
}

TEST_F(RequestTest, DestroyingAComponentWhoseRequestIsOnTheLineDeliversNothing) {
    auto a = makeAscii("r0");
    auto b = makeAscii("r1");
    Recorder rb;
    rb.attach(*b);
    bool destroyed = false;
    // Destroy a while its reply is being handed over byte by byte.
    a->OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) {
        ADD_FAILURE() << "delivered";
    };
    line->setPeer(echoPeer("3"));
    a->Send();
    b->Send();
    QObject::connect(a.get(), &QObject::destroyed, [&] { destroyed = true; });
    a.reset();
    ASSERT_TRUE(destroyed);
    ASSERT_TRUE(waitFor([&] { return rb.outcomes() == 1; }));
    EXPECT_EQ(rb.events[0].data, QByteArray("r1 3\r\n"));
}

TEST_F(RequestTest, AHandlerMaySendFromItsOwnEvent) {
    auto c = makeAscii("rp 0");
    int next = 0;
    QList<QByteArray> replies;
    c->OnCommResult = [&](TZRProtocolComponent*, const QByteArray& res) {
        replies.append(res);
        if (++next < 5) {
            c->SetASCIIProtocol(QString("rp %1").arg(next));
            c->Send();
        }
    };
    line->setPeer(echoPeer("0"));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return replies.size() == 5; }));
    EXPECT_EQ(replies.last(), QByteArray("rp 4 0\r\n"));
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
    template <class P> std::unique_ptr<P> make(std::initializer_list<std::uint8_t> content) {
        auto p = std::make_unique<P>();
        p->SetZRComm(&port);
        int i = 1;
        for (std::uint8_t b : content)
            p->SetFrameByte(i++, b);
        p->SetFrameByte(0, std::uint8_t(i));
        return p;
    }
    static QByteArray bytes(std::initializer_list<int> v) {
        QByteArray a;
        for (int b : v)
            a.append(char(b));
        return a;
    }
};

TEST_F(BinaryTest, FramesAndRepliesAsTheWireHasThem) {
    // ZR2: frame 03 82 01 goes out with 82h doubled, checksum 03^82^01 = 80h;
    // the reply 03 05 82 (checksum 84h) comes back with its 82h doubled.
    auto zr2 = make<TZR2Protocol>({0x82, 0x01});
    line->setPeer(answerAlways({{2, bytes({0x82, 0x96, 0x03, 0x05, 0x82, 0x82, 0x84})}}));
    Event e = exchange(*zr2);
    EXPECT_EQ(line->wire(), bytes({0x82, 0x96, 0x03, 0x82, 0x82, 0x01, 0x80}));
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, bytes({0x03, 0x05, 0x82}));

    // KDV: DLE doubled inside the content, block check over the content once.
    auto kdv = make<TKDVProtocol>({0x10, 0x41});
    line->setPeer(answerAlways({{2, bytes({0x10, 0x02, 0x10, 0x10, 0x42, 0x10, 0x03, 0x52})}}));
    const QByteArray before = line->wire();
    e = exchange(*kdv);
    EXPECT_EQ(line->wire().mid(before.size()),
              bytes({0x10, 0x02, 0x10, 0x10, 0x41, 0x10, 0x03, 0x51}));
    EXPECT_EQ(e.kind, Event::Result);
    EXPECT_EQ(e.data, bytes({0x03, 0x10, 0x42}));
}

TEST_F(BinaryTest, AnErrorFrameEndsAtOnceWith4096AndItsPayload) {
    auto zr2 = make<TZR2Protocol>({0x10});
    line->setPeer(answerAlways({{2, bytes({0x82, 0x96, 0x03, 0xFF, 0x07, 0x03 ^ 0xFF ^ 0x07})}}));
    Event e = exchange(*zr2);
    EXPECT_EQ(e.error.Code, CommCode::DeviceError);
    EXPECT_EQ(e.data, bytes({0x03, 0xFF, 0x07}));

    auto kdv = make<TKDVProtocol>({0x01});
    line->setPeer(answerAlways({{2, bytes({0x10, 0x02, 0xFF, 0x09, 0x10, 0x03, 0xFF ^ 0x09})}}));
    EXPECT_EQ(exchange(*kdv).error.Code, CommCode::DeviceError);
    EXPECT_EQ(line->writes().size(), 2) << "neither is retried";
}

TEST_F(BinaryTest, ZR2ReceiveErrorsSendTheControlFrameAndNeverRetry) {
    struct Case {
        QByteArray reply;
        int code;
    };
    const Case cases[] = {
        {bytes({0x82, 0x97, 0x02, 0x01, 0x03}), CommCode::BadZR2Header},
        {bytes({0x82, 0x96, 0x02, 0x01, 0x07}), CommCode::BadChecksum},
        {bytes({0x82, 0x96, 0x03, 0x82, 0x01, 0x00}), CommCode::UndoubledZR2Escape},
        {QByteArray(), CommCode::Timeout},
    };
    for (const auto& k : cases) {
        auto p = make<TZR2Protocol>({0x01});
        line->setPeer(answerAlways({{2, k.reply}}));
        const auto before = line->writes().size();
        EXPECT_EQ(exchange(*p).error.Code, k.code);
        ASSERT_EQ(line->writes().size() - before, 2) << k.code;
        EXPECT_EQ(line->writes().last(), bytes({0x82, 0x00, 0x82, 0x00}));
    }
}

TEST_F(BinaryTest, KDVRetriesBadRepliesThreeTimesButNotATimeout) {
    auto p = make<TKDVProtocol>({0x01});
    line->setPeer(answerAlways({{2, bytes({0x10, 0x02, 0x01, 0x10, 0x04})}}));
    EXPECT_EQ(exchange(*p).error.Code, CommCode::BadKDVEscape);
    // three requests, each followed by the control frame
    EXPECT_EQ(line->writes().size(), 6);
    EXPECT_EQ(line->writes().last(), bytes({0x10, 0x00, 0x10, 0x00}));

    line->setPeer(answerAlways({}));
    EXPECT_EQ(exchange(*p).error.Code, CommCode::Timeout);
    EXPECT_EQ(line->writes().size(), 8);
}

TEST_F(BinaryTest, BadFramesNeverRunPastTheBuffer) {
    auto empty = std::make_unique<TZR2Protocol>();
    empty->SetZRComm(&port);
    EXPECT_EQ(exchange(*empty).error.Code, CommCode::EmptyRequest);
    EXPECT_TRUE(line->writes().isEmpty());

    // more content than byte 0 can count
    auto kdv = make<TKDVProtocol>({0x01});
    line->setPeer(answerAlways({{2, bytes({0x10, 0x02}) + QByteArray(700, 'x')}}));
    EXPECT_EQ(exchange(*kdv).error.Code, CommCode::BadChecksum);
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

TEST_F(RequestTest, ALongAsciiReplyArrivesWhole) {
    auto c = makeAscii("rh");
    const QByteArray text = "rh " + QByteArray(1500, 'y') + "\r\n";
    line->setPeer(answerAlways({{2, text}}));
    EXPECT_EQ(exchange(*c).data, text);
}

} // namespace
