#include "app/SingleInstance.h"

#include "model/texts/LanguageTexts.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

Q_LOGGING_CATEGORY(lcInstance, "kqm52.shell.instance", QtWarningMsg)

namespace kqm52 {

namespace {
const QByteArray RaiseRequest = "raise\n";
const QByteArray RaiseDone = "raised\n";
} // namespace

SingleInstance::SingleInstance(QString directory, QString name, QObject* parent)
    : QObject(parent), directory_(std::move(directory)), name_(std::move(name)) {
    if (directory_.isEmpty())
        directory_ = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory_.isEmpty()) directory_ = QDir::tempPath();
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
}

SingleInstance::~SingleInstance() {
    server_.close();
}

QString SingleInstance::errorString(const LanguageTexts& language) const {
    switch (problem_) {
    case Problem::None:
        break;
    case Problem::NoListen:
        return language.text(TextId{"Main", "MsgInstanceNoListen"}).arg(socketPath(), reason_);
    case Problem::NoLock:
        return language.text(TextId{"Main", "MsgInstanceNoLock"}).arg(lockPath());
    case Problem::Silent:
        return language.text(TextId{"Main", "MsgInstanceSilent"});
    }
    return {};
}

QString SingleInstance::lockPath() const {
    return QDir(directory_).filePath(name_ + QStringLiteral(".lock"));
}

QString SingleInstance::socketPath() const {
    return QDir(directory_).filePath(name_ + QStringLiteral(".socket"));
}

SingleInstance::Outcome SingleInstance::start(std::chrono::milliseconds answerTimeout) {
    auto lock = std::make_unique<QLockFile>(lockPath());
    // A running copy never turns stale by age; only a dead owner frees the lock.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        lock_ = std::move(lock);
        // We hold the lock, so a socket file still there is a dead copy's.
        QLocalServer::removeServer(socketPath());
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        if (!server_.listen(socketPath())) {
            problem_ = Problem::NoListen;
            reason_ = server_.errorString();
            lock_.reset();
            return Outcome::Failed;
        }
        qCInfo(lcInstance) << "first copy, listening on" << socketPath();
        return Outcome::First;
    }
    if (lock->error() != QLockFile::LockFailedError) {
        problem_ = Problem::NoLock;
        return Outcome::Failed;
    }

    // The first copy may hold the lock a moment before it listens: keep
    // trying until the deadline.
    QDeadlineTimer deadline(answerTimeout);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(RaiseRequest);
            socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())));
            QByteArray answer;
            while (!answer.contains('\n') && !deadline.hasExpired() &&
                   socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
                answer += socket.readAll();
            if (answer == RaiseDone) return Outcome::OtherRaised;
            break;
        }
        QThread::msleep(50);
    }
    problem_ = Problem::Silent;
    return Outcome::OtherSilent;
}

void SingleInstance::onConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) return;
            const QByteArray request = socket->readLine();
            if (request == RaiseRequest) {
                qCInfo(lcInstance) << "a second copy asked for the window";
                emit raiseRequested();
                socket->write(RaiseDone);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

void SingleInstance::restoreOrRaise(QWidget* window) {
    if (!window) return;
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace kqm52
