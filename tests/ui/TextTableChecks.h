#pragma once

// Checks that a window puts each text of its section of the text table where
// the table says.  A test writes markedLanguage(section) as the language
// file, lets the window apply its texts, then calls expectMarkedTextsShown():
// a control named wrongly in the table, or one the window never labels,
// shows up as the key that did not arrive.

#include "model/texts/TextKeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStringList>
#include <QTabWidget>
#include <QWidget>

#include <gtest/gtest.h>

namespace kqm52::test {

inline bool inSection(const TextKey& row, const char* section) {
    return QString::fromLatin1(row.section).compare(QLatin1String(section), Qt::CaseInsensitive) ==
           0;
}

// "<key>" for every text; "<key>1,<key>2,..." for an item list.
inline QString markedText(const TextKey& row) {
    const QString mark = QLatin1Char('<') + QLatin1String(row.key) + QLatin1Char('>');
    if (row.kind != TextKind::ItemList) return mark;
    QStringList items;
    for (int i = 1; i <= row.count; ++i)
        items << mark + QString::number(i);
    return items.join(QLatin1Char(','));
}

inline QString markedLanguage(const char* section) {
    QString file = QStringLiteral("[%1]\n").arg(QLatin1String(section));
    for (const TextKey& row : textKeys())
        if (inSection(row, section)) file += QLatin1String(row.key) + '=' + markedText(row) + '\n';
    return file;
}

// What a user reads on a control, whatever its kind.
inline QString shownText(const QWidget& window, const QObject* o) {
    // The title's "[*]" is where Qt shows the modified mark, not a text.
    if (o == &window) return QString(window.windowTitle()).remove(QStringLiteral("[*]"));
    if (auto* box = qobject_cast<const QComboBox*>(o)) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items.join(QLatin1Char(','));
    }
    if (auto* menu = qobject_cast<const QMenu*>(o)) return menu->title();
    if (auto* group = qobject_cast<const QGroupBox*>(o)) return group->title();
    if (auto* label = qobject_cast<const QLabel*>(o)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(o)) return button->text();
    if (auto* action = qobject_cast<const QAction*>(o)) return action->text();
    for (QObject* p = o ? o->parent() : nullptr; p; p = p->parent())
        if (auto* tabs = qobject_cast<QTabWidget*>(p))
            return tabs->tabText(
                tabs->indexOf(const_cast<QWidget*>(qobject_cast<const QWidget*>(o))));
    return QStringLiteral("(no such control)");
}

inline void expectMarkedTextsShown(const QWidget& window, const char* section) {
    int checked = 0;
    for (const TextKey& row : textKeys()) {
        if (!inSection(row, section)) continue;
        for (const QString& name :
             QString::fromLatin1(row.controls).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QObject* control =
                window.objectName() == name ? &window : window.findChild<QObject*>(name);
            EXPECT_EQ(shownText(window, control).toStdString(), markedText(row).toStdString())
                << "[" << row.section << "] " << row.key << " on " << name.toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 0) << "the table names no control of " << section;
}

} // namespace kqm52::test
