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

    // OK with item `selected` chosen.  The language file is loaded again
    // only when the number changed; the main window's texts and the
    // parameter definitions, whose names depend on the language, are
    // renewed every time.  selected < 0 (nothing chosen) keeps the language.
    void CmdOKClick(int selected);

  private:
    ProgramState& state_;
    std::function<void()> applyTexts_;
    int languageAtActivation_ = 0;
};

} // namespace kqm52
