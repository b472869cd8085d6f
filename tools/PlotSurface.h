#pragma once

// The log graph's plot: an image that turns the mouse and the keys into what
// the user means by them.  Hover shows the sample under the pointer, a click
// places cursor A (Shift: B), a drag pans, the wheel zooms time (Ctrl: the
// value), a double-click or Home goes back to the lists' scales; + and -
// zoom about the middle, the arrows pan a division.

#include <QLabel>

#include <optional>

namespace kqm52 {

class PlotSurface : public QLabel {
    Q_OBJECT

  public:
    explicit PlotSurface(QWidget* parent = nullptr);

  signals:
    void hovered(QPoint at);
    void left();
    void clicked(QPoint at, bool shift);
    void dragged(QPoint step);
    // steps: wheel notches, away from the user positive.
    void wheeled(QPoint at, int steps, bool valueAxis);
    void homeAsked();

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::optional<QPoint> pressAt_;
    QPoint lastDrag_;
    bool dragged_ = false;
};

} // namespace kqm52
