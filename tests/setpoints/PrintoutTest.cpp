// Both printouts as a reader of the PDF sees them: rendered through Qt's PDF
// printer and read back with pdftotext, page by page, as text laid out
// (-layout) or as words with their boxes (-bbox), and as pixels (pdftoppm).

#include "support/FileSizeLimit.h"

#include "model/engines/ProgramState.h"
#include "model/values/GroupTree.h"
#include "params/FormAfdrukkenPar.h"
#include "params/ParameterPrintout.h"
#include "print/PrintPage.h"
#include "setpoints/FormAfdrukkenSoll.h"
#include "setpoints/SetpointPrintout.h"
#include "ui/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

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

// A word of a PDF page and its box, in millimetres from the sheet's top left.
struct Word {
    QString text;
    QRectF box;
};

struct WordPage {
    QSizeF sheet; // millimetres
    std::vector<Word> words;
};

constexpr double MmPerPoint = 25.4 / 72;

std::vector<WordPage> pdfWords(const QString& pdf) {
    QProcess run;
    run.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!run.waitForFinished(20000) || run.exitCode() != 0) return {};
    static const QRegularExpression pageTag(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)")re"));
    static const QRegularExpression wordTag(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*)</word>)re"));
    std::vector<WordPage> pages;
    for (const QString& line : QString::fromUtf8(run.readAllStandardOutput()).split('\n')) {
        if (const auto m = pageTag.match(line); m.hasMatch()) {
            pages.push_back(
                {QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) * MmPerPoint, {}});
        } else if (const auto w = wordTag.match(line); w.hasMatch() && !pages.empty()) {
            QString text = w.captured(5);
            text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
                .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
                .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            const QPointF topLeft(w.captured(1).toDouble(), w.captured(2).toDouble());
            const QPointF bottomRight(w.captured(3).toDouble(), w.captured(4).toDouble());
            pages.back().words.push_back(
                {text, QRectF(topLeft * MmPerPoint, bottomRight * MmPerPoint)});
        }
    }
    return pages;
}

// The words on the line of `word` (the first one with that text), left to right.
std::vector<Word> lineOfWord(const WordPage& page, const QString& word) {
    const auto at = std::find_if(page.words.begin(), page.words.end(),
                                 [&](const Word& w) { return w.text == word; });
    if (at == page.words.end()) return {};
    std::vector<Word> line;
    for (const Word& w : page.words)
        if (std::abs(w.box.center().y() - at->box.center().y()) < 0.5) line.push_back(w);
    std::sort(line.begin(), line.end(),
              [](const Word& a, const Word& b) { return a.box.left() < b.box.left(); });
    return line;
}

