#include "model/values/ParamTables.h"

#include "model/values/DecimalText.h"

namespace kqm52 {

void ParamTables::setParameter(int p, qint32 value) {
    if (isParameter(p)) parameters_[p] = value;
}

void ParamTables::setSetpoint(int n, qint32 value) {
    if (isSetpoint(n)) setpoints_[n - 1] = value;
}

void ParamTables::replaceParameters(const Parameters& values, ParameterSource source) {
    parameters_ = values;
    parameterSource = source;
    parametersModified = false;
}

void ParamTables::replaceSetpoints(const Setpoints& values, SetpointSource source) {
    setpoints_ = values;
    setpointSource = source;
    setpointsModified = false;
}

void ParamTables::reset() {
    *this = ParamTables();
}

QString ParamTables::IntToDecStr(int D, qint32 value) const {
    if (D == DecimalsFromParameter203) D = parameter(PositionDecimalsParameter);
    return formatDecimal(D, value);
}

} // namespace kqm52
