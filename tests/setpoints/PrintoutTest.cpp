// Both printouts as a reader of the PDF sees them: rendered through Qt's PDF
// printer and read back with pdftotext -layout, page by page.

#include "support/FileSizeLimit.h"

#include "params/FormAfdrukkenPar.h"
#include "params/ParameterPrintout.h"
#include "params/PrintPage.h"
#include "params/model/GroupTree.h"
#include "setpoints/FormAfdrukkenSoll.h"
#include "setpoints/SetpointPrintout.h"
#include "ui/ProgramState.h"
#include "ui/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>

using namespace kqm52;

namespace {

// Pages of a PDF as pdftotext lays them out.
QStringList pdfPages(const QString& pdf) {
    QProcess run;
    run.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!run.waitForFinished(20000) || run.exitCode() != 0) return {};
    QStringList pages = QString::fromUtf8(run.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

QString pdfTitle(const QString& pdf) {
    QProcess run;
    run.start(QStringLiteral("pdfinfo"), {pdf});
    run.waitForFinished(20000);
    for (const QString& line : QString::fromUtf8(run.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QStringLiteral("Title:"))) return line.mid(6).trimmed();
    return {};
}

QString lineWith(const QString& page, const QString& text) {
    for (const QString& line : page.split(QLatin1Char('\n')))
        if (line.contains(text)) return line;
    return {};
}

// Where a text ends in its line: right-aligned columns end at the same place.
qsizetype endOf(const QString& line, const QString& text) {
    const qsizetype at = line.indexOf(text);
    return at < 0 ? -1 : at + text.size();
}

class PrintoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        ASSERT_TRUE(dir.isValid());
        state.settings.ProgramDir = dir.path() + QLatin1Char('/');
        writeTree("MX52 parameters\n\tAlgemeen\n\tNokken\n\t\tNok 1\n\t\t\tDetail\n\tLeeg\n");
        IniFile definitions;
        definitions.loadFromText(QStringLiteral("[007]\nnaam0=Snelheid\ndec=2\n"
                                                "[014]\nnaam0=Modus\ntype=1\nopties0=Uit,Aan\n"
                                                "[015]\nnaam0=Richting\ntype=1\nopties0=L,R\n"));
        state.catalogue.setDefinitions(definitions);
        IniFile numbers;
        numbers.loadFromText(QStringLiteral("[100]\nParId1=7\nParId2=14\n"
                                            "[201]\nParId1=15\n"
                                            "[300]\nParId1=-1\nParId2=14\n"));
        state.catalogue.setNumbers(numbers);
        state.tables.setParameter(7, -5);
        state.tables.setParameter(14, 1);
        state.tables.setParameter(15, 5);
        state.language.loadFromText(
            QStringLiteral("[EditParam]\nKolomTekst0=Nr\nKolomTekst1=Par\nKolomTekst2=Naam\n"
                           "KolomTekst3=Waarde\nKolomTekst4=Optie\n"
                           "[EditSollwert]\nKolomtekst_no=Nr\nKolomtekst_waarde=Waarde\n"
                           "[Afdrukken]\nMsgNotPrinted=Er is niets afgedrukt.\n"));
        header.labels = {QStringLiteral("Firma:"), QStringLiteral("Type:"),
                         QStringLiteral("Serienummer:")};
        header.values = {QStringLiteral("Acme"), QStringLiteral("MX52"), QStringLiteral("4711")};
        header.pageLabel = QStringLiteral("P");
    }

