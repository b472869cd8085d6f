#include "dialogs/LanguageChoice.h"

#include "inifile/ListText.h"
#include "ui/ProgramState.h"

namespace kqm52 {

namespace {
const QString Section = QStringLiteral("Opties");
const QStringList BuiltInItems{QStringLiteral("NE"), QStringLiteral("EN"), QStringLiteral("D")};
} // namespace

LanguageChoice::LanguageChoice(ProgramState& state, std::function<void()> applyTexts)
    : state_(state), applyTexts_(std::move(applyTexts)) {}

LanguageChoice::View LanguageChoice::FormActivate() {
    const LanguageTexts& l = state_.language;
    // Without a language file text() gives the defaults, which are also
    // what the window was designed with.
    View v;
    v.caption = l.text(Section, QStringLiteral("Caption"), QStringLiteral("Instellingem"));
    v.tabCaption = l.text(Section, QStringLiteral("RegAlgemeen"), QStringLiteral("Algemeen"));
    v.label = l.text(Section, QStringLiteral("TaalLabel"), QStringLiteral("Error"));
    v.ok = l.text(Section, QStringLiteral("CmdOK"), QStringLiteral("OK"));
    v.cancel = l.text(Section, QStringLiteral("CmdCancel"), QStringLiteral("Cancel"));
    v.items = l.LanguageLoaded() ? ListText::read(l.text(Section, QStringLiteral("TaalItems"),
                                                         ListText::write(BuiltInItems)))
                                 : BuiltInItems;
    // A short list in a language file must not make a language unreachable.
    v.items = v.items.mid(0, LanguageCount);
    while (v.items.size() < LanguageCount)
        v.items << BuiltInItems.at(v.items.size());
    languageAtActivation_ = state_.settings.LanguageNo;
    v.selected = languageAtActivation_ >= 0 && languageAtActivation_ < LanguageCount
                     ? languageAtActivation_
                     : -1;
    return v;
}

void LanguageChoice::CmdOKClick(int selected) {
    if (selected >= 0 && selected < LanguageCount) state_.settings.LanguageNo = selected;
    ReadProblem problem;
    if (state_.settings.LanguageNo != languageAtActivation_) {
        state_.language.TekstFile_Lezen(state_.settings.ProgramDir, state_.settings.LanguageNo,
                                        &problem);
        state_.refused(problem);
    }
    if (applyTexts_) applyTexts_();
    state_.catalogue.ParameterDef_lezen(state_.settings.ProgramDir, &problem);
    state_.refused(problem);
}

} // namespace kqm52
