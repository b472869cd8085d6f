// One copy per session: the real program, started twice.
//
// Each test runs a copy of the program from a folder of its own (so nothing
// lands beside the build's program) with a runtime folder of its own (so a
// user's running copy is never disturbed).

#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace kqm52::test {
namespace {

class TwoCopiesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(programDir_.isValid());
        ASSERT_TRUE(runtimeDir_.isValid());
        program_ = programDir_.filePath("kqm52");
        ASSERT_TRUE(QFile::copy(QStringLiteral(KQM52_PROGRAM), program_));
    }

    void TearDown() override {
        for (auto& p : processes_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    QProcess& start(const QStringList& args = {}) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtimeDir_.path());
        env.insert("QT_LOGGING_RULES", "kqm52.shell.instance.info=true");
        p->setProcessEnvironment(env);
        p->start(program_, args);
        processes_.push_back(std::move(p));
        return *processes_.back();
    }

    // Waits until the process has written text to its error output.
    static bool waitForOutput(QProcess& p, const char* text, QByteArray& seen,
                              int timeoutMs = 10000) {
        QDeadlineTimer deadline(timeoutMs);
        QSignalSpy output(&p, &QProcess::readyReadStandardError);
        while (true) {
            seen += p.readAllStandardError();
            if (seen.contains(text)) return true;
            if (deadline.hasExpired() || p.state() == QProcess::NotRunning) return false;
            output.wait(int(deadline.remainingTime()));
        }
    }

    static bool waitForEnd(QProcess& p, int timeoutMs = 15000) {
        if (p.state() == QProcess::NotRunning) return true;
        QSignalSpy finished(&p, &QProcess::finished);
        return finished.wait(timeoutMs);
    }

    QTemporaryDir programDir_;
    QTemporaryDir runtimeDir_;
    QString program_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(TwoCopiesTest, TheSecondCopyRaisesTheFirstAndACopyThatDiedBlocksNothing) {
    QProcess& first = start();
    QByteArray firstOut;
    ASSERT_TRUE(waitForOutput(first, "listening", firstOut)) << firstOut.constData();

    QProcess& second = start({"fieldtrim"});
    ASSERT_TRUE(waitForEnd(second));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().constData();
    EXPECT_TRUE(waitForOutput(first, "a second copy asked for the window", firstOut))
        << firstOut.constData();
    EXPECT_EQ(first.state(), QProcess::Running);

    // Killed, the first copy leaves its lock and socket behind, and the
    // settings file as it was (here: none).
    first.kill();
    ASSERT_TRUE(waitForEnd(first));
    EXPECT_TRUE(QFile::exists(QDir(runtimeDir_.path()).filePath("kqm52.lock")));
    EXPECT_FALSE(QFile::exists(programDir_.filePath("application.ini")));
    QProcess& next = start();
    QByteArray nextOut;
    EXPECT_TRUE(waitForOutput(next, "listening", nextOut)) << nextOut.constData();
}

TEST_F(TwoCopiesTest, ACopyThatHoldsTheLockButDoesNotAnswerIsNotJoined) {
    // A lock held by a live process (this test) that does not listen.
    QLockFile lock(QDir(runtimeDir_.path()).filePath("kqm52.lock"));
    lock.setStaleLockTime(0);
    ASSERT_TRUE(lock.tryLock(0));
    QProcess& second = start();
    ASSERT_TRUE(waitForEnd(second));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("does not answer"));
    EXPECT_FALSE(QFile::exists(programDir_.filePath("application.ini")));
}

TEST(RestoreOrRaise, AMinimisedWindowIsRestored) {
    QWidget window;
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    SingleInstance::restoreOrRaise(&window);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace kqm52::test
