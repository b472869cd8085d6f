#include "print/PrintPage.h"

#include "inifile/SaveFile.h"
#include "ui/Dialogs.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kqm52 {

namespace {

// The resolution the header's fixed distances were measured in, and those
// distances: the rules in from either side, the top rule down from the top.
constexpr double ReferenceDpi = 300;
constexpr int RuleInset = 100;
constexpr int RuleTop = 50;
// The width of the printout's column, and the least distance of anything
// printed from the edge of the paper.
constexpr double ColumnCm = 17.8;
constexpr double PaperEdgeMm = 5;
constexpr int HeaderPoints = 12;
// The right end of a text that is never cut (a date, a number).
constexpr int Uncut = std::numeric_limits<int>::max();
constexpr int BodyPoints = 10;
// Message lines are joined by LF CR.
const QString LineJoin = QStringLiteral("\n\r");

} // namespace

PagedTarget::PagedTarget(QPagedPaintDevice& device) : device_(device) {
    painter_.begin(&device_);
}

PagedTarget::~PagedTarget() {
    finish();
}

QSize PagedTarget::pageSize() const {
    return {device_.width(), device_.height()};
}

QRect PagedTarget::paperRect() const {
    const QPageLayout layout = device_.pageLayout();
    const int dpi = device_.logicalDpiY();
    QRect paper = layout.fullRectPixels(dpi);
    // Unless told to use the full page, a printer puts the origin at the
    // corner of its printable area.
    if (layout.mode() != QPageLayout::FullPageMode)
        paper.translate(-layout.paintRectPixels(dpi).topLeft());
    return paper;
}

QRect PagedTarget::printableRect() const {
    const QPageLayout layout = device_.pageLayout();
    if (layout.mode() == QPageLayout::FullPageMode)
        return layout.paintRectPixels(device_.logicalDpiY());
    return {QPoint(), pageSize()};
}

void PagedTarget::newPage() {
    device_.newPage();
}

bool PagedTarget::finish() {
    if (painter_.isActive()) ended_ = painter_.end();
    return ended_;
}

ImageTarget::ImageTarget(QSize pageSize, int dotsPerInch) : size_(pageSize), dpi_(dotsPerInch) {
    startPage();
}

ImageTarget::~ImageTarget() {
    finish();
}

void ImageTarget::startPage() {
    QImage page(size_, QImage::Format_RGB32);
    page.fill(Qt::white);
    const int dotsPerMeter = int(std::lround(dpi_ / 0.0254));
    page.setDotsPerMeterX(dotsPerMeter);
    page.setDotsPerMeterY(dotsPerMeter);
    pages_.push_back(std::move(page));
    painter_.begin(&pages_.back());
}

void ImageTarget::newPage() {
    finish();
    startPage();
}

bool ImageTarget::finish() {
    return !painter_.isActive() || painter_.end();
}

QString printFontFamily() {
    static const QString family = QFontDatabase::hasFamily(QStringLiteral("Courier New"))
                                      ? QStringLiteral("Courier New")
                                      : QStringLiteral("Liberation Mono");
    return family;
}

QString padLeft(const QString& text, int width) {
    return text.rightJustified(width, QLatin1Char(' '));
}

PrintPage::PrintPage(PageTarget& target, PageHeaderTexts header)
    : target_(target), header_(std::move(header)), family_(printFontFamily()) {
    // The font's pixels per inch are the device's.
    const double dpi = target_.painter().device()->logicalDpiY();
    const int edge = int(std::ceil(PaperEdgeMm * dpi / 25.4));
    area = target_.printableRect() & target_.paperRect().marginsRemoved({edge, edge, edge, edge});
    // The column with the header rules either side of it must fit across.
    const double needed = (ColumnCm / 2.54 + 2 * RuleInset / ReferenceDpi) * dpi;
    scale = std::clamp(area.width() / needed, 0.01, 1.0);
    pixelsPerCm = dpi / 2.54 * scale;
    x0 = area.left() + int(std::lround(area.width() / 2.0 - ColumnCm / 2 * pixelsPerCm));
    y0 = area.top() + int(std::lround(2.6 * pixelsPerCm));
    bottomLimit = area.top() + area.height() - int(std::lround(1.2 * pixelsPerCm));
    rightLimit = area.left() + area.width() - referencePixels(RuleInset);
    lineHeight = textHeight(BodyPoints, false);
    y = y0;
}

int PrintPage::referencePixels(int pixels) const {
    return int(std::lround(pixels * pixelsPerCm * 2.54 / ReferenceDpi));
}

QFont PrintPage::font(int points, bool bold) const {
    QFont f(family_, -1, bold ? QFont::Bold : QFont::Normal);
    f.setPointSizeF(points * scale);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

int PrintPage::textHeight(int points, bool bold) const {
    return QFontMetrics(font(points, bold), target_.painter().device()).height();
}

int PrintPage::textWidth(const QString& text, int points, bool bold) const {
    return QFontMetrics(font(points, bold), target_.painter().device()).horizontalAdvance(text);
}

void PrintPage::text(int x, int top, const QString& s, int points, bool bold, int right) {
    QPainter& p = target_.painter();
    const QFont f = font(points, bold);
    const QFontMetrics metrics(f, p.device());
    if (right < 0) right = rightLimit;
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QPoint(x, top + metrics.ascent()),
               right == Uncut ? s : metrics.elidedText(s, Qt::ElideRight, std::max(0, right - x)));
}

