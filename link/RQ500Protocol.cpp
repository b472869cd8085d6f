#include "link/RQ500Protocol.h"

#include "link/AsciiCodec.h"

namespace kqm52 {

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
    asciiProtocol_ = trimAsciiRequest(asciiProtocol_);
    if (!boundToOpenPort()) return;
    if (!buildAsciiFrame(asciiProtocol_.toLatin1(), std::uint8_t(protocolHead_),
                         std::uint8_t(protocolFoot_), frame_)) {
        reportUnsendable(CommCode::RequestTooLong);
        return;
    }
    queueFrame();
}

Framing TRQ500Protocol::framing() const {
    return {.protocol = ProtocolKind::RQ500,
            .startChar = std::uint8_t(receiveStart_),
            .stopChar = std::uint8_t(receiveStop_),
            .filtered = filtered_};
}

void TRQ500Protocol::CommData(const std::uint8_t* buffer, const std::uint8_t*,
                              std::uint8_t& continueFlag) {
    if (continueFlag) result_.clear(); // the bytes of a failed attempt are void
    const int count = buffer[0];
    if (count > 0) result_.append(reinterpret_cast<const char*>(buffer + 1), count);
    continueFlag = 0;
}

} // namespace kqm52
