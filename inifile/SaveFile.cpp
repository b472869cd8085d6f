#include "inifile/SaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace kqm52 {

bool saveFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    const auto fail = [&](const QString& reason) {
        if (error) *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    // Unbuffered: a write the disk takes only in part must show here.  With
    // a buffer it surfaces in commit()'s close, which Qt 6.4 does not check,
    // and the cut-off file replaces the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString());
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            // Qt hands back a short count without recording why; the next
            // write either goes on or fails at once with the reason.
            done += n;
            continue;
        }
        const int osError = errno;
        QString reason = file.error() != QFileDevice::NoError ? file.errorString() : QString();
        if (reason.isEmpty() && osError != 0)
            reason = QString::fromLocal8Bit(std::strerror(osError));
        if (reason.isEmpty())
            reason =
                QStringLiteral("only %1 of %2 bytes could be written").arg(done).arg(bytes.size());
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

bool canSaveFile(const QString& path, QString* error) {
    const auto fail = [&](const QString& reason) {
        if (error) *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    // A folder by that name would fail only at the end, when the written
    // file is put in its place.
    if (QFileInfo(path).isDir()) return fail(QString::fromLocal8Bit(std::strerror(EISDIR)));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString());
    file.cancelWriting();
    return true;
}

} // namespace kqm52
