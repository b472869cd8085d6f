#pragma once

// TZR2Protocol: binary frames 82h 96h, payload (its own length first),
// exclusive-or checksum; 82h is doubled on the line.  Never retried.

#include "link/ZRProtocolComponent.h"

namespace kqm52 {

class TZR2Protocol : public TZRProtocolComponent {
    Q_OBJECT
  public:
    explicit TZR2Protocol(QObject* owner = nullptr) : TZRProtocolComponent(owner) {}
    Framing framing() const override { return {.protocol = ProtocolKind::ZR2}; }
};

} // namespace kqm52
