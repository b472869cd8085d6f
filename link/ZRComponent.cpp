#include "link/ZRComponent.h"

#include "link/ZRComm.h"

namespace kqm52 {

TZRComponent::TZRComponent(QObject* owner) : QObject(owner) {}

TZRComponent::~TZRComponent() {
    destroying_ = true;
    if (port_) port_->unbindComponent(this);
}

void TZRComponent::SetZRComm(TZRComm* port) {
    if (port == port_) return;
    if (port_) port_->unbindComponent(this);
    port_ = port;
    if (port_) port_->bindComponent(this);
}

} // namespace kqm52
