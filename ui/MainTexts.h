#pragma once

// The texts of the main window, section "Main" of the language file.

#include <QString>

#include <vector>

namespace kqm52 {

class LanguageTexts;

struct MainTexts {
    // Applied to the window when a language is loaded.
    QString GroepIngangen, GroepUitgangen, Groep_ANA_IN, Groep_ANA_UIT, GroepActual, GroepDuimwiel;
    QString LabelActualPositie, LabelActualSnelheid, LabelActualSpanning, LabelActualStroom;
    // Captions that change with a state.
    QString CmdIO_ON, CmdIO_OFF, CmdActual_ON, CmdActual_OFF, CmdComOpen, CmdComClose;
    QString CmdTerminalZenden, CmdResetError, CmdDuimwiel_ON, CmdDuimwiel_OFF;
    // Link messages.
    QString PanelTekst0, PanelTekst1;
    // Menus.
    QString menuBestand, subAfsluiten, menuEdit, subParameters, subSollwerten;
    QString menuInstellingen, subInitCom, subOpties;
    QString menuCommunicatie, subParSoll, subBackup, subRestore, subZoeken;
    QString menuVenster, subNokkenInfo, subGrafiek, menuHelp, subInfo, subErrorNummers;
    // Read by other routines of the main window.
    QString K0_HoldReset, K0_RefFijn, K0_SSIJustage, K0_Inactief;
    QString Msg_waarschuwingCaption, Msg_Melding_Geen_MX52;

    struct Entry {
        const char* key;
        const char* builtIn; // the default for a key the file lacks
        QString MainTexts::*field;
        // A caption on a button that changes with a state.  Without a language
        // file it shows the built-in text: an empty caption would leave the
        // user with a blank button.  Every other text is empty then.
        bool isStateCaption;
    };
    // Every key of section "Main", in reading order.
    static const std::vector<Entry>& table();

    // All texts as the program uses them: from the loaded language file
    // (built-in default for a missing key); without a file, the built-in
    // state captions and empty texts otherwise.
    static MainTexts read(const LanguageTexts& language);
};

} // namespace kqm52
