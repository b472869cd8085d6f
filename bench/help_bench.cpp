// How long the error-help window takes to show the costliest help files the
// reader accepts: each a megabyte (the most it reads) built to make Qt's
// layout work hardest within the reader's bounds.  The window is the
// program's own, at its own size; the time runs from the show until the
// help is painted and laid out to its end (the scroll bar is right).
//
//   QT_QPA_PLATFORM=offscreen build/bin/help_bench
//   DISPLAY=:99 build/bin/help_bench
// Target: every file shown within 0.5 s.  Prints the median of five runs
// per file and the worst of them.

#include "dialogs/FormInfoErrorNummers.h"
#include "dialogs/RtfReader.h"
#include "model/engines/ProgramState.h"
#include "ui/ScriptedDialogs.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace kqm52;

namespace {

const RtfLimits Limits;

// A file of exactly the most the reader takes: the body, then skipped
// content up to the size, so reading pays for every byte.
QByteArray file(const QByteArray& body) {
    QByteArray rtf = "{\\rtf1\\ansi{\\colortbl;\\red160\\green0\\blue0;}" + body;
    rtf.truncate(Limits.maxInputBytes - 1);
    const QByteArray skipOpen = "{\\*\\padding ";
    const qsizetype room = Limits.maxInputBytes - rtf.size() - skipOpen.size() - 2;
    if (room > 0) rtf += skipOpen + QByteArray(room, 'x') + "}";
    return rtf + "}";
}

// Paragraphs of n units each, as many as the bounds let through.
QByteArray paragraphs(const QByteArray& unit, int perParagraph) {
    QByteArray body;
    for (int p = 0; p < Limits.maxParagraphs && body.size() < Limits.maxInputBytes / 2; ++p)
        body += unit.repeated(perParagraph) + "\\par\n";
    return body;
}

struct Case {
    const char* name;
    QByteArray rtf;
};

std::vector<Case> cases() {
    const int longest = Limits.maxParagraphLength;
    return {
        // The whole megabyte one word: only its first paragraph's worth is kept.
        {"one paragraph, one word", file(QByteArray(Limits.maxInputBytes, 'x'))},
        {"one paragraph of words", file(QByteArray("lorem ipsum ").repeated(80000))},
        // Paragraphs Qt cannot break, as long as allowed.
        {"longest unbreakable paragraphs", file(paragraphs("x", longest))},
        // Each character its own format, as many changes as allowed, packed
        // into the longest paragraphs.
        {"a format per character", file(paragraphs("{\\b a}{\\i\\cf1 b}", longest / 2))},
        {"short paragraphs", file(paragraphs("ab", 1))},
        {"empty paragraphs", file(paragraphs("", 0))},
        // The largest font, a line per character.
        {"largest font, a line each", file("\\fs9999 " + paragraphs("W\\line ", longest / 2))},
        {"largest font, words", file("\\fs9999 " + paragraphs("WW ", longest / 3))},
        // Right-to-left and left-to-right mixed in every word.
        {"mixed directions", file(paragraphs("\\u1605?a", longest / 2))},
        {"Hebrew and digits", file(paragraphs("\\u1488?1", longest / 2))},
        {"combining marks", file(paragraphs("a\\u769?\\u770?\\u771?", longest / 4))},
        {"tabs", file(paragraphs("\\tab ", longest))},
    };
}

// One showing of the window with rtf as its help file: milliseconds until
// it is painted, and until the help is laid out to its end.
std::pair<double, double> show(const QByteArray& rtf) {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("ErrorHelp0.rtf")));
    if (!f.open(QIODevice::WriteOnly) || f.write(rtf) != rtf.size()) return {-1, -1};
    f.close();
    ProgramState state(dir.path() + QLatin1Char('/'));
    ScriptedDialogs dialogs;
    TFormInfoErrorNummers window(state, dialogs);
    QElapsedTimer t;
    t.start();
    window.show();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && t.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    QApplication::processEvents(); // the first paint
    const double painted = double(t.nsecsElapsed()) / 1e6;
    (void)window.RichEdit1->document()->documentLayout()->documentSize();
    QApplication::processEvents();
    return {painted, double(t.nsecsElapsed()) / 1e6};
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    constexpr int Runs = 5;
    std::printf("%-32s %10s %14s %12s %8s\n", "help file (1 MB)", "painted", "laid out",
                "characters", "cut");
    double worst = 0;
    const char* worstName = "";
    for (const Case& c : cases()) {
        QTextDocument doc;
        bool cut = false;
        RtfReader::read(c.rtf, doc, nullptr, Limits, &cut);
        std::vector<double> painted, laidOut;
        for (int i = 0; i < Runs; ++i) {
            const auto [p, l] = show(c.rtf);
            painted.push_back(p);
            laidOut.push_back(l);
        }
        std::sort(painted.begin(), painted.end());
        std::sort(laidOut.begin(), laidOut.end());
        const double median = laidOut[Runs / 2];
        if (median > worst) {
            worst = median;
            worstName = c.name;
        }
        std::printf("%-32s %7.0f ms %11.0f ms %12d %8s\n", c.name, painted[Runs / 2], median,
                    doc.characterCount(), cut ? "yes" : "no");
        std::fflush(stdout);
    }
    std::printf("worst: \"%s\" laid out after %.0f ms (target < 500 ms)\n", worstName, worst);
    return 0;
}
