#include "params/FormLeesParSoll.h"

namespace kqm52 {

namespace {

constexpr auto Captions = TextSeries<"LeesParSoll", "CaptionMode", 4>::all();

} // namespace

TFormLeesParSoll::TFormLeesParSoll(TZRComm& port, const LanguageTexts& language, QWidget* parent)
    : TransferWindow(port, language, TableTransfer::Direction::Receive, {"LeesParSoll", Captions},
                     parent) {
    setObjectName(QStringLiteral("FormLeesParSoll"));
}

} // namespace kqm52