    void writeTree(const QByteArray& text) {
        QFile f(dir.filePath(QStringLiteral("Tree0.txt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    // A PDF printer with the whole sheet as its page, heightMm tall.
    std::unique_ptr<QPrinter> printer(const QString& name, double heightMm = 297) {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(dir.filePath(name));
        p->setPageSize(QPageSize(QSizeF(210, heightMm), QPageSize::Millimeter));
        p->setPageMargins(QMarginsF(0, 0, 0, 0));
        setUpPrinter(*p);
        return p;
    }

    QStringList printParameters(double heightMm = 297) {
        auto p = printer(QStringLiteral("par.pdf"), heightMm);
        {
            PagedTarget target(*p);
            EXPECT_TRUE(target.active());
            ParameterPrintout(state).PrintParameters(target, header);
        }
        return pdfPages(dir.filePath(QStringLiteral("par.pdf")));
    }

    QTemporaryDir dir;
    ProgramState state{QString()};
    PageHeaderTexts header;
};

// Header, date and page number; groups in tree order with values and option
// texts; no title for a menu without rows or a group whose first row is -1.
TEST_F(PrintoutTest, ParameterPageShowsHeaderAndGroupsInTreeOrder) {
    const QStringList pages = printParameters();
    ASSERT_EQ(pages.size(), 1);
    const QString& page = pages[0];
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    const QString first = lineWith(page, QStringLiteral("Acme"));
    EXPECT_TRUE(first.contains(QStringLiteral("Firma:"))) << first.toStdString();
    EXPECT_TRUE(first.trimmed().endsWith(date)) << first.toStdString();
    const QString third = lineWith(page, QStringLiteral("4711"));
    EXPECT_TRUE(third.contains(QStringLiteral("Serienummer:")));
    EXPECT_TRUE(third.trimmed().endsWith(QStringLiteral("P   1"))) << third.toStdString();
    EXPECT_EQ(pdfTitle(dir.filePath(QStringLiteral("par.pdf"))), QStringLiteral("MX5x Printing"));

    const qsizetype root = page.indexOf(QStringLiteral("MX52 parameters"));
    const qsizetype general = page.indexOf(QStringLiteral("Algemeen"));
    const qsizetype cam = page.indexOf(QStringLiteral("Nokken > Nok 1"));
    EXPECT_TRUE(root >= 0 && general > root && cam > general) << page.toStdString();
    EXPECT_FALSE(lineWith(page, QStringLiteral("Nokken")).trimmed() == QStringLiteral("Nokken"));
    EXPECT_TRUE(lineWith(page, QStringLiteral("Leeg")).isEmpty());
    // A line below a submenu belongs to the submenu's group: no title, no repeat.
    EXPECT_TRUE(lineWith(page, QStringLiteral("Detail")).isEmpty());
    EXPECT_EQ(page.count(QStringLiteral("Richting")), 1);

    const QString columns = lineWith(page, QStringLiteral("Waarde"));
    const QString speed = lineWith(page, QStringLiteral("Snelheid"));
    // pdftotext rounds the blanks between words of a fixed font either way.
    EXPECT_TRUE(
        speed.trimmed().contains(QRegularExpression(QStringLiteral("^1.0.1 +007 +Snelheid "))))
        << speed.toStdString();
    // -5 with two decimals, right-aligned under the value header.
    EXPECT_EQ(endOf(speed, QStringLiteral("-0,05")), endOf(columns, QStringLiteral("Waarde")))
        << speed.toStdString() << "\n"
        << columns.toStdString();
    EXPECT_TRUE(lineWith(page, QStringLiteral("Modus")).trimmed().endsWith(QStringLiteral(" Aan")));
    const QString direction = lineWith(page, QStringLiteral("Richting"));
    EXPECT_TRUE(direction.trimmed().startsWith(QStringLiteral("2.1.1")));
    EXPECT_TRUE(direction.trimmed().endsWith(QStringLiteral("########")));

    QFile::remove(dir.filePath(QStringLiteral("Tree0.txt"))); // only the header then
    const QStringList bare = printParameters();
    ASSERT_EQ(bare.size(), 1);
    EXPECT_FALSE(bare[0].contains(QStringLiteral("Snelheid")));
    EXPECT_TRUE(bare[0].contains(QStringLiteral("P   1")));
}

// The page is made just tall enough that the second group's title would
// fit, but not a line under it: the title goes to page 2, under its header.
TEST_F(PrintoutTest, GroupTitleMovesToNextPageWhenNoLineFitsUnderIt) {
    // Measured on an image at the PDF printer's 1200 dpi.
    ImageTarget probeTarget(QSize(64, 64), 1200);
    PrintPage m(probeTarget, header);
    const int h10 = m.lineHeight, h12 = m.textHeight(12, true), h14 = m.textHeight(14, true);
    // Root, title, column header, two rows and the empty line after them.
    const int secondTitle = m.y0 + h14 + h12 + 4 * h10;
    const int pixels = secondTitle + h12 * 3 / 2 + int(std::lround(1.2 * m.pixelsPerCm));
    probeTarget.finish();

    const QStringList pages = printParameters(pixels * 25.4 / 1200);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Modus")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Nok 1")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Nokken > Nok 1")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("P   2")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Acme")));
}

