#include "ui/ScriptedDialogs.h"

#include <QPrinter>

namespace kqm52 {

std::vector<ScriptedDialogs::Asked> ScriptedDialogs::asked(Kind kind) const {
    std::vector<Asked> out;
    for (const auto& a : asked_)
        if (a.kind == kind) out.push_back(a);
    return out;
}

void ScriptedDialogs::clear() {
    messages_.clear();
    openFiles_.clear();
    saveFiles_.clear();
    prints_.clear();
    previews_.clear();
    asked_.clear();
    unscripted_ = 0;
}

Dialogs::Button ScriptedDialogs::messageBox(DialogOwner owner, Icon icon, const QString& caption,
                                            const QString& text, Buttons buttons,
                                            Button defaultButton) {
    asked_.push_back(
        Asked{Kind::Message, owner.window(), icon, caption, text, buttons, defaultButton, {}, {}});
    if (!messages_.empty()) {
        const Button b = messages_.front();
        messages_.pop_front();
        if (b != Button::NoButton) return b;
        // Enter.  A box that names no default takes its first accepting
        // button, as Qt's does: Yes before No.
        if (buttons & defaultButton) return defaultButton;
        for (Button accept : {Button::Ok, Button::Yes})
            if (buttons & accept) return accept;
        return Button::NoButton;
    }
    ++unscripted_;
    for (Button b : {Button::Cancel, Button::No, Button::Ok})
        if (buttons & b) return b;
    return Button::NoButton;
}

QString ScriptedDialogs::fileAsked(Kind kind, DialogOwner owner, const QString& caption,
                                   const QString& dir, const QString& filter,
                                   std::deque<QString>& answers) {
    asked_.push_back(
        Asked{kind, owner.window(), Icon::NoIcon, caption, {}, {}, Button::NoButton, dir, filter});
    if (answers.empty()) {
        ++unscripted_;
        return {};
    }
    QString path = answers.front();
    answers.pop_front();
    return path;
}

QString ScriptedDialogs::openFileName(DialogOwner owner, const QString& caption, const QString& dir,
                                      const QString& filter) {
    return fileAsked(Kind::OpenFile, owner, caption, dir, filter, openFiles_);
}

QString ScriptedDialogs::chooseSaveFileName(DialogOwner owner, const QString& caption,
                                            const QString& dir, const QString& filter) {
    return fileAsked(Kind::SaveFile, owner, caption, dir, filter, saveFiles_);
}

bool ScriptedDialogs::print(DialogOwner owner, QPrinter& printer) {
    asked_.push_back(
        Asked{Kind::Print, owner.window(), Icon::NoIcon, {}, {}, {}, Button::NoButton, {}, {}});
    if (prints_.empty()) {
        ++unscripted_;
        return false;
    }
    const QString pdf = prints_.front();
    prints_.pop_front();
    if (pdf.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    return true;
}

bool ScriptedDialogs::printPreview(DialogOwner owner, QPrinter& printer,
                                   const std::function<void(QPrinter&)>& paint) {
    asked_.push_back(
        Asked{Kind::Preview, owner.window(), Icon::NoIcon, {}, {}, {}, Button::NoButton, {}, {}});
    if (previews_.empty()) {
        ++unscripted_;
        return false;
    }
    const auto [pdf, printed] = previews_.front();
    previews_.pop_front();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    paint(printer);
    return printed;
}

} // namespace kqm52
