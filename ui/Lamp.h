#pragma once

// A 12 × 12 lamp beside an I/O terminal: blue for a set bit, white for a
// clear one, the window face while nothing is known.

#include <QColor>
#include <QFrame>

namespace kqm52 {

class Lamp : public QFrame {
    Q_OBJECT
  public:
    explicit Lamp(QWidget* parent = nullptr);

    static QColor onColour() { return QColor(0, 0, 255); }
    static QColor offColour() { return QColor(255, 255, 255); }

    void showBit(bool set) { setColour(set ? onColour() : offColour()); }
    void setColour(const QColor& colour);
    void setNeutral() { setColour(QColor()); }
    // The colour shown; the window face colour while neutral.
    QColor colour() const;
    bool isNeutral() const { return !colour_.isValid(); }

  private:
    QColor colour_; // invalid while neutral
};

} // namespace kqm52
