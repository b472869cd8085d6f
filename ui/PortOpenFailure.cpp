#include "ui/PortOpenFailure.h"

#include "link/PortMap.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/PortOpenText.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace kqm52 {

DeviceAccess DeviceAccess::of(const QString& device) {
    const QFileInfo info(device);
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = QStringLiteral("$USER");
    return {info.exists() ? info.group() : QString(), user};
}

QString portOpenFailureText(const LanguageTexts& language, const PortFamily* family, TPort port,
                            const QString& device, const QString& message, int systemError,
                            const DeviceAccess& access) {
    QStringList lines;
    lines << language.text({"InitCom", "MsgCannotOpen"}).arg(PortMap::key(port), device) << message;
    QString advice;
    for (const OpenAdvice& a : family ? family->advice : std::vector<OpenAdvice>{}) {
        if (std::find(a.errors.begin(), a.errors.end(), systemError) == a.errors.end()) continue;
        // A device owned by root alone, or one we cannot see, has no group
        // the user could join.
        if (a.byGroup && !access.group.isEmpty() && access.group != QLatin1String("root"))
            advice = portFamilyText(language, a.byGroup).arg(device, access.group, access.user);
        else
            advice = portFamilyText(language, a.text);
        if (advice.contains(QLatin1String("%1"))) advice = advice.arg(device);
        break;
    }
    if (!advice.isEmpty()) lines << QString() << advice;
    return lines.join(QLatin1Char('\n'));
}

} // namespace kqm52
