#include "ctl/CtlRun.h"

#include "ctl/CtlRunner.h"
#include "model/engines/DataFiles.h"
#include "model/texts/QtTranslations.h"

#include <QJsonDocument>

namespace kqm52::ctl {

int runCtl(const QStringList& arguments, CtlContext& context) {
    const ParsedLine line = parseCommandLine(arguments);
    // Before a command runs: in the language --lang asks for when it can be
    // read, else in the one of application.ini.
    LanguageTexts language;
    const auto readLanguage = [&](std::optional<int> asked) {
        const int languageNo = asked.value_or(CtlLink::settingsLanguage(context.folders));
        readLanguageFile(language, context.folders, languageNo, {});
        return languageNo;
    };
    // What a script that gave --json reads when no command ran.
    const auto document = [&](int exit, const char* field, const QString& value) {
        if (!jsonAsked(arguments)) return exit;
        QJsonObject json{{QStringLiteral("command"), line.options.command},
                         {QString::fromLatin1(field), value},
                         {QStringLiteral("exit"), exit}};
        *context.out << QJsonDocument(json).toJson(QJsonDocument::Indented);
        context.out->flush();
        return exit;
    };
    if (!line.error.isEmpty()) {
        const int languageNo = readLanguage(languageAsked(arguments));
        QString error = line.error;
        if (line.errorText) {
            error = language.text(line.errorText->id()).arg(line.errorValue);
        } else {
            // The parser's own words ("Unknown option"), read again with
            // Qt's texts in that language.
            QtTranslations qtTexts;
            if (qtTexts.use(languageNo)) error = parseCommandLine(arguments).error;
        }
        *context.err << "kqm52ctl: " << error << '\n'
                     << language.text(TextIn<"Ctl">{"OptHelpHint"}) << '\n';
        context.err->flush();
        return document(Usage, "error", error);
    }
    if (line.options.help || line.options.command.isEmpty()) {
        readLanguage(line.options.language);
        const QString help = line.options.command.isEmpty()
                                 ? generalHelp(language)
                                 : commandHelp(language, line.options.command);
        if (line.options.json)
            return line.options.help
                       ? document(Done, "help", help)
                       : document(Usage, "error", language.text(TextIn<"Ctl">{"NoCommand"}));
        *context.out << help;
        context.out->flush();
        return line.options.help ? Done : Usage;
    }
    CtlRunner runner(line.options, context);
    return runner.exec();
}

} // namespace kqm52::ctl
