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

using Kind = FileReadError::Kind;

QString FileReadError::english() const {
    switch (kind) {
    case Kind::None:
        break;
    case Kind::Missing:
        return QStringLiteral("there is no such file");
    case Kind::Folder:
        return QStringLiteral("it is a folder, not a file");
    case Kind::NotAFile:
        return QStringLiteral("it is a pipe, a device or a socket, not a file");
    case Kind::System:
        return system;
    }
    return {};
}

Kind notARegularFile(const QString& path) {
    const QFileInfo info(path); // follows a link to what it stands for
    if (!info.exists()) return Kind::Missing;
    if (info.isDir()) return Kind::Folder;
    if (!info.isFile()) return Kind::NotAFile;
    return Kind::None;
}

bool openRegularFile(QFile& file, const QString& path, FileReadError* error) {
    const auto fail = [error](Kind kind, const QString& system = {}) {
        if (error) *error = FileReadError{kind, system};
        return false;
    };
    const auto failed = [&](const QString& system) { return fail(Kind::System, system); };
    if (const Kind why = notARegularFile(path); why != Kind::None) return fail(why);
#ifdef Q_OS_UNIX
    // What the name stands for may change between the look and the open, so
    // the open file is looked at once more; O_NONBLOCK keeps even that open
    // from waiting on a pipe.  On a regular file it changes nothing.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return failed(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(Kind::NotAFile);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failed(file.errorString());
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) return failed(file.errorString());
#endif
    return true;
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes,
                                          FileReadError* error) {
    QFile file;
    if (!openRegularFile(file, path, error)) return std::nullopt;
    QByteArray bytes = maxBytes < 0 ? file.readAll() : file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = FileReadError{Kind::System, file.errorString()};
        return std::nullopt;
    }
    return bytes;
}

} // namespace kqm52