void PrintPage::PrintPaginaHeader() {
    QPainter& p = target_.painter();
    const int ruleLeft = area.left() + referencePixels(RuleInset);
    // A rule as thick as a fine pen on paper, whatever the resolution.
    const QPen rulePen(Qt::black, std::max(1.0, pixelsPerCm / 50));
    p.setPen(rulePen);
    const int ruleTop = area.top() + referencePixels(RuleTop);
    p.drawLine(ruleLeft, ruleTop, rightLimit, ruleTop);

    y = area.top() + int(std::lround(pixelsPerCm / 2));
    int longest = 0;
    for (const QString& l : header_.labels)
        longest = std::max(longest, int(l.size()));
    std::array<QString, 3> labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = padLeft(header_.labels[i], longest);
    const QString gap = QStringLiteral("  ");
    const int valueX = x0 + textWidth(labels[0] + gap, HeaderPoints, true);
    const int h = textHeight(HeaderPoints, true);
    // The date and the page number end at the rules' end; a value too long
    // for the room before them is cut short rather than run into them.
    std::array<QString, 3> onTheRight;
    onTheRight[0] = QLocale::system().toString(header_.date, QLocale::ShortFormat);
    onTheRight[2] = header_.pageLabel + QLatin1Char(' ') + QStringLiteral("%1").arg(pageNumber, 3);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        text(x0, y, labels[i], HeaderPoints, true);
        int valueRight = rightLimit;
        if (!onTheRight[i].isEmpty()) {
            const int rightX = rightLimit - textWidth(onTheRight[i], HeaderPoints, true);
            text(rightX, y, onTheRight[i], HeaderPoints, true, Uncut);
            valueRight = rightX - textWidth(gap, HeaderPoints, true);
        }
        text(valueX, y, header_.values[i], HeaderPoints, true, valueRight);
        y += h;
    }
    p.setPen(rulePen);
    p.drawLine(ruleLeft, y, rightLimit, y);
}

void PrintPage::nextPage() {
    ++pageNumber;
    target_.newPage();
    PrintPaginaHeader();
    y = y0;
    if (onNewPage) onNewPage();
}

void PrintPage::line(const QString& s, int points, bool bold, bool breakFirst) {
    const int h = textHeight(points, bold);
    if (breakFirst && !fits(h)) nextPage();
    text(x0, y, s, points, bold);
    y += h;
}

void PrintPage::line(const std::vector<PrintCell>& cells, int points, bool bold, bool breakFirst) {
    const int h = textHeight(points, bold);
    if (breakFirst && !fits(h)) nextPage();
    const QFont f = font(points, bold);
    const double charWidth =
        QFontMetricsF(f, target_.painter().device()).horizontalAdvance(QLatin1Char('0'));
    const auto columnX = [&](int chars) { return x0 + int(std::lround(chars * charWidth)); };
    for (const PrintCell& cell : cells) {
        const int at = columnX(cell.column);
        if (cell.rightAligned) {
            text(at - textWidth(cell.text, points, bold), y, cell.text, points, bold, Uncut);
        } else {
            // A text of just maxChars characters is not cut for a rounded pixel.
            const int end = cell.maxChars > 0 ? columnX(cell.column + cell.maxChars) + 1 : Uncut;
            text(at, y, cell.text, points, bold, std::min(rightLimit, end));
        }
    }
    y += h;
}

void setUpPrinter(QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("MX5x Printing"));
    printer.setCreator(QStringLiteral("Morvek Software Tool (KQM52)"));
}

bool runPrintJob(Dialogs& dialogs, DialogOwner owner, const QString& errorCaption,
                 const PrintFailureTexts& texts, const std::function<void(PageTarget&)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    if (!dialogs.print(owner, printer)) return false;
    // The dialog may have offered another orientation; the layout is portrait.
    setUpPrinter(printer);
    // Let the dialog disappear before the pages are drawn.
    QCoreApplication::processEvents();
    const auto failed = [&](const QString& whereAndWhy) {
        dialogs.error(owner, errorCaption, texts.notPrinted + LineJoin + whereAndWhy);
        return true;
    };

    const QString file = printer.outputFileName();
    if (!file.isEmpty()) {
        // The pages are made in memory and saved in one go: written straight
        // to its name, a PDF cut short by a full disk would replace a good
        // one, and the PDF engine does not say that a write failed.
        const QString where = QDir::toNativeSeparators(file) + QStringLiteral(": ");
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        QPdfWriter writer(&pdf);
        writer.setPdfVersion(printer.pdfVersion());
        writer.setResolution(printer.resolution());
        writer.setPageLayout(printer.pageLayout());
        writer.setTitle(printer.docName());
        writer.setCreator(printer.creator());
        {
            PagedTarget target(writer);
            if (!target.active()) return failed(where + texts.pdfNotStarted);
            paint(target);
            if (!target.finish()) return failed(where + texts.pdfNotCompleted);
        }
        QString error;
        if (!saveFile(file, pdf.data(), &error)) return failed(error);
        return true;
    }

    const QString where = printer.printerName() + QStringLiteral(": ");
    PagedTarget target(printer);
    if (!target.active()) return failed(where + texts.printerNotStarted);
    paint(target);
    if (!target.finish() || printer.printerState() == QPrinter::Error)
        return failed(where + texts.printerFailed);
    return true;
}

bool runPrintPreview(Dialogs& dialogs, DialogOwner owner,
                     const std::function<void(PageTarget&)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    return dialogs.printPreview(owner, printer, [&paint](QPrinter& target) {
        // The preview asks again for every zoom and every printer chosen
        // from it; each time the whole job, as a printout would draw it.
        PagedTarget pages(target);
        if (!pages.active()) return;
        paint(pages);
        pages.finish();
    });
}

} // namespace kqm52
