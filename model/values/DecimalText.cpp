#include "model/values/DecimalText.h"

#include <cstdlib>

namespace kqm52 {

QString formatDecimal(int decimals, qint64 value) {
    if (decimals < 1 || decimals > MaxDecimals) return QString::number(value);
    // Unsigned, so the magnitude of the most negative value fits.
    const quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    QString digits = QString::number(magnitude);
    if (digits.size() < decimals + 1)
        digits.prepend(QString(decimals + 1 - digits.size(), QLatin1Char('0')));
    digits.insert(digits.size() - decimals, QLatin1Char(','));
    if (value < 0) digits.prepend(QLatin1Char('-'));
    return digits;
}

qint32 DecStrToInt(const QString& text, int decimals, bool negativeAllowed, qint32 minimum,
                   qint32 maximum) {
    constexpr QChar comma = u',';
    constexpr QChar minus = u'-';
    // At most nine characters are read, so no text can overflow 32 bits.
    constexpr qsizetype maxChars = 9;

    if (text.isEmpty() || text == comma || text == minus) return DecStrMalformed;
    bool anyDigit = false;
    for (const QChar c : text) {
        const bool digit = c >= u'0' && c <= u'9';
        if (!digit && c != comma && c != minus) return DecStrMalformed;
        anyDigit = anyDigit || digit;
    }
    // "-," would otherwise read as 0.
    if (!anyDigit) return DecStrMalformed;

    const qsizetype commas = text.count(comma);
    const qsizetype commaAt = text.indexOf(comma);
    if (decimals == 0) {
        if (commas > 0) return DecStrMalformed;
    } else if (commas > 1 || (commas == 1 && text.size() - commaAt - 1 > decimals)) {
        return DecStrMalformed;
    }

    QString number = text;
    if (decimals > 0) {
        if (commas == 0) number += comma;
        const qsizetype have = number.size() - number.indexOf(comma) - 1;
        // Padding that would pass nine characters fails below anyway; don't
        // build a huge string for an absurd number of decimals first.
        if (number.size() - 1 + (decimals - have) > maxChars) return DecStrMalformed;
        number += QString(decimals - have, QLatin1Char('0'));
    }

    const qsizetype minuses = number.count(minus);
    if (minuses > 0) {
        if (!negativeAllowed || minuses > 1 || !number.startsWith(minus)) return DecStrMalformed;
    }

    number.remove(comma);
    if (number.size() > maxChars) return DecStrMalformed;
    bool ok = false;
    const qint32 value = number.toInt(&ok, 10);
    if (!ok) return DecStrMalformed;
    if (value < minimum || value > maximum) return DecStrOutOfRange;
    return value;
}

} // namespace kqm52
