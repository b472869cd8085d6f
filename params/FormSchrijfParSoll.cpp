#include "params/FormSchrijfParSoll.h"

namespace kqm52 {

namespace {

constexpr auto Captions = TextSeries<"SchrijfParSoll", "CaptionMode", 4>::all();

} // namespace

TFormSchrijfParSoll::TFormSchrijfParSoll(TZRComm& port, const LanguageTexts& language,
                                         QWidget* parent)
    : TransferWindow(port, language, TableTransfer::Direction::Send, {"SchrijfParSoll", Captions},
                     parent) {
    setObjectName(QStringLiteral("FormSchrijfParSoll"));
}

SendReport TFormSchrijfParSoll::writeOnly(const ParamTables::Parameters& values,
                                          const std::vector<int>& numbers) {
    tables().parameters = values;
    subset(numbers);
    run(TableTransfer::Mode::Parameters);
    SendReport report = transfer().sendReport();
    subset(std::nullopt);
    return report;
}

} // namespace kqm52
