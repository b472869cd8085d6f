#include "ui/ApplyTexts.h"

#include "inifile/ListText.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/TextKeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

namespace kqm52 {

namespace {

void setItems(QComboBox& box, const QString& listText, int count) {
    QStringList items = ListText::read(listText);
    if (items.isEmpty()) return;
    if (items.size() > count) items.resize(count);
    const int index = box.currentIndex();
    box.clear();
    box.addItems(items);
    box.setCurrentIndex(index < box.count() ? index : -1);
}

// A page of a tab widget is labelled by its tab: the page sits in the tab
// widget's stack, so the tab widget is two levels up.
QTabWidget* tabsOf(const QWidget& page) {
    for (QObject* p = page.parent(); p; p = p->parent())
        if (auto* tabs = qobject_cast<QTabWidget*>(p)) return tabs;
    return nullptr;
}

// Secondary windows are children of the main window: their controls may
// share a name with the main window's, and must keep their own texts.  A
// menu is a window of its own too, but part of the window it hangs in.
bool partOf(const QObject& control, const QWidget& window) {
    for (const QObject* p = &control; p && p != &window; p = p->parent()) {
        const auto* w = qobject_cast<const QWidget*>(p);
        if (w && w->isWindow() && !qobject_cast<const QMenu*>(w)) return false;
    }
    return true;
}

void put(QWidget& window, QObject& control, const TextKey& row, const QString& text) {
    if (&control == &window) {
        window.setWindowTitle(text);
    } else if (auto* box = qobject_cast<QComboBox*>(&control)) {
        if (row.kind == TextKind::ItemList) setItems(*box, text, row.count);
    } else if (auto* menu = qobject_cast<QMenu*>(&control)) {
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(&control)) {
        action->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(&control)) {
        group->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(&control)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
        button->setText(text);
    } else if (auto* page = qobject_cast<QWidget*>(&control)) {
        if (QTabWidget* tabs = tabsOf(*page)) {
            const int index = tabs->indexOf(page);
            if (index >= 0) tabs->setTabText(index, text);
        }
    }
}

} // namespace

void applyTexts(QWidget& window, const LanguageTexts& language, QAnyStringView section) {
    if (!language.LanguageLoaded()) return;
    for (const TextKey& row : textKeys()) {
        if (*row.controls == '\0' ||
            QAnyStringView::compare(section, QLatin1String(row.section), Qt::CaseInsensitive) != 0)
            continue;
        const QString text = language.LanguageIni().readString(
            QLatin1String(row.section), QLatin1String(row.key), QString::fromUtf8(row.def));
        const QStringList names =
            QString::fromLatin1(row.controls).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& name : names) {
            if (window.objectName() == name) put(window, window, row, text);
            // A menu and the action that opens it share a name; both carry
            // the title, so every object of the name gets the text.
            for (QObject* control : window.findChildren<QObject*>(name))
                if (partOf(*control, window)) put(window, *control, row, text);
        }
    }
}

} // namespace kqm52
