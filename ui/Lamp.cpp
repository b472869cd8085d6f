#include "ui/Lamp.h"

namespace kqm52 {

Lamp::Lamp(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    setFixedSize(12, 12);
}

void Lamp::setColour(const QColor& colour) {
    colour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, colour.isValid() ? colour
                                 : parentWidget()
                                     ? parentWidget()->palette().color(QPalette::Window)
                                     : QPalette().color(QPalette::Window));
    setPalette(p);
}

QColor Lamp::colour() const {
    return palette().color(QPalette::Window);
}

} // namespace kqm52
