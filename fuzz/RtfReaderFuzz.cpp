// Feeds arbitrary bytes to the RTF reader: any input must end in a document
// or an error, never a crash, a hang or runaway memory.

#include "dialogs/RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

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
    QTextDocument doc;
    QString error;
    const bool ok = kqm52::RtfReader::read(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), doc, &error);
    // What the window does next: lay the text out and read it back.
    if (ok) {
        doc.setTextWidth(400);
        (void)doc.size();
        (void)doc.toPlainText();
    } else if (error.isEmpty() || !doc.isEmpty()) {
        __builtin_trap(); // a failure must say why and leave nothing behind
    }
    return 0;
}
