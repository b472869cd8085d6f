#pragma once

// The result and error handlers a logic object puts on its components, for
// as long as the object lives.  The handlers capture the object, so they must
// not outlive it: the binding takes them off again when it goes, whichever of
// it and the components goes first.

#include "link/ZRProtocolComponent.h"

#include <QPointer>

#include <functional>
#include <vector>

namespace kqm52 {

class HandlerBinding {
  public:
    using Result = std::function<void(const QByteArray& reply)>;
    using Error = std::function<void(const TCommError& error, const QByteArray& reply)>;

    HandlerBinding() = default;
    ~HandlerBinding() { unbindAll(); }
    HandlerBinding(const HandlerBinding&) = delete;
    HandlerBinding& operator=(const HandlerBinding&) = delete;

    // Either handler may be empty: that event then reaches nobody.
    void bind(TZRProtocolComponent& component, Result onResult, Error onError) {
        component.OnCommResult = onResult ? [f = std::move(onResult)](TZRProtocolComponent*,
                                                                      const QByteArray& r) { f(r); }
                                          : TZRProtocolComponent::TCommResultEvent{};
        component.OnCommError =
            onError ? [f = std::move(onError)](TZRProtocolComponent*, const TCommError& e,
                                               const QByteArray& r) { f(e, r); }
                    : TZRProtocolComponent::TCommErrorEvent{};
        bound_.emplace_back(&component);
    }

    void unbindAll() {
        for (const QPointer<TZRProtocolComponent>& c : bound_)
            if (c) {
                c->OnCommResult = nullptr;
                c->OnCommError = nullptr;
            }
        bound_.clear();
    }

  private:
    std::vector<QPointer<TZRProtocolComponent>> bound_;
};

} // namespace kqm52
