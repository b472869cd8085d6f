#pragma once

// Whoever needs to see every request a port put on the line and how the unit
// answered it, whichever window or command sent it: the service journal,
// which must not depend on each writer remembering to report its writes.
//
// Called on the thread the port's components live on, after the reply (or
// the failure) is known and before the component's own handler runs, so an
// answer is seen before the next request that depends on it goes out.  An
// observer must not send requests, open or close the port, or block.

#include "link/CommTypes.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace kqm52 {

class ExchangeObserver {
  public:
    virtual ~ExchangeObserver() = default;
    // sender: the component that sent it.  request: the line as sent,
    // without its line end.  reply: the bytes that came back (empty when
    // none did); error says why, when it failed.
    virtual void exchanged(const QObject* sender, const QString& request, const TCommError& error,
                           const QByteArray& reply) = 0;
};

} // namespace kqm52
