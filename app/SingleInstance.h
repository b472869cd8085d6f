#pragma once

// One running copy per user session.
//
// The first copy holds a lock file and listens on a local socket beside it.
// A second copy finds the lock taken, asks the first over the socket to
// restore or raise its window, waits for the answer and ends without
// creating a window or touching any file.  A lock left by a copy that died
// is taken over (QLockFile checks that its owner still runs).

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

class QWidget;

namespace kqm52 {

class LanguageTexts;

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Outcome {
        First,       // this copy runs; raiseRequested() will tell when to show itself
        OtherRaised, // another copy runs and has raised its window: end now
        OtherSilent, // another copy holds the lock but does not answer
        Failed,      // the lock or the socket could not be set up
    };

    // directory: where the lock and the socket live (default: the user's
    // runtime directory, so copies of different users never meet).
    explicit SingleInstance(QString directory = {}, QString name = QStringLiteral("kqm52"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    Outcome start(std::chrono::milliseconds answerTimeout = std::chrono::seconds(5));
    // Why start() did not give First, in the words of language: the
    // built-in ones while no language file is loaded.
    QString errorString(const LanguageTexts& language) const;
    QString lockPath() const;
    QString socketPath() const;

    // What the first copy does when asked: un-minimise, bring to front.
    static void restoreOrRaise(QWidget* window);

  signals:
    // A second copy asked to be shown the running window.
    void raiseRequested();

  private:
    void onConnection();

    QString directory_;
    QString name_;
    enum class Problem { None, NoListen, NoLock, Silent };
    Problem problem_ = Problem::None;
    QString reason_; // the system's, for NoListen
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

} // namespace kqm52
