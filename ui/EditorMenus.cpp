#include "ui/EditorMenus.h"

#include <QAction>
#include <QDir>
#include <QFontMetrics>
#include <QMenu>
#include <QWidget>

namespace kqm52 {

namespace {

constexpr int EntryWidth = 420; // pixels; a deep path is elided in the middle
const QString ModifiedMark = QStringLiteral("[*]");

} // namespace

QMenu* recentFilesMenu(QMenu* parent, std::function<QStringList()> files,
                       std::function<void(const QString&)> open) {
    QMenu* recent = parent->addMenu(QStringLiteral("Recente bestanden"));
    recent->setObjectName(QStringLiteral("RecenteBestanden"));
    recent->menuAction()->setObjectName(QStringLiteral("RecenteBestandenItem"));
    QObject::connect(recent, &QMenu::aboutToShow, recent, [recent, files, open] {
        recent->clear();
        const QStringList list = files();
        const QFontMetrics metrics(recent->font());
        for (int i = 0; i < list.size(); ++i) {
            const QString shown =
                metrics.elidedText(QDir::toNativeSeparators(list[i]), Qt::ElideMiddle, EntryWidth);
            // An "&" in a folder name would otherwise become a shortcut.
            QAction* a = recent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
                QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&"))));
            a->setObjectName(QStringLiteral("Recent%1").arg(i + 1));
            const QString path = list[i];
            // Queued: the file is opened once the menu has closed.
            QObject::connect(
                a, &QAction::triggered, recent, [open, path] { open(path); }, Qt::QueuedConnection);
        }
    });
    QObject::connect(parent, &QMenu::aboutToShow, recent,
                     [recent, files] { updateRecentFilesMenu(recent, files()); });
    return recent;
}

void updateRecentFilesMenu(QMenu* recent, const QStringList& files) {
    recent->menuAction()->setEnabled(!files.isEmpty());
}

UndoRedoItems undoRedoItems(QMenu* menu, QWidget& window) {
    UndoRedoItems items;
    items.undo = menu->addAction(QStringLiteral("Ongedaan maken"));
    items.undo->setObjectName(QStringLiteral("OngedaanMaken"));
    items.undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    items.redo = menu->addAction(QStringLiteral("Opnieuw"));
    items.redo->setObjectName(QStringLiteral("Opnieuw"));
    items.redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // A menu bar's shortcuts work only while it is visible to the focus
    // chain; on the window they work wherever the focus is.
    window.addAction(items.undo);
    window.addAction(items.redo);
    return items;
}

QString titleWithModifiedMark(const QString& title) {
    return title.contains(ModifiedMark) ? title : title + ModifiedMark;
}

} // namespace kqm52
