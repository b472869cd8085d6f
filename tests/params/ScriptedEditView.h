#pragma once

// The parameter editor's boxes answered from a script, so a test reads what
// the user was asked and shown.

#include "params/EditParamLogic.h"
#include "ui/ScriptedDialogs.h"

namespace kqm52::test {

class ScriptedEditView : public EditParamView {
  public:
    explicit ScriptedEditView(ScriptedDialogs& d) : d_(d) {}
    void showError(const QString& c, const QString& t) override { d_.error(nullptr, c, t); }
    void showInformation(const QString& c, const QString& t) override {
        d_.information(nullptr, c, t);
    }
    bool askYes(const QString& c, const QString& t) override { return d_.confirm(nullptr, c, t); }
    QString askOpenFile(const QString& c, const QString& dir, const QString& f) override {
        return d_.openFileName(nullptr, c, dir, f);
    }
    QString askSaveFile(const QString& c, const QString& dir, const QString& f) override {
        return d_.saveFileName(nullptr, c, dir, f, QStringLiteral("mxp"));
    }
    void setCaption(const QString&) override {}

  private:
    ScriptedDialogs& d_;
};

} // namespace kqm52::test
