#include "params/FormAfdrukkenPar.h"

#include "params/ParameterPrintout.h"

namespace kqm52 {

TFormAfdrukkenPar::TFormAfdrukkenPar(ProgramState& state, Dialogs& dialogs, QWidget* parent)
    : PrintHeaderForm(state, dialogs, "FormAfdrukkenPar", TextId{"Afdrukken", "CaptionPar"},
                      QStringLiteral("Afdrukken param"), parent) {}

void TFormAfdrukkenPar::PrintParameters(PageTarget& target) {
    print(target, headerTexts());
}

void TFormAfdrukkenPar::print(PageTarget& target, const PageHeaderTexts& header) {
    ParameterPrintout(state_).PrintParameters(target, header);
}

} // namespace kqm52
