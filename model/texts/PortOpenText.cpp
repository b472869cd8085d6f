#include "model/texts/PortOpenText.h"

#include "model/texts/LanguageTexts.h"

#include <QStringList>

namespace kqm52 {

QString portFamilyText(const LanguageTexts& language, TextRef ref) {
    if (!ref) return {};
    const std::optional<TextId> id = textIdNamed(ref.section, ref.key);
    return id ? language.text(*id) : QString();
}

QString portFormsText(const LanguageTexts& language, const PortMap& map, bool openable) {
    QStringList forms;
    for (const PortFamily& family : map.families())
        if (openable && !family.make)
            continue;
        else if (const QString form = portFamilyText(language, family.form); !form.isEmpty())
            forms << form;
    if (forms.size() < 2) return forms.join(QString());
    const QString last = forms.takeLast();
    return language.text(TextId{"Ctl", "PortFormsOr"}).arg(forms.join(QStringLiteral(", ")), last);
}

QString portProblemText(const LanguageTexts& language, const PortMap& map,
                        const PortProblem& problem) {
    const QString port = PortMap::key(problem.port);
    switch (problem.code) {
    case PortError::None:
        break;
    case PortError::NotInThisBuild:
        if (const PortFamily* family = map.familyOf(problem.value)) {
            const QString text = portFamilyText(language, family->notBuilt);
            if (!text.isEmpty()) return text.arg(port);
        }
        [[fallthrough]];
    case PortError::UnknownForm:
        return language.text(TextId{"InitCom", "MsgMapNotDevice"}).arg(port, problem.value);
    case PortError::OpenRefused:
        return problem.systemReason;
    }
    return {};
}

QString portLineText(const LanguageTexts& language, const TZRComm& port) {
    return port.lineSetAtServer() ? language.text(TextId{"InitCom", "LineAtServer"})
                                  : port.lineSettingsText();
}

QString portOpenReason(const LanguageTexts& language, const PortMap& map,
                       const ECommHandleError& error) {
    return error.problem() ? portProblemText(language, map, error.problem()) : error.message();
}

} // namespace kqm52
