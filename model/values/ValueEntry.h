#pragma once

// A value as a user types it, read the one way every window and kqm52ctl
// read it: the decimals, the limits and the option list of what is typed
// into are applied, and out comes the raw device integer or what is wrong
// with the text.  The judgement of a raw value against its limits (a file
// about to be sent) uses the same ranges, so a value refused as typed is the
// value refused in a file, and the other way round.

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace kqm52 {

class LanguageTexts;

// The setpoints share one range, in raw units.
inline constexpr qint32 SetpointMinimum = -9999999;
inline constexpr qint32 SetpointMaximum = 99999999;

struct ValueRange {
    int decimals = 0;
    qint32 minimum = 0;
    qint32 maximum = 0;
    bool allows(qint32 raw) const { return raw >= minimum && raw <= maximum; }
};

// Setpoints with the decimals parameter 203 gives them.
ValueRange setpointRange(int decimals);

struct ValueEntry {
    enum class Problem {
        None,
        NotANumber,    // letters, a point, two commas, more decimals than it has …
        TooManyDigits, // a number, but longer than a value can be
        OutsideLimits,
        NotAnOption, // neither an option's text nor its number
    };
    Problem problem = Problem::None;
    qint32 raw = 0;
    ValueRange range;
    QStringList options; // the option texts, when it has any
    bool ok() const { return problem == Problem::None; }
};

// A number with the range's decimals, as the editors show it: a comma, a
// leading minus; blanks around it do not count.  "12" and "12,5" with two
// decimals are 1200 and 1250.  A point is not a comma here: "1.250" means
// 1250 to some and 1,25 to others.
ValueEntry enterNumber(const QString& typed, const ValueRange& range);
// One of options (raw value = its place in the list): its text, in any
// case, or its number.
ValueEntry enterOption(const QString& typed, const QStringList& options, const ValueRange& range);

// What is wrong with an entry, in the user's language; label names what was
// typed into ("P008 Cam 2 start", "S07").  Empty for an entry that is ok.
QString entryProblemText(const LanguageTexts& texts, const ValueEntry& entry, const QString& label,
                         const QString& typed);

} // namespace kqm52
