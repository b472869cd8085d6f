#include "link/AsciiCodec.h"

namespace kqm52 {

QString trimAsciiRequest(const QString& text) {
    const auto blankOrControl = [](QChar c) { return c.unicode() <= 0x20; };
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && blankOrControl(text[first]))
        ++first;
    while (last > first && blankOrControl(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

bool buildAsciiFrame(const QByteArray& text, std::uint8_t head, std::uint8_t foot,
                     std::array<std::uint8_t, FrameSize>& frame) {
    if (text.size() + (head != 0) + (foot != 0) > MaxFrameContent) return false;
    int i = 1;
    if (head) frame[i++] = head;
    for (char c : text)
        frame[i++] = std::uint8_t(c);
    if (foot) frame[i++] = foot;
    frame[0] = std::uint8_t(i);
    return true;
}

AsciiReplyReader::Step AsciiReplyReader::feed(std::uint8_t byte) {
    Step s;
    if (first_ && start_) {
        first_ = false;
        s.keep = !filtered_;
        if (byte != start_) {
            s.step = DecodeStep::Failed;
            s.error = CommCode::BadStartChar;
        }
        return s;
    }
    first_ = false;
    if (stop_ && byte == stop_) {
        s.keep = !filtered_;
        s.step = DecodeStep::Done;
    }
    return s;
}

} // namespace kqm52
