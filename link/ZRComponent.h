#pragma once

// TZRComponent: anything that binds itself to a port.

#include <QObject>

namespace kqm52 {

class TZRComm;

class TZRComponent : public QObject {
    Q_OBJECT
  public:
    explicit TZRComponent(QObject* owner = nullptr);
    ~TZRComponent() override;

    TZRComm* ZRComm() const { return port_; }
    // Leaves the old port's component list and joins the new one's.
    virtual void SetZRComm(TZRComm* port);

    bool isBeingDestroyed() const { return destroying_; }

  protected:
    bool destroying_ = false;

  private:
    TZRComm* port_ = nullptr;
};

} // namespace kqm52
