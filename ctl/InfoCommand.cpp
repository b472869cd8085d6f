// kqm52ctl info: what each unit says it is.

#include "ctl/CtlRunner.h"

#include "inifile/SaveFile.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "model/BackupFile.h"
#include "model/DataFiles.h"
#include "model/DecimalText.h"
#include "model/DeviceSearch.h"
#include "model/FileProblemText.h"
#include "model/LimitCheck.h"
#include "model/ParameterFile.h"
#include "model/QtTranslations.h"
#include "model/SetpointFile.h"
#include "model/ValueEntry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <limits>


namespace kqm52::ctl {

int CtlRunner::info() {
    if (options_.arguments.size() > (options_.units ? 1 : 0))
        return usage(text("NoArguments").arg(QStringLiteral("info")));
    const bool many = options_.units.has_value();
    return forUnits(
        [&](int unit, const Identity& id) {
            UnitResult r;
            if (many) {
                data(QStringLiteral("unit %1  %2   %3   %4")
                         .arg(unit, 2, 10, QLatin1Char('0'))
                         .arg(id.type, id.hardware, id.extra));
                r.summary = QString(); // the line above is the summary
            } else {
                data(QStringLiteral("type      %1").arg(id.type));
                data(QStringLiteral("hardware  %1").arg(id.hardware));
                data(QStringLiteral("extra     %1").arg(id.extra));
            }
            r.json = QJsonObject{{QStringLiteral("type"), id.type},
                                 {QStringLiteral("hardware"), id.hardware},
                                 {QStringLiteral("extra"), id.extra}};
            return r;
        },
        true);
}

} // namespace kqm52::ctl
