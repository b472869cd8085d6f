#include "link/ReplyText.h"

#include <limits>

namespace kqm52 {

QByteArray replyInBuffer(const QByteArray& reply, int bufferSize) {
    return reply.left(bufferSize);
}

bool replyFits(const QByteArray& reply, int bufferSize) {
    return reply.size() <= bufferSize;
}

QString replyText(const QByteArray& reply, int bufferSize) {
    const QByteArray held = replyInBuffer(reply, bufferSize);
    if (held.size() <= 5) return {};
    return QString::fromLatin1(held.mid(3, held.size() - 5));
}

QString replyStart(const QByteArray& reply, int length) {
    QByteArray text = reply;
    while (text.endsWith('\r') || text.endsWith('\n'))
        text.chop(1);
    if (text.size() <= length) return QString::fromLatin1(text);
    return QString::fromLatin1(text.left(length)) + QChar(0x2026);
}

std::optional<qint32> parseDeviceInteger(const QString& text) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(v);
}

} // namespace kqm52
