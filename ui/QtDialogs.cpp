#include "ui/QtDialogs.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace kqm52 {

Dialogs::Button QtDialogs::messageBox(QWidget* owner, Icon icon, const QString& caption,
                                      const QString& text, Buttons buttons) {
    QMessageBox box(icon, caption, text, buttons, owner);
    // Lines arrive joined by LF CR; Qt would show the CR as a second break.
    box.setText(QString(text).remove(QLatin1Char('\r')));
    const auto result = box.exec();
    if (result == QMessageBox::NoButton || !(buttons & Button(result))) {
        // Closed with Escape or the title bar: the least harmful answer.
        for (Button b : {Button::Cancel, Button::No, Button::Ok})
            if (buttons & b) return b;
        return Button::NoButton;
    }
    return Button(result);
}

QString QtDialogs::openFileName(QWidget* owner, const QString& caption, const QString& dir,
                                const QString& filter) {
    return QFileDialog::getOpenFileName(owner, caption, dir, filter);
}

QString QtDialogs::saveFileName(QWidget* owner, const QString& caption, const QString& dir,
                                const QString& filter) {
    return QFileDialog::getSaveFileName(owner, caption, dir, filter);
}

bool QtDialogs::print(QWidget* owner, QPrinter& printer) {
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kqm52
