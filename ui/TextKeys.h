#pragma once

// TextKeys: every section and key that a window looks up in the language
// file (Taal0.ini .. Taal2.ini), with the window's built-in default for a key
// the file lacks.  This table is the source of truth: a window reads
// its texts by these keys, and the data test (tests/data) checks that each of
// them is present in all three language files, that the files hold no key
// that nobody reads, and that every item list has as many items as the combo
// box it fills needs.
//
// Sections and keys are spelled as the language files have always spelled
// them (misspellings too: "AparaatZoeken", "LabelFuncte", "LAbelHysteresis");
// lookups compare them without regard to case, so the setpoint printout's
// "EditSollWert" finds the setpoint editor's section "EditSollwert".

#include <QAnyStringView>

#include <span>

namespace kqm52 {

enum class TextKind {
    Text,     // one text: a caption, a label, a message or one line of a message
    ItemList, // the items of a combo box as list text (as the catalogue writes option lists)
};

struct TextKey {
    const char* section;
    const char* key;
    TextKind kind;
    int count;       // ItemList: the number of items the window needs; Text: 0
    const char* def; // the window's built-in text when the key is missing
};

// The whole table, by window, keys in the order the window reads them.
std::span<const TextKey> textKeys();

// The entry for section/key (case-insensitive), or nullptr.
const TextKey* findTextKey(QAnyStringView section, QAnyStringView key);

} // namespace kqm52
