// The three frame formats on their own: request frame in, line bytes out,
// and line bytes in, reply and outcome out.  The worker's retries around
// them are in RequestTest.

#include "link/AsciiCodec.h"
#include "link/BinaryCodecs.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

using namespace kqm52;

namespace {

QByteArray bytes(std::initializer_list<int> v) {
    QByteArray a;
    for (int b : v)
        a.append(char(b));
    return a;
}

// A request frame: count byte (content + 1), then the content.
std::array<std::uint8_t, FrameSize> frameOf(const QByteArray& content) {
    std::array<std::uint8_t, FrameSize> f{};
    f[0] = std::uint8_t(content.size() + 1);
    for (int i = 0; i < content.size(); ++i)
        f[i + 1] = std::uint8_t(content[i]);
    return f;
}

TEST(AsciiCodec, RequestLinesAsTheyGoOnTheLine) {
    const struct {
        const char* text;
        std::uint8_t head, foot;
        QByteArray wire;
    } rows[] = {
        {"km 1", 0, 0x0D, "km 1\r"},
        {"", 0, 0x0D, "\r"},
        {"", 0, 0, ""},
        {"rp 0", 0x02, 0x03, "\x02rp 0\x03"},
    };
    for (const auto& r : rows) {
        std::array<std::uint8_t, FrameSize> f{};
        ASSERT_TRUE(buildAsciiFrame(r.text, r.head, r.foot, f)) << r.text;
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(f.data()) + 1, f[0] - 1), r.wire);
    }
    // 254 bytes of head, text and foot fit the count byte; 255 do not, and
    // the frame is left as it was.
    std::array<std::uint8_t, FrameSize> f{};
    EXPECT_TRUE(buildAsciiFrame(QByteArray(253, 'y'), 0, 0x0D, f));
    EXPECT_EQ(f[0], 255);
    f[0] = 7;
    EXPECT_FALSE(buildAsciiFrame(QByteArray(254, 'x'), 0, 0x0D, f));
    EXPECT_EQ(f[0], 7);
    EXPECT_EQ(trimAsciiRequest("  rp 0 \r\n"), "rp 0");
    EXPECT_EQ(trimAsciiRequest("\t \x01"), "");
}

TEST(AsciiCodec, StartAndStopCharactersDecideWhatAReplyKeeps) {
    // Kept bytes and the final step for each reply, fed whole.
    const struct {
        std::uint8_t start, stop;
        bool filtered;
        QByteArray line;
        QByteArray kept;
        DecodeStep last;
        int fedBytes; // where the reader stopped
    } rows[] = {
        {0, 0, false, "12345\r", "12345\r", DecodeStep::More, 6},
        {0x02, 0x03, true, "\x02ok\x03tail", "ok", DecodeStep::Done, 4},
        {0x02, 0x03, false, "\x02ok\x03", "\x02ok\x03", DecodeStep::Done, 4},
        {0x02, 0x03, true, "ok\x03", "", DecodeStep::Failed, 1},
        {0, 0x0D, false, "a\rb", "a\r", DecodeStep::Done, 2},
    };
    for (const auto& r : rows) {
        AsciiReplyReader reader(r.start, r.stop, r.filtered);
        QByteArray kept;
        DecodeStep last = DecodeStep::More;
        int fed = 0;
        for (char c : r.line) {
            const auto step = reader.feed(std::uint8_t(c));
            ++fed;
            if (step.keep) kept.append(c);
            last = step.step;
            if (last == DecodeStep::Failed) {
                EXPECT_EQ(step.error, CommCode::BadStartChar);
            }
            if (last != DecodeStep::More) break;
        }
        EXPECT_EQ(kept, r.kept) << r.line.toHex().constData();
        EXPECT_EQ(last, r.last) << r.line.toHex().constData();
        EXPECT_EQ(fed, r.fedBytes) << r.line.toHex().constData();
    }
}

