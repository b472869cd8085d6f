#include "dialogs/RtfReader.h"

#include <QColor>
#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kqm52 {

namespace {

// Windows-1252 from 0x80 to 0x9F; the five holes of that range become the
// replacement character.  Above it the code page is Latin-1.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char16_t fromCp1252(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return Cp1252High[c - 0x80];
    return c;
}

// Words longer than this are no RTF word; the rest of the letters is read
// and dropped so the reader still moves on.
constexpr int MaxWordLength = 32;
// A parameter is a 32-bit number; longer digit runs saturate instead of
// overflowing.
constexpr std::int64_t MaxParam = 2147483647;

constexpr int DefaultFontSize = 24; // half-points: 12 pt
constexpr int MinFontSize = 4;
// 36 pt: headings of help files are half that.  Larger only hurts: with
// a line per character it takes the document toward the height that Qt
// cannot lay out.
constexpr int MaxFontSize = 72;
constexpr int MaxFontNameLength = 64;
constexpr int MaxUnicodeSkip = 16;

enum class Destination { Text, Skip, FontTable, ColorTable };

struct CharStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int fontSize = DefaultFontSize;
    int color = 0; // index into the colour table, whose entry 0 is usually "automatic"
    int font = -1; // index into the font table; -1 none chosen
    friend bool operator==(const CharStyle&, const CharStyle&) = default;
};

struct GroupState {
    Destination destination = Destination::Text;
    CharStyle style;
    Qt::Alignment alignment = Qt::AlignLeft;
    int unicodeSkip = 1;
};

// Destinations whose content is not part of the text.
constexpr std::array<std::string_view, 42> SkippedDestinations = {
    "stylesheet",   "info",         "pict",       "object",
    "header",       "headerl",      "headerr",    "headerf",
    "footer",       "footerl",      "footerr",    "footerf",
    "footnote",     "fldinst",      "themedata",  "colorschememapping",
    "latentstyles", "datastore",    "listtable",  "listoverridetable",
    "rsidtbl",      "generator",    "xmlnstbl",   "mmathPr",
    "filetbl",      "revtbl",       "annotation", "atnid",
    "atnauthor",    "bkmkstart",    "bkmkend",    "xe",
    "tc",           "txe",          "shp",        "shpinst",
    "nonshppict",   "template",     "userprops",  "docvar",
    "pgdsctbl",     "wgrffmtfilter"};

