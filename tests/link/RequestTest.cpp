// Requests on the wire and their outcomes, on a virtual clock: framing,
// time-outs, the silence that ends a reply, retries and error reporting.

#include "LinkFixture.h"

#include <atomic>

using namespace kqm52;
using namespace kqm52::test;

namespace {

class RequestTest : public LinkFixture {
protected:
    void SetUp() override { port.SetActive(true); }
};

TEST_F(RequestTest, RequestTextIsTrimmedAndEndsInCR) {
    auto c = makeAscii("  rp 0 ");
    Recorder r;
    r.attach(*c);
    line->setPeer(echoPeer("17"));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(line->wire(), QByteArray("rp 0\r"));
    EXPECT_EQ(c->ASCIIProtocol(), "rp 0");
    ASSERT_EQ(r.events[0].kind, Event::Result);
    EXPECT_EQ(r.events[0].data, QByteArray("rp 0 17\r\n"));
}

TEST_F(RequestTest, AReplyIsEveryByteUpToTheSilence) {
    auto c = makeAscii("rt");
    Recorder r;
    r.attach(*c);
    line->setPeer(answerAlways({{5, "12345\r"}}));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    ASSERT_EQ(r.events[0].kind, Event::Result);
    EXPECT_EQ(r.events[0].data, QByteArray("12345\r"));
    EXPECT_EQ(r.events[0].data.size(), 6);
}

TEST_F(RequestTest, EmptyTextSendsALoneCROrNothing) {
    auto withFoot = makeAscii("   ");
    Recorder r;
    r.attach(*withFoot);
    withFoot->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(line->wire(), QByteArray("\r"));

    auto bare = makeAscii("");
    bare->SetProtocolFoot(TSequenceChar::scNone);
    Recorder rb;
    rb.attach(*bare);
    bare->Send();
    ASSERT_TRUE(waitFor([&] { return rb.outcomes() == 1; }));
    EXPECT_EQ(line->wire(), QByteArray("\r")); // nothing more was written
    EXPECT_EQ(rb.events[0].error.Code, CommCode::Timeout);
}

TEST_F(RequestTest, FirstByteMayTakeUpToTheTimeout) {
    struct Case {
        int timeout;
        long long firstByteAt;
        bool answered;
    };
    const Case cases[] = {{0, 99, true}, {0, 101, false}, {-5, 100, true},
                          {300, 290, true}, {300, 320, false}};
    for (const auto& k : cases) {
        auto c = makeAscii("rf", k.timeout);
        Recorder r;
        r.attach(*c);
        line->setPeer(answerAlways({{k.firstByteAt, "rf -1\r\n"}}));
        const int writesBefore = int(line->writes().size());
        c->Send();
        ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
        EXPECT_EQ(r.outcomes(), 1);
        if (k.answered) {
            EXPECT_EQ(r.events[0].kind, Event::Result) << k.timeout << "/" << k.firstByteAt;
        } else {
            ASSERT_EQ(r.events[0].kind, Event::Error) << k.timeout << "/" << k.firstByteAt;
            EXPECT_EQ(r.events[0].error, (TCommError{CommCode::Timeout, 0, 0}));
            EXPECT_EQ(int(line->writes().size()) - writesBefore, 1) << "a time-out is not retried";
        }
        ASSERT_TRUE(settle());
    }
}

TEST_F(RequestTest, ASixtyMillisecondGapCutsTheReply) {
    auto c = makeAscii("rh");
    Recorder r;
    r.attach(*c);
    line->setPeer(answerAlways({{2, "rh AB"}, {62, "CD\r\n"}}));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(r.events[0].data, QByteArray("rh AB"));

    // 45 ms between the halves is still one reply.
    line->setPeer(answerAlways({{2, "rh AB"}, {47, "CD\r\n"}}));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 2; }));
    EXPECT_EQ(r.events[1].data, QByteArray("rh ABCD\r\n"));
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
    QTest::qWait(20);
    EXPECT_EQ(r.outcomes(), 0);
    EXPECT_TRUE(line->writes().isEmpty());

    TRQ500Protocol unbound;
    Recorder ru;
    ru.attach(unbound);
    unbound.SetASCIIProtocol("rt");
    unbound.Send();
    EXPECT_EQ(ru.outcomes(), 0);
}

