#include "ui/QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <utility>

namespace kqm52 {

namespace {

QWidget* window(DialogOwner owner) {
    return qobject_cast<QWidget*>(owner.window());
}

QMessageBox::Icon qtIcon(Dialogs::Icon icon) {
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Critical:
        return QMessageBox::Critical;
    case Dialogs::Icon::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

constexpr std::pair<Dialogs::Button, QMessageBox::StandardButton> ButtonPairs[] = {
    {Dialogs::Button::Ok, QMessageBox::Ok},     {Dialogs::Button::Yes, QMessageBox::Yes},
    {Dialogs::Button::No, QMessageBox::No},     {Dialogs::Button::Cancel, QMessageBox::Cancel},
    {Dialogs::Button::Save, QMessageBox::Save}, {Dialogs::Button::Discard, QMessageBox::Discard},
};

QMessageBox::StandardButtons qtButtons(Dialogs::Buttons buttons) {
    QMessageBox::StandardButtons out;
    for (const auto& [ours, qt] : ButtonPairs)
        if (buttons & ours) out |= qt;
    return out;
}

QMessageBox::StandardButton qtButton(Dialogs::Button button) {
    for (const auto& [ours, qt] : ButtonPairs)
        if (button == ours) return qt;
    return QMessageBox::NoButton;
}

Dialogs::Button ourButton(int qtResult) {
    for (const auto& [ours, qt] : ButtonPairs)
        if (qtResult == qt) return ours;
    return Dialogs::Button::NoButton;
}

} // namespace

Dialogs::Button QtDialogs::escapeButton(Buttons buttons) {
    for (Button b : {Button::Cancel, Button::No, Button::Ok})
        if (buttons & b) return b;
    return Button::NoButton;
}

Dialogs::Button QtDialogs::messageBox(DialogOwner owner, Icon icon, const QString& caption,
                                      const QString& text, Buttons buttons, Button defaultButton) {
    QMessageBox box(qtIcon(icon), caption, text, qtButtons(buttons), window(owner));
    // Lines arrive joined by LF CR; Qt would show the CR as a second break.
    box.setText(QString(text).remove(QLatin1Char('\r')));
    // Left to itself Qt makes Yes the default, and Enter would overwrite.
    const Button escape = escapeButton(buttons);
    box.setDefaultButton(qtButton(buttons & defaultButton ? defaultButton : escape));
    if (escape != Button::NoButton) box.setEscapeButton(qtButton(escape));
    const Button result = ourButton(box.exec());
    // Closed with Escape or the title bar: the least harmful answer.
    if (result == Button::NoButton || !(buttons & result)) return escape;
    return result;
}

QString QtDialogs::openFileName(DialogOwner owner, const QString& caption, const QString& dir,
                                const QString& filter) {
    return QFileDialog::getOpenFileName(window(owner), caption, dir, filter);
}

QString QtDialogs::chooseSaveFileName(DialogOwner owner, const QString& caption, const QString& dir,
                                      const QString& filter) {
    // The question about an existing file is ours (Dialogs::saveFileName):
    // in the user's language, after the extension is added, and with No as
    // the default, which not every platform's dialog has.
    return QFileDialog::getSaveFileName(window(owner), caption, dir, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

bool QtDialogs::print(DialogOwner owner, QPrinter& printer) {
    QPrintDialog dialog(&printer, window(owner));
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::printPreview(DialogOwner owner, QPrinter& printer,
                             const std::function<void(QPrinter&)>& paint) {
    QPrintPreviewDialog dialog(&printer, window(owner));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* target) { paint(*target); });
    // The preview's print button prints and then accepts the dialog.
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kqm52
