#pragma once

// How the main window reads a reply.  The device repeats the two-letter
// command and a blank before the value and ends the line with CR LF, so the
// text is what lies between.  Each reader copies the reply into a buffer of
// its own size first; a longer reply is cut to that buffer, never read past.

#include <QByteArray>
#include <QString>

#include <optional>

namespace kqm52 {

// The reply as its reader's buffer holds it: at most bufferSize bytes.
QByteArray replyInBuffer(const QByteArray& reply, int bufferSize);

// Whether the whole reply, line end included, fits its reader's buffer.  A
// reader that acts on a reply (a confirmation, a value it stores) takes one
// that does not fit as a bad reply: its cut-off first bytes can read like a
// real answer.
bool replyFits(const QByteArray& reply, int bufferSize);

// The reply text: the buffered reply without its first three bytes and its
// last two.  Five bytes or fewer give an empty text.
QString replyText(const QByteArray& reply, int bufferSize);

// The start of a reply as a message quotes it: its first `length`
// characters without the line end, "…" marking that more followed.
QString replyStart(const QByteArray& reply, int length);

// A signed 32-bit decimal integer, blanks around it allowed; nothing else.
std::optional<qint32> parseDeviceInteger(const QString& text);

} // namespace kqm52
