#include "setpoints/FormAfdrukkenSoll.h"

#include "model/engines/ProgramState.h"
#include "setpoints/SetpointPrintout.h"

namespace kqm52 {

TFormAfdrukkenSoll::TFormAfdrukkenSoll(ProgramState& state, Dialogs& dialogs, QWidget* parent)
    : PrintHeaderForm(state, dialogs, "FormAfdrukkenSoll", TextId{"Afdrukken", "CaptionSoll"},
                      QStringLiteral("Afdrukken Soll"), parent) {}

void TFormAfdrukkenSoll::readTexts() {
    title_ = state_.language.text(TextId{"Afdrukken", "NaamSoll"});
}

void TFormAfdrukkenSoll::PrintSollwerten(PageTarget& target) {
    print(target, headerTexts());
}

void TFormAfdrukkenSoll::print(PageTarget& target, const PageHeaderTexts& header) {
    SetpointPrintout(state_).PrintSollwerten(target, header, title_);
}

} // namespace kqm52
