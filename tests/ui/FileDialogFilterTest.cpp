// The file filter a language file writes, as the open and save dialogs get
// it.  The rows in the middle are where the editors and the backup used to
// disagree; the last ones a translator's slip that must still filter.

#include "ui/Dialogs.h"

#include <gtest/gtest.h>

using namespace kqm52;

TEST(FileDialogFilter, LanguageFiltersBecomeTheDialogsForm) {
    const struct {
        const char* written;
        const char* shown;
    } rows[] = {
        // As the shipped language files write them.
        {"MX5x-parameterbestand (*.mxp)|*.mxp", "MX5x-parameterbestand (*.mxp)"},
        {"MX5x backup (*.bak)|*.bak", "MX5x backup (*.bak)"},
        {"Backup|*.bak|Alles|*.*", "Backup (*.bak);;Alles (*.*)"},
        {"Text|*.mxp;*.txt", "Text (*.mxp *.txt)"},
        // No pairs at all: a pattern or a filter already in the dialog's form.
        {"*.bak", "*.bak"},
        {"Text (*.mxs)", "Text (*.mxs)"},
        {"", ""},
        // Blanks around a description or its patterns.
        {" Setpoints |*.mxs", "Setpoints (*.mxs)"},
        {"Setpoints| *.mxs ", "Setpoints (*.mxs)"},
        {"Setpoints (*.mxs) | *.mxs", "Setpoints (*.mxs)"},
        {"Text|*.mxp ; *.txt", "Text (*.mxp *.txt)"},
        // A description whose brackets are not its patterns still filters by them.
        {"Parameters (MX52)|*.mxp", "Parameters (MX52) (*.mxp)"},
        {"Parameters (MX52) file|*.mxp", "Parameters (MX52) file (*.mxp)"},
        // Half a pair, a pair without patterns, one without words.
        {"Backup|*.bak|Alles", "Backup (*.bak)"},
        {"Backup||Alles|*.*", "Alles (*.*)"},
        {"|*.bak", "*.bak (*.bak)"},
        {"Backup|", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(fileDialogFilter(QString::fromUtf8(r.written)).toStdString(), r.shown)
            << r.written;
}
