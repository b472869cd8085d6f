#pragma once

// The ASCII line protocol's frame and reply rules, apart from the worker.

#include "link/FrameCodec.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace kqm52 {

// Removes blanks and control characters from both ends of a request line.
QString trimAsciiRequest(const QString& text);

// Frame = count byte, head (0 = none), text, foot (0 = none).  False, with
// the frame untouched, when it does not fit: cutting a command short would
// send a different command.
bool buildAsciiFrame(const QByteArray& text, std::uint8_t head, std::uint8_t foot,
                     std::array<std::uint8_t, FrameSize>& frame);

// Decides, byte by byte, what happens to a reply: with a start character the
// first byte must be it; with a stop character the reply ends there; with
// Filtered both stay out of the reply.  Without a stop character only the
// line's silence ends a reply, which is the worker's business.
class AsciiReplyReader {
  public:
    AsciiReplyReader(std::uint8_t startChar, std::uint8_t stopChar, bool filtered)
        : start_(startChar), stop_(stopChar), filtered_(filtered) {}

    void reset() { first_ = true; }

    struct Step {
        bool keep = true; // the byte belongs to the reply
        DecodeStep step = DecodeStep::More;
        std::int32_t error = 0; // with Failed
    };
    Step feed(std::uint8_t byte);

  private:
    std::uint8_t start_;
    std::uint8_t stop_;
    bool filtered_;
    bool first_ = true;
};

} // namespace kqm52
