#pragma once

// The two binary frame formats, apart from the worker.
//
// ZR2: 82h 96h, payload (its own length first), exclusive-or of the payload;
// every 82h of payload or checksum doubled on the line.
// KDV: DLE STX, content (DLE doubled), DLE ETX, exclusive-or of the content.
//
// The encoders take a request frame (count byte first) and write the line
// bytes; they return how many, or -1 when the doubled frame would not fit
// FrameSize bytes.  The decoders write the reply into a FrameSize buffer in
// the layout the components read: ZR2 as length, payload, checksum; KDV as
// count byte (content + 1) and content, like a request frame.

#include "link/FrameCodec.h"

#include <cstdint>

namespace kqm52 {

int encodeZR2(const std::uint8_t* frame, std::uint8_t* out);
int encodeKDV(const std::uint8_t* frame, std::uint8_t* out);

class ZR2Decoder {
  public:
    explicit ZR2Decoder(std::uint8_t* buffer) : buffer_(buffer) {}
    void reset();
    DecodeStep feed(std::uint8_t byte);
    std::int32_t error() const { return error_; }
    // A whole reply whose first payload byte is FFh: the device said no.
    bool isErrorFrame() const { return length_ >= 2 && buffer_[1] == 0xFF; }

  private:
    DecodeStep fail(std::int32_t code);
    DecodeStep advance(int pos);

    std::uint8_t* buffer_;
    int state_ = 1;
    int count_ = 0;
    int length_ = 0;
    std::uint8_t checksum_ = 0;
    std::int32_t error_ = 0;
};

class KDVDecoder {
  public:
    explicit KDVDecoder(std::uint8_t* buffer) : buffer_(buffer) {}
    void reset();
    DecodeStep feed(std::uint8_t byte);
    std::int32_t error() const { return error_; }
    bool isErrorFrame() const { return content_ >= 1 && buffer_[1] == 0xFF; }

  private:
    DecodeStep fail(std::int32_t code);
    DecodeStep contentByte(std::uint8_t byte);
    DecodeStep inContent(std::uint8_t byte);

    std::uint8_t* buffer_;
    int state_ = 1;
    int headerCount_ = 0;
    std::uint8_t header_[2] = {0, 0};
    int content_ = 0;
    std::uint8_t check_ = 0;
    std::int32_t error_ = 0;
};

} // namespace kqm52
