#pragma once

// The service window without its widgets: one parameter, the one the editor
// selected, checked as typed and on OK, stored in the table, and written to
// the unit on its own ("wp") or taken over by the unit ("bp").

#include "link/HandlerBinding.h"
#include "link/RQ500Protocol.h"

#include <QString>
#include <QStringList>

#include <array>

namespace kqm52 {

class ProgramState;
class TextId;
class TZRComm;

// How a typed key changes the entry field.
struct EntryRules {
    int decimals = 0;
    qint32 minimum = 0;
    int integerDigits = 0; // digits before the comma the limits allow
};

struct KeyOutcome {
    bool accepted = false; // the key goes into the field as `key`
    QChar key;
    // Instead of the key: the field's new text and caret ("-" typed behind
    // the digits puts the sign in front).
    bool replaced = false;
    QString text;
    int caret = 0;
};

// Backspace is QChar(8).  caret: where the key goes, the start of the
// selection when text is selected; an accepted key replaces the selection.
KeyOutcome filterEntryKey(const EntryRules& rules, QChar key, const QString& text, int caret,
                          int selectionLength);

// The larger integer part of the two limit texts, sign not counted.
int integerDigitsOf(const QString& minimumText, const QString& maximumText, int decimals);

class ParamServiceView {
  public:
    virtual ~ParamServiceView() = default;
    // The status line; empty text clears it.
    virtual void showPanel(const QString& text, bool red) = 0;
    // The five buttons, off while a request is out.
    virtual void setButtonsEnabled(bool enabled) = 0;
    virtual void focusEntry() = 0;
};

class ParamServiceLogic {
  public:
    static constexpr int WriteTimeoutMs = 500;
    static constexpr int LoadTimeoutMs = 2000;
    static constexpr int ReplyBufferSize = 100;
    // Characters of an unusable reply the panel quotes.
    static constexpr int UnusableQuoted = 12;
    static constexpr int MaxDigits = 8;
    static constexpr int PanelTextCount = 11;

    ParamServiceLogic(ProgramState& state, TZRComm& port, ParamServiceView& view);
    ~ParamServiceLogic();
    ParamServiceLogic(const ParamServiceLogic&) = delete;
    ParamServiceLogic& operator=(const ParamServiceLogic&) = delete;

    // What the window shows after activation.
    struct Setup {
        QString title;
        QString minimumText, maximumText, defaultText;
        bool optionList = false;
        QStringList items;  // "0 - label", "1 - label", …
        int itemIndex = -1; // the table value's item
        QString entryText;  // the value text, for a number
        bool transferEnabled = false;
    };

    void FormActivate(bool portOpen);
    const Setup& setup() const { return setup_; }
    const EntryRules& rules() const { return rules_; }
    int parameter() const { return parameter_; }

    KeyOutcome MaskEditParDataKeyPress(QChar key, const QString& text, int caret,
                                       int selectionLength) const {
        return filterEntryKey(rules_, key, text, caret, selectionLength);
    }

    // Checks the entry (the field's text, or the list's index) and stores it.
    // False, with the reason on the panel, when it was not stored.
    bool TestIngave(const QString& entryText, int itemIndex);
    // True when the window may close.
    bool CmdOKClick(const QString& entryText, int itemIndex);
    void CmdZendenClick(const QString& entryText, int itemIndex);
    void CmdBerParClick();
    // What Default puts in the field, or the item it selects.
    QString defaultEntry() const { return setup_.defaultText; }
    int defaultItem() const;

    bool busy() const { return busy_; }
    // The status line as it stands.
    const QString& panelText() const { return panelText_; }
    bool panelRed() const { return panelRed_; }

    TRQ500Protocol RQ500ZendServiceParameter;
    TRQ500Protocol RQ500ServiceBerPar;
    HandlerBinding handlers_;

    void RQ500ZendServiceParameterCommResult(const QByteArray& reply);
    void RQ500ServiceBerParCommResult(const QByteArray& reply);
    void RQ500ZendServiceParameterCommError(const TCommError& error);

  private:
    QString text(TextId id) const;
    void show(const QString& text, bool red);
    void EnableButtons();
    void send(TRQ500Protocol& component, const QString& request);

    ProgramState& state_;
    ParamServiceView& view_;
    Setup setup_;
    EntryRules rules_;
    int parameter_ = -1;
    qint32 valueAtActivation_ = 0;
    bool busy_ = false;
    QString panelText_;
    bool panelRed_ = false;
};

} // namespace kqm52
