#include "dialogs/RtfReader.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ranges>

namespace kqm52 {
namespace {

// The text as a reader sees it: paragraphs joined by "|".
QString textOf(const QTextDocument& doc) {
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        blocks << b.text();
    return blocks.join(u'|');
}

// Each run of one format as text[attributes]; a run in the default look
// (regular, 12 pt, automatic colour) shows its text only.
QString runsOf(const QTextDocument& doc) {
    QStringList runs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat c = f.charFormat();
            QStringList a;
            if (c.fontWeight() == QFont::Bold) a << QStringLiteral("b");
            if (c.fontItalic()) a << QStringLiteral("i");
            if (c.fontUnderline()) a << QStringLiteral("u");
            if (c.fontPointSize() != 12)
                a << QString::number(c.fontPointSize()) + QStringLiteral("pt");
            if (c.hasProperty(QTextFormat::ForegroundBrush)) a << c.foreground().color().name();
            if (!c.fontFamilies().toStringList().isEmpty())
                a << c.fontFamilies().toStringList().join(u',');
            runs << (a.isEmpty() ? f.text() : f.text() + u'[' + a.join(u',') + u']');
        }
    return runs.join(QStringLiteral(" + "));
}

struct Case {
    const char* name;
    QByteArray rtf;
    QString text;      // paragraphs joined by "|"
    QString runs = {}; // empty: not checked
};

class WellFormed : public ::testing::TestWithParam<Case> {};

TEST_P(WellFormed, GivesTheTextAndFormats) {
    const Case& c = GetParam();
    QTextDocument doc;
    QString error;
    ASSERT_TRUE(RtfReader::read(c.rtf, doc, &error)) << qPrintable(error);
    EXPECT_EQ(textOf(doc), c.text);
    if (!c.runs.isEmpty()) {
        EXPECT_EQ(runsOf(doc), c.runs);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rtf, WellFormed,
    ::testing::Values(
        Case{"Plain", "{\\rtf1 Hello}", u"Hello"_qs, u"Hello"_qs},
        Case{"Paragraphs", "{\\rtf1 a\\par b\\par\r\n\\par c}", u"a|b||c"_qs},
        Case{"LineAndTab", "{\\rtf1 a\\line b\\tab c}", u"a\u2028b\tc"_qs},
        Case{"Escapes", "{\\rtf1\\ansi\\ansicpg1252 Gr\\'fc\\'dfe \\'80 \\{x\\} \\\\ a\\~b}",
             u"Grüße € {x} \\ a\u00A0b"_qs},
        Case{"RawHighBytesAreCp1252", "{\\rtf1 caf\xe9 \x93q\x94}", u"café \u201Cq\u201D"_qs},
        Case{"UnicodeWithFallback", "{\\rtf1 \\u8364?x \\u-3844?}", u"€x \uF0FC"_qs},
        Case{"UnicodeSkipTwo", "{\\rtf1\\uc2 \\u8364\\'80\\'80y}", u"€y"_qs},
        Case{"SurrogatePair", "{\\rtf1 \\u-10179?\\u-8704?}", u"\U0001F600"_qs},
        Case{"LoneSurrogate", "{\\rtf1 a\\u-10179?b}", u"a\uFFFDb"_qs},
        Case{"FallbackEndsAtGroup", "{\\rtf1\\uc3{\\u8364}xy}", u"€xy"_qs},
        Case{"NestedGroupsRestore", "{\\rtf1 a{\\b b{\\i c}d}e}", u"abcde"_qs,
             u"a + b[b] + c[b,i] + d[b] + e"_qs},
        Case{"SwitchesOffAndPlain", "{\\rtf1\\b\\i x\\b0 y\\plain z\\ul u\\ulnone n}", u"xyzun"_qs,
             u"x[b,i] + y[i] + z + u[u] + n"_qs},
        Case{"SkippedDestinations",
             "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\*\\generator Foo 1.0;}"
             "{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}"
             "{\\pict\\pngblip 89504e470d0a}{\\*\\unknown {\\b hidden}}Body}",
             u"Body"_qs, u"Body"_qs},
        Case{"FieldShowsItsResult",
             "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}}", u"link"_qs},
        Case{"ColourRuns",
             "{\\rtf1{\\colortbl;\\red160\\green0\\blue0;\\red0\\green0\\blue128;}"
             "{\\cf1 red}{\\cf2 blue}\\cf9 none\\cf0 auto}",
             u"redbluenoneauto"_qs, u"red[#a00000] + blue[#000080] + noneauto"_qs},
        Case{"FontTableAndSize",
             "{\\rtf1{\\fonttbl{\\f0 Courier New;}{\\f1 Arial}}{\\f0\\fs20 code}"
             "{\\f1\\fs48 big}}",
             u"codebig"_qs, u"code[10pt,Courier New] + big[24pt,Arial]"_qs},
        Case{"BinarySkipped", "{\\rtf1 a\\bin3 {}}b}", u"ab"_qs},
        Case{"AfterTheDocument", "{\\rtf1 a}junk{\\b more}", u"a"_qs}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RtfReader, ParagraphAlignmentIsKept) {
    QTextDocument doc;
    ASSERT_TRUE(RtfReader::read("{\\rtf1\\qc centred\\par\\pard left}", doc));
    EXPECT_EQ(textOf(doc), u"centred|left"_qs);
    EXPECT_EQ(doc.begin().blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(doc.begin().next().blockFormat().alignment(), Qt::AlignLeft);
}

// Damaged input: what still reads, or why not. That any input ends without
// a crash or a hang is the rtf fuzz target's property.
struct Bad {
    const char* name;
    QByteArray rtf;
    QString text;       // readable: what remains
    QString error = {}; // not readable: a part of the message
};

class Malformed : public ::testing::TestWithParam<Bad> {};

TEST_P(Malformed, EndsCleanly) {
    const Bad& c = GetParam();
    QTextDocument doc;
    QString error;
    const bool ok = RtfReader::read(c.rtf, doc, &error, RtfReader::Limits{4096, 100, 50});
    ASSERT_EQ(ok, c.error.isEmpty()) << qPrintable(error);
    if (ok)
        EXPECT_EQ(textOf(doc), c.text);
    else {
        EXPECT_TRUE(error.contains(c.error)) << qPrintable(error);
        EXPECT_TRUE(doc.isEmpty());
    }
}

QByteArray repeated(const char* s, int n) {
    return QByteArray(s).repeated(n);
}

INSTANTIATE_TEST_SUITE_P(
    Rtf, Malformed,
    ::testing::Values(
        Bad{"Empty", "", {}, u"not a rich-text"_qs},
        Bad{"PlainText", "Hello {\\rtf1 x}", {}, u"not a rich-text"_qs},
        Bad{"DeepNesting", "{\\rtf1 " + repeated("{", 3000) + "x", {}, u"100 deep"_qs},
        Bad{"TooLarge", "{\\rtf1 " + repeated("x", 5000) + "}", {}, u"4096 bytes"_qs},
        Bad{"Unterminated", "{\\rtf1 {\\b abc", u"abc"_qs},
        Bad{"HalfEscape", "{\\rtf1 a\\'4g\\'zz}", u"agzz"_qs},
        Bad{"HugeBinaryLength", "{\\rtf1 a\\bin999999999999 xyz}", u"a"_qs},
        Bad{"NegativeBinaryLength", "{\\rtf1 a\\bin-5 b}", u"ab"_qs},
        Bad{"HugeUnicodeSkip", "{\\rtf1\\uc99999 \\u8364 abcdefghijklmnopqrstuvwxyz}",
            u"€qrstuvwxyz"_qs},
        Bad{"ControlBytes", QByteArray("{\\rtf1 a\0\x01\x1b\x7f b}", 15), u"a b"_qs}),
    [](const auto& info) { return std::string(info.param.name); });

// What goes into the document is bounded, so that laying it out cannot
// freeze the window: a paragraph past the bound loses its tail, and past the
// bounds of the whole document reading stops.  Each cut is reported.
struct Bounded {
    const char* name;
    RtfLimits limits;
    QByteArray rtf;
    QString text;
    bool cut;
    friend void PrintTo(const Bounded& b, std::ostream* os) { *os << b.name; }
};

class BoundedDocument : public ::testing::TestWithParam<Bounded> {};

TEST_P(BoundedDocument, KeepsWhatFitsAndSaysWhenCut) {
    const Bounded& c = GetParam();
    QTextDocument doc;
    bool cut = !c.cut;
    ASSERT_TRUE(RtfReader::read(c.rtf, doc, nullptr, c.limits, &cut));
    EXPECT_EQ(textOf(doc), c.text);
    EXPECT_EQ(cut, c.cut);
}

RtfLimits bounds(int paragraphLength, int characters, int paragraphs, int runs) {
    RtfLimits l;
    l.maxParagraphLength = paragraphLength;
    l.maxCharacters = characters;
    l.maxParagraphs = paragraphs;
    l.maxFormatRuns = runs;
    return l;
}

INSTANTIATE_TEST_SUITE_P(
    Rtf, BoundedDocument,
    ::testing::Values(Bounded{"AtEveryBound", bounds(3, 6, 2, 4),
                              "{\\rtf1 a{\\b b}c\\par {\\i de}}", u"abc|de"_qs, false},
                      Bounded{"LongParagraphLosesItsTail", bounds(5, 100, 10, 10),
                              "{\\rtf1 abcdefghij\\line k\\par kl}", u"abcde|kl"_qs, true},
                      Bounded{"TooManyCharacters", bounds(10, 8, 10, 10),
                              "{\\rtf1 abc\\par def\\par ghi}", u"abc|def|"_qs, true},
                      Bounded{"TooManyParagraphs", bounds(10, 100, 2, 10),
                              "{\\rtf1 a\\par b\\par c}", u"a|b"_qs, true},
                      Bounded{"TooManyFormatChanges", bounds(10, 100, 10, 3),
                              "{\\rtf1 a{\\b b}c{\\i d}e}", u"abc"_qs, true},
                      // The file as one paragraph of a megabyte: minutes of layout before.
                      Bounded{"OneParagraphOfAMegabyte", RtfLimits(),
                              "{\\rtf1 " + QByteArray(RtfLimits().maxInputBytes - 8, 'x') + "}",
                              QString(RtfLimits().maxParagraphLength, u'x'), true}),
    [](const auto& info) { return std::string(info.param.name); });

// A huge font size is shown at 36 pt: a line per character at any larger
// size takes the document toward a height Qt cannot lay out.
TEST(RtfReader, FontSizeIsAtMostThirtySixPoints) {
    QTextDocument doc;
    ASSERT_TRUE(
        RtfReader::read("{\\rtf1{\\fs72 a}{\\fs20 x}{\\fs200 b}{\\fs20 y}{\\fs2000000 c}}", doc));
    EXPECT_EQ(runsOf(doc), u"a[36pt] + x[10pt] + b[36pt] + y[10pt] + c[36pt]"_qs);
}

TEST(RtfReader, ReadingAgainReplacesTheDocument) {
    QTextDocument doc;
    ASSERT_TRUE(RtfReader::read("{\\rtf1 first\\par second}", doc));
    ASSERT_TRUE(RtfReader::read("{\\rtf1 third}", doc));
    EXPECT_EQ(textOf(doc), u"third"_qs);
    EXPECT_FALSE(RtfReader::read("nonsense", doc));
    EXPECT_TRUE(doc.isEmpty());
}

// The shipped help files, as the error-help window shows them: the title and
// the heading of the list in large bold, each error number bold in dark red,
// and the same numbers, 1 to 20 at least, in every language.
struct HelpFile {
    const char* file;
    QString title;
    QString heading;
    QString sample; // a line with characters beyond ASCII where the language has them
};

// Each paragraph that opens with an error number: the number and its look.
std::map<int, QTextCharFormat> numbersIn(const char* file, QTextDocument& doc) {
    QFile f(QStringLiteral(KQM52_DATA_DIR "/") + QLatin1String(file));
    if (!f.open(QIODevice::ReadOnly) || !RtfReader::read(f.readAll(), doc)) return {};
    std::map<int, QTextCharFormat> numbers;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        // An empty paragraph has no first fragment; asking for one walks
        // Qt's fragment list past the block and need not stop.
        if (b.begin().atEnd()) continue;
        const QTextFragment first = b.begin().fragment();
        bool isNumber = false;
        const int n = first.text().toInt(&isNumber);
        if (isNumber) numbers.emplace(n, first.charFormat());
    }
    return numbers;
}

class ShippedHelp : public ::testing::TestWithParam<HelpFile> {};

TEST_P(ShippedHelp, ReadsWithHeadingsAndBoldNumbers) {
    const HelpFile& h = GetParam();
    QTextDocument doc, dutch;
    const auto numbers = numbersIn(h.file, doc);
    const QTextBlock title = doc.begin();
    EXPECT_EQ(title.text(), h.title);
    const QTextCharFormat tf = title.begin().fragment().charFormat();
    EXPECT_EQ(tf.fontWeight(), QFont::Bold);
    EXPECT_EQ(tf.fontPointSize(), 14);
    EXPECT_EQ(tf.foreground().color(), QColor(0, 0, 128));
    int headings = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text() == h.heading) {
            ++headings;
            EXPECT_EQ(b.begin().fragment().charFormat().fontPointSize(), 12);
        }
    EXPECT_EQ(headings, 1);
    for (const auto& [n, format] : numbers) {
        EXPECT_EQ(format.fontWeight(), QFont::Bold) << n;
        EXPECT_EQ(format.foreground().color(), QColor(160, 0, 0)) << n;
        EXPECT_EQ(format.fontPointSize(), 10) << n;
    }
    for (int n = 1; n <= 20; ++n)
        EXPECT_TRUE(numbers.count(n)) << "error " << n << " is not explained";
    EXPECT_TRUE(std::ranges::equal(numbers | std::views::keys,
                                   numbersIn("ErrorHelp0.rtf", dutch) | std::views::keys));
    EXPECT_TRUE(doc.toPlainText().contains(h.sample)) << qPrintable(h.sample);
    EXPECT_FALSE(doc.toPlainText().contains(u'\\'));
    EXPECT_FALSE(doc.toPlainText().contains(u'\uFFFD'));
}

INSTANTIATE_TEST_SUITE_P(
    Rtf, ShippedHelp,
    ::testing::Values(HelpFile{"ErrorHelp0.rtf", u"Foutnummers van de MX52"_qs,
                               u"Nummer en betekenis"_qs, u"Positiesensor: geen signaal"_qs},
                      HelpFile{"ErrorHelp1.rtf", u"MX52 error numbers"_qs, u"Number and meaning"_qs,
                               u"MX52"_qs},
                      HelpFile{"ErrorHelp2.rtf", u"Fehlernummern der MX52"_qs,
                               u"Nummer und Bedeutung"_qs, u"Störung"_qs}),
    [](const auto& info) { return std::string(info.param.file).substr(0, 10); });

} // namespace
} // namespace kqm52
