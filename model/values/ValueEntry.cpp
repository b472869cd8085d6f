#include "model/values/ValueEntry.h"

#include "model/texts/LanguageTexts.h"
#include "model/texts/TextKeys.h"
#include "model/values/DecimalText.h"

#include <limits>

namespace kqm52 {

namespace {

using Text = TextIn<"Ingave">;

// A minus first, digits, and at most one comma followed by no more digits
// than there are decimals: a number, however long.
bool numberShaped(const QString& t, int decimals) {
    qsizetype i = t.startsWith(QLatin1Char('-')) ? 1 : 0;
    bool digit = false;
    qsizetype comma = -1;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c >= u'0' && c <= u'9') {
            digit = true;
        } else if (c == u',' && comma < 0 && decimals > 0) {
            comma = i;
        } else {
            return false;
        }
    }
    return digit && (comma < 0 || t.size() - comma - 1 <= decimals);
}

} // namespace

ValueRange setpointRange(int decimals) {
    return {decimals, SetpointMinimum, SetpointMaximum};
}

ValueEntry enterNumber(const QString& typed, const ValueRange& range) {
    ValueEntry e;
    e.range = range;
    const QString t = typed.trimmed();
    // A minus the range does not allow is a value below its limits, which
    // says more than "not a number".
    const qint32 raw = DecStrToInt(t, range.decimals, true, range.minimum, range.maximum);
    if (raw == DecStrOutOfRange)
        e.problem = ValueEntry::Problem::OutsideLimits;
    else if (raw == DecStrMalformed)
        e.problem = numberShaped(t, range.decimals) ? ValueEntry::Problem::TooManyDigits
                                                    : ValueEntry::Problem::NotANumber;
    else
        e.raw = raw;
    return e;
}

ValueEntry enterOption(const QString& typed, const QStringList& options, const ValueRange& range) {
    if (options.isEmpty()) return enterNumber(typed, range);
    ValueEntry e;
    e.range = range;
    e.options = options;
    const QString t = typed.trimmed();
    qsizetype index = -1;
    for (qsizetype i = 0; i < options.size() && index < 0; ++i)
        if (t.compare(options.at(i).trimmed(), Qt::CaseInsensitive) == 0) index = i;
    if (index < 0) {
        const qint32 n = DecStrToInt(t, 0, true, 0, qint32(options.size()) - 1);
        if (n >= DecStrMalformed) {
            e.problem = ValueEntry::Problem::NotAnOption;
            return e;
        }
        index = n;
    }
    e.raw = qint32(index);
    if (!range.allows(e.raw)) e.problem = ValueEntry::Problem::OutsideLimits;
    return e;
}

QString entryProblemText(const LanguageTexts& texts, const ValueEntry& entry, const QString& label,
                         const QString& typed) {
    const int d = entry.range.decimals;
    switch (entry.problem) {
    case ValueEntry::Problem::None:
        return {};
    case ValueEntry::Problem::NotANumber:
        return texts.text(Text{"NotAValue"}).arg(label, typed).arg(d).arg(formatDecimal(d, 1250));
    case ValueEntry::Problem::TooManyDigits:
        return texts.text(Text{"TooManyDigits"}).arg(label, typed);
    case ValueEntry::Problem::OutsideLimits:
        return texts.text(Text{"OutsideLimits"})
            .arg(label, typed, formatDecimal(d, entry.range.minimum),
                 formatDecimal(d, entry.range.maximum));
    case ValueEntry::Problem::NotAnOption: {
        QStringList listed;
        for (qsizetype i = 0; i < entry.options.size(); ++i)
            listed << QStringLiteral("%1 %2").arg(i).arg(entry.options.at(i).trimmed());
        return texts.text(Text{"NotAnOption"}).arg(label, typed, listed.join(QStringLiteral(", ")));
    }
    }
    return {};
}

} // namespace kqm52
