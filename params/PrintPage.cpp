#include "params/PrintPage.h"

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

namespace kqm52 {

namespace {

constexpr int RuleInset = 100; // pixels from either page edge
constexpr int HeaderPoints = 12;
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

QString padRight(const QString& text, int width) {
    return text.leftJustified(width, QLatin1Char(' '));
}

QString padLeft(const QString& text, int width) {
    return text.rightJustified(width, QLatin1Char(' '));
}

PrintPage::PrintPage(PageTarget& target, PageHeaderTexts header)
    : target_(target), header_(std::move(header)), family_(printFontFamily()) {
    const QSize page = target_.pageSize();
    // The font's pixels per inch are the device's: a centimetre in pixels.
    pixelsPerCm = target_.painter().device()->logicalDpiY() / 2.54;
    x0 = int(std::lround(page.width() / 2.0 - 8.9 * pixelsPerCm));
    y0 = int(std::lround(2.6 * pixelsPerCm));
    bottomLimit = page.height() - int(std::lround(1.2 * pixelsPerCm));
    lineHeight = textHeight(BodyPoints, false);
    y = y0;
}

QFont PrintPage::font(int points, bool bold) const {
    QFont f(family_, points, bold ? QFont::Bold : QFont::Normal);
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

void PrintPage::text(int x, int top, const QString& s, int points, bool bold) {
    QPainter& p = target_.painter();
    const QFont f = font(points, bold);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QPoint(x, top + QFontMetrics(f, p.device()).ascent()), s);
}

void PrintPage::PrintPaginaHeader() {
    QPainter& p = target_.painter();
    const int width = target_.pageSize().width();
    // A rule as thick as a fine pen on paper, whatever the resolution.
    p.setPen(QPen(Qt::black, std::max(1.0, pixelsPerCm / 50)));
    p.drawLine(RuleInset, 50, width - RuleInset, 50);

    y = int(std::lround(pixelsPerCm / 2));
    int longest = 0;
    for (const QString& l : header_.labels)
        longest = std::max(longest, int(l.size()));
    std::array<QString, 3> labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = padLeft(header_.labels[i], longest);
    const int valueX = x0 + textWidth(labels[0] + QStringLiteral("  "), HeaderPoints, true);
    const int h = textHeight(HeaderPoints, true);
    const auto rightAligned = [&](const QString& s) {
        text(width - RuleInset - textWidth(s, HeaderPoints, true), y, s, HeaderPoints, true);
    };
    for (std::size_t i = 0; i < labels.size(); ++i) {
        text(x0, y, labels[i], HeaderPoints, true);
        text(valueX, y, header_.values[i], HeaderPoints, true);
        if (i == 0) rightAligned(QLocale::system().toString(header_.date, QLocale::ShortFormat));
        if (i == 2)
            rightAligned(header_.pageLabel + QLatin1Char(' ') +
                         QStringLiteral("%1").arg(pageNumber, 3));
        y += h;
    }
    p.setPen(QPen(Qt::black, std::max(1.0, pixelsPerCm / 50)));
    p.drawLine(RuleInset, y, width - RuleInset, y);
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

void setUpPrinter(QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("MX5x Printing"));
    printer.setCreator(QStringLiteral("Morvek Software Tool (KQM52)"));
}

bool runPrintJob(Dialogs& dialogs, QWidget* owner, const QString& errorCaption,
                 const QString& notPrinted, const std::function<void(PageTarget&)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    if (!dialogs.print(owner, printer)) return false;
    // The dialog may have offered another orientation; the layout is portrait.
    setUpPrinter(printer);
    // Let the dialog disappear before the pages are drawn.
    QCoreApplication::processEvents();
    const auto failed = [&](const QString& whereAndWhy) {
        dialogs.error(owner, errorCaption, notPrinted + LineJoin + whereAndWhy);
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
            if (!target.active())
                return failed(where + QStringLiteral("the PDF could not be started."));
            paint(target);
            if (!target.finish())
                return failed(where + QStringLiteral("the PDF could not be completed."));
        }
        QString error;
        if (!saveFile(file, pdf.data(), &error)) return failed(error);
        return true;
    }

    const QString where = printer.printerName() + QStringLiteral(": ");
    PagedTarget target(printer);
    if (!target.active())
        return failed(where + QStringLiteral("the printer could not be started."));
    paint(target);
    if (!target.finish() || printer.printerState() == QPrinter::Error)
        return failed(where + QStringLiteral("the printer reported an error."));
    return true;
}

} // namespace kqm52