bool isSkippedDestination(std::string_view word) {
    return std::find(SkippedDestinations.begin(), SkippedDestinations.end(), word) !=
           SkippedDestinations.end();
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Parser {
  public:
    Parser(QByteArrayView in, QTextDocument& document, const RtfReader::Limits& limits)
        : in_(in), cursor_(&document), limits_(limits) {}

    bool run(QString* error, RtfFailure* failure);
    bool cut() const { return cut_; }

  private:
    bool atEnd() const { return pos_ >= in_.size(); }
    char peek() const { return in_[pos_]; }

    void controlWord();
    void controlSymbol(char c);
    void keyword(std::string_view word, bool hasParam, int param);
    void hexEscape();
    void text(char16_t c);
    // A byte or escape of the fallback after \uN: true when it was eaten.
    bool skipFallback() {
        if (fallbackLeft_ <= 0) return false;
        --fallbackLeft_;
        return true;
    }
    void put(char16_t c);
    void paragraph();
    // Stops reading: the document has reached a bound.
    void stop() {
        finished_ = true;
        cut_ = true;
    }
    void flush();
    QTextCharFormat format(const CharStyle& style) const;
    void fontTableText(char16_t c);
    void colorTableText(char c);

    QByteArrayView in_;
    qsizetype pos_ = 0;
    QTextCursor cursor_;
    const RtfReader::Limits& limits_;

    std::vector<GroupState> stack_;
    GroupState state_;
    bool finished_ = false;
    int fallbackLeft_ = 0;

    QString pending_;
    CharStyle pendingStyle_;

    // What the document holds so far, against the limits.
    int characters_ = 0;
    int paragraphLength_ = 0;
    int paragraphs_ = 1;
    int runs_ = 0;
    bool cut_ = false;

    std::vector<QColor> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorGiven_ = false;

    std::vector<std::pair<int, QString>> fonts_;
    int fontIndex_ = -1;
    QString fontName_;
};

bool Parser::run(QString* error, RtfFailure* failure) {
    auto fail = [error, failure](const QString& why, RtfFailure::Kind kind = RtfFailure::NotRtf,
                                 qint64 bound = 0) {
        if (error) *error = why;
        if (failure) *failure = {kind, bound};
        return false;
    };
    if (in_.size() > limits_.maxInputBytes)
        return fail(
            QStringLiteral("The document is larger than %1 bytes.").arg(limits_.maxInputBytes),
            RtfFailure::TooLarge, limits_.maxInputBytes);
    // Only blanks may come before the opening brace.
    while (!atEnd() && (peek() == ' ' || peek() == '\r' || peek() == '\n' || peek() == '\t'))
        ++pos_;
    if (!in_.sliced(pos_).startsWith("{\\rtf"))
        return fail(QStringLiteral("This is not a rich-text (RTF) document."));

    cursor_.beginEditBlock();
    while (!atEnd() && !finished_) {
        const char c = in_[pos_++];
        switch (c) {
        case '{':
            if (int(stack_.size()) >= limits_.maxDepth) {
                cursor_.endEditBlock();
                return fail(QStringLiteral("The document nests groups more than %1 deep.")
                                .arg(limits_.maxDepth),
                            RtfFailure::TooDeep, limits_.maxDepth);
            }
            stack_.push_back(state_);
            fallbackLeft_ = 0;
            break;
        case '}':
            // A font entry may lack its closing semicolon.
            if (state_.destination == Destination::FontTable && !fontName_.isEmpty())
                fontTableText(u';');
            if (stack_.empty()) {
                finished_ = true;
                break;
            }
            state_ = stack_.back();
            stack_.pop_back();
            fallbackLeft_ = 0;
            // The document's own group has closed: what follows is not part of it.
            if (stack_.empty()) finished_ = true;
            break;
        case '\\':
            if (atEnd()) break; // a lone backslash at the end: nothing to do
            if (isLetter(peek()))
                controlWord();
            else
                controlSymbol(in_[pos_++]);
            break;
        case '\r':
        case '\n':
            break; // line ends in the file are not part of the text
        default:
            if (skipFallback()) break;
            if (state_.destination == Destination::ColorTable)
                colorTableText(c);
            else
                text(fromCp1252(static_cast<unsigned char>(c)));
            break;
        }
    }
    flush();
    cursor_.endEditBlock();
    return true;
}

void Parser::controlWord() {
    const qsizetype start = pos_;
    while (!atEnd() && isLetter(peek()))
        ++pos_;
    const qsizetype length = pos_ - start;
    const std::string_view word(in_.data() + start,
                                size_t(std::min<qsizetype>(length, MaxWordLength)));
    bool hasParam = false;
    bool negative = false;
    std::int64_t value = 0;
    if (!atEnd() && peek() == '-' && pos_ + 1 < in_.size() && isDigit(in_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    while (!atEnd() && isDigit(peek())) {
        hasParam = true;
        value = std::min(value * 10 + (peek() - '0'), MaxParam);
        ++pos_;
    }
    if (!atEnd() && peek() == ' ') ++pos_; // the delimiting blank belongs to the word
    if (length > MaxWordLength) return;    // no such word
    if (skipFallback()) return;
    keyword(word, hasParam, int(negative ? -value : value));
}

void Parser::controlSymbol(char c) {
    switch (c) {
    case '\'':
        hexEscape();
        return;
    case '*':
        // Only readers that know the destination may look inside; we know none.
        state_.destination = Destination::Skip;
        return;
    case '\r':
    case '\n':
        if (skipFallback()) return;
        paragraph();
        return;
    default:
        break;
    }
    if (skipFallback()) return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        text(char16_t(c));
        break;
    case '~':
        text(u'\u00A0');
        break;
    case '_':
        text(u'\u2011');
        break;
    case '\t':
        text(u'\t');
        break;
    default:
        break; // optional hyphen, index marks and the like: nothing to show
    }
}

void Parser::hexEscape() {
    int value = 0;
    int digits = 0;
    while (digits < 2 && !atEnd()) {
        const int h = hexValue(peek());
        if (h < 0) break;
        value = value * 16 + h;
        ++digits;
        ++pos_;
    }
    if (skipFallback()) return;
    if (digits == 0) return; // truncated escape: nothing to decode
    if (state_.destination == Destination::ColorTable) return;
    text(fromCp1252(static_cast<unsigned char>(value)));
}

void Parser::keyword(std::string_view w, bool hasParam, int param) {
    const int onOff = hasParam ? param : 1;
    CharStyle& s = state_.style;

    if (w == "bin") {
        // Binary data is not text in any destination; never trust its length.
        const qsizetype n = hasParam && param > 0 ? qsizetype(param) : 0;
        pos_ += std::min(n, in_.size() - pos_);
        return;
    }
    if (state_.destination == Destination::Skip) return;
    // Destinations first: they decide what the rest of the group is.
    if (w == "fonttbl") {
        state_.destination = Destination::FontTable;
        return;
    }
    if (w == "colortbl") {
        state_.destination = Destination::ColorTable;
        colorGiven_ = false;
        red_ = green_ = blue_ = 0;
        return;
    }
    if (isSkippedDestination(w)) {
        state_.destination = Destination::Skip;
        return;
    }
    if (w == "u") {
        if (!hasParam) return;
        const int unit = param < 0 ? param + 65536 : param;
        if (unit >= 0 && unit <= 0xFFFF) text(char16_t(unit));
        fallbackLeft_ = state_.unicodeSkip;
        return;
    }
    if (w == "uc") {
        state_.unicodeSkip = std::clamp(param, 0, MaxUnicodeSkip);
        return;
    }
    if (state_.destination == Destination::ColorTable) {
        int* component = w == "red"     ? &red_
                         : w == "green" ? &green_
                         : w == "blue"  ? &blue_
                                        : nullptr;
        if (component) {
            *component = std::clamp(param, 0, 255);
            colorGiven_ = true;
        }
        return;
    }
    if (state_.destination == Destination::FontTable) {
        if (w == "f") fontIndex_ = param;
        return;
    }

    if (w == "par" || w == "sect" || w == "page" || w == "row")
        paragraph();
    else if (w == "line")
        text(u'\u2028');
    else if (w == "tab" || w == "cell")
        text(u'\t');
    else if (w == "b")
        s.bold = onOff != 0;
    else if (w == "i")
        s.italic = onOff != 0;
    else if (w == "ul")
        s.underline = onOff != 0;
    else if (w == "ulnone")
        s.underline = false;
    else if (w == "fs")
        s.fontSize =
            hasParam && param > 0 ? std::clamp(param, MinFontSize, MaxFontSize) : DefaultFontSize;
    else if (w == "cf")
        s.color = std::max(param, 0);
    else if (w == "f")
        s.font = param;
    else if (w == "plain")
        s = CharStyle();
    else if (w == "pard")
        state_.alignment = Qt::AlignLeft;
    else if (w == "ql")
        state_.alignment = Qt::AlignLeft;
    else if (w == "qr")
        state_.alignment = Qt::AlignRight;
    else if (w == "qc")
        state_.alignment = Qt::AlignHCenter;
    else if (w == "qj")
        state_.alignment = Qt::AlignJustify;
    else if (w == "emdash")
        text(u'\u2014');
    else if (w == "endash")
        text(u'\u2013');
    else if (w == "bullet")
        text(u'\u2022');
    else if (w == "lquote")
        text(u'\u2018');
    else if (w == "rquote")
        text(u'\u2019');
    else if (w == "ldblquote")
        text(u'\u201C');
    else if (w == "rdblquote")
        text(u'\u201D');
    // Any other word changes nothing we show.
}

void Parser::text(char16_t c) {
    switch (state_.destination) {
    case Destination::Text:
        put(c);
        break;
    case Destination::FontTable:
        fontTableText(c);
        break;
    case Destination::ColorTable:
    case Destination::Skip:
        break;
    }
}

void Parser::put(char16_t c) {
    // Control characters from junk or \u would only confuse the layout.
    if ((c < 0x20 && c != u'\t') || (c >= 0x7F && c < 0xA0)) return;
    if (finished_) return;
    if (paragraphLength_ >= limits_.maxParagraphLength) {
        cut_ = true; // the rest of this paragraph
        return;
    }
    if (characters_ >= limits_.maxCharacters) return stop();
    if (state_.style != pendingStyle_ || runs_ == 0) {
        if (runs_ >= limits_.maxFormatRuns) return stop();
        ++runs_;
        flush();
        pendingStyle_ = state_.style;
    }
    pending_.append(QChar(c));
    ++characters_;
    ++paragraphLength_;
}

void Parser::paragraph() {
    if (state_.destination != Destination::Text || finished_) return;
    if (paragraphs_ >= limits_.maxParagraphs || characters_ >= limits_.maxCharacters) return stop();
    ++paragraphs_;
    ++characters_;
    paragraphLength_ = 0;
    flush();
    QTextBlockFormat block = cursor_.blockFormat();
    block.setAlignment(state_.alignment);
    cursor_.setBlockFormat(block);
    cursor_.insertBlock();
}

void Parser::flush() {
    if (pending_.isEmpty()) return;
    // A surrogate from \u without its partner cannot be shown.
    for (qsizetype i = 0; i < pending_.size(); ++i) {
        const QChar c = pending_.at(i);
        if (c.isHighSurrogate() && i + 1 < pending_.size() && pending_.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            pending_[i] = QChar::ReplacementCharacter;
    }
    QTextBlockFormat block = cursor_.blockFormat();
    if (block.alignment() != state_.alignment) {
        block.setAlignment(state_.alignment);
        cursor_.setBlockFormat(block);
    }
    cursor_.insertText(pending_, format(pendingStyle_));
    pending_.clear();
}

QTextCharFormat Parser::format(const CharStyle& style) const {
    QTextCharFormat f;
    f.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style.italic);
    f.setFontUnderline(style.underline);
    f.setFontPointSize(style.fontSize / 2.0);
    if (size_t(style.color) < colors_.size() && colors_[style.color].isValid())
        f.setForeground(colors_[style.color]);
    if (style.font >= 0)
        for (const auto& [index, name] : fonts_)
            if (index == style.font && !name.isEmpty()) {
                f.setFontFamilies(QStringList{name});
                break;
            }
    return f;
}

void Parser::fontTableText(char16_t c) {
    if (c == u';') {
        if (fontIndex_ >= 0 && int(fonts_.size()) < limits_.maxTableEntries)
            fonts_.emplace_back(fontIndex_, fontName_.trimmed());
        fontName_.clear();
        fontIndex_ = -1;
        return;
    }
    if (c >= 0x20 && fontName_.size() < MaxFontNameLength) fontName_.append(QChar(c));
}

void Parser::colorTableText(char c) {
    if (c != ';') return;
    // An entry without components (usually the first) is the automatic colour.
    if (int(colors_.size()) < limits_.maxTableEntries)
        colors_.push_back(colorGiven_ ? QColor(red_, green_, blue_) : QColor());
    red_ = green_ = blue_ = 0;
    colorGiven_ = false;
}

} // namespace

bool RtfReader::read(QByteArrayView rtf, QTextDocument& document, QString* error,
                     const Limits& limits, bool* cut, RtfFailure* failure) {
    if (failure) *failure = {};
    const bool undo = document.isUndoRedoEnabled();
    // The viewer is read-only; an undo history would only double the memory.
    document.setUndoRedoEnabled(false);
    document.clear();
    Parser parser(rtf, document, limits);
    const bool ok = parser.run(error, failure);
    if (!ok) document.clear();
    if (cut) *cut = ok && parser.cut();
    document.setUndoRedoEnabled(undo);
    return ok;
}

} // namespace kqm52
