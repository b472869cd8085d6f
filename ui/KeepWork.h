#pragma once

// The one question both table editors ask before their table is replaced or
// left: Save, Discard or Cancel, asked only over work that is in no file and
// no unit and that the user has not already let go.

#include "model/texts/LanguageTexts.h"
#include "model/texts/TextKeys.h"
#include "ui/Dialogs.h"

namespace kqm52 {

// True when the caller may go on: nothing to ask, Discard, or Save and the
// file written (saveAs).  History is an EditHistory the caller has just
// committed its table to.
template <class History, class SaveAs>
bool askToKeepWork(History& history, Dialogs& dialogs, DialogOwner owner,
                   const LanguageTexts& language, TextId question, SaveAs&& saveAs) {
    if (!history.needsQuestion()) return true;
    switch (dialogs.saveDiscardCancel(owner,
                                      language.text(TextId{"Bewerken", "CaptionNietOpgeslagen"}),
                                      language.text(question))) {
    case Dialogs::Button::Save:
        return saveAs();
    case Dialogs::Button::Discard:
        history.dismiss();
        return true;
    default:
        return false;
    }
}

} // namespace kqm52
