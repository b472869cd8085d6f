#pragma once

// The words for a send that stopped part-way, shared by the two editors and
// the restore: how far the unit got, in the language's words, so the user
// knows what it now holds.

#include "model/engines/TableTransfer.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/LimitCheck.h"

#include <vector>

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

// After the unit refused a write: which value the unit refused, as the user reads it, and that
// sending the same values again would only be refused again.
inline QString refusedValueText(const LanguageTexts& language, const LimitFinding& refused) {
    return language.text(TextId{"SchrijfParSoll", "MsgRefused"})
        .arg(refused.label(), refused.value, refused.minimum, refused.maximum);
}

// The question before sending values the unit would refuse: what they are,
// listed, and whether to send anyway.  Empty when there are none.
inline QString outOfLimitsQuestion(const LanguageTexts& language,
                                   const std::vector<LimitFinding>& findings,
                                   const QString& lineBreak) {
    if (findings.empty()) return {};
    return language.text(TextId{"SchrijfParSoll", "MsgOutOfLimits"}) + lineBreak +
           LimitCheck::list(findings, language.text(TextId{"SchrijfParSoll", "MsgLimitLine"}),
                            language.text(TextId{"SchrijfParSoll", "MsgLimitMore"}), lineBreak) +
           lineBreak + language.text(TextId{"SchrijfParSoll", "MsgSendAnyway"});
}

} // namespace kqm52
