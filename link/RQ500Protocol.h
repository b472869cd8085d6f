#pragma once

// TRQ500Protocol: the ASCII line protocol every window uses.  The request is
// a line of text (with this program's settings, the text and a CR); the reply
// is every byte the device sends until the line has been silent for 50 ms.

#include "link/ZRProtocolComponent.h"

#include <QString>

namespace kqm52 {

// Ordinal n stands for the character with code n; scNone for no character.
enum class TSequenceChar {
    scNone,
    scSOH,
    scSTX,
    scETX,
    scEOT,
    scENQ,
    scACK,
    scBEL,
    scBS,
    scHT,
    scLF,
    scVT,
    scFF,
    scCR,
    scSO,
    scSI,
    scDLE,
    scDC1,
    scDC2,
    scDC3,
    scDC4,
    scNAK,
    scSYN,
    scETB,
    scCAN,
    scEM,
    scSUB,
    scESC,
    scFS,
    scGS,
    scRS,
    scUS,
    scSPACE
};

class TRQ500Protocol : public TZRProtocolComponent {
    Q_OBJECT
  public:
    explicit TRQ500Protocol(QObject* owner = nullptr);

    // The request line.  Send trims blanks and control characters from both
    // ends, and the property keeps the trimmed text.
    QString ASCIIProtocol() const { return asciiProtocol_; }
    void SetASCIIProtocol(const QString& text) { asciiProtocol_ = text; }

    bool Filtered() const { return filtered_; }
    void SetFiltered(bool value) { filtered_ = value; }
    TSequenceChar ReceiveStart() const { return receiveStart_; }
    void SetReceiveStart(TSequenceChar value) { receiveStart_ = value; }
    TSequenceChar ReceiveStop() const { return receiveStop_; }
    void SetReceiveStop(TSequenceChar value) { receiveStop_ = value; }
    TSequenceChar ProtocolHead() const { return protocolHead_; }
    void SetProtocolHead(TSequenceChar value) { protocolHead_ = value; }
    TSequenceChar ProtocolFoot() const { return protocolFoot_; }
    void SetProtocolFoot(TSequenceChar value) { protocolFoot_ = value; }

    // The way every component of this program is set up: no head, CR foot,
    // no start or stop character, unfiltered.
    void setUpForDevice(std::int32_t timeoutMs = 0);

    void Send() override;
    void CommData(const std::uint8_t* buffer, const std::uint8_t* frame,
                  std::uint8_t& continueFlag) override;
    Framing framing() const override;
    QString requestText() const override { return asciiProtocol_; }

  private:
    QString asciiProtocol_;
    bool filtered_ = false;
    TSequenceChar receiveStart_ = TSequenceChar::scNone;
    TSequenceChar receiveStop_ = TSequenceChar::scNone;
    TSequenceChar protocolHead_ = TSequenceChar::scNone;
    TSequenceChar protocolFoot_ = TSequenceChar::scNone;
};

} // namespace kqm52
