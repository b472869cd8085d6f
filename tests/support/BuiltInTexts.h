#pragma once

// A language in which every text is its built-in default, as the text table
// holds it: a transfer's panels read "tekst 0", "tekst 1", ..., so a test can
// tell them apart, and the stop notes are the send window's own words.

#include "model/texts/LanguageTexts.h"

namespace kqm52::testsupport {

inline const LanguageTexts& builtInTexts() {
    static const LanguageTexts texts = [] {
        LanguageTexts t;
        t.loadFromText(QStringLiteral("[BuiltIn]\n"));
        return t;
    }();
    return texts;
}

} // namespace kqm52::testsupport
