#include "model/texts/PortOpenText.h"

#include "model/texts/LanguageTexts.h"

namespace kqm52 {

QString portMapProblemText(const LanguageTexts& language, const PortMapProblem& problem) {
    switch (problem.kind) {
    case PortMapProblem::Kind::None:
        break;
    case PortMapProblem::Kind::SimulatedBusMissing:
        return language.text(TextId{"InitCom", "MsgMapNoSim"}).arg(PortMap::key(problem.port));
    case PortMapProblem::Kind::NotADevicePath:
        return language.text(TextId{"InitCom", "MsgMapNotDevice"})
            .arg(PortMap::key(problem.port), problem.device);
    }
    return {};
}

QString portOpenReason(const LanguageTexts& language, const ECommHandleError& error) {
    return error.mapProblem() ? portMapProblemText(language, error.mapProblem()) : error.message();
}

} // namespace kqm52
