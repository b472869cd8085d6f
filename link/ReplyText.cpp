#include "link/ReplyText.h"

namespace kqm52 {

QByteArray replyInBuffer(const QByteArray& reply, int bufferSize) {
    return reply.left(bufferSize);
}

bool replyFits(const QByteArray& reply, int bufferSize) {
    return reply.size() <= bufferSize;
}

QString replyStart(const QByteArray& reply, int length) {
    QByteArray text = reply;
    while (text.endsWith('\r') || text.endsWith('\n'))
        text.chop(1);
    if (text.size() <= length) return QString::fromLatin1(text);
    return QString::fromLatin1(text.left(length)) + QChar(0x2026);
}

QString replyHead(const QByteArray& reply, int bufferSize, int length) {
    return QString::fromLatin1(replyInBuffer(reply, bufferSize).left(length));
}

} // namespace kqm52
