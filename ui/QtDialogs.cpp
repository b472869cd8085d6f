#include "ui/QtDialogs.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace kqm52 {

Dialogs::Button QtDialogs::escapeButton(Buttons buttons) {
    for (Button b : {Button::Cancel, Button::No, Button::Ok})
        if (buttons & b) return b;
    return Button::NoButton;
}

Dialogs::Button QtDialogs::messageBox(QWidget* owner, Icon icon, const QString& caption,
                                      const QString& text, Buttons buttons, Button defaultButton) {
    QMessageBox box(icon, caption, text, buttons, owner);
    // Lines arrive joined by LF CR; Qt would show the CR as a second break.
    box.setText(QString(text).remove(QLatin1Char('\r')));
    // Left to itself Qt makes Yes the default, and Enter would overwrite.
    const Button escape = escapeButton(buttons);
    box.setDefaultButton(buttons & defaultButton ? defaultButton : escape);
    if (escape != Button::NoButton) box.setEscapeButton(escape);
    const auto result = box.exec();
    // Closed with Escape or the title bar: the least harmful answer.
    if (result == QMessageBox::NoButton || !(buttons & Button(result))) return escape;
    return Button(result);
}

QString QtDialogs::openFileName(QWidget* owner, const QString& caption, const QString& dir,
                                const QString& filter) {
    return QFileDialog::getOpenFileName(owner, caption, dir, filter);
}

QString QtDialogs::chooseSaveFileName(QWidget* owner, const QString& caption, const QString& dir,
                                      const QString& filter) {
    // The question about an existing file is ours (Dialogs::saveFileName):
    // in the user's language, after the extension is added, and with No as
    // the default, which not every platform's dialog has.
    return QFileDialog::getSaveFileName(owner, caption, dir, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

bool QtDialogs::print(QWidget* owner, QPrinter& printer) {
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kqm52
