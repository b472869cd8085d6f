#include "params/ParameterPrintout.h"

#include "params/model/GroupTree.h"
#include "ui/ProgramState.h"

namespace kqm52 {

namespace {

constexpr int TitlePoints = 14;
constexpr int GroupPoints = 12;
constexpr int BodyPoints = 10;
const QString Gap = QStringLiteral("   ");

} // namespace

QString ParameterPrintout::InitParameterHeader(const std::array<QString, 5>& t) {
    return padRight(t[0], 6) + Gap + padRight(t[1], 3) + Gap + padRight(t[2], 38) +
           padLeft(t[3], 11) + Gap + padRight(t[4], 18);
}

QString ParameterPrintout::InitParameterHeader() const {
    const LanguageTexts& l = state_.language;
    return InitParameterHeader(
        {l.text(TextId{"EditParam", "KolomTekst0"}), l.text(TextId{"EditParam", "KolomTekst1"}),
         l.text(TextId{"EditParam", "KolomTekst2"}), l.text(TextId{"EditParam", "KolomTekst3"}),
         l.text(TextId{"EditParam", "KolomTekst4"})});
}

QString ParameterPrintout::parameterLine(int groupId, int row, int p) const {
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
    return padRight(rowText, 6) + Gap + padRight(number, 3) + Gap + padRight(name, 38) +
           padLeft(catalogue.valueText(p, value, state_.tables), 11) + Gap + option;
}

void ParameterPrintout::PrintParameters(PageTarget& target, const PageHeaderTexts& header) const {
    const QString columnHeader = InitParameterHeader();
    PrintPage page(target, header);
    page.PrintPaginaHeader();
    page.y = page.y0;

    GroupTree tree;
    const QString path =
        state_.settings.ProgramDir + GroupTree::fileName(state_.settings.LanguageNo);
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
                                            const QString& columnHeader) const {
    page.line(columnHeader, BodyPoints, true);
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
    page.y += page.lineHeight;
}

} // namespace kqm52
