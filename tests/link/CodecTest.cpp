// The three frame formats on their own: request frame in, line bytes out;
// for ASCII also line bytes in, reply and outcome out (the binary replies are
// read through the worker, with their retries, in RequestTest).

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

} // namespace
