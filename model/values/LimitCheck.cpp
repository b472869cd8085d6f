#include "model/values/LimitCheck.h"

#include "model/values/DecimalText.h"
#include "model/values/ParameterCatalogue.h"

#include <QStringList>

namespace kqm52 {

namespace LimitCheck {

LimitFinding parameter(const ParameterCatalogue& catalogue, int languageNo,
                       const ParamTables::Parameters& values, int p, qint32 value) {
    // The decimals of a "dec 9" parameter come from the table being sent,
    // not from whatever the editor holds.
    ParamTables tables;
    tables.replaceParameters(values, ParameterSource::Nothing);
    const ParameterInfo& info = catalogue.info(p);
    if (!info.described()) {
        // Limits the catalogue does not know are not 0: say so.
        const QString unknown = QStringLiteral("?");
        return LimitFinding{info.numberText().prepend(QLatin1Char('P')), QString(),
                            info.valueText(value, tables), unknown, unknown};
    }
    return LimitFinding{info.numberText().prepend(QLatin1Char('P')), info.name(languageNo),
                        info.valueText(value, tables), info.valueText(info.minimum(), tables),
                        info.valueText(info.maximum(), tables)};
}

LimitFinding setpoint(const ParamTables::Parameters& parameters, int n, qint32 value) {
    const int decimals = parameters[ParamTables::PositionDecimalsParameter];
    return LimitFinding{QStringLiteral("S%1").arg(n, 2, 10, QLatin1Char('0')), QString(),
                        formatDecimal(decimals, value), formatDecimal(decimals, SetpointMinimum),
                        formatDecimal(decimals, SetpointMaximum)};
}

std::vector<LimitFinding> parameters(const ParameterCatalogue& catalogue, int languageNo,
                                     const ParamTables::Parameters& values) {
    std::vector<LimitFinding> out;
    for (int p = 0; p < ParamTables::ParameterCount; ++p) {
        const ParameterInfo& info = catalogue.info(p);
        const qint32 v = values[std::size_t(p)];
        if (info.described() && !info.range(ParamTables{}).allows(v))
            out.push_back(parameter(catalogue, languageNo, values, p, v));
    }
    return out;
}

std::vector<LimitFinding> setpoints(const ParamTables::Parameters& parameters,
                                    const ParamTables::Setpoints& values) {
    std::vector<LimitFinding> out;
    for (int n = 1; n <= ParamTables::SetpointCount; ++n) {
        const qint32 v = values[std::size_t(n - 1)];
        if (!setpointRange(0).allows(v)) out.push_back(setpoint(parameters, n, v));
    }
    return out;
}

QString list(const std::vector<LimitFinding>& findings, const QString& line, const QString& more,
             const QString& lineBreak) {
    QStringList lines;
    for (std::size_t i = 0; i < findings.size() && i < std::size_t(ListedAtMost); ++i) {
        const LimitFinding& f = findings[i];
        lines << QString(line).arg(f.label(), f.value, f.minimum, f.maximum);
    }
    if (findings.size() > std::size_t(ListedAtMost))
        lines << QString(more).arg(int(findings.size()) - ListedAtMost);
    return lines.join(lineBreak);
}

} // namespace LimitCheck

} // namespace kqm52
