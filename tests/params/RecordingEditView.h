#pragma once

// The parameter editor's window for logic tests: the caption it would show.
// The editor's boxes go to the ScriptedDialogs the test hands the logic.

#include "params/EditParamLogic.h"

namespace kqm52::test {

class RecordingEditView : public EditParamView {
  public:
    void setCaption(const QString& c) override { caption = c; }
    QString caption;
};

} // namespace kqm52::test
