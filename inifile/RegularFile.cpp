#include "inifile/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kqm52 {

namespace {

const QString NotAFile = QStringLiteral("it is a pipe, a device or a socket, not a file");

} // namespace

QString notARegularFile(const QString& path) {
    const QFileInfo info(path); // follows a link to what it stands for
    if (!info.exists()) return QStringLiteral("there is no such file");
    if (info.isDir()) return QStringLiteral("it is a folder, not a file");
    if (!info.isFile()) return NotAFile;
    return {};
}

bool openRegularFile(QFile& file, const QString& path, QString* reason) {
    const auto fail = [reason](const QString& why) {
        if (reason) *reason = why;
        return false;
    };
    if (const QString why = notARegularFile(path); !why.isEmpty()) return fail(why);
#ifdef Q_OS_UNIX
    // What the name stands for may change between the look and the open, so
    // the open file is looked at once more; O_NONBLOCK keeps even that open
    // from waiting on a pipe.  On a regular file it changes nothing.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(NotAFile);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
#endif
    return true;
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, QString* reason) {
    QFile file;
    if (!openRegularFile(file, path, reason)) return std::nullopt;
    QByteArray bytes = maxBytes < 0 ? file.readAll() : file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        if (reason) *reason = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

} // namespace kqm52
