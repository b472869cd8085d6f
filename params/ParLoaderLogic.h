#pragma once

// The loader without its widgets: one "bp", and what the unit answered.
// Any answer to "bp" means the unit has looked at its parameters, so the
// editor's sent-but-not-loaded flag goes, whatever the answer says; a reply
// that is no answer to it (another command's words, longer than the reply
// buffer) is shown as unusable and leaves the flag.

#include "link/HandlerBinding.h"
#include "link/RQ500Protocol.h"

#include <QString>

namespace kqm52 {

class ProgramState;
class TextId;
class TZRComm;

class ParLoaderLogic {
  public:
    static constexpr int ReplyBufferSize = 100;
    // Characters of an unusable reply the panel quotes.
    static constexpr int UnusableQuoted = 12;
    static constexpr int PanelTextCount = 7;

    ParLoaderLogic(ProgramState& state, TZRComm& port);
    ~ParLoaderLogic();
    ParLoaderLogic(const ParLoaderLogic&) = delete;
    ParLoaderLogic& operator=(const ParLoaderLogic&) = delete;

    // Runs after every change of the panel.
    std::function<void()> onChanged;

    // Activation: the texts, then "bp".
    void FormActivate();
    const QString& panelText() const { return panelText_; }
    bool panelRed() const { return panelRed_; }
    bool waiting() const { return waiting_; }

    TRQ500Protocol RQ500ParLoader;
    HandlerBinding handlers_;
    void RQ500ParLoaderCommResult(const QByteArray& reply);
    void RQ500ParLoaderCommError(const TCommError& error);

  private:
    QString text(TextId id) const;
    void show(const QString& text, bool red);

    ProgramState& state_;
    QString panelText_;
    bool panelRed_ = false;
    bool waiting_ = false;
};

} // namespace kqm52