TEST(BinaryCodecs, RequestFramesAsTheyGoOnTheLine) {
    const struct {
        bool zr2;
        QByteArray content;
        QByteArray wire;
    } rows[] = {
        // payload = count byte + content; checksum over the payload; 82h doubled
        {true, bytes({0x01, 0x02}), bytes({0x82, 0x96, 0x03, 0x01, 0x02, 0x00})},
        {true, bytes({0x82}), bytes({0x82, 0x96, 0x02, 0x82, 0x82, 0x80})},
        {true, bytes({0x80}), bytes({0x82, 0x96, 0x02, 0x80, 0x82, 0x82})},
        // content only; DLE doubled, counted once in the block check
        {false, bytes({0x01, 0x02}), bytes({0x10, 0x02, 0x01, 0x02, 0x10, 0x03, 0x03})},
        {false, bytes({0x10, 0x05}), bytes({0x10, 0x02, 0x10, 0x10, 0x05, 0x10, 0x03, 0x15})},
    };
    for (const auto& r : rows) {
        std::array<std::uint8_t, FrameSize> out{};
        const auto f = frameOf(r.content);
        const int n = r.zr2 ? encodeZR2(f.data(), out.data()) : encodeKDV(f.data(), out.data());
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out.data()), n), r.wire)
            << r.content.toHex().constData();
    }
    // The longest ZR2 frame, 254 bytes of 82h, doubles to exactly the buffer.
    std::array<std::uint8_t, FrameSize> out{};
    EXPECT_EQ(encodeZR2(frameOf(QByteArray(254, char(0x82))).data(), out.data()), FrameSize);
    EXPECT_EQ(out[FrameSize - 1], 0xFF);
}

// Replies as they come off the line, fed byte by byte: where each decoder
// stops, how, and the reply it leaves for the component.
TEST(BinaryCodecs, RepliesOffTheLine) {
    const struct {
        const char* what;
        bool zr2;
        QByteArray line;
        DecodeStep last;
        std::int32_t error;
        int fedBytes;     // where the decoder stopped
        QByteArray reply; // ZR2: length, payload, checksum; KDV: count byte, content
        bool errorFrame;
    } rows[] = {
        {"zr2 plain", true, bytes({0x82, 0x96, 0x03, 0x01, 0x02, 0x00}), DecodeStep::Done, 0, 6,
         bytes({0x03, 0x01, 0x02, 0x00}), false},
        {"zr2 doubled 82h", true, bytes({0x82, 0x96, 0x02, 0x82, 0x82, 0x80}), DecodeStep::Done, 0,
         6, bytes({0x02, 0x82, 0x80}), false},
        {"zr2 doubled checksum", true, bytes({0x82, 0x96, 0x02, 0x80, 0x82, 0x82}),
         DecodeStep::Done, 0, 6, bytes({0x02, 0x80, 0x82}), false},
        {"zr2 error frame", true, bytes({0x82, 0x96, 0x03, 0xFF, 0x05, 0xF9}), DecodeStep::Done, 0,
         6, bytes({0x03, 0xFF, 0x05, 0xF9}), true},
        {"zr2 bad header",
         true,
         bytes({0x82, 0x95, 0x03}),
         DecodeStep::Failed,
         CommCode::BadZR2Header,
         3,
         {},
         false},
        {"zr2 bad checksum",
         true,
         bytes({0x82, 0x96, 0x03, 0x01, 0x02, 0x01}),
         DecodeStep::Failed,
         CommCode::BadChecksum,
         6,
         {},
         false},
        {"zr2 undoubled 82h",
         true,
         bytes({0x82, 0x96, 0x03, 0x82, 0x01}),
         DecodeStep::Failed,
         CommCode::UndoubledZR2Escape,
         5,
         {},
         false},
        {"zr2 zero length",
         true,
         bytes({0x82, 0x96, 0x00}),
         DecodeStep::Failed,
         CommCode::BadChecksum,
         3,
         {},
         false},
        {"zr2 cut short", true, bytes({0x82, 0x96, 0x03, 0x01}), DecodeStep::More, 0, 4, {}, false},
        {"kdv plain", false, bytes({0x10, 0x02, 0x01, 0x02, 0x10, 0x03, 0x03}), DecodeStep::Done, 0,
         7, bytes({0x03, 0x01, 0x02}), false},
        {"kdv doubled DLE", false, bytes({0x10, 0x02, 0x10, 0x10, 0x05, 0x10, 0x03, 0x15}),
         DecodeStep::Done, 0, 8, bytes({0x03, 0x10, 0x05}), false},
        {"kdv error frame", false, bytes({0x10, 0x02, 0xFF, 0x07, 0x10, 0x03, 0xF8}),
         DecodeStep::Done, 0, 7, bytes({0x03, 0xFF, 0x07}), true},
        {"kdv bad header",
         false,
         bytes({0x10, 0x03, 0x01}),
         DecodeStep::Failed,
         CommCode::BadKDVHeader,
         3,
         {},
         false},
        {"kdv bad escape",
         false,
         bytes({0x10, 0x02, 0x01, 0x10, 0x04}),
         DecodeStep::Failed,
         CommCode::BadKDVEscape,
         5,
         {},
         false},
        {"kdv bad check",
         false,
         bytes({0x10, 0x02, 0x01, 0x02, 0x10, 0x03, 0x04}),
         DecodeStep::Failed,
         CommCode::BadChecksum,
         7,
         {},
         false},
    };
    for (const auto& r : rows) {
        std::array<std::uint8_t, FrameSize> buffer{};
        ZR2Decoder zr2(buffer.data());
        KDVDecoder kdv(buffer.data());
        zr2.reset();
        kdv.reset();
        DecodeStep last = DecodeStep::More;
        int fed = 0;
        for (char c : r.line) {
            last = r.zr2 ? zr2.feed(std::uint8_t(c)) : kdv.feed(std::uint8_t(c));
            ++fed;
            if (last != DecodeStep::More) break;
        }
        EXPECT_EQ(last, r.last) << r.what;
        EXPECT_EQ(fed, r.fedBytes) << r.what;
        EXPECT_EQ(r.zr2 ? zr2.error() : kdv.error(), r.error) << r.what;
        if (last != DecodeStep::Done) continue;
        EXPECT_EQ(r.zr2 ? zr2.isErrorFrame() : kdv.isErrorFrame(), r.errorFrame) << r.what;
        // ZR2 keeps the checksum after the payload; KDV's count byte counts itself.
        const int kept = r.zr2 ? buffer[0] + 1 : buffer[0];
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buffer.data()), kept).toHex(' '),
                  r.reply.toHex(' '))
            << r.what;
    }
}

