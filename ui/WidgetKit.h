#pragma once

// The few things every window does while it lays itself out: controls at
// fixed pixel positions under the names the tests and the texts find them
// by, fonts by pixel size (the windows are drawn to pixels, not points), and
// sunken read-only panels.

#include "ui/FittedLabel.h"

#include <QAction>
#include <QFont>
#include <QString>
#include <QWidget>

class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace kqm52 {

// base at the given pixel size; with a family (e.g. "Courier") a fixed-pitch
// face is asked for, so a look-alike is taken where that family is missing.
QFont pixelFont(QFont base, int pixels, bool bold, const char* family = nullptr);

template <class W> W* place(W* w, const char* name, int left, int top, int width, int height) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(left, top, width, height);
    return w;
}

// A sunken panel that paints its own background, so a window can colour it;
// a text too long for it is cut with "…" and whole in its tooltip.
FittedLabel* sunkenPanel(QWidget* parent, const char* name, int left, int top, int width,
                         int height, Qt::Alignment alignment);

// A push button that does not grab Enter: in these windows Enter belongs to
// the field being edited.
QPushButton* plainButton(QWidget* parent, const char* name, const QString& caption, int left,
                         int top, int width, int height);

// A menu on the bar, found by name both as a menu and as the bar's action.
QMenu* namedMenu(QMenuBar* bar, const char* name, const QString& caption);
// An item found by name; without a handler it does nothing yet.
QAction* namedItem(QMenu* menu, const char* name, const QString& caption);

template <class Window>
QAction* namedItem(QMenu* menu, const char* name, const QString& caption, Window* window,
                   void (Window::*handler)()) {
    QAction* a = namedItem(menu, name, caption);
    if (handler) QObject::connect(a, &QAction::triggered, window, handler);
    return a;
}

} // namespace kqm52
