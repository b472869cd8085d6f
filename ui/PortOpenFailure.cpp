#include "ui/PortOpenFailure.h"

#include "link/PortMap.h"
#include "model/texts/LanguageTexts.h"

#include <QFileInfo>
#include <QStringList>

#include <cerrno>

namespace kqm52 {

DeviceAccess DeviceAccess::of(const QString& device) {
    const QFileInfo info(device);
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = QStringLiteral("$USER");
    return {info.exists() ? info.group() : QString(), user};
}

QString portOpenFailureText(const LanguageTexts& language, TPort port, const QString& device,
                            const QString& message, int systemError, const DeviceAccess& access) {
    QStringList lines;
    lines << language.text({"InitCom", "MsgCannotOpen"}).arg(PortMap::key(port), device) << message;
    QString advice;
    switch (systemError) {
    case EACCES:
    case EPERM:
        // A device owned by root alone, or one we cannot see, has no group
        // the user could join.
        if (access.group.isEmpty() || access.group == QLatin1String("root"))
            advice = language.text({"InitCom", "MsgNoAccess"}).arg(device);
        else
            advice = language.text({"InitCom", "MsgAccessByGroup"})
                         .arg(device, access.group, access.user);
        break;
    case EBUSY:
        advice = language.text({"InitCom", "MsgDeviceBusy"});
        break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        advice = language.text({"InitCom", "MsgDeviceMissing"});
        break;
    default:
        break;
    }
    if (!advice.isEmpty()) lines << QString() << advice;
    return lines.join(QLatin1Char('\n'));
}

} // namespace kqm52
