#include "ui/FittedLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTextLayout>

#include <algorithm>

namespace kqm52 {

namespace {

struct Line {
    int paragraph;
    int start; // in its paragraph
    QString text;
};

QString withoutTrailingBlanks(QString s) {
    while (!s.isEmpty() && s.back().isSpace())
        s.chop(1);
    return s;
}

} // namespace

FittedLabel::FittedLabel(QWidget* parent) : QLabel(parent) {
    // A device's answer may hold "<": it is shown as it came, never as markup.
    setTextFormat(Qt::PlainText);
}

void FittedLabel::setText(const QString& text) {
    QLabel::setText(text);
    updateToolTip();
}

QString FittedLabel::fitted(const QString& text, const QFont& font, int width, int height,
                            bool wordWrap) {
    const QFontMetrics fm(font);
    const int maxLines =
        height <= fm.height() ? 1 : 1 + (height - fm.height()) / std::max(1, fm.lineSpacing());
    width = std::max(0, width);

    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    std::vector<Line> lines;
    for (int p = 0; p < paragraphs.size(); ++p) {
        const QString& paragraph = paragraphs[p];
        if (!wordWrap || paragraph.isEmpty()) {
            lines.push_back({p, 0, paragraph});
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(width);
            lines.push_back({p, l.textStart(), paragraph.mid(l.textStart(), l.textLength())});
        }
        layout.endLayout();
    }

    const bool tooMany = int(lines.size()) > maxLines;
    const int shown = std::min(int(lines.size()), maxLines);
    bool cut = tooMany;
    QStringList out;
    for (int i = 0; i < shown; ++i) {
        const Line& line = lines[std::size_t(i)];
        QString s = line.text;
        if (tooMany && i == shown - 1) {
            // The last line that fits carries on with everything after it.
            QStringList rest{paragraphs[line.paragraph].mid(line.start)};
            for (int p = line.paragraph + 1; p < paragraphs.size(); ++p)
                rest << paragraphs[p];
            s = rest.join(QLatin1Char(' '));
        }
        s = withoutTrailingBlanks(s);
        if (fm.horizontalAdvance(s) > width) {
            s = fm.elidedText(s, Qt::ElideRight, width);
            cut = true;
        }
        out << s;
    }
    return cut ? out.join(QLatin1Char('\n')) : text;
}

QRect FittedLabel::textRect() const {
    // Where QLabel puts its text: inside the frame and margin, and the
    // indent on the side the text is aligned to.
    QRect r = contentsRect();
    const int m = margin();
    r.adjust(m, m, -m, -m);
    int indent = this->indent();
    if (indent < 0 && frameWidth() > 0)
        indent = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    if (indent > 0) {
        const Qt::Alignment a = QStyle::visualAlignment(layoutDirection(), alignment());
        if (a & Qt::AlignLeft) r.setLeft(r.left() + indent);
        if (a & Qt::AlignRight) r.setRight(r.right() - indent);
        if (a & Qt::AlignTop) r.setTop(r.top() + indent);
        if (a & Qt::AlignBottom) r.setBottom(r.bottom() - indent);
    }
    return r;
}

QString FittedLabel::shownText() const {
    const QRect r = textRect();
    return fitted(text(), font(), r.width(), r.height(), wordWrap());
}

void FittedLabel::paintEvent(QPaintEvent* event) {
    const QString shown = shownText();
    if (shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    QStyleOption option;
    option.initFrom(this);
    // The lines are broken already: no wrapping of the style's own.
    style()->drawItemText(&painter, textRect(),
                          int(QStyle::visualAlignment(layoutDirection(), alignment())),
                          option.palette, isEnabled(), shown, foregroundRole());
}

void FittedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateToolTip();
}

void FittedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateToolTip();
}

void FittedLabel::updateToolTip() {
    const QString tip = isCut() ? text() : QString();
    if (toolTip() != tip) setToolTip(tip);
}

} // namespace kqm52
