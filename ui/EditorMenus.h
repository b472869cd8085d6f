#pragma once

// The menu parts both table editors share: the recent-files submenu, the
// undo and redo items, and the title that carries the modified mark.

#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace kqm52 {

// A submenu named "RecenteBestanden" of `parent`, filled each time it opens
// with the files `files` gives (newest first, "&1" to "&8"); the chosen path
// goes to `open`.  It is disabled while the list is empty.
QMenu* recentFilesMenu(QMenu* parent, std::function<QStringList()> files,
                       std::function<void(const QString&)> open);
// Enables the submenu by its list, before the menu it hangs in opens.
void updateRecentFilesMenu(QMenu* recent, const QStringList& files);

// "OngedaanMaken" (Ctrl+Z) and "Opnieuw" (Ctrl+Shift+Z, Ctrl+Y), working
// wherever the focus is in `window`.
struct UndoRedoItems {
    QAction* undo = nullptr;
    QAction* redo = nullptr;
};
UndoRedoItems undoRedoItems(QMenu* menu, QWidget& window);

// The window title with the place where Qt shows "*" while the window is
// modified.
QString titleWithModifiedMark(const QString& title);

} // namespace kqm52
