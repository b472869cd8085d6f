#include "ui/Dialogs.h"

#include "model/texts/LanguageTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace kqm52 {

QString Dialogs::saveFileName(DialogOwner owner, const QString& caption, const QString& dir,
                              const QString& filter, const QString& suffix) {
    QString path = chooseSaveFileName(owner, caption, dir, filter);
    if (path.isEmpty()) return path;
    // The extension first: "unit" typed over an existing "unit.bak" replaces
    // that file, so that is the one to ask about.
    if (!suffix.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + suffix;
    if (!QFileInfo::exists(path)) return path;
    constexpr TextId id{"Main", "MsgReplaceFile"};
    const QString text = (language_ ? language_->text(id) : QString::fromUtf8(id->def))
                             .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    if (question(owner, caption, text, Button::Yes | Button::No, Button::No) != Button::Yes)
        return {};
    return path;
}

QString fileDialogFilter(const QString& languageFilter) {
    const QStringList parts = languageFilter.split(QLatin1Char('|'));
    if (parts.size() < 2) return languageFilter;
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns =
            QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')).simplified();
        // A pair without patterns would offer a choice that shows no file.
        if (patterns.isEmpty()) continue;
        const QString description = parts[i].trimmed();
        // The dialog filters by the last parenthesised group, so a
        // description that shows other words in brackets, "Parameters
        // (MX52)", still gets its patterns.
        const QString shown = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (description.endsWith(shown))
            filters << description;
        else if (description.isEmpty())
            filters << patterns + QLatin1Char(' ') + shown;
        else
            filters << description + QLatin1Char(' ') + shown;
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace kqm52
