#pragma once

// LanguageChoice: what the options window shows and what its OK does,
// apart from the window.

#include <QString>
#include <QStringList>

#include <functional>

namespace kqm52 {

class ProgramState;

class LanguageChoice {
  public:
    static constexpr int LanguageCount = 3;

    struct View {
        QString caption, tabCaption, label, ok, cancel;
        QStringList items; // index = language number
        int selected = 0;
    };

    // applyTexts puts the (possibly new) language texts on the main window.
    LanguageChoice(ProgramState& state, std::function<void()> applyTexts);

    // On activation: the texts and the current language, which is
    // remembered to see whether OK changes it.
    View FormActivate();

    // What OK did.  A language whose file cannot be read is not taken up
    // at all: the number, every window's texts and Qt's own texts stay as
    // they were, the window stays open and problem says which file it is, in
    // the language still in force.
    struct Outcome {
        bool accepted = true;
        QString caption, problem;
        int selected = 0; // the item to show when the window stays open
    };

    // OK with item `selected` chosen.  Another language is loaded first and
    // switched to only when its file could be read; the main window's texts
    // and the parameter definitions, whose names depend on the language, are
    // renewed at every OK that goes through.  selected < 0 (nothing chosen)
    // keeps the language.
    Outcome CmdOKClick(int selected);

  private:
    ProgramState& state_;
    std::function<void()> applyTexts_;
    int languageAtActivation_ = 0;
};

} // namespace kqm52
