#pragma once

// The words for a send that stopped part-way, shared by the two editors and
// the restore: how far the unit got, in the language's words, so the user
// knows what it now holds.

#include "params/model/TableTransfer.h"
#include "ui/LanguageTexts.h"

namespace kqm52 {

// "Stopped at P123: the unit confirmed 123 of 448 values." (or the note that
// only "bp" is missing); empty for a complete send.
inline QString sendStopText(const LanguageTexts& language, const SendReport& report) {
    return report.stopText(language.text(TextId{"SchrijfParSoll", "StopNote"}),
                           language.text(TextId{"SchrijfParSoll", "StopNoteCompute"}));
}

// What to ask after the stop text: `partial` when the unit may hold a mix of
// old and new values; when every value arrived and only "bp" is missing, the
// mix is not there and the question says what sending again is for.
inline QString sendAgainQuestion(const LanguageTexts& language, const SendReport& report,
                                 const TextId& partial) {
    return report.confirmed == report.total
               ? language.text(TextId{"SchrijfParSoll", "MsgSendAgainCompute"})
               : language.text(partial);
}

} // namespace kqm52