// The catalogue shipped beside the program, in every language: each group
// with rows prints its title once, and the pages are numbered from 1 on.
TEST_F(PrintoutTest, ShippedCataloguePrintsEveryGroupOnNumberedPages) {
    const QString data = QStringLiteral(KQM52_DATA_DIR "/");
    state.settings.ProgramDir = data;
    state.catalogue.ParameterDef_lezen(data);
    state.catalogue.ParamNo_lezen(data);
    ASSERT_TRUE(state.catalogue.parameterNumbersPresent());
    for (int language = 0; language < 3; ++language) {
        state.settings.LanguageNo = language;
        const QStringList pages = printParameters();
        ASSERT_GE(pages.size(), 2) << language;
        for (int n = 0; n < pages.size(); ++n)
            EXPECT_TRUE(pages[n].contains(QRegularExpression(QStringLiteral("P +%1\n").arg(n + 1))))
                << "page " << n + 1 << " in language " << language;
        if (!qEnvironmentVariableIsEmpty("KQM52_KEEP_PRINTOUT"))
            QFile::copy(dir.filePath(QStringLiteral("par.pdf")),
                        qEnvironmentVariable("KQM52_KEEP_PRINTOUT") +
                            QStringLiteral("/parameters%1.pdf").arg(language));
        GroupTree tree;
        ASSERT_TRUE(tree.load(data + GroupTree::fileName(language)));
        const QString all = pages.join(QString());
        for (const GroupTree::Node& node : tree.nodes()) {
            if (node.level == 2 && state.catalogue.parameterInRow(node.groupId(), 1) >= 0) {
                EXPECT_EQ(all.count(QStringLiteral("> ") + node.caption + QLatin1Char('\n')), 1)
                    << node.caption.toStdString();
            }
        }
    }
}