// How far the ink of each page keeps from the sheet's left, top, right and
// bottom edge, in millimetres, rendered at 100 dpi.
std::vector<QMarginsF> inkMargins(const QString& pdf, const QString& scratch) {
    QDir(scratch).removeRecursively();
    QDir().mkpath(scratch);
    QProcess run;
    run.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"),
                                           QStringLiteral("-gray"), pdf, scratch + "/page"});
    if (!run.waitForFinished(60000) || run.exitCode() != 0) return {};
    std::vector<QMarginsF> margins;
    const double mmPerPixel = 25.4 / 100;
    for (const QString& file :
         QDir(scratch).entryList({QStringLiteral("page*")}, QDir::Files, QDir::Name)) {
        const QImage page(scratch + QLatin1Char('/') + file);
        int left = page.width(), top = page.height(), right = -1, bottom = -1;
        for (int y = 0; y < page.height(); ++y) {
            const uchar* row = page.constScanLine(y);
            for (int x = 0; x < page.width(); ++x) {
                if (row[x] >= 192) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        margins.push_back(
            QMarginsF(left, top, page.width() - 1 - right, page.height() - 1 - bottom) *
            mmPerPixel);
    }
    return margins;
}

// With KQM52_KEEP_PRINTOUT naming a folder, a copy of the PDF to look at.
void keepForViewing(const QString& pdf, const QString& name) {
    const QString folder = qEnvironmentVariable("KQM52_KEEP_PRINTOUT");
    if (folder.isEmpty()) return;
    QFile::remove(folder + QLatin1Char('/') + name);
    QFile::copy(pdf, folder + QLatin1Char('/') + name);
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
        state.settings.folders = ProgramFolders::portable(dir.path() + QLatin1Char('/'));
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

    // A PDF printer, by default with the whole sheet as its page (a PDF has
    // no unprintable border) at the 1200 dpi of Qt's PDF printer.
    std::unique_ptr<QPrinter> printer(const QString& name, double heightMm = 297, int dpi = 1200,
                                      QMarginsF marginsMm = {}, double widthMm = 210) {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(dir.filePath(name));
        p->setResolution(dpi);
        p->setPageSize(QPageSize(QSizeF(widthMm, heightMm), QPageSize::Millimeter));
        p->setPageMargins(marginsMm, QPageLayout::Millimeter);
        setUpPrinter(*p);
        return p;
    }

    QStringList printParameters(double heightMm = 297) {
        printParametersTo(*printer(QStringLiteral("par.pdf"), heightMm));
        return pdfPages(dir.filePath(QStringLiteral("par.pdf")));
    }

    void printParametersTo(QPrinter& p) {
        PagedTarget target(p);
        EXPECT_TRUE(target.active());
        ParameterPrintout(state).PrintParameters(target, header);
    }

    void printSetpointsTo(QPrinter& p) {
        PagedTarget target(p);
        EXPECT_TRUE(target.active());
        SetpointPrintout(state).PrintSollwerten(target, header, QStringLiteral("Sollwerten"));
    }

    void useShippedCatalogue() {
        const QString data = QStringLiteral(KQM52_DATA_DIR "/");
        state.settings.folders = ProgramFolders::portable(data);
        state.catalogue.ParameterDef_lezen(data);
        state.catalogue.ParamNo_lezen(data);
        ASSERT_TRUE(state.catalogue.parameterNumbersPresent());
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
    // Measured on an A4 page of the PDF printer, 1200 dpi.
    auto probe = printer(QStringLiteral("probe.pdf"));
    PagedTarget probeTarget(*probe);
    PrintPage m(probeTarget, header);
    const int h10 = m.lineHeight, h12 = m.textHeight(12, true), h14 = m.textHeight(14, true);
    // Root, title, column header, two rows and the empty line after them.
    const int secondTitle = m.y0 + h14 + h12 + 4 * h10;
    const int pixels =
        secondTitle + h12 * 3 / 2 + (probeTarget.pageSize().height() - m.bottomLimit);
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
    ASSERT_NO_FATAL_FAILURE(useShippedCatalogue());
    const QString data = state.settings.folders.programDir();
    for (int language = 0; language < 3; ++language) {
        state.settings.LanguageNo = language;
        const QStringList pages = printParameters();
        ASSERT_GE(pages.size(), 2) << language;
        for (int n = 0; n < pages.size(); ++n)
            EXPECT_TRUE(pages[n].contains(QRegularExpression(QStringLiteral("P +%1\n").arg(n + 1))))
                << "page " << n + 1 << " in language " << language;
        keepForViewing(dir.filePath(QStringLiteral("par.pdf")),
                       QStringLiteral("parameters%1.pdf").arg(language));
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

// The preview: the header window first, then the same pages the printout
// draws, with what was typed into the header; printing from it is the
// user's choice, and no print dialog comes before it.
TEST_F(PrintoutTest, PreviewShowsThePagesThePrintoutPrints) {
    ScriptedDialogs dialogs;
    TFormAfdrukkenSoll window(state, dialogs);
    state.tables.setSetpoint(3, -1250);
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    window.FormActivate();
    window.findChild<QLineEdit*>(QStringLiteral("EditFirma"))->setText(QStringLiteral("Klant BV"));
    dialogs.answerPrintToPdf(printed);
    window.CmdOKClick();

    const QString previewed = dir.filePath(QStringLiteral("preview.pdf"));
    dialogs.answerPreview(previewed, false);
    auto* ok = window.findChild<QPushButton*>(QStringLiteral("CmdOK"));
    QString okCaption;
    QTimer::singleShot(0, &window, [&] {
        okCaption = ok->text();
        window.CmdOKClick();
    });
    EXPECT_EQ(window.execPreview(), QDialog::Accepted);
    EXPECT_EQ(okCaption, QStringLiteral("Voorbeeld")); // no key in this language: built in
    EXPECT_EQ(dialogs.asked(ScriptedDialogs::Kind::Preview).size(), 1u);
    EXPECT_EQ(dialogs.asked(ScriptedDialogs::Kind::Print).size(), 1u); // the printout's only
    const QStringList pages = pdfPages(previewed);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages, pdfPages(printed));
    EXPECT_FALSE(lineWith(pages[0], QStringLiteral("-1250")).isEmpty());

    // Shown again as a plain print window, OK prints as it always did.
    dialogs.answerPrintCancelled();
    QTimer::singleShot(0, &window, [&] {
        okCaption = ok->text();
        window.CmdOKClick();
    });
    window.exec();
    EXPECT_EQ(okCaption, QStringLiteral("OK"));
    EXPECT_EQ(dialogs.asked(ScriptedDialogs::Kind::Print).size(), 2u);
    EXPECT_EQ(dialogs.asked(ScriptedDialogs::Kind::Preview).size(), 1u);
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
        EXPECT_EQ(boxes[0].icon, Dialogs::Icon::Critical);
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

// Sheets of paper and printers: a PDF (no unprintable border) at 300 and at
// 1200 dpi, a printer that cannot print near its edges, and a narrow A5.
struct Sheet {
    const char* name;
    int dpi;
    QSizeF paperMm;
    QMarginsF unprintableMm;
};

const Sheet Sheets[] = {
    {"A4_PDF_300dpi", 300, {210, 297}, {}},
    {"A4_PDF_1200dpi", 1200, {210, 297}, {}},
    {"A4_wide_unprintable_border_600dpi", 600, {210, 297}, {10, 20, 15, 25}},
    {"A5_PDF_1200dpi", 1200, {148, 210}, {}},
};

// On every page of both printouts, nothing comes nearer than 5 mm to the
// paper's edge, nor into the part the printer cannot print; the header rules
// and the column keep their places on the sheet whatever the resolution
// (drawn for a 300 dpi printer: the rules a third of an inch in from the
// sides and a sixth down from the top of the printable area, the column
// 17.8 cm wide and centred), all shrunk alike where the sheet is too narrow.
TEST_F(PrintoutTest, EveryPageKeepsClearOfThePaperEdges) {
    ASSERT_NO_FATAL_FAILURE(useShippedCatalogue());
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    for (int n = 1; n <= ParamTables::SetpointCount; ++n)
        state.tables.setSetpoint(n, -1000000 * n);
    const double ruleInsetMm = 25.4 / 3, ruleTopMm = 25.4 / 6, columnMm = 178;
    for (const Sheet& sheet : Sheets) {
        SCOPED_TRACE(sheet.name);
        const QMarginsF& u = sheet.unprintableMm;
        const QMarginsF clear(std::max(5.0, u.left()), std::max(5.0, u.top()),
                              std::max(5.0, u.right()), std::max(5.0, u.bottom()));
        const double width = sheet.paperMm.width() - clear.left() - clear.right();
        const double scale = std::min(1.0, width / (columnMm + 2 * ruleInsetMm));
        for (const bool parameters : {true, false}) {
            SCOPED_TRACE(parameters ? "parameters" : "setpoints");
            const QString name =
                QStringLiteral("%1-%2.pdf")
                    .arg(QLatin1String(sheet.name),
                         parameters ? QStringLiteral("parameters") : QStringLiteral("setpoints"));
            auto p = printer(name, sheet.paperMm.height(), sheet.dpi, u, sheet.paperMm.width());
            if (parameters)
                printParametersTo(*p);
            else
                printSetpointsTo(*p);
            const QString pdf = dir.filePath(name);
            keepForViewing(pdf, name);

            const std::vector<WordPage> pages = pdfWords(pdf);
            const std::vector<QMarginsF> ink = inkMargins(pdf, dir.filePath("pages"));
            ASSERT_FALSE(pages.empty());
            ASSERT_EQ(ink.size(), pages.size());
            for (std::size_t i = 0; i < pages.size(); ++i) {
                SCOPED_TRACE("page " + std::to_string(i + 1));
                const QRectF allowed = QRectF(QPointF(), pages[i].sheet)
                                           .marginsRemoved(clear)
                                           .adjusted(-0.1, -0.1, 0.1, 0.1);
                for (const Word& w : pages[i].words)
                    EXPECT_TRUE(allowed.contains(w.box))
                        << w.text.toStdString() << " at " << w.box.left() << ", " << w.box.top()
                        << " .. " << w.box.right() << ", " << w.box.bottom();
                // The rules: the ink reaching farthest left, right and up.
                const double tolerance = 0.4;
                EXPECT_NEAR(ink[i].left(), clear.left() + ruleInsetMm * scale, tolerance);
                EXPECT_NEAR(ink[i].right(), clear.right() + ruleInsetMm * scale, tolerance);
                EXPECT_NEAR(ink[i].top(), clear.top() + ruleTopMm * scale, tolerance);
                EXPECT_GE(ink[i].bottom(), clear.bottom() + 12 * scale - tolerance);
                // The longest header label starts the centred column.
                const auto label = lineOfWord(pages[i], QStringLiteral("Serienummer:"));
                ASSERT_FALSE(label.empty());
                EXPECT_NEAR(label.front().box.left(),
                            clear.left() + width / 2 - columnMm / 2 * scale, tolerance);
            }
            // Nothing was cut away for the narrow sheet but what had no room.
            const auto columns = lineOfWord(pages[0], QStringLiteral("Waarde"));
            ASSERT_FALSE(columns.empty());
            if (parameters) {
                EXPECT_EQ(columns.back().text, QStringLiteral("Optie"));
            }
        }
    }
}

// A company name or serial number too long for its line is cut short before
// the date or the page number, which stay whole.
TEST_F(PrintoutTest, LongHeaderValuesAreCutBeforeTheDateAndPageNumber) {
    header.values[0] = QStringLiteral("Machinefabriek Van der Heijden en Zonen Internationale "
                                      "Handelsonderneming Noord-Brabant BV");
    header.values[2] = QStringLiteral("SN") + QString(90, QLatin1Char('7'));
    const QString date = QLocale::system().toString(header.date, QLocale::ShortFormat);
    const qsizetype dateWords = date.split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
    for (const int dpi : {300, 1200}) {
        SCOPED_TRACE(dpi);
        auto p = printer(QStringLiteral("header.pdf"), 297, dpi);
        printParametersTo(*p);
        const QString pdf = dir.filePath(QStringLiteral("header.pdf"));
        keepForViewing(pdf, QStringLiteral("header-%1dpi.pdf").arg(dpi));
        const std::vector<WordPage> pages = pdfWords(pdf);
        ASSERT_FALSE(pages.empty());

        const auto first = lineOfWord(pages[0], QStringLiteral("Firma:"));
        ASSERT_GE(first.size(), std::size_t(2 + dateWords));
        EXPECT_EQ(first[1].text, QStringLiteral("Machinefabriek"));
        QStringList tail;
        for (auto w = first.end() - dateWords; w != first.end(); ++w)
            tail << w->text;
        EXPECT_EQ(tail.join(QLatin1Char(' ')), date);
        const Word& lastOfName = *(first.end() - dateWords - 1);
        EXPECT_LT(lastOfName.box.right() + 2, (first.end() - dateWords)->box.left())
            << lastOfName.text.toStdString();

        const auto third = lineOfWord(pages[0], QStringLiteral("Serienummer:"));
        ASSERT_EQ(third.size(), 4u);
        EXPECT_TRUE(third[1].text.startsWith(QStringLiteral("SN777")))
            << third[1].text.toStdString();
        EXPECT_EQ(third[2].text, QStringLiteral("P"));
        EXPECT_EQ(third[3].text, QStringLiteral("1"));
        EXPECT_LT(third[1].box.right() + 2, third[2].box.left());
    }
}

// Row numbers of every width (1.2.3 and 9.24.10) leave the other columns
// where they are: the parameter number, the name, the value and the option
// start at the same place on both lines and under the column header.
TEST_F(PrintoutTest, WiderRowNumbersKeepTheColumnsInPlace) {
    QByteArray tree = "MX52 parameters\n";
    for (int menu = 1; menu <= 9; ++menu) {
        tree += "\tMenu " + QByteArray::number(menu) + "\n";
        const int submenus = menu == 1 ? 2 : menu == 9 ? 24 : 0;
        for (int sub = 1; sub <= submenus; ++sub)
            tree += "\t\tSub " + QByteArray::number(menu) + "." + QByteArray::number(sub) + "\n";
    }
    writeTree(tree);
    // Names that just fill their column, and one too long for it.
    const QString fills = QStringLiteral("Uitgangsvertraging-bij-stilstand-links");
    const QString tooLong = QStringLiteral("Uitgangsvertraging-bij-stilstand-rechtsom");
    IniFile definitions;
    definitions.loadFromText(QStringLiteral("[014]\nnaam0=Modus\ntype=1\nopties0=Uit,Aan\n"
                                            "[015]\nnaam0=Richting\ntype=1\nopties0=L,R\n"
                                            "[016]\nnaam0=%1\n[017]\nnaam0=%2\n")
                                 .arg(fills, tooLong));
    state.catalogue.setDefinitions(definitions);
    QString rows = QStringLiteral("[102]\nParId1=16\nParId2=17\nParId3=14\n[924]\n");
    for (int row = 1; row <= 9; ++row)
        rows += QStringLiteral("ParId%1=15\n").arg(row);
    rows += QStringLiteral("ParId10=14\n");
    IniFile numbers;
    numbers.loadFromText(rows);
    state.catalogue.setNumbers(numbers);
    state.tables.setParameter(14, 1);

    for (const int dpi : {300, 1200}) {
        SCOPED_TRACE(dpi);
        auto p = printer(QStringLiteral("rows.pdf"), 297, dpi);
        printParametersTo(*p);
        keepForViewing(dir.filePath(QStringLiteral("rows.pdf")),
                       QStringLiteral("rows-%1dpi.pdf").arg(dpi));
        const std::vector<WordPage> pages = pdfWords(dir.filePath(QStringLiteral("rows.pdf")));
        ASSERT_FALSE(pages.empty());
        const auto narrow = lineOfWord(pages[0], QStringLiteral("1.2.3"));
        const auto wide = lineOfWord(pages[0], QStringLiteral("9.24.10"));
        const auto columns = lineOfWord(pages[0], QStringLiteral("Waarde"));
        // Row, parameter number, name, value, option.
        ASSERT_EQ(narrow.size(), 5u);
        ASSERT_EQ(wide.size(), 5u);
        ASSERT_EQ(columns.size(), 5u);
        EXPECT_EQ(wide[2].text, QStringLiteral("Modus"));
        EXPECT_EQ(wide[3].text, QStringLiteral("1"));
        for (std::size_t c = 1; c < 5; ++c) {
            SCOPED_TRACE(narrow[c].text.toStdString());
            EXPECT_NEAR(wide[c].box.left(), narrow[c].box.left(), 0.05);
            if (c != 3) {
                EXPECT_NEAR(wide[c].box.left(), columns[c].box.left(), 0.05);
            }
        }
        // The value is right-aligned under its header.
        EXPECT_NEAR(wide[3].box.right(), columns[3].box.right(), 0.05);

        // A name is cut short at the end of its column, never before.
        const auto filled = lineOfWord(pages[0], QStringLiteral("1.2.1"));
        ASSERT_EQ(filled.size(), 4u);
        EXPECT_EQ(filled[2].text, fills);
        const auto cut = lineOfWord(pages[0], QStringLiteral("1.2.2"));
        ASSERT_EQ(cut.size(), 4u);
        EXPECT_TRUE(cut[2].text.startsWith(QStringLiteral("Uitgangsvertraging-bij-stilstand-")))
            << cut[2].text.toStdString();
        EXPECT_NE(cut[2].text, tooLong);
        EXPECT_LE(cut[2].box.right(), filled[2].box.right() + 0.05);
    }
}

// A group too long for the rest of its page runs on to the next one under
// its column header again; the next group still has its own.
TEST_F(PrintoutTest, AGroupRunOnToTheNextPageRepeatsItsColumnHeader) {
    writeTree("MX52 parameters\n\tLang\n\tKort\n");
    QString rows = QStringLiteral("[100]\n");
    for (int row = 1; row <= 40; ++row)
        rows += QStringLiteral("ParId%1=%2\n").arg(row).arg(row % 2 ? 14 : 15);
    rows += QStringLiteral("[200]\nParId1=7\n");
    IniFile numbers;
    numbers.loadFromText(rows);
    state.catalogue.setNumbers(numbers);

    const QStringList pages = printParameters(148);
    ASSERT_EQ(pages.size(), 2);
    const QRegularExpression columns(QStringLiteral("Nr +Par +Naam +Waarde +Optie"));
    EXPECT_EQ(pages[0].count(columns), 1) << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains(QStringLiteral("1.0.1 ")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("1.0.40 ")));

    const QString& next = pages[1];
    EXPECT_TRUE(next.contains(QStringLiteral("P   2")));
    const qsizetype carried = next.indexOf(QRegularExpression(QStringLiteral("1\\.0\\.\\d+ ")));
    const qsizetype last = next.indexOf(QStringLiteral("1.0.40 "));
    const qsizetype title = next.indexOf(QStringLiteral("Kort"));
    ASSERT_GE(carried, 0);
    ASSERT_GT(last, carried);
    ASSERT_GT(title, last);
    const qsizetype repeated = next.indexOf(columns);
    EXPECT_TRUE(repeated >= 0 && repeated < carried) << next.toStdString();
    EXPECT_GT(next.indexOf(columns, repeated + 1), title) << next.toStdString();
}

} // namespace
