#include "ui/MainTexts.h"

#include "ui/LanguageTexts.h"

namespace kqm52 {

const std::vector<MainTexts::Entry>& MainTexts::table() {
    using M = MainTexts;
    static const std::vector<Entry> entries = {
        {"GroepIngangen", "Ingangen", &M::GroepIngangen, false},
        {"GroepUitgangen", "Uitgangen", &M::GroepUitgangen, false},
        {"Groep_ANA_IN", "Analoog in", &M::Groep_ANA_IN, false},
        {"Groep_ANA_UIT", "Analoog uit", &M::Groep_ANA_UIT, false},
        {"GroepActual", "Actual", &M::GroepActual, false},
        {"GroepDuimwiel", "DW", &M::GroepDuimwiel, false},
        {"LabelActualPositie", "Positie:", &M::LabelActualPositie, false},
        {"LabelActualSnelheid", "Snelheid:", &M::LabelActualSnelheid, false},
        {"LabelActualSpanning", "Spanning:", &M::LabelActualSpanning, false},
        {"LabelActualStroom", "Stroom:", &M::LabelActualStroom, false},
        {"CmdIO_ON", "I/O ON", &M::CmdIO_ON, true},
        {"CmdIO_OFF", "I/O OFF", &M::CmdIO_OFF, true},
        {"CmdActual_ON", "Actual ON", &M::CmdActual_ON, true},
        {"CmdActual_OFF", "Actual OFF", &M::CmdActual_OFF, true},
        {"CmdComOpen", "Open", &M::CmdComOpen, true},
        {"CmdComClose", "Close", &M::CmdComClose, true},
        {"CmdTerminalZenden", "Zenden", &M::CmdTerminalZenden, false},
        {"CmdResetError", "Res error", &M::CmdResetError, false},
        {"CmdDuimwiel_ON", "DW ON", &M::CmdDuimwiel_ON, true},
        {"CmdDuimwiel_OFF", "DW OFF", &M::CmdDuimwiel_OFF, true},
        {"PanelTekst0", "tekst 0", &M::PanelTekst0, false},
        {"PanelTekst1", "tekst 1", &M::PanelTekst1, false},
        {"menuBestand", "Bestand", &M::menuBestand, false},
        {"subAfsluiten", "Afsluiten", &M::subAfsluiten, false},
        {"menuEdit", "Edit", &M::menuEdit, false},
        {"subParameters", "Parameters", &M::subParameters, false},
        {"subSollwerten", "Sollwerten", &M::subSollwerten, false},
        {"menuInstellingen", "Instellingen", &M::menuInstellingen, false},
        {"subInitCom", "Init serieel", &M::subInitCom, false},
        {"subOpties", "Opties", &M::subOpties, false},
        {"menuCommunicatie", "Communicatie", &M::menuCommunicatie, false},
        {"subParSoll", "Parameters + Sollwerten ontvangen", &M::subParSoll, false},
        {"subBackup", "Backup", &M::subBackup, false},
        {"subRestore", "Restore", &M::subRestore, false},
        {"subZoeken", "App... zoeken", &M::subZoeken, false},
        {"menuVenster", "Venster", &M::menuVenster, false},
        {"subNokkenInfo", "Nok info", &M::subNokkenInfo, false},
        {"subGrafiek", "Grafiek", &M::subGrafiek, false},
        {"menuHelp", "Help", &M::menuHelp, false},
        {"subInfo", "Info", &M::subInfo, false},
        {"subErrorNummers", "Error nummers", &M::subErrorNummers, false},
        {"K0_HoldReset", "Hold/Reset", &M::K0_HoldReset, false},
        {"K0_RefFijn", "Ref fijn", &M::K0_RefFijn, false},
        {"K0_SSIJustage", "SSI Justage", &M::K0_SSIJustage, false},
        {"K0_Inactief", "Inactief", &M::K0_Inactief, false},
        {"Msg_waarschuwingCaption", "", &M::Msg_waarschuwingCaption, false},
        {"Msg_Melding_Geen_MX52", "", &M::Msg_Melding_Geen_MX52, false},
    };
    return entries;
}

MainTexts MainTexts::read(const LanguageTexts& language) {
    MainTexts t;
    const QString section = QStringLiteral("Main");
    for (const Entry& e : table()) {
        const QString builtIn = QString::fromUtf8(e.builtIn);
        if (language.LanguageLoaded())
            t.*(e.field) = language.text(section, QString::fromUtf8(e.key), builtIn);
        else if (e.isStateCaption)
            t.*(e.field) = builtIn;
    }
    return t;
}

} // namespace kqm52
