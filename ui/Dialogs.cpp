#include "ui/Dialogs.h"

#include "model/LanguageTexts.h"

#include <QDir>
#include <QFileInfo>

namespace kqm52 {

QString Dialogs::saveFileName(QWidget* owner, const QString& caption, const QString& dir,
                              const QString& filter, const QString& suffix) {
    QString path = chooseSaveFileName(owner, caption, dir, filter);
    if (path.isEmpty()) return path;
    // The extension first: "unit" typed over an existing "unit.bak" replaces
    // that file, so that is the one to ask about.
    if (!suffix.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + suffix;
    if (!QFileInfo::exists(path)) return path;
    constexpr TextId id{"Main", "MsgReplaceFile"};
    const QString question = (language_ ? language_->text(id) : QString::fromUtf8(id->def))
                                 .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    if (messageBox(owner, Icon::Warning, caption, question, Button::Yes | Button::No, Button::No) !=
        Button::Yes)
        return {};
    return path;
}

} // namespace kqm52
