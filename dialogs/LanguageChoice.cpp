#include "dialogs/LanguageChoice.h"

#include "inifile/ListText.h"
#include "model/engines/DataFiles.h"
#include "model/engines/ProgramState.h"

#include <QDir>
#include <QFileInfo>

namespace kqm52 {

namespace {
using Text = TextIn<"Opties">;
const QStringList BuiltInItems{QStringLiteral("NE"), QStringLiteral("EN"), QStringLiteral("D")};
} // namespace

LanguageChoice::LanguageChoice(ProgramState& state, std::function<void()> applyTexts)
    : state_(state), applyTexts_(std::move(applyTexts)) {}

LanguageChoice::View LanguageChoice::FormActivate() {
    const LanguageTexts& l = state_.language;
    View v;
    v.caption = l.text(Text{"Caption"});
    v.tabCaption = l.text(Text{"RegAlgemeen"});
    v.label = l.text(Text{"TaalLabel"});
    v.ok = l.text(Text{"CmdOK"});
    v.cancel = l.text(Text{"CmdCancel"});
    v.items = l.LanguageLoaded() ? ListText::read(l.text(Text{"TaalItems"})) : BuiltInItems;
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

LanguageChoice::Outcome LanguageChoice::CmdOKClick(int selected) {
    ProgramSettings& settings = state_.settings;
    const int chosen = selected >= 0 && selected < LanguageCount ? selected : settings.LanguageNo;
    if (chosen != languageAtActivation_) {
        // The texts are loaded before anything else moves: half a switch
        // would leave buttons in one language and lamp labels, parameter
        // names and Qt's dialogs in another.
        const QString path = settings.folders.dataPath(LanguageTexts::fileName(chosen));
        const bool present = QFileInfo(path).isFile();
        ReadProblem problem;
        if (!present || !readLanguageFile(state_, chosen, &problem)) {
            const LanguageTexts& l = state_.language;
            Outcome o;
            o.accepted = false;
            o.caption = l.text(Text{"Caption"});
            if (problem.kind == ReadProblem::Kind::TooLarge)
                o.problem = l.text(TextId{"Main", "MsgBestandTeGroot"})
                                .arg(problem.path)
                                .arg(problem.limit / (1024 * 1024));
            else
                o.problem = l.text(present ? TextId{"Opties", "MsgLanguageUnreadable"}
                                           : TextId{"Opties", "MsgLanguageMissing"}) +
                            QStringLiteral("\n\r") + QDir::toNativeSeparators(path);
            o.problem += QStringLiteral("\n\r") + l.text(TextId{"Opties", "MsgLanguageKept"});
            o.selected = languageAtActivation_ >= 0 && languageAtActivation_ < LanguageCount
                             ? languageAtActivation_
                             : -1;
            return o;
        }
        settings.LanguageNo = chosen;
        state_.qtTexts.use(chosen);
    }
    if (applyTexts_) applyTexts_();
    readParameterDefinitions(state_);
    return {};
}

} // namespace kqm52
