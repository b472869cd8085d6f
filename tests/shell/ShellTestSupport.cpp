#include "ShellTestSupport.h"

#include <QFile>

namespace kqm52::test {

void ShellWorld::writeFile(const QString& name, const QString& text) const {
    QFile f(programDir() + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

QString ShellWorld::readFile(const QString& name) const {
    return QString::fromUtf8(readBytes(name));
}

QByteArray ShellWorld::readBytes(const QString& name) const {
    QFile f(programDir() + name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

TFormMain& ShellWorld::createWindow(const StartOptions& options) {
    program_.reset();
    program_ = std::make_unique<Program>(options, ProgramFolders::portable(programDir()), dialogs_);
    state_ = &program_->state();
    window_ = &program_->mainWindow();
    return *window_;
}

void ShellWorld::closeWindow() {
    window_->close();
}

} // namespace kqm52::test
