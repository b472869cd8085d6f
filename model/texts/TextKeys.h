#pragma once

// The language texts of every window, in one table: section and key in the
// language file (Taal0.ini .. Taal2.ini), the window's built-in text for a key
// the file lacks, and the controls the text labels.  The rows are written,
// with the language files, from one file a section in data/texts/ (format in
// data/texts/README.md) by data/tools/make_data.py.
//
// A window puts the texts with controls on itself through applyTexts()
// (ui/ApplyTexts.h) and reads the others (state captions, messages) through
// LanguageTexts::text() with a TextId{"Section", "Key"}, a TextIn<"Section">
// key or an index of a TextSeries (PanelTekst0, PanelTekst1, ...): each
// refuses to build for a section, key or index that is not in this table.  The
// data test (tests/data) holds the three language files against it and checks
// that both are what data/tools/make_data.py writes.
//
// Adding a window: add data/texts/<Section>.txt and its name to
// data/texts/ORDER, a record a key in the order the window reads them, with
// the objectName of each control in its controls field, the built-in text and
// the three translations; then run python3 data/tools/make_data.py.  Nothing
// else lists the keys.
//
// Sections and keys are spelled as the language files have always spelled
// them (misspellings too: "AparaatZoeken", "LabelFuncte", "LAbelHysteresis");
// lookups compare them without regard to case, so the setpoint printout's
// "EditSollWert" finds the setpoint editor's section "EditSollwert".

#include <QAnyStringView>

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace kqm52 {

enum class TextKind {
    // A caption, label or message: empty while no language file is loaded,
    // when the controls keep the texts they were built with.
    Text,
    // A text that must never go blank (a caption that follows a state, our own
    // advice after an error): the built-in text while no file is loaded.
    KeepsDefault,
    // The items of a combo box as list text (as the catalogue writes option
    // lists); count is the number of items the box needs.
    ItemList,
};

struct TextKey {
    const char* section;
    const char* key;
    const char* def; // the window's built-in text when the key is missing
    // The objectNames of the controls the text labels, separated by blanks:
    // a label, button, group box, menu or menu item, a tab page (its tab), a
    // combo box (its items) or the window itself (its caption).  Empty for a
    // text the window uses itself.
    const char* controls = "";
    TextKind kind = TextKind::Text;
    int count = 0;
};

// clang-format off
inline constexpr TextKey kTextTable[] = {
#include "model/texts/TextTable.inc"
};
// clang-format on

// The whole table, by window, keys in the order the window reads them.
constexpr std::span<const TextKey> textKeys() {
    return kTextTable;
}

namespace detail {

constexpr char lowerTextChar(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

constexpr bool sameTextName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerTextChar(a[i]) != lowerTextChar(b[i])) return false;
    return true;
}

// key is prefix followed by n in decimal ("PanelTekst" and 10: "PanelTekst10").
constexpr bool isNumberedName(std::string_view key, std::string_view prefix, int n) {
    if (n < 0 || key.size() <= prefix.size() || !sameTextName(key.substr(0, prefix.size()), prefix))
        return false;
    char digits[12] = {};
    int count = 0;
    do {
        digits[count++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    std::string_view rest = key.substr(prefix.size());
    if (rest.size() != std::size_t(count)) return false;
    for (int i = 0; i < count; ++i)
        if (rest[std::size_t(i)] != digits[count - 1 - i]) return false;
    return true;
}

consteval const TextKey* textKeyAt(std::string_view section, std::string_view key) {
    for (const TextKey& k : kTextTable)
        if (sameTextName(k.section, section) && sameTextName(k.key, key)) return &k;
    // Reached only for a name the table lacks: the build stops here.
    throw "no such section and key in the text table";
}

consteval const TextKey* numberedKeyAt(std::string_view section, std::string_view prefix, int n) {
    for (const TextKey& k : kTextTable)
        if (sameTextName(k.section, section) && isNumberedName(k.key, prefix, n)) return &k;
    throw "no such numbered text in the text table";
}

} // namespace detail

// A section or key name as a template argument: TextIn<"Grafiek">.
template <std::size_t N> struct TextName {
    char chars[N] = {};
    consteval TextName(const char (&name)[N]) {
        for (std::size_t i = 0; i < N; ++i)
            chars[i] = name[i];
    }
    constexpr std::string_view view() const { return {chars, N - 1}; }
};

// A row of the table named in code; a misspelt section or key does not build.
class TextId {
  public:
    consteval TextId(std::string_view section, std::string_view key)
        : key_(detail::textKeyAt(section, key)) {}
    const TextKey& operator*() const { return *key_; }
    const TextKey* operator->() const { return key_; }
    friend constexpr bool operator==(TextId a, TextId b) { return a.key_ == b.key_; }

  private:
    struct Numbered {};
    consteval TextId(Numbered, std::string_view section, std::string_view prefix, int n)
        : key_(detail::numberedKeyAt(section, prefix, n)) {}
    template <TextName, TextName, int> friend class TextSeries;
    constexpr explicit TextId(const TextKey* key) : key_(key) {}
    friend std::optional<TextId> textIdNamed(std::string_view section, std::string_view key);

    const TextKey* key_;
};

// A row named at run time, for a layer below the texts that can hold the
// names only as strings (the port families' words, link/PortFamily.h): none
// for a name the table lacks, which the data test rules out for those.
std::optional<TextId> textIdNamed(std::string_view section, std::string_view key);

// The keys of one section, for a window that reads many of them:
//     using Text = TextIn<"EditParam">;   language.text(Text{"OpenCaption"})
// A key the section lacks does not build.
template <TextName Section> class TextIn {
  public:
    consteval TextIn(const char* key) : id_(Section.view(), key) {}
    // consteval, so a named text folds to its row where it is written: clang
    // 14 fails to build a member call on such a temporary at run time.
    consteval operator TextId() const { return id_; }
    // For a key handed on as a parameter, no longer a constant there.
    constexpr TextId id() const { return id_; }

  private:
    TextId id_;
};

// A numbered series of keys in one section, Prefix0 .. Prefix(Count-1), as
// the windows' message panels number their texts:
//     using PanelTekst = TextSeries<"Grafiek", "PanelTekst", 5>;
//     language.text(PanelTekst{4})
// A series builds only when the table holds every one of its keys, and an
// index is a constant checked against Count: PanelTekst{5} does not build.
template <TextName Section, TextName Prefix, int Count> class TextSeries {
  public:
    static constexpr int count = Count;

    // Naming one text checks the whole series, whichever index is used.
    consteval TextSeries(int n) : id_((all(), at(n))) {}
    consteval operator TextId() const { return id_; }

    // Every key of the series, in order, for a window that hands them on.
    static consteval std::array<TextId, Count> all() {
        return allOf(std::make_index_sequence<Count>());
    }

  private:
    // A member template rather than a lambda: clang 14 does not see the
    // lambda's pack as constant and refuses the consteval call inside it.
    template <std::size_t... I>
    static consteval std::array<TextId, Count> allOf(std::index_sequence<I...>) {
        return {at(int(I))...};
    }
    static consteval TextId at(int n) {
        if (n < 0 || n >= Count) throw "index beyond the text series";
        return TextId(TextId::Numbered{}, Section.view(), Prefix.view(), n);
    }
    TextId id_;
};

// The one of ids whose key is key (case-insensitive), or nullptr: for a key
// chosen at run time by a file reader, matched only against texts the table
// is known to hold.
const TextId* textAmong(std::span<const TextId> ids, QAnyStringView key);

} // namespace kqm52
