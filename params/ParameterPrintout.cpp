#include "params/ParameterPrintout.h"

#include "model/engines/ProgramState.h"
#include "model/values/GroupTree.h"

namespace kqm52 {

namespace {

constexpr int TitlePoints = 14;
constexpr int GroupPoints = 12;
constexpr int BodyPoints = 10;
// The columns, in characters: the row number (room for 9.24.10), the
// parameter number, the name, the value ending under the right end of its
// header, the option text.
constexpr int RowColumn = 0;
constexpr int RowChars = 8;
constexpr int NumberColumn = 9;
constexpr int NumberChars = 5;
constexpr int NameColumn = 15;
constexpr int NameChars = 38;
constexpr int ValueEnd = 64;
constexpr int OptionColumn = 67;

std::vector<PrintCell> columns(const QString& row, const QString& number, const QString& name,
                               const QString& value, const QString& option) {
    return {{row, RowColumn, false, RowChars},
            {number, NumberColumn, false, NumberChars},
            {name, NameColumn, false, NameChars},
            {value, ValueEnd, true},
            {option, OptionColumn}};
}

} // namespace

std::vector<PrintCell> ParameterPrintout::InitParameterHeader(const std::array<QString, 5>& t) {
    return columns(t[0], t[1], t[2], t[3], t[4]);
}

std::vector<PrintCell> ParameterPrintout::InitParameterHeader() const {
    const LanguageTexts& l = state_.language;
    return InitParameterHeader(
        {l.text(TextId{"EditParam", "KolomTekst0"}), l.text(TextId{"EditParam", "KolomTekst1"}),
         l.text(TextId{"EditParam", "KolomTekst2"}), l.text(TextId{"EditParam", "KolomTekst3"}),
         l.text(TextId{"EditParam", "KolomTekst4"})});
}

std::vector<PrintCell> ParameterPrintout::parameterLine(int groupId, int row, int p) const {
    const ParameterCatalogue& catalogue = state_.catalogue;
    const int languageNo = state_.settings.LanguageNo;
    const int menu = groupId / 100;
    const QString rowText = QStringLiteral("%1.%2.%3").arg(menu).arg(groupId - 100 * menu).arg(row);
    const qint32 value = state_.tables.parameter(p);
    QString number, name, option;
    if (catalogue.hasParameter(p)) {
        number = ParameterCatalogue::sectionName(p);
        name = catalogue.name(p, languageNo);
        if (catalogue.isOptionList(p)) option = catalogue.optionText(p, languageNo, value);
    }
    return columns(rowText, number, name, catalogue.valueText(p, value, state_.tables), option);
}

void ParameterPrintout::PrintParameters(PageTarget& target, const PageHeaderTexts& header) const {
    const std::vector<PrintCell> columnHeader = InitParameterHeader();
    PrintPage page(target, header);
    page.PrintPaginaHeader();
    page.y = page.y0;

    GroupTree tree;
    const QString path =
        state_.settings.folders.dataPath(GroupTree::fileName(state_.settings.LanguageNo));
    if (!tree.load(path) || tree.nodes().empty()) return; // the header page alone

    page.line(tree.nodes().front().caption, TitlePoints, true, false);

    const ParameterCatalogue& catalogue = state_.catalogue;
    const bool catalogueLoaded =
        catalogue.parameterDefinitionsPresent() && catalogue.parameterNumbersPresent();
    QString menuCaption;
    for (std::size_t i = 1; i < tree.nodes().size(); ++i) {
        const GroupTree::Node& node = tree.nodes()[i];
        QString title;
        if (node.level == 1) {
            menuCaption = node.caption;
            title = menuCaption;
        } else if (node.level == 2) {
            title = menuCaption + QStringLiteral(" > ") + node.caption;
        } else {
            continue; // deeper lines belong to their submenu's group
        }
        const int groupId = node.groupId();
        if (!catalogueLoaded || catalogue.numbers().readInteger(QString::number(groupId),
                                                                QStringLiteral("ParId1"), -1) == -1)
            continue;
        // A title with no room for a line under it goes to the next page.
        const int h = page.textHeight(GroupPoints, true);
        if (!page.fits(2 * h)) page.nextPage();
        page.line(title, GroupPoints, true, false);
        PrintMenuParameters(page, groupId, columnHeader);
    }
}

void ParameterPrintout::PrintMenuParameters(PrintPage& page, int groupId,
                                            const std::vector<PrintCell>& columnHeader) const {
    page.line(columnHeader, BodyPoints, true);
    // Rows carried over to the next page come under their column header.
    page.onNewPage = [&page, &columnHeader] { page.line(columnHeader, BodyPoints, true, false); };
    const ParameterCatalogue& catalogue = state_.catalogue;
    if (catalogue.parameterDefinitionsPresent() && catalogue.parameterNumbersPresent()) {
        // Every row that names a parameter, by its own number: a row left
        // out of the numbering, or naming no parameter, prints nothing rather
        // than a line of zeros about no parameter.
        for (int row = 1; row <= MaxRows; ++row) {
            const int p = catalogue.numbers().readInteger(QString::number(groupId),
                                                          QStringLiteral("ParId%1").arg(row), -1);
            if (!ParamTables::isParameter(p)) continue;
            page.line(parameterLine(groupId, row, p), BodyPoints, false);
        }
    }
    page.onNewPage = nullptr;
    page.y += page.lineHeight;
}

} // namespace kqm52
