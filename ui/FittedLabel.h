#pragma once

// FittedLabel: a panel of fixed size that shows a text of any length.  What
// does not fit is cut with "…" (on the last line that fits, for a word-wrapped
// panel), and the tooltip then holds the whole text, so a long translation or
// a long reason from the system is never silently clipped.  text() stays the
// whole text.
//
// Set the text through a FittedLabel pointer: setText() here also keeps the
// tooltip right (a tooltip of its own would be replaced).  The cut itself is
// worked out whenever the panel is painted, however the text was set.  The
// text is plain text, never markup.

#include <QLabel>

namespace kqm52 {

class FittedLabel : public QLabel {
    Q_OBJECT
  public:
    explicit FittedLabel(QWidget* parent = nullptr);

    void setText(const QString& text);

    // What the panel shows: text() itself when it fits, else cut with "…".
    QString shownText() const;
    bool isCut() const { return shownText() != text(); }

    // text laid out in width x height pixels of font: unchanged when it fits;
    // otherwise the lines that fit, the last of them ending in "…".  Always at
    // least one line.  Lines break at blanks when wordWrap, else only at "\n".
    static QString fitted(const QString& text, const QFont& font, int width, int height,
                          bool wordWrap);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QRect textRect() const;
    void updateToolTip();
};

} // namespace kqm52
