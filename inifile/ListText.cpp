#include "inifile/ListText.h"

#include <algorithm>

namespace kqm52::ListText {

namespace {

constexpr QChar kQuote = u'"';
constexpr QChar kComma = u',';

bool isSpace(QChar c) {
    return c.unicode() <= 0x20;
}

} // namespace

QStringList read(QStringView text) {
    QStringList items;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isSpace(text[i]))
        ++i;
    while (i < n) {
        QString item;
        if (text[i] == kQuote) {
            ++i;
            // Whole stretches between quotes at a time: catalogues hold
            // thousands of quoted labels.
            while (i < n) {
                qsizetype quote = text.indexOf(kQuote, i);
                if (quote < 0) quote = n;
                item += text.mid(i, quote - i);
                i = quote;
                if (i == n) break;
                if (i + 1 < n && text[i + 1] == kQuote) {
                    item += kQuote;
                    i += 2;
                    continue;
                }
                ++i; // closing quote
                break;
            }
        } else {
            const qsizetype start = i;
            while (i < n && !isSpace(text[i]) && text[i] != kComma)
                ++i;
            item = text.mid(start, i - start).toString();
        }
        items.append(item);

        while (i < n && isSpace(text[i]))
            ++i;
        if (i < n && text[i] == kComma) {
            ++i;
            while (i < n && isSpace(text[i]))
                ++i;
            if (i == n) // a comma at the end closes an empty last item
                items.append(QString());
        }
    }
    return items;
}

QString write(const QStringList& items) {
    // A single empty item written bare would read back as no item at all.
    if (items.size() == 1 && items.front().isEmpty()) return QStringLiteral("\"\"");
    QString out;
    for (qsizetype k = 0; k < items.size(); ++k) {
        if (k > 0) out += kComma;
        const QString& item = items[k];
        const bool needsQuotes = std::any_of(item.cbegin(), item.cend(), [](QChar c) {
            return isSpace(c) || c == kComma || c == kQuote;
        });
        if (!needsQuotes) {
            out += item;
            continue;
        }
        QString quoted = item;
        quoted.replace(kQuote, QStringLiteral("\"\""));
        out += kQuote + quoted + kQuote;
    }
    return out;
}

} // namespace kqm52::ListText
