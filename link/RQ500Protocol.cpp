#include "link/RQ500Protocol.h"

namespace kqm52 {

namespace {

bool isBlankOrControl(QChar c) {
    return c.unicode() <= 0x20;
}

} // namespace

TRQ500Protocol::TRQ500Protocol(QObject* owner) : TZRProtocolComponent(owner) {}

void TRQ500Protocol::setUpForDevice(std::int32_t timeoutMs) {
    filtered_ = false;
    receiveStart_ = TSequenceChar::scNone;
    receiveStop_ = TSequenceChar::scNone;
    protocolHead_ = TSequenceChar::scNone;
    protocolFoot_ = TSequenceChar::scCR;
    SetTimeoutTime(timeoutMs);
}

void TRQ500Protocol::Send() {
    qsizetype first = 0;
    qsizetype last = asciiProtocol_.size();
    while (first < last && isBlankOrControl(asciiProtocol_[first]))
        ++first;
    while (last > first && isBlankOrControl(asciiProtocol_[last - 1]))
        --last;
    asciiProtocol_ = asciiProtocol_.mid(first, last - first);
    if (!boundToOpenPort()) return;

    const QByteArray text = asciiProtocol_.toLatin1();
    const int extra =
        (protocolHead_ != TSequenceChar::scNone) + (protocolFoot_ != TSequenceChar::scNone);
    if (text.size() + extra > MaxFrameContent) {
        // Cutting the line short would send a different command; refuse it.
        reportUnsendable(CommCode::RequestTooLong);
        return;
    }
    int i = 1;
    if (protocolHead_ != TSequenceChar::scNone) frame_[i++] = std::uint8_t(protocolHead_);
    for (char c : text)
        frame_[i++] = std::uint8_t(c);
    if (protocolFoot_ != TSequenceChar::scNone) frame_[i++] = std::uint8_t(protocolFoot_);
    frame_[0] = std::uint8_t(i);
    queueFrame();
}

void TRQ500Protocol::CommData(const std::uint8_t* buffer, const std::uint8_t*,
                              std::uint8_t& continueFlag) {
    if (continueFlag) result_.clear(); // the bytes of a failed attempt are void
    const int count = buffer[0];
    if (count > 0) result_.append(reinterpret_cast<const char*>(buffer + 1), count);
    continueFlag = 0;
}

} // namespace kqm52
