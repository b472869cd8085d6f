#include "ui/TextKeys.h"

#include <QString>
#include <algorithm>

#include <array>

namespace kqm52 {

namespace {

constexpr TextKey T(const char* section, const char* key, const char* def) {
    return TextKey{section, key, TextKind::Text, 0, def};
}
constexpr TextKey L(const char* section, const char* key, int count, const char* def) {
    return TextKey{section, key, TextKind::ItemList, count, def};
}

// The main window.
constexpr auto kMain = std::to_array<TextKey>({
    T("Main", "GroepIngangen", "Ingangen"),
    T("Main", "GroepUitgangen", "Uitgangen"),
    T("Main", "Groep_ANA_IN", "Analoog in"),
    T("Main", "Groep_ANA_UIT", "Analoog uit"),
    T("Main", "GroepActual", "Actual"),
    T("Main", "GroepDuimwiel", "DW"),
    T("Main", "LabelActualPositie", "Positie:"),
    T("Main", "LabelActualSnelheid", "Snelheid:"),
    T("Main", "LabelActualSpanning", "Spanning:"),
    T("Main", "LabelActualStroom", "Stroom:"),
    T("Main", "CmdIO_ON", "I/O ON"),
    T("Main", "CmdIO_OFF", "I/O OFF"),
    T("Main", "CmdActual_ON", "Actual ON"),
    T("Main", "CmdActual_OFF", "Actual OFF"),
    T("Main", "CmdComOpen", "Open"),
    T("Main", "CmdComClose", "Close"),
    T("Main", "CmdTerminalZenden", "Zenden"),
    T("Main", "CmdResetError", "Res error"),
    T("Main", "CmdDuimwiel_ON", "DW ON"),
    T("Main", "CmdDuimwiel_OFF", "DW OFF"),
    T("Main", "PanelTekst0", "tekst 0"), // no reply from the unit
    T("Main", "PanelTekst1", "tekst 1"), // followed by " " SystemError ", " LineErrors
    T("Main", "menuBestand", "Bestand"),
    T("Main", "subAfsluiten", "Afsluiten"),
    T("Main", "menuEdit", "Edit"),
    T("Main", "subParameters", "Parameters"),
    T("Main", "subSollwerten", "Sollwerten"),
    T("Main", "menuInstellingen", "Instellingen"),
    T("Main", "subInitCom", "Init serieel"),
    T("Main", "subOpties", "Opties"),
    T("Main", "menuCommunicatie", "Communicatie"),
    T("Main", "subParSoll", "Parameters + Sollwerten ontvangen"),
    T("Main", "subBackup", "Backup"),
    T("Main", "subRestore", "Restore"),
    T("Main", "subZoeken", "App... zoeken"),
    T("Main", "menuVenster", "Venster"),
    T("Main", "subNokkenInfo", "Nok info"),
    T("Main", "subGrafiek", "Grafiek"),
    T("Main", "menuHelp", "Help"),
    T("Main", "subInfo", "Info"),
    T("Main", "subErrorNummers", "Error nummers"),
    T("Main", "K0_HoldReset", "Hold/Reset"),
    T("Main", "K0_RefFijn", "Ref fijn"),
    T("Main", "K0_SSIJustage", "SSI Justage"),
    T("Main", "K0_Inactief", "Inactief"),
    T("Main", "Msg_waarschuwingCaption", ""),
    T("Main", "Msg_Melding_Geen_MX52", ""),
});

// Backup and restore.
constexpr auto kBackupRestore = std::to_array<TextKey>({
    T("BackupRestore", "SaveCaption", ""),
    // The save dialog's default is "*.bak".
    T("BackupRestore", "OpenFilter", "ASCII Parameterbestand (*.bak)|*.bak"),
    T("BackupRestore", "OpenCaption", ""),
    T("BackupRestore", "OpenMsg2", ""),
    T("BackupRestore", "Msg_waarschuwingCaption", ""),
    T("BackupRestore", "Msg_waarschuwingRestore_1", ""), // followed by two blanks and the file name
    T("BackupRestore", "Msg_waarschuwingRestore_2", ""),
});

// About box and error number list.
constexpr auto kAbout = std::to_array<TextKey>({
    T("About", "Caption", "Info"),
    T("About", "Handelsmerk", "Handelsmerk"),
    T("About", "SoftwareVersie", "Software versie:"), // followed by " " and the version
    T("HelpErrorNummers", "Caption", "Error nummers"),
});

// Options dialog.
constexpr auto kOpties = std::to_array<TextKey>({
    T("Opties", "Caption", "Instellingem"),
    T("Opties", "RegAlgemeen", "Algemeen"),
    T("Opties", "TaalLabel", "Error"),
    L("Opties", "TaalItems", 3, "\"NE\",\"EN\",\"D\""), // index = language number
    T("Opties", "CmdOK", "OK"),
    T("Opties", "CmdCancel", "Cancel"),
});

// Serial initialisation; the item lists in the order of the port's enumerations.
constexpr auto kInitCom = std::to_array<TextKey>({
    T("InitCom", "Caption", "Seriele poort"),
    T("InitCom", "RegInterface", "Interface"),
    T("InitCom", "RegExtended", "Extended"),
    T("InitCom", "CmdOK", "OK"),
    T("InitCom", "CmdCancel", "OK"),
    T("InitCom", "PortLabel", "Poort"),
    T("InitCom", "IOLabel", "IO"),
    T("InitCom", "BaudLabel", "Baud"),
    T("InitCom", "DatabitLabel", "Bits"),
    T("InitCom", "ParityLabel", "Parity"),
    T("InitCom", "StopbitLabel", "stopbits"),
    T("InitCom", "HardwareLabel", "hardware"),
    T("InitCom", "PortTypeLabel", "Poorttype"),
    T("InitCom", "ReceiverLabel", "Receiver"),
    T("InitCom", "TransmitterLabel", "Transmitter"),
    T("InitCom", "DeviceLabel", "Device"), // the device a COM name leads to
    L("InitCom", "PortItems", 16, ""),       // TPort: COM1 .. COM16
    L("InitCom", "IOItems", 4, ""),          // TPortAddr
    L("InitCom", "BaudItems", 6, ""),        // TBaudrate from br9600: index = ordinal - 3
    L("InitCom", "DataBitItems", 2, ""),     // TDataBit
    L("InitCom", "ParityItems", 3, ""),      // TParityBit: None, Even, Odd
    L("InitCom", "StopbitItems", 2, ""),     // TStopBit
    L("InitCom", "HardwareItems", 4, ""),    // THardware
    L("InitCom", "PortTypeItems", 3, ""),    // TPortType
    L("InitCom", "ReceiverItems", 2, ""),    // TReceiveDriver
    L("InitCom", "TransmitterItems", 4, ""), // TTransmitDriver
});

// Device search.
constexpr auto kAparaatZoeken = std::to_array<TextKey>({
    T("AparaatZoeken", "Caption", "Zoeken..."),
    T("AparaatZoeken", "CmdOK", "OK"),
    T("AparaatZoeken", "CmdVerder", "Verder"),
    T("AparaatZoeken", "CmdStart", "Start"),
    T("AparaatZoeken", "CmdStop", "Stop"),
    T("AparaatZoeken", "CmdCancel", "Cancel"),
    T("AparaatZoeken", "LabelStartenMet", "Start met:"),
    T("AparaatZoeken", "KolomTekst0", "tekst 0"),
    T("AparaatZoeken", "KolomTekst1", "tekst 1"),
    T("AparaatZoeken", "KolomTekst2", "tekst 2"),
    T("AparaatZoeken", "KolomTekst3", "tekst 3"),
    T("AparaatZoeken", "KolomTekst4", "tekst 4"),
    T("AparaatZoeken", "GroepParity", "Parity"),
    T("AparaatZoeken", "GroepStopBits", "Stopbits"),
    T("AparaatZoeken", "RadioAlsCom", "COM"),
    T("AparaatZoeken", "RadioAutoSelect", "COM"),
    T("AparaatZoeken", "PanelTekst0", "Zoeken.."),
    T("AparaatZoeken", "PanelTekst1", "Gestopt!"),
    T("AparaatZoeken", "PanelTekst2", "beeindigd!"),
    T("AparaatZoeken", "PanelTekst3", "Apparaat gevonden!"),
});

// Parameter editor; its column headers also head the parameter printout.
constexpr auto kEditParam = std::to_array<TextKey>({
    T("EditParam", "Caption", "Edit param"),
    T("EditParam", "KolomTekst0", "tekst 0"),
    T("EditParam", "KolomTekst1", "tekst 1"),
    T("EditParam", "KolomTekst2", "tekst 2"),
    T("EditParam", "KolomTekst3", "tekst 3"),
    T("EditParam", "KolomTekst4", "tekst 4"),
    T("EditParam", "min", "min"),
    T("EditParam", "max", "max"),
    T("EditParam", "default", "default"),
    T("EditParam", "CmdClear", "Wissen"),
    T("EditParam", "menuBestand", "Bestand"),
    T("EditParam", "subOpenen", "Openen"),
    T("EditParam", "subOpslaanAls", "Opslaan als..."),
    T("EditParam", "subLaadDefault", "Laad default"),
    T("EditParam", "subAfdrukken", "Afdrukken"),
    T("EditParam", "subAfsluiten", "Afsluiten"),
    T("EditParam", "menuZendenOntvangen", "Zenden & ontvangen"),
    T("EditParam", "subParOntvangen", "Par ontvangen"),
    T("EditParam", "subParZenden", "Par zenden"),
    T("EditParam", "subLoader", "Loader"),
    T("EditParam", "menuVenster", "Venster"),
    T("EditParam", "subNokkenInfo", "Nokken info"),
    T("EditParam", "Msg_ErrorCaption", ""),
    T("EditParam", "Msg_InfoCaption", ""),
    T("EditParam", "msg_DefaultParGeladen", ""),
    T("EditParam", "msg_ErrorSetDefaultPar", ""),
    T("EditParam", "OpenCaption", ""),
    // The save dialog's default is "*.mxp".
    T("EditParam", "OpenFilter", "ASCII Parameterbestand (*.mxp)|*.mxp"),
    T("EditParam", "OpenMsg1", ""),
    T("EditParam", "OpenMsg2", ""),
    T("EditParam", "OpenMsg3", ""),
    T("EditParam", "OpenMsg4", ""),
    T("EditParam", "SaveCaption", ""),
    T("EditParam", "Msg_waarschuwingCaption", ""),
    T("EditParam", "ZendMsg_1", ""), // the six lines of the send question, joined by LF CR
    T("EditParam", "ZendMsg_2", ""),
    T("EditParam", "ZendMsg_3", ""),
    T("EditParam", "ZendMsg_4", ""),
    T("EditParam", "ZendMsg_5", ""),
    T("EditParam", "ZendMsg_6", ""),
    T("EditParam", "Msg_ParGezondenEnNietGeladen", ""),
});

// Receive window.
constexpr auto kLeesParSoll = std::to_array<TextKey>({
    T("LeesParSoll", "CaptionMode0", "Lees Param"), T("LeesParSoll", "CaptionMode1", "Lees Sollw"),
    T("LeesParSoll", "CaptionMode2", "Lees Param en sollw"),
    T("LeesParSoll", "CaptionMode3", "Lees Apparaat"), T("LeesParSoll", "CmdOK", "OK"),
    T("LeesParSoll", "CmdAgain", "Again"), T("LeesParSoll", "CmdCancel", "Cancel"),
    T("LeesParSoll", "PanelTekst0", "tekst 0"), // no reply in time
    T("LeesParSoll", "PanelTekst1", "tekst 1"), // line or system error
    T("LeesParSoll", "PanelTekst2", "tekst 2"), // reading a parameter, + " " + number
    T("LeesParSoll", "PanelTekst3", "tekst 3"), // parameters complete
    T("LeesParSoll", "PanelTekst4", "tekst 4"), // reading a setpoint, + " " + number
    T("LeesParSoll", "PanelTekst5", "tekst 5"), // setpoints complete
    T("LeesParSoll", "PanelTekst6", "tekst 6"), // parameters and setpoints complete
    T("LeesParSoll", "PanelTekst7", "tekst 7"), // bad reply, + " " + reply + "   P[nnn]"
});

// Send window.
constexpr auto kSchrijfParSoll = std::to_array<TextKey>({
    T("SchrijfParSoll", "CaptionMode0", "Schrijf Param"),
    T("SchrijfParSoll", "CaptionMode1", "Schrijf Sollw"),
    T("SchrijfParSoll", "CaptionMode2", "Schrijf Param en sollw"),
    T("SchrijfParSoll", "CaptionMode3", "Schrijf Apparaat"),
    T("SchrijfParSoll", "CmdOK", "OK"),
    T("SchrijfParSoll", "CmdAgain", "Again"),
    T("SchrijfParSoll", "CmdCancel", "Cancel"),
    T("SchrijfParSoll", "PanelTekst0", "tekst 0"),   // no reply in time
    T("SchrijfParSoll", "PanelTekst1", "tekst 1"),   // line or system error
    T("SchrijfParSoll", "PanelTekst2", "tekst 2"),   // writing a parameter, + " " + number
    T("SchrijfParSoll", "PanelTekst3", "tekst 3"),   // finished, mode 0
    T("SchrijfParSoll", "PanelTekst4", "tekst 4"),   // writing a setpoint, + " " + number
    T("SchrijfParSoll", "PanelTekst5", "tekst 5"),   // finished, mode 1
    T("SchrijfParSoll", "PanelTekst6", "tekst 6"),   // finished, mode 2
    T("SchrijfParSoll", "PanelTekst7", "tekst 7"),   // bad reply
    T("SchrijfParSoll", "PanelTekst8", "tekst 8"),   // finished, mode 3
    T("SchrijfParSoll", "PanelTekst9", "tekst 9"),   // after "(er 7) ": value refused
    T("SchrijfParSoll", "PanelTekst10", "tekst 10"), // before the "bp" answer
    T("SchrijfParSoll", "PanelTekst11", "tekst 11"), // after the "bp" answer
});

// Parameter loader.
constexpr auto kLoader = std::to_array<TextKey>({
    T("Loader", "Caption", "Loader"), T("Loader", "CmdOK", "OK"),
    T("Loader", "PanelTekst0", "tekst 0"), // no reply in time
    T("Loader", "PanelTekst1", "tekst 1"), // read, not shown
    T("Loader", "PanelTekst2", "tekst 2"), // line or system error
    T("Loader", "PanelTekst3", "tekst 3"), // read, not shown
    T("Loader", "PanelTekst4", "tekst 4"), // parameters computed
    T("Loader", "PanelTekst5", "tekst 5"), // before the "bp" answer
    T("Loader", "PanelTekst6", "tekst 6"), // after the "bp" answer
});

// Service parameter window.
constexpr auto kParamService = std::to_array<TextKey>({
    T("ParamService", "LabelMin", "min"),
    T("ParamService", "LabelMax", "max"),
    T("ParamService", "LabelDefault", "default"),
    T("ParamService", "LabelParData", "default"),
    T("ParamService", "CmdOK", "OK"),
    T("ParamService", "CmdDefault", "Default"),
    T("ParamService", "CmdZenden", "Zenden"),
    T("ParamService", "CmdCancel", "annuleren"),
    T("ParamService", "PanelTekst0", "tekst 0"),   // time-out
    T("ParamService", "PanelTekst1", "tekst 1"),   // sending a parameter
    T("ParamService", "PanelTekst2", "tekst 2"),   // value outside minimum..maximum
    T("ParamService", "PanelTekst3", "tekst 3"),   // too many digits
    T("ParamService", "PanelTekst4", "tekst 4"),   // parameter written
    T("ParamService", "PanelTekst5", "tekst 5"),   // other link error
    T("ParamService", "PanelTekst6", "tekst 6"),   // after "(er 7) ": value refused
    T("ParamService", "PanelTekst7", "tekst 7"),   // after the "bp" answer
    T("ParamService", "PanelTekst8", "tekst 8"),   // before the "bp" answer
    T("ParamService", "PanelTekst9", "tekst 9"),   // loading parameters
    T("ParamService", "PanelTekst10", "tekst 10"), // parameters loaded
});

// Printouts, and the questions before printing unloaded values.
constexpr auto kAfdrukken = std::to_array<TextKey>({
    T("Afdrukken", "CaptionPar", "Afdrukken param"),
    T("Afdrukken", "CaptionSoll", "Afdrukken Soll"),
    T("Afdrukken", "LabelFirma", "Firma"),
    T("Afdrukken", "LabelType", "Type"),
    T("Afdrukken", "LabelSn", "Serie nr"),
    T("Afdrukken", "CmdOK", "OK"),
    T("Afdrukken", "CmdCancel", "Annuleren"),
    T("Afdrukken", "TekstPagina", "P"),
    T("Afdrukken", "NaamSoll", "Solwerten"),
    T("Afdrukken", "Msg_waarschuwingCaption", ""),
    T("Afdrukken", "AfdrukMsg_1", ""), // the six lines of the parameter print question
    T("Afdrukken", "AfdrukMsg_2", ""),
    T("Afdrukken", "AfdrukMsg_3", ""),
    T("Afdrukken", "AfdrukMsg_4", ""),
    T("Afdrukken", "AfdrukMsg_5", ""),
    T("Afdrukken", "AfdrukMsg_6", ""),
    T("Afdrukken", "AfdrukMsg_10", ""), // the five lines of the setpoint print question
    T("Afdrukken", "AfdrukMsg_20", ""),
    T("Afdrukken", "AfdrukMsg_30", ""),
    T("Afdrukken", "AfdrukMsg_40", ""),
    T("Afdrukken", "AfdrukMsg_50", ""),
});

// Setpoint editor; the setpoint printout reads its column headers as "EditSollWert".
constexpr auto kEditSollwert = std::to_array<TextKey>({
    T("EditSollwert", "Caption", "Edit Sollw"),
    T("EditSollwert", "Kolomtekst_no", "No"),     // the setpoint printout: "tekst 0"
    T("EditSollwert", "Kolomtekst_waarde", "No"), // the setpoint printout: "tekst 1"
    T("EditSollwert", "menuBestand", "Bestand"),
    T("EditSollwert", "subOpenen", "Openen"),
    T("EditSollwert", "subOpslaanAls", "Opslaan als..."),
    T("EditSollwert", "subAfdrukken", "Afdruk"),
    T("EditSollwert", "subAfsluiten", "Afsluiten"),
    T("EditSollwert", "menuZendenOntvangen", "Zenden & ontvangen"),
    T("EditSollwert", "subParOntvangen", "Par ontvangen"),
    T("EditSollwert", "subParZenden", "Par zenden"),
    T("EditSollwert", "Msg_SollwertOngeldig", "Ingane ongeldig!"),
    T("EditSollwert", "SaveCaption", ""),
    T("EditSollwert", "OpenCaption", ""),
    // The save dialog's default is "*.mxp".
    T("EditSollwert", "OpenFilter", "ASCII Parameterbestand (*.mxp)|*.mxp"),
    T("EditSollwert", "Msg_ErrorCaption", ""),
    T("EditSollwert", "OpenMsg1", ""),
    T("EditSollwert", "OpenMsg2", ""),
    T("EditSollwert", "OpenMsg3", ""),
    T("EditSollwert", "OpenMsg4", ""),
    T("EditSollwert", "Msg_waarschuwingCaption", ""),
    T("EditSollwert", "ZendMsg_10", ""), // the five lines of the send question
    T("EditSollwert", "ZendMsg_20", ""),
    T("EditSollwert", "ZendMsg_30", ""),
    T("EditSollwert", "ZendMsg_40", ""),
    T("EditSollwert", "ZendMsg_50", ""),
});

// Cam display.
constexpr auto kDisplayNokken = std::to_array<TextKey>({
    T("DisplayNokken", "Caption", "Display nokken"),
    T("DisplayNokken", "RijTekst", "Uitg"), // row label: RijTekst + "-" + output number
    T("DisplayNokken", "LabelNokNo", "Nok"),
    T("DisplayNokken", "LabelFuncte", "Functie"),
    T("DisplayNokken", "LabelBron", "Bron"),
    T("DisplayNokken", "LabelAanvang", "Aanvang"),
    T("DisplayNokken", "LabelEinde", "Einde"),
    T("DisplayNokken", "LAbelHysteresis", "Hysteresis"),
    T("DisplayNokken", "LabelVervroeging", "Vervroeging"),
});

// Log graph.
constexpr auto kGrafiek = std::to_array<TextKey>({
    T("Grafiek", "CaptionGrafiek", "Istwerten"), T("Grafiek", "LabelBuffer", "Buffer"),
    T("Grafiek", "LabelAutoscroll", "Autoscroll"), T("Grafiek", "LabelHulplijnenXas", "Hulplijn"),
    T("Grafiek", "LabelHulplijnenYas", "Hulplijn"), T("Grafiek", "CmdStartLog", "Start"),
    T("Grafiek", "CmdStopLog", "Stop"), T("Grafiek", "GroepXas", "X"),
    T("Grafiek", "GroepYas", "Y"), T("Grafiek", "LabelBron", "Bron"),
    // Sources by index: r0 .. r5 (position, velocity, analog out U and I,
    // analog in U and I).
    L("Grafiek", "optiesBron", 6, ""), T("Grafiek", "PanelTekst0", "tekst 0"), // time-out
    T("Grafiek", "PanelTekst1", "tekst 1"),                                    // other link error
    T("Grafiek", "PanelTekst2", "tekst 2"),                                    // logging started
    T("Grafiek", "PanelTekst3", "tekst 3"),                                    // logging stopped
    T("Grafiek", "PanelTekst4", "tekst 4"),                                    // buffer full
});

template <std::size_t... N> constexpr auto join(const std::array<TextKey, N>&... parts) {
    std::array<TextKey, (N + ...)> all{};
    std::size_t i = 0;
    ((std::copy(parts.begin(), parts.end(), all.begin() + i), i += parts.size()), ...);
    return all;
}

constexpr auto kAll = join(kMain, kBackupRestore, kAbout, kOpties, kInitCom, kAparaatZoeken,
                           kEditParam, kLeesParSoll, kSchrijfParSoll, kLoader, kParamService,
                           kAfdrukken, kEditSollwert, kDisplayNokken, kGrafiek);

} // namespace

std::span<const TextKey> textKeys() {
    return kAll;
}

const TextKey* findTextKey(QAnyStringView section, QAnyStringView key) {
    for (const TextKey& entry : kAll) {
        if (QAnyStringView::compare(section, QLatin1String(entry.section), Qt::CaseInsensitive) ==
                0 &&
            QAnyStringView::compare(key, QLatin1String(entry.key), Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

} // namespace kqm52
