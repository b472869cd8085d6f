#pragma once

// TKDVProtocol: binary frames DLE STX, content, DLE ETX, block check; DLE is
// doubled inside the content.  Retried up to three attempts.

#include "link/ZRProtocolComponent.h"

namespace kqm52 {

class TKDVProtocol : public TZRProtocolComponent {
    Q_OBJECT
  public:
    explicit TKDVProtocol(QObject* owner = nullptr) : TZRProtocolComponent(owner) {}
    Framing framing() const override { return {.protocol = ProtocolKind::KDV}; }
};

} // namespace kqm52
