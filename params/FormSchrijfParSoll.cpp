#include "params/FormSchrijfParSoll.h"

namespace kqm52 {

TFormSchrijfParSoll::TFormSchrijfParSoll(TZRComm& port, const LanguageTexts& language,
                                         QWidget* parent)
    : TransferWindow(port, language, TableTransfer::Direction::Send, "SchrijfParSoll",
                     TableTransfer::SendTextCount, parent) {
    setObjectName(QStringLiteral("FormSchrijfParSoll"));
}

} // namespace kqm52
