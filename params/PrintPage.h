#pragma once

// What the parameter and setpoint printouts share: where the pages go, the
// page geometry in the target's own pixels, and the page header.
//
// A printout draws through a PageTarget, so the same code fills a printer
// (or Qt's PDF printer) and a stack of images.  Geometry follows the page
// in device pixels: a column 17.8 cm wide centred on the page, the body
// from 2.6 cm down, nothing below 1.2 cm above the page end; the page header
// rules sit 100 pixels in from either edge, as on every printer we served.

#include <QDate>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace kqm52 {

class Dialogs;

// Where the pages of one printout go.  Painting starts on the first page
// when the target is made.
class PageTarget {
  public:
    virtual ~PageTarget() = default;
    virtual QPainter& painter() = 0;
    // False when painting could not start (an output file that cannot be
    // written, a printer that went away).
    virtual bool active() const = 0;
    // The page in device pixels.
    virtual QSize pageSize() const = 0;
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

// "Courier New" where installed, else a font with the same metrics, so the
// padded columns line up as on the printers the layout was made for.
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
    // Text with its top left corner at (x, y).
    void text(int x, int y, const QString& text, int points, bool bold);

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

    int pageNumber = 1;
    double pixelsPerCm = 0;
    int x0 = 0;          // left margin of the 17.8 cm column
    int y0 = 0;          // top of the body
    int bottomLimit = 0; // nothing is printed below this
    int lineHeight = 0;  // "A" in 10 point
    int y = 0;
    // Called after the page header of every new page (a printout may repeat
    // its column header there).
    std::function<void()> onNewPage;

  private:
    PageTarget& target_;
    PageHeaderTexts header_;
    QString family_;
};

// Text padded with blanks to a width: on the right (left-aligned), or on the
// left (right-aligned).  A longer text stays as it is.
QString padRight(const QString& text, int width);
QString padLeft(const QString& text, int width);

// The whole print job around a printout: the print dialog (only the number
// of copies is taken from it), portrait, "MX5x Printing" as the document
// title, then paint.  A PDF file is written as every file of the program is:
// whole or not at all, an old file of that name kept until the new one is
// complete.  False when the user cancelled.  A printout that could not be
// made is reported in an error box, notPrinted (the language's words) first,
// then the file or printer and why, and counts as done.
bool runPrintJob(Dialogs& dialogs, QWidget* owner, const QString& errorCaption,
                 const QString& notPrinted, const std::function<void(PageTarget&)>& paint);

// Prepares a printer for a printout: portrait, the document title.
void setUpPrinter(QPrinter& printer);

} // namespace kqm52
