#include "setpoints/SetpointPrintout.h"

#include "ui/ProgramState.h"

namespace kqm52 {

namespace {

constexpr int TitlePoints = 14;
constexpr int BodyPoints = 10;
const QString Gap = QStringLiteral("   ");

} // namespace

QString SetpointPrintout::InitSollwertHeader(const QString& number, const QString& value) {
    return padRight(number, 6) + Gap + padLeft(value, 12);
}

QString SetpointPrintout::InitSollwertHeader() const {
    // The printout reads the editor's section, as "EditSollWert".
    const LanguageTexts& l = state_.language;
    return InitSollwertHeader(l.text(TextId{"EditSollWert", "Kolomtekst_no"}),
                              l.text(TextId{"EditSollWert", "Kolomtekst_waarde"}));
}

QString SetpointPrintout::setpointLine(int n) const {
    return padRight(QString::number(n), 6) + Gap +
           padLeft(QString::number(state_.tables.setpoint(n)), 12);
}

void SetpointPrintout::PrintSollwerten(PageTarget& target, const PageHeaderTexts& header,
                                       const QString& title) const {
    const QString columnHeader = InitSollwertHeader();
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
