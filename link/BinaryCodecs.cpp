#include "link/BinaryCodecs.h"

namespace kqm52 {

namespace {

constexpr std::uint8_t ZR2Escape = 0x82;
constexpr std::uint8_t ZR2Second = 0x96;
constexpr std::uint8_t DLE = 0x10;
constexpr std::uint8_t STX = 0x02;
constexpr std::uint8_t ETX = 0x03;

} // namespace

int encodeZR2(const std::uint8_t* frame, std::uint8_t* out) {
    int n = 0;
    out[n++] = ZR2Escape;
    out[n++] = ZR2Second;
    std::uint8_t sum = 0;
    bool fits = true;
    const auto put = [&](std::uint8_t b) {
        const int need = b == ZR2Escape ? 2 : 1;
        if (n + need > FrameSize) {
            fits = false;
            return;
        }
        out[n++] = b;
        if (b == ZR2Escape) out[n++] = b;
    };
    for (int i = 0; i < frame[0]; ++i) {
        put(frame[i]);
        sum ^= frame[i];
    }
    put(sum);
    // A guard only: with its count byte at most 255, 254 bytes of 82h (whose
    // checksum is FFh) fill the buffer exactly.
    return fits ? n : -1;
}

int encodeKDV(const std::uint8_t* frame, std::uint8_t* out) {
    int n = 0;
    bool fits = true;
    const auto put = [&](std::uint8_t b) {
        if (n >= FrameSize) {
            fits = false;
            return;
        }
        out[n++] = b;
    };
    std::uint8_t bcc = 0;
    put(DLE);
    put(STX);
    for (int i = 1; i < frame[0]; ++i) {
        put(frame[i]);
        if (frame[i] == DLE) put(frame[i]);
        bcc ^= frame[i];
    }
    put(DLE);
    put(ETX);
    put(bcc);
    return fits ? n : -1;
}

// ZR2 states: 1 header and length, 2 payload, 3 second half of a doubled
// 82h, 5 second half of a doubled length byte.
void ZR2Decoder::reset() {
    state_ = 1;
    count_ = 0;
    length_ = 0;
    checksum_ = 0;
    error_ = 0;
}

DecodeStep ZR2Decoder::fail(std::int32_t code) {
    error_ = code;
    return DecodeStep::Failed;
}

DecodeStep ZR2Decoder::advance(int pos) {
    if (pos != length_) {
        count_ = pos + 1;
        return DecodeStep::More;
    }
    return checksum_ == 0 ? DecodeStep::Done : fail(CommCode::BadChecksum);
}

DecodeStep ZR2Decoder::feed(std::uint8_t b) {
    switch (state_) {
    case 1:
        buffer_[count_++] = b;
        if (count_ < 3) return DecodeStep::More;
        if (buffer_[0] != ZR2Escape || buffer_[1] != ZR2Second) return fail(CommCode::BadZR2Header);
        length_ = b;
        buffer_[0] = b;
        checksum_ = b;
        count_ = 1;
        if (length_ == 0) return fail(CommCode::BadChecksum); // a payload counts itself
        state_ = b == ZR2Escape ? 5 : 2;
        return DecodeStep::More;
    case 5:
        if (b != ZR2Escape) return fail(CommCode::UndoubledZR2Escape);
        state_ = 2;
        return DecodeStep::More;
    case 2:
        buffer_[count_] = b;
        checksum_ ^= b;
        if (b == ZR2Escape) {
            state_ = 3;
            return DecodeStep::More;
        }
        return advance(count_);
    case 3:
        if (b != ZR2Escape) return fail(CommCode::UndoubledZR2Escape);
        state_ = 2;
        return advance(count_);
    }
    return fail(CommCode::BadZR2Header);
}

// KDV states: 1 header, 2 content, 3 after a DLE, 4 block check.
void KDVDecoder::reset() {
    state_ = 1;
    headerCount_ = 0;
    content_ = 0;
    check_ = 0;
    error_ = 0;
}

DecodeStep KDVDecoder::fail(std::int32_t code) {
    error_ = code;
    return DecodeStep::Failed;
}

DecodeStep KDVDecoder::contentByte(std::uint8_t b) {
    // buffer[0] must hold content + 1, so 254 content bytes at most.
    if (content_ >= MaxFrameContent) return fail(CommCode::BadChecksum);
    buffer_[1 + content_++] = b;
    check_ ^= b;
    return DecodeStep::More;
}

DecodeStep KDVDecoder::inContent(std::uint8_t b) {
    if (b != DLE) return contentByte(b);
    state_ = 3;
    return DecodeStep::More;
}

DecodeStep KDVDecoder::feed(std::uint8_t b) {
    switch (state_) {
    case 1:
        if (headerCount_ < 2) {
            header_[headerCount_++] = b;
            return DecodeStep::More;
        }
        if (header_[0] != DLE || header_[1] != STX) return fail(CommCode::BadKDVHeader);
        state_ = 2;
        return inContent(b);
    case 2:
        return inContent(b);
    case 3:
        if (b == DLE) {
            state_ = 2;
            return contentByte(DLE);
        }
        if (b == ETX) {
            state_ = 4;
            return DecodeStep::More;
        }
        return fail(CommCode::BadKDVEscape);
    case 4:
        check_ ^= b;
        if (check_ != 0) return fail(CommCode::BadChecksum);
        buffer_[0] = std::uint8_t(content_ + 1);
        return DecodeStep::Done;
    }
    return fail(CommCode::BadKDVHeader);
}

} // namespace kqm52
