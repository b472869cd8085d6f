// Feeds arbitrary bytes to the RTF reader: any input must end in a document
// or an error, never a crash, a hang or runaway memory.  And what it accepts
// the help window must be able to show at once: the document stays within
// the reader's bounds, and laying it out at the window's width takes well
// under a second.

#include "dialogs/ErrorHelp.h"
#include "dialogs/RtfReader.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

#include <time.h>

namespace {

// CPU time of this thread: what a slow layout costs, whatever else the
// machine is doing.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// The worst accepted file takes a fifth of this on a loaded machine; a
// layout that grows with the square of a paragraph takes minutes.
constexpr double LayoutBudgetMs = 1000;

} // namespace

// Fontconfig keeps the fonts it has looked up until the process ends and
// never frees them; that is not the reader's memory.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Text formats touch the font system, which wants an application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kqm52::RtfLimits limits;
    QTextDocument doc;
    QString error;
    const bool ok = kqm52::RtfReader::read(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), doc, &error, limits);
    if (!ok) {
        if (error.isEmpty() || !doc.isEmpty())
            __builtin_trap(); // a failure must say why and leave nothing behind
        return 0;
    }
    // Within the bounds: each paragraph, the paragraphs, the characters
    // (each paragraph's end counted, the last one too).
    if (doc.blockCount() > limits.maxParagraphs || doc.characterCount() > limits.maxCharacters + 1)
        __builtin_trap();
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.length() - 1 > limits.maxParagraphLength) __builtin_trap();

    // What the window does next: lay the text out at its width and read it back.
    const double start = threadCpuMs();
    doc.setTextWidth(kqm52::ErrorHelp::TextWidth);
    (void)doc.size();
    if (threadCpuMs() - start > LayoutBudgetMs) __builtin_trap();
    (void)doc.toPlainText();
    return 0;
}
