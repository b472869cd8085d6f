#pragma once

// What the parameter and setpoint printouts share: where the pages go, the
// page geometry in the target's own pixels, and the page header.
//
// A printout draws through a PageTarget, so the same code fills a printer
// (or Qt's PDF printer) and a stack of images.  The page is laid out inside
// the part of the sheet the printer can print on, and never closer than 5 mm
// to the paper edge (a PDF has no unprintable border of its own): a column
// 17.8 cm wide centred in that area, the header from 0.5 cm, the body from
// 2.6 cm down, nothing below 1.2 cm above its end.  The header rules were
// drawn for a 300 dpi laser printer, 100 of its pixels in from the sides and
// 50 down from the top: they keep those distances at any resolution.  An area
// too narrow for the column and its rules gets the whole layout, fonts
// included, scaled down to fit.

#include "ui/Dialogs.h"

#include <QDate>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPrinter;

namespace kqm52 {

// Where the pages of one printout go.  Painting starts on the first page
// when the target is made.
class PageTarget {
  public:
    virtual ~PageTarget() = default;
    virtual QPainter& painter() = 0;
    // False when painting could not start (an output file that cannot be
    // written, a printer that went away).
    virtual bool active() const = 0;
    // The painter's page in device pixels, from its origin.
    virtual QSize pageSize() const = 0;
    // The whole sheet in painter coordinates (it may start left of and above
    // the origin, when the device keeps its unprintable border out of reach).
    virtual QRect paperRect() const { return {QPoint(), pageSize()}; }
    // The part of the sheet the device can print on, in painter coordinates.
    virtual QRect printableRect() const { return {QPoint(), pageSize()}; }
    virtual void newPage() = 0;
    // Ends the document; idempotent.  False when the device could not
    // finish it (the pages are then not whole).
    virtual bool finish() = 0;
};

// A printer, or any paged device (QPdfWriter).
class PagedTarget final : public PageTarget {
  public:
    explicit PagedTarget(QPagedPaintDevice& device);
    ~PagedTarget() override;
    QPainter& painter() override { return painter_; }
    bool active() const override { return painter_.isActive(); }
    QSize pageSize() const override;
    QRect paperRect() const override;
    QRect printableRect() const override;
    void newPage() override;
    bool finish() override;

  private:
    QPagedPaintDevice& device_;
    QPainter painter_;
    bool ended_ = false;
};

// White pages as images at a given resolution; for tests and previews.
class ImageTarget final : public PageTarget {
  public:
    ImageTarget(QSize pageSize, int dotsPerInch);
    ~ImageTarget() override;
    QPainter& painter() override { return painter_; }
    bool active() const override { return painter_.isActive(); }
    QSize pageSize() const override { return size_; }
    void newPage() override;
    bool finish() override;
    // Every page painted so far (the last one complete after finish()).
    const std::vector<QImage>& pages() const { return pages_; }

  private:
    void startPage();
    QSize size_;
    int dpi_;
    std::vector<QImage> pages_;
    QPainter painter_;
};

// The three header lines: labels as the print window shows them, the values
// typed there, the page label ("P", "Pagina") and the day printed.
struct PageHeaderTexts {
    std::array<QString, 3> labels;
    std::array<QString, 3> values;
    QString pageLabel;
    QDate date = QDate::currentDate();
};

// One field of a tabulated line.  Columns are counted in characters of the
// fixed font from the left margin, so a longer text in one column cannot
// push the next one along.
struct PrintCell {
    QString text;
    // Where a left-aligned text starts, or where a right-aligned one ends.
    int column = 0;
    bool rightAligned = false;
    // A longer left-aligned text is cut with an ellipsis; 0: it may run to
    // the right edge.  A right-aligned text (a number) is never cut.
    int maxChars = 0;
};

// "Courier New" where installed, else a font with the same metrics, so the
// lines fill the column as on the printers the layout was made for.
QString printFontFamily();

// One printout in progress: the geometry of its target, the current line
// and page, and the page header.
class PrintPage {
  public:
    PrintPage(PageTarget& target, PageHeaderTexts header);

    QFont font(int points, bool bold) const;
    // The height of "A" in that font on the target: one line.
    int textHeight(int points, bool bold) const;
    int textWidth(const QString& text, int points, bool bold) const;
    // Text with its top left corner at (x, y), cut with an ellipsis where it
    // would pass `right` (by default the right edge of the printing).
    void text(int x, int y, const QString& text, int points, bool bold, int right = -1);

    // Prints the header at the top of the current page (PrintPaginaHeader).
    void PrintPaginaHeader();
    // The next page with its header; the body starts again at its top.
    void nextPage();
    // Whether `height` more pixels fit above the bottom limit.
    bool fits(int height) const { return y + height <= bottomLimit; }
    // A line of the body at the left margin in that font; y moves down by
    // its height.  With breakFirst, a line that would run past the bottom
    // limit goes to the next page instead.
    void line(const QString& text, int points, bool bold, bool breakFirst = true);
    // A tabulated line: each cell at its own column from the left margin.
    void line(const std::vector<PrintCell>& cells, int points, bool bold, bool breakFirst = true);

    int pageNumber = 1;
    // The layout's scale: 1, or less on an area too narrow for the column.
    double scale = 1;
    double pixelsPerCm = 0; // a centimetre of the layout, scale included
    QRect area;             // where the page is laid out
    int x0 = 0;             // left margin of the 17.8 cm column
    int y0 = 0;             // top of the body
    int bottomLimit = 0;    // nothing is printed below this
    int rightLimit = 0;     // nor right of this (where the header rules end)
    int lineHeight = 0;     // "A" in 10 point
    int y = 0;
    // Called after the page header of every new page (a printout may repeat
    // its column header there).
    std::function<void()> onNewPage;

  private:
    // One of the header's distances given in 300 dpi pixels, on this target.
    int referencePixels(int pixels) const;

    PageTarget& target_;
    PageHeaderTexts header_;
    QString family_;
};

// Text padded with blanks on the left to a width (right-aligned).  A longer
// text stays as it is.
QString padLeft(const QString& text, int width);

// The whole print job around a printout: the print dialog (only the number
// of copies is taken from it), portrait, "MX5x Printing" as the document
// title, then paint.  A PDF file is written as every file of the program is:
// whole or not at all, an old file of that name kept until the new one is
// complete.  False when the user cancelled.  A printout that could not be
// made is reported in an error box, in the language's words: notPrinted
// first, then the file or printer and why; it counts as done.
struct PrintFailureTexts {
    QString notPrinted;
    // Each follows the PDF file's or the printer's name.
    QString pdfNotStarted;
    QString pdfNotCompleted;
    QString printerNotStarted;
    QString printerFailed;
};
bool runPrintJob(Dialogs& dialogs, DialogOwner owner, const QString& errorCaption,
                 const PrintFailureTexts& texts, const std::function<void(PageTarget&)>& paint);

// The same pages in the print preview first, from where the user may print
// them.  True when they were printed.
bool runPrintPreview(Dialogs& dialogs, DialogOwner owner,
                     const std::function<void(PageTarget&)>& paint);

// Prepares a printer for a printout: portrait, the document title.
void setUpPrinter(QPrinter& printer);

} // namespace kqm52
