#pragma once

// A reply as its reader holds it.  Each reader copies the reply into a buffer
// of its own size first; a longer reply is cut to that buffer, never read
// past.  What the reply says is read by unit::classifyReply.

#include <QByteArray>
#include <QString>

namespace kqm52 {

// The reply as its reader's buffer holds it: at most bufferSize bytes.
QByteArray replyInBuffer(const QByteArray& reply, int bufferSize);

// Whether the whole reply, line end included, fits its reader's buffer.  A
// reader that acts on a reply (a confirmation, a value it stores) takes one
// that does not fit as a bad reply: its cut-off first bytes can read like a
// real answer.
bool replyFits(const QByteArray& reply, int bufferSize);

// The start of a reply as a message quotes it: its first `length`
// characters without the line end, "…" marking that more followed.
QString replyStart(const QByteArray& reply, int length);

// The first `length` bytes of the reply as its reader's buffer holds it, as
// a panel quotes them ("er 7"), line end and all.
QString replyHead(const QByteArray& reply, int bufferSize, int length);

} // namespace kqm52
