#include "ui/WidgetKit.h"

#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace kqm52 {

QFont pixelFont(QFont base, int pixels, bool bold, const char* family) {
    if (family) {
        base.setFamily(QString::fromLatin1(family));
        base.setStyleHint(QFont::TypeWriter);
    }
    base.setPixelSize(pixels);
    base.setBold(bold);
    return base;
}

FittedLabel* sunkenPanel(QWidget* parent, const char* name, int left, int top, int width,
                         int height, Qt::Alignment alignment) {
    auto* p = place(new FittedLabel(parent), name, left, top, width, height);
    p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p->setAlignment(alignment);
    p->setAutoFillBackground(true);
    return p;
}

QPushButton* plainButton(QWidget* parent, const char* name, const QString& caption, int left,
                         int top, int width, int height) {
    auto* b = place(new QPushButton(caption, parent), name, left, top, width, height);
    b->setAutoDefault(false);
    return b;
}

QMenu* namedMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

QAction* namedItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

} // namespace kqm52