TEST_F(PrintoutTest, SetpointsPrintRawRightAlignedAndContinueOnAShortPage) {
    const auto print = [&](double heightMm) {
        auto p = printer(QStringLiteral("soll.pdf"), heightMm);
        {
            PagedTarget target(*p);
            SetpointPrintout(state).PrintSollwerten(target, header, QStringLiteral("Sollwerten"));
        }
        return pdfPages(dir.filePath(QStringLiteral("soll.pdf")));
    };
    state.tables.setParameter(203, 2); // the editor shows 12,50: the printout does not
    state.tables.setSetpoint(7, 1250);
    state.tables.setSetpoint(8, -1250);
    QStringList pages = print(297);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Sollwerten")));
    const QString columns = lineWith(pages[0], QStringLiteral("Waarde"));
    const QString seven = lineWith(pages[0], QStringLiteral("1250"));
    EXPECT_TRUE(seven.trimmed().startsWith(QStringLiteral("7 "))) << seven.toStdString();
    EXPECT_FALSE(pages[0].contains(QStringLiteral("12,50")));
    const QString eight = lineWith(pages[0], QStringLiteral("-1250"));
    EXPECT_EQ(endOf(eight, QStringLiteral("-1250")), endOf(columns, QStringLiteral("Waarde")));
    EXPECT_TRUE(lineWith(pages[0], QStringLiteral("48 ")).trimmed().endsWith(QStringLiteral("0")));

    for (int n = 1; n <= 48; ++n)
        state.tables.setSetpoint(n, 100000 + n);
    pages = print(148);
    ASSERT_GE(pages.size(), 2);
    const QString all = pages.join(QString());
    for (int n = 1; n <= 48; ++n)
        EXPECT_EQ(all.count(QString::number(100000 + n)), 1) << n;
    EXPECT_TRUE(pages[1].contains(QStringLiteral("P   2")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Waarde")));
}

// The window: what is typed stays for the next printout; a cancelled
// print dialog prints nothing.
TEST_F(PrintoutTest, PrintWindowStoresHeaderAndPrintsToTheChosenFile) {
    ScriptedDialogs dialogs;
    TFormAfdrukkenSoll window(state, dialogs);
    state.settings.PrintCompany = QStringLiteral("Old");
    window.FormActivate();
    auto* company = window.findChild<QLineEdit*>(QStringLiteral("EditFirma"));
    ASSERT_TRUE(company);
    EXPECT_EQ(company->text(), QStringLiteral("Old"));
    company->setText(QStringLiteral("Klant BV"));

    dialogs.answerPrintCancelled();
    window.CmdOKClick();
    EXPECT_EQ(state.settings.PrintCompany, QStringLiteral("Klant BV"));
    EXPECT_EQ(window.result(), QDialog::Rejected);

    const QString pdf = dir.filePath(QStringLiteral("window.pdf"));
    dialogs.answerPrintToPdf(pdf);
    window.CmdOKClick();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(dialogs.asked(ScriptedDialogs::Kind::Print).size(), 2u);
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    // A language is loaded, without the key: the built-in label.
    EXPECT_TRUE(lineWith(pages[0], QStringLiteral("Klant BV")).contains(QStringLiteral("Firma")));
}

// A printout onto a full disk, from either print window: the old PDF stands
// as it was, nothing half-written is left beside it, and the window says in
// the user's language that nothing was printed, to which file and why.  With
// room again the same file is replaced by the whole printout.
TEST_F(PrintoutTest, PrintoutOntoAFullDiskKeepsTheOldPdfAndSaysWhy) {
    ScriptedDialogs dialogs;
    TFormAfdrukkenPar parameters(state, dialogs);
    TFormAfdrukkenSoll setpoints(state, dialogs);
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const QByteArray old = "%PDF-1.4 the report printed last week\n%%EOF\n";
    for (PrintHeaderForm* window :
         {static_cast<PrintHeaderForm*>(&parameters), static_cast<PrintHeaderForm*>(&setpoints)}) {
        SCOPED_TRACE(window->objectName().toStdString());
        dialogs.clear();
        {
            QFile f(pdf);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(old);
        }
        const QStringList folder = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        window->FormActivate();
        dialogs.answerPrintToPdf(pdf);
        {
            test::FileSizeLimit fullDisk(1024);
            ASSERT_TRUE(fullDisk.active());
            window->CmdOKClick();
        }
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), old) << "the old printout was destroyed";
        f.close();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), folder);
        const auto boxes = dialogs.asked(ScriptedDialogs::Kind::Message);
        ASSERT_EQ(boxes.size(), 1u) << "the failure went unsaid";
        EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
        EXPECT_EQ(boxes[0].caption, window->windowTitle());
        EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Er is niets afgedrukt.\n\r")))
            << boxes[0].text.toStdString();
        EXPECT_TRUE(boxes[0].text.contains(QDir::toNativeSeparators(pdf)))
            << boxes[0].text.toStdString();
        EXPECT_TRUE(boxes[0].text.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
            << boxes[0].text.toStdString();

        dialogs.answerPrintToPdf(pdf);
        window->CmdOKClick();
        EXPECT_EQ(dialogs.asked(ScriptedDialogs::Kind::Message).size(), 1u);
        const QStringList pages = pdfPages(pdf);
        ASSERT_FALSE(pages.isEmpty());
        EXPECT_TRUE(pages[0].contains(QStringLiteral("P   1")));
        EXPECT_EQ(pdfTitle(pdf), QStringLiteral("MX5x Printing"));
    }
}

} // namespace
