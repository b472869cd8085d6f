#include "model/engines/CamDisplay.h"

#include "model/engines/ProgramState.h"

namespace kqm52 {

using namespace cams;

namespace {

// Functions that put a cam to use, and the colour each shows in the grid.
std::optional<Qt::GlobalColor> functionColour(qint32 function) {
    switch (function) {
    case 1:
        return Qt::red;
    case 2:
        return Qt::green;
    case 3:
        return Qt::yellow;
    default:
        return std::nullopt;
    }
}

constexpr int FirstThumbwheelSelector = 49;
constexpr int LastThumbwheelSelector = 52;

} // namespace

QStringList CamDisplayLogic::LaadParOpties(int p) const {
    // The one place that knows how the catalogue hands out option lists.
    if (!state_.catalogue.parameterDefinitionsPresent()) return {};
    return state_.catalogue.optionList(p, state_.settings.LanguageNo);
}

QString CamDisplayLogic::optionText(int p) const {
    const QStringList options = LaadParOpties(p);
    const qint32 value = state_.tables.parameter(p);
    // A value the list has no label for shows nothing rather than the label
    // of whatever cam was selected before.
    if (value < 0 || value >= options.size()) return {};
    return options.at(value);
}

bool CamDisplayLogic::camOnOutput(int n, int m) const {
    if (n < 1 || n > CamCount || m < 1 || m > OutputCount) return false;
    return functionColour(state_.tables.parameter(functionParameter(n))).has_value() &&
           state_.tables.parameter(outputParameter(n)) == m;
}

std::optional<qint32> CamDisplayLogic::selectedValue(int selector, int ownParameter) const {
    if (selector == 0) return state_.tables.parameter(ownParameter);
    if (ParamTables::isSetpoint(selector)) return state_.tables.setpoint(selector);
    if (selector >= FirstThumbwheelSelector && selector <= LastThumbwheelSelector)
        return state_.monitor.ThumbwheelValue(selector - FirstThumbwheelSelector + 1);
    return std::nullopt;
}

CamPanels CamDisplayLogic::UpdateOnSelectedCell(int n, int m) const {
    if (!camOnOutput(n, m)) return {};
    const ParamTables& t = state_.tables;
    const auto position = [&t](std::optional<qint32> v) {
        return v ? t.IntToDecStr(ParamTables::DecimalsFromParameter203, *v) : QString();
    };
    const int startSelector = t.parameter(startSelectorParameter(n));
    const int endSelector = t.parameter(endSelectorParameter(n));
    CamPanels p;
    p.NokNummer = QString::number(n);
    p.Functie = optionText(functionParameter(n));
    p.Bron = optionText(sourceParameter(n));
    p.Aanvang = position(selectedValue(startSelector, startParameter(n)));
    p.SelectAanvang = optionText(startSelectorParameter(n));
    p.Einde = position(selectedValue(endSelector, endParameter(n)));
    p.SelectEinde = optionText(endSelectorParameter(n));
    p.Hysteresis = position(t.parameter(hysteresisParameter(n)));
    p.Vervroeging = t.IntToDecStr(3, t.parameter(advanceParameter(m)));
    return p;
}

std::optional<Qt::GlobalColor> CamDisplayLogic::cellColour(int n, int m) const {
    if (!camOnOutput(n, m)) return std::nullopt;
    return functionColour(state_.tables.parameter(functionParameter(n)));
}

} // namespace kqm52