TEST_F(RequestTest, StartAndStopCharactersAreFilteredOut) {
    auto c = makeAscii("rq");
    c->SetReceiveStart(TSequenceChar::scSTX);
    c->SetReceiveStop(TSequenceChar::scETX);
    c->SetFiltered(true);
    Recorder r;
    r.attach(*c);
    line->setPeer(answerAlways({{3, "\x02ok\x03"}, {4, "trailing"}}));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    ASSERT_EQ(r.events[0].kind, Event::Result);
    EXPECT_EQ(r.events[0].data, QByteArray("ok"));
}

TEST_F(RequestTest, AWrongStartCharacterIsTriedThreeTimesAndReportedOnce) {
    auto c = makeAscii("rq");
    c->SetReceiveStart(TSequenceChar::scSTX);
    c->SetReceiveStop(TSequenceChar::scETX);
    c->SetFiltered(true);
    Recorder r;
    r.attach(*c);
    line->setPeer(answerAlways({{3, "ok\x03"}}));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(line->writes().size(), 3);
    EXPECT_EQ(r.outcomes(), 1);
    EXPECT_EQ(r.events[0].error.Code, CommCode::BadStartChar);
}

TEST_F(RequestTest, LineErrorsCarryTheDriversFlags) {
    auto c = makeAscii("r0");
    Recorder r;
    r.attach(*c);
    line->setPeer(echoPeer("12"));
    // Every attempt sees a parity error after its first reply byte.
    line->setPeer([this](const QByteArray& w) {
        line->injectLineErrors(LineErrorParity | LineErrorFrame, 1);
        return std::vector<Chunk>{{2, w.left(2) + " 12\r\n"}};
    });
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    ASSERT_EQ(r.events[0].kind, Event::Error);
    EXPECT_EQ(r.events[0].error.Code, CommCode::LineError);
    EXPECT_EQ(r.events[0].error.LineErrors, std::int32_t(LineErrorParity | LineErrorFrame));
    EXPECT_EQ(r.events[0].error.SystemError, 0);
    EXPECT_EQ(line->writes().size(), 3);
}

TEST_F(RequestTest, AFailedAttemptsBytesAreDroppedFromTheResult) {
    auto c = makeAscii("r0");
    Recorder r;
    r.attach(*c);
    int attempt = 0;
    line->setPeer([&](const QByteArray&) {
        if (++attempt == 1)
            line->injectLineErrors(LineErrorOverrun, 2);
        return std::vector<Chunk>{{2, attempt == 1 ? QByteArray("r0 999\r\n") : QByteArray("r0 7\r\n")}};
    });
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    ASSERT_EQ(r.events[0].kind, Event::Result);
    EXPECT_EQ(r.events[0].data, QByteArray("r0 7\r\n"));
}

TEST_F(RequestTest, AFailingDriverCallReportsTheSystemErrorPaced) {
    auto c = makeAscii("r0", 100);
    Recorder r;
    r.attach(*c);
    line->failCall("write", EIO, 3);
    const long long before = line->nowMs();
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(r.events[0].error, (TCommError{CommCode::DriverFailed, EIO, 0}));
    // three attempts, each followed by a pause of the request's time-out
    EXPECT_GE(line->nowMs() - before, 300);
}

TEST_F(RequestTest, ADeviceVanishingMidReplyEndsInAFailedCallNotAHang) {
    auto c = makeAscii("rp 12");
    Recorder r;
    r.attach(*c);
    line->setPeer(echoPeer("4711"));
    line->vanishAfter(4);
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    ASSERT_EQ(r.events[0].kind, Event::Error);
    EXPECT_EQ(r.events[0].error, (TCommError{CommCode::DriverFailed, EIO, 0}));
}

