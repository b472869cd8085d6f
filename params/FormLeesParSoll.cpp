#include "params/FormLeesParSoll.h"

namespace kqm52 {

TFormLeesParSoll::TFormLeesParSoll(TZRComm& port, const LanguageTexts& language, QWidget* parent)
    : TransferWindow(port, language, TableTransfer::Direction::Receive, "LeesParSoll",
                     TableTransfer::ReceiveTextCount, parent) {
    setObjectName(QStringLiteral("FormLeesParSoll"));
}

} // namespace kqm52
