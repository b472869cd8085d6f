#include "tools/PlotSurface.h"

#include "model/engines/GraphLogic.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace kqm52 {

namespace {

// A press that moves less than this is a click, not a drag.
constexpr int ClickSlack = 3;

} // namespace

PlotSurface::PlotSurface(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

void PlotSurface::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (pressAt_ && (event->buttons() & Qt::LeftButton)) {
        if (!dragged_ && (at - *pressAt_).manhattanLength() < ClickSlack) return;
        dragged_ = true;
        const QPoint step = at - lastDrag_;
        lastDrag_ = at;
        emit dragged(step);
    }
    emit hovered(at);
}

void PlotSurface::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QLabel::mousePressEvent(event);
    pressAt_ = lastDrag_ = event->position().toPoint();
    dragged_ = false;
}

void PlotSurface::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressAt_) return QLabel::mouseReleaseEvent(event);
    if (!dragged_) emit clicked(*pressAt_, event->modifiers() & Qt::ShiftModifier);
    pressAt_.reset();
}

void PlotSurface::mouseDoubleClickEvent(QMouseEvent*) {
    pressAt_.reset();
    emit homeAsked();
}

void PlotSurface::leaveEvent(QEvent* event) {
    emit left();
    QLabel::leaveEvent(event);
}

void PlotSurface::wheelEvent(QWheelEvent* event) {
    emit wheeled(event->position().toPoint(), event->angleDelta().y() / 120,
                 event->modifiers() & Qt::ControlModifier);
}

void PlotSurface::keyPressEvent(QKeyEvent* event) {
    const QPoint middle(width() / 2, height() / 2);
    const bool valueAxis = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Home:
        emit homeAsked();
        return;
    case Qt::Key_Plus:
        emit wheeled(middle, 1, valueAxis);
        return;
    case Qt::Key_Minus:
        emit wheeled(middle, -1, valueAxis);
        return;
    case Qt::Key_Left:
        emit dragged({graph::XDivisionPixels, 0});
        return;
    case Qt::Key_Right:
        emit dragged({-graph::XDivisionPixels, 0});
        return;
    case Qt::Key_Up:
        emit dragged({0, graph::YDivisionPixels});
        return;
    case Qt::Key_Down:
        emit dragged({0, -graph::YDivisionPixels});
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

} // namespace kqm52
