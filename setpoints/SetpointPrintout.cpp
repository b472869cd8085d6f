#include "setpoints/SetpointPrintout.h"

#include "model/engines/ProgramState.h"

namespace kqm52 {

namespace {

constexpr int TitlePoints = 14;
constexpr int BodyPoints = 10;
constexpr int NumberChars = 8;
constexpr int ValueEnd = 21;

} // namespace

std::vector<PrintCell> SetpointPrintout::InitSollwertHeader(const QString& number,
                                                            const QString& value) {
    return {{number, 0, false, NumberChars}, {value, ValueEnd, true}};
}

std::vector<PrintCell> SetpointPrintout::InitSollwertHeader() const {
    // The printout reads the editor's section, as "EditSollWert".
    const LanguageTexts& l = state_.language;
    return InitSollwertHeader(l.text(TextId{"EditSollWert", "Kolomtekst_no"}),
                              l.text(TextId{"EditSollWert", "Kolomtekst_waarde"}));
}

std::vector<PrintCell> SetpointPrintout::setpointLine(int n) const {
    return InitSollwertHeader(QString::number(n), QString::number(state_.tables.setpoint(n)));
}

void SetpointPrintout::PrintSollwerten(PageTarget& target, const PageHeaderTexts& header,
                                       const QString& title) const {
    const std::vector<PrintCell> columnHeader = InitSollwertHeader();
    PrintPage page(target, header);
    page.PrintPaginaHeader();
    page.y = page.y0;
    page.line(title, TitlePoints, true, false);
    page.line(columnHeader, BodyPoints, true, false);
    page.onNewPage = [&page, &columnHeader] { page.line(columnHeader, BodyPoints, true, false); };
    for (int n = 1; n <= ParamTables::SetpointCount; ++n)
        page.line(setpointLine(n), BodyPoints, false);
}

} // namespace kqm52