// Every request frame a decoder of its own format reads back as it was sent.
TEST(BinaryCodecs, EncodedFramesDecodeToThemselves) {
    for (const QByteArray& content :
         {bytes({0x01}), bytes({0x82, 0x82, 0x10}), bytes({0x10, 0x10, 0x03}), QByteArray(200, 'x'),
          QByteArray(100, char(0x82)), QByteArray(129, 'y')}) { // 129: a length byte of 82h
        const auto frame = frameOf(content);
        for (bool zr2 : {true, false}) {
            std::array<std::uint8_t, FrameSize> line{};
            const int n =
                zr2 ? encodeZR2(frame.data(), line.data()) : encodeKDV(frame.data(), line.data());
            ASSERT_GT(n, 0);
            std::array<std::uint8_t, FrameSize> buffer{};
            ZR2Decoder zd(buffer.data());
            KDVDecoder kd(buffer.data());
            zd.reset();
            kd.reset();
            DecodeStep last = DecodeStep::More;
            for (int i = 0; i < n && last == DecodeStep::More; ++i)
                last = zr2 ? zd.feed(line[std::size_t(i)]) : kd.feed(line[std::size_t(i)]);
            ASSERT_EQ(last, DecodeStep::Done) << zr2 << content.toHex().constData();
            // Both leave the count byte and content where the request frame had them.
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buffer.data()), buffer[0]),
                      QByteArray(reinterpret_cast<const char*>(frame.data()), frame[0]))
                << zr2 << content.toHex().constData();
        }
    }
}

} // namespace