TEST_F(RequestTest, ATooLongRequestIsReportedAndNeverSent) {
    auto c = makeAscii(QString(254, 'x')); // 254 + CR does not fit
    Recorder r;
    r.attach(*c);
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(r.events[0].error.Code, CommCode::RequestTooLong);
    EXPECT_TRUE(line->writes().isEmpty());

    auto fits = makeAscii(QString(253, 'y'));
    Recorder rf;
    rf.attach(*fits);
    line->setPeer(answerAlways({{1, "ok\r\n"}}));
    fits->Send();
    ASSERT_TRUE(waitFor([&] { return rf.outcomes() == 1; }));
    EXPECT_EQ(line->wire(), QByteArray(253, 'y') + '\r');
}

TEST_F(RequestTest, ACyclicRequestThatCanNeverBeSentStops) {
    auto c = makeAscii(QString(300, 'x'));
    Recorder r;
    r.attach(*c);
    c->SetActive(true);
    ASSERT_TRUE(waitFor([&] { return r.count(Event::Deactivate) == 1; }));
    EXPECT_FALSE(c->Active());
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
        if (k >= 2 && k <= 4)
            return std::vector<Chunk>{};
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
    EXPECT_EQ(kinds[1], Event::Result);                  // 1
    EXPECT_EQ(kinds[2], Event::Error);                   // 2: time-out, once
    EXPECT_EQ(r.events[2].error.Code, CommCode::Timeout);
    EXPECT_EQ(kinds[3], Event::Result);                  // 5: answers again
    EXPECT_EQ(kinds[4], Event::Error);                   // ... and the error clears
    EXPECT_TRUE(r.events[4].error.ok());
    EXPECT_EQ(kinds[5], Event::Result);                  // 6
    EXPECT_EQ(r.count(Event::Error), 2);
}

TEST_F(RequestTest, SwitchingACyclingComponentOnAgainDoesNotDoubleTheLoad) {
    auto c = makeAscii("r0");
    int results = 0;
    c->OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) { ++results; };
    line->setPeer(echoPeer("1"));
    c->SetActive(true);
    c->SetActive(true);
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
    a->OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) { ADD_FAILURE() << "delivered"; };
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
    port.OnDeactivate = [&](TZRComm*) { ++deactivated; };
    c->OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) { port.SetActive(false); };
    line->setPeer(echoPeer("MX52"));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return deactivated == 1; }));
    EXPECT_FALSE(port.Active());
    // The released worker cleans up from the event loop; the port opens again.
    QTest::qWait(10);
    port.SetActive(true);
    EXPECT_TRUE(port.Active());
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

TEST_F(BinaryTest, ZR2DoublesEscapesOnlyOnTheLine) {
    auto p = make<TZR2Protocol>({0x82, 0x01});
    Recorder r;
    r.attach(*p);
    // reply: length 3, payload 05 82, checksum 03^05^82 = 0x84
    line->setPeer(answerAlways({{2, bytes({0x82, 0x96, 0x03, 0x05, 0x82, 0x82, 0x84})}}));
    p->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    // frame: 03 82 01, checksum 03^82^01 = 0x80
    EXPECT_EQ(line->wire(), bytes({0x82, 0x96, 0x03, 0x82, 0x82, 0x01, 0x80}));
    ASSERT_EQ(r.events[0].kind, Event::Result);
    EXPECT_EQ(r.events[0].data, bytes({0x03, 0x05, 0x82}));
}

TEST_F(BinaryTest, ZR2ErrorFrameEndsWith4096AndItsPayload) {
    auto p = make<TZR2Protocol>({0x10});
    Recorder r;
    r.attach(*p);
    line->setPeer(answerAlways({{2, bytes({0x82, 0x96, 0x03, 0xFF, 0x07, 0x03 ^ 0xFF ^ 0x07})}}));
    p->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(r.events[0].error.Code, CommCode::DeviceError);
    EXPECT_EQ(r.events[0].data, bytes({0x03, 0xFF, 0x07}));
    EXPECT_EQ(line->writes().size(), 1);
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
        Recorder r;
        r.attach(*p);
        line->setPeer(answerAlways({{2, k.reply}}));
        const int before = int(line->writes().size());
        p->Send();
        ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
        ASSERT_TRUE(settle());
        EXPECT_EQ(r.events[0].error.Code, k.code);
        const auto w = line->writes();
        ASSERT_EQ(w.size() - before, 2) << k.code;
        EXPECT_EQ(w.last(), bytes({0x82, 0x00, 0x82, 0x00}));
    }
}

TEST_F(BinaryTest, KDVDoublesDLEAndChecksTheBlock) {
    auto p = make<TKDVProtocol>({0x10, 0x41});
    Recorder r;
    r.attach(*p);
    // reply content 10 42: DLE doubled, bcc 10^42 = 0x52
    line->setPeer(answerAlways({{2, bytes({0x10, 0x02, 0x10, 0x10, 0x42, 0x10, 0x03, 0x52})}}));
    p->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(line->wire(), bytes({0x10, 0x02, 0x10, 0x10, 0x41, 0x10, 0x03, 0x51}));
    ASSERT_EQ(r.events[0].kind, Event::Result);
    EXPECT_EQ(r.events[0].data, bytes({0x03, 0x10, 0x42}));
}

TEST_F(BinaryTest, KDVRetriesBadRepliesThreeTimesButNotATimeout) {
    auto p = make<TKDVProtocol>({0x01});
    Recorder r;
    r.attach(*p);
    line->setPeer(answerAlways({{2, bytes({0x10, 0x02, 0x01, 0x10, 0x04})}}));
    p->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(r.events[0].error.Code, CommCode::BadKDVEscape);
    // three requests, each followed by the control frame
    EXPECT_EQ(line->writes().size(), 6);
    EXPECT_EQ(line->writes().last(), bytes({0x10, 0x00, 0x10, 0x00}));

    line->setPeer(answerAlways({}));
    p->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 2; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(r.events[1].error.Code, CommCode::Timeout);
    EXPECT_EQ(line->writes().size(), 8);
}

TEST_F(BinaryTest, AnOverlongKDVReplyNeverRunsPastTheBuffer) {
    auto p = make<TKDVProtocol>({0x01});
    Recorder r;
    r.attach(*p);
    QByteArray reply = bytes({0x10, 0x02});
    reply += QByteArray(700, 'x'); // more content than byte 0 can count
    line->setPeer(answerAlways({{2, reply}}));
    p->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(r.events[0].error.Code, CommCode::BadChecksum);
}

TEST_F(RequestTest, ALongAsciiReplyArrivesWhole) {
    auto c = makeAscii("rh");
    Recorder r;
    r.attach(*c);
    const QByteArray text = "rh " + QByteArray(1500, 'y') + "\r\n";
    line->setPeer(answerAlways({{2, text}}));
    c->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(r.events[0].data, text);
}

TEST_F(BinaryTest, KDVErrorFrameEndsWith4096) {
    auto p = make<TKDVProtocol>({0x01});
    Recorder r;
    r.attach(*p);
    line->setPeer(answerAlways({{2, bytes({0x10, 0x02, 0xFF, 0x09, 0x10, 0x03, 0xFF ^ 0x09})}}));
    p->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(r.events[0].error.Code, CommCode::DeviceError);
    EXPECT_EQ(line->writes().size(), 1);
}

TEST_F(BinaryTest, AnEmptyFrameIsNotSent) {
    auto p = std::make_unique<TZR2Protocol>();
    p->SetZRComm(&port);
    Recorder r;
    r.attach(*p);
    p->Send();
    ASSERT_TRUE(waitFor([&] { return r.outcomes() == 1; }));
    EXPECT_EQ(r.events[0].error.Code, CommCode::EmptyRequest);
    EXPECT_TRUE(line->writes().isEmpty());
}

} // namespace
