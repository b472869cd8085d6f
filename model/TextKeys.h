#pragma once

// The language texts of every window, in one table: section and key in the
// language file (Taal0.ini .. Taal2.ini), the window's built-in text for a key
// the file lacks, and the controls the text labels.
//
// A window puts the texts with controls on itself through applyTexts()
// (ui/ApplyTexts.h) and reads the others (state captions, messages) through
// LanguageTexts::text() with a TextId{"Section", "Key"}, a TextIn<"Section">
// key or an index of a TextSeries (PanelTekst0, PanelTekst1, ...): each
// refuses to build for a section, key or index that is not in this table.  The data test
// (tests/data) holds the three language files and data/tools/make_data.py against it.
//
// Adding a window: add a block of rows here, in the order the window reads
// them, with the objectName of each control in the fourth column; add the
// same keys with their three translations to data/tools/make_data.py and run
// it.  Nothing else lists the keys.
//
// Sections and keys are spelled as the language files have always spelled
// them (misspellings too: "AparaatZoeken", "LabelFuncte", "LAbelHysteresis");
// lookups compare them without regard to case, so the setpoint printout's
// "EditSollWert" finds the setpoint editor's section "EditSollwert".

#include <QAnyStringView>

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace kqm52 {

enum class TextKind {
    // A caption, label or message: empty while no language file is loaded,
    // when the controls keep the texts they were built with.
    Text,
    // A text that must never go blank (a caption that follows a state, our own
    // advice after an error): the built-in text while no file is loaded.
    KeepsDefault,
    // The items of a combo box as list text (as the catalogue writes option
    // lists); count is the number of items the box needs.
    ItemList,
};

struct TextKey {
    const char* section;
    const char* key;
    const char* def; // the window's built-in text when the key is missing
    // The objectNames of the controls the text labels, separated by blanks:
    // a label, button, group box, menu or menu item, a tab page (its tab), a
    // combo box (its items) or the window itself (its caption).  Empty for a
    // text the window uses itself.
    const char* controls = "";
    TextKind kind = TextKind::Text;
    int count = 0;
};

// clang-format off
inline constexpr TextKey kTextTable[] = {
    // The main window.  The captions that follow a state are set by the window
    // itself; without a language file they keep their built-in text, so a button
    // never goes blank.
    {"Main", "GroepIngangen", "Ingangen", "GroupBoxIngangen"},
    {"Main", "GroepUitgangen", "Uitgangen", "GroupBoxUitgangen"},
    {"Main", "Groep_ANA_IN", "Analoog in", "GroupBox_ANA_IN"},
    {"Main", "Groep_ANA_UIT", "Analoog uit", "GroupBox_ANA_UIT"},
    {"Main", "GroepActual", "Actual", "GroupBoxActual"},
    {"Main", "GroepDuimwiel", "DW", "GroupBox_DW"},
    {"Main", "LabelActualPositie", "Positie:", "LabelPositie"},
    {"Main", "LabelActualSnelheid", "Snelheid:", "LabelSnelheid"},
    {"Main", "LabelActualSpanning", "Spanning:", "LabelSpanning_uit LabelSpanning_in"},
    {"Main", "LabelActualStroom", "Stroom:", "LabelStroom_uit LabelStroom_in"},
    {"Main", "CmdIO_ON", "I/O ON", "", TextKind::KeepsDefault},
    {"Main", "CmdIO_OFF", "I/O OFF", "", TextKind::KeepsDefault},
    {"Main", "CmdActual_ON", "Actual ON", "", TextKind::KeepsDefault},
    {"Main", "CmdActual_OFF", "Actual OFF", "", TextKind::KeepsDefault},
    {"Main", "CmdComOpen", "Open", "", TextKind::KeepsDefault},
    {"Main", "CmdComClose", "Close", "", TextKind::KeepsDefault},
    {"Main", "CmdTerminalZenden", "Zenden", "CmdTerminalZenden"},
    {"Main", "CmdResetError", "Res error", "CmdResetError"},
    {"Main", "CmdDuimwiel_ON", "DW ON", "", TextKind::KeepsDefault},
    {"Main", "CmdDuimwiel_OFF", "DW OFF", "", TextKind::KeepsDefault},
    {"Main", "PanelTekst0", "tekst 0"}, // no reply from the unit
    {"Main", "PanelTekst1", "tekst 1"}, // followed by " " SystemError ", " LineErrors
    {"Main", "menuBestand", "Bestand", "File1"},
    {"Main", "subAfsluiten", "Afsluiten", "Exit1"},
    {"Main", "menuEdit", "Edit", "Edit"},
    {"Main", "subParameters", "Parameters", "Par11"},
    {"Main", "subSollwerten", "Sollwerten", "Par21"},
    {"Main", "menuInstellingen", "Instellingen", "Extra"},
    {"Main", "subInitCom", "Init serieel", "Serial1"},
    {"Main", "subOpties", "Opties", "ww1"},
    {"Main", "menuCommunicatie", "Communicatie", "Zendenenontvangen1"},
    {"Main", "subParSoll", "Parameters + Sollwerten ontvangen", "ParSollOntvangen1"},
    {"Main", "subBackup", "Backup", "Backup1"},
    {"Main", "subRestore", "Restore", "Restore1"},
    {"Main", "subZoeken", "App... zoeken", "MX52zoeken"},
    {"Main", "menuVenster", "Venster", "Venster"},
    {"Main", "subNokkenInfo", "Nok info", "displaynokken1"},
    {"Main", "subGrafiek", "Grafiek", "Grafiek1"},
    {"Main", "menuHelp", "Help", "Info1"},
    {"Main", "subInfo", "Info", "FormAbout"},
    {"Main", "subErrorNummers", "Error nummers", "Errno1"},
    {"Main", "K0_HoldReset", "Hold/Reset"},
    {"Main", "K0_RefFijn", "Ref fijn"},
    {"Main", "K0_SSIJustage", "SSI Justage"},
    {"Main", "K0_Inactief", "Inactief"},
    {"Main", "Msg_waarschuwingCaption", ""},
    {"Main", "Msg_Melding_Geen_MX52", ""},
    // Ours: fast framing chosen, but the link frames by silence until the next
    // transfer starts (a unit missed a request); main window and transfer windows.
    {"Main", "FastFramingOff", "Fast framing off for now", "", TextKind::KeepsDefault},
    // Ours: the message line of a demo run until the first Open; two lines at most.
    {"Main", "MsgDemo", "Demo: simulated units on the line; Open connects to them.", "",
     TextKind::KeepsDefault},
    // Ours: asked by every save dialog when the chosen file is there already
    // (No is the default).  "%1" the file.
    {"Main", "MsgReplaceFile", "%1 is there already. Replace it?", "", TextKind::KeepsDefault},
    // Ours: a settings, language or catalogue file far larger than any real
    // one, refused unread.  %1 the file, %2 the bound in MB.
    {"Main", "MsgBestandTeGroot", "%1 is larger than %2 MB, far more than such a file holds, and "
                                  "was not read. The program goes on without it.", "",
     TextKind::KeepsDefault},
    // Ours: application.ini could not be written when the program closed; the
    // file and the system's reason come between the two.
    {"Main", "MsgSettingsNotSaved", "The settings were not saved.", "", TextKind::KeepsDefault},
    {"Main", "MsgSettingsOldFileKept", "The settings file from before is unchanged.", "",
     TextKind::KeepsDefault},
    // Ours: a terminal line longer than a request may be; "%1" its length,
    // "%2" the most a request holds.
    {"Main", "MsgTerminalTooLong", "Line too long: %1 characters, at most %2", "",
     TextKind::KeepsDefault},
    // Ours: why a parameter, setpoint or backup file was refused, on the line
    // after the window's own refusal text.  The defaults are the file
    // readers' own English (model/TableFile.cpp).
    {"Main", "MsgFileTooLong", "The file is far too long for this kind of file.", "",
     TextKind::KeepsDefault},
    // "%1" what the first line must begin with
    {"Main", "MsgFileNoHeader", "The first line does not begin with \"%1\".", "",
     TextKind::KeepsDefault},
    // "%1" the line
    {"Main", "MsgFileNotDataLine",
     "Line %1 is not a data line (a letter, three digits, a blank and a value).", "",
     TextKind::KeepsDefault},
    // "%1" the line, "%2" the highest number
    {"Main", "MsgFileBadNumber", "Line %1: the number is not one of 000 \u2026 %2.", "",
     TextKind::KeepsDefault},
    // "%1" the line
    {"Main", "MsgFileBadValue", "Line %1: the value is not a whole decimal number in 32 bits.", "",
     TextKind::KeepsDefault},
    // "%1" the number, "%2" and "%3" its two lines
    {"Main", "MsgFileNumberTwice",
     "Number %1 appears twice, on lines %2 and %3, so another is missing.", "",
     TextKind::KeepsDefault},
    // "%1" the data lines found, "%2" the lines the format has
    {"Main", "MsgFileLineCount", "The file holds %1 data lines instead of %2.", "",
     TextKind::KeepsDefault},
    // "%1" the file's size, "%2" a backup file's
    {"Main", "MsgBackupSize", "The file holds %1 bytes; a backup file holds exactly %2.", "",
     TextKind::KeepsDefault},
    // "%1" a backup file's size
    {"Main", "MsgBackupLonger", "The file is longer than %1 bytes; a backup file holds exactly %1.",
     "", TextKind::KeepsDefault},
    {"Main", "MsgBackupNoMarks", "The file does not carry the marks of a backup file.", "",
     TextKind::KeepsDefault},
    // Ours: why a file the user named could not be read at all, after the
    // file; the operating system's own reason stands as it is.
    {"Main", "MsgNoSuchFile", "there is no such file", "", TextKind::KeepsDefault},
    {"Main", "MsgFolderNotFile", "it is a folder, not a file", "", TextKind::KeepsDefault},
    {"Main", "MsgNotAFile", "it is a pipe, a device or a socket, not a file", "",
     TextKind::KeepsDefault},
    // Ours: the check that only one copy runs.  A copy that gives up says so
    // before any language file is read, in these built-in words; one that
    // goes on without the check says so once its language is loaded.
    // "%1" the socket, "%2" the system's reason.
    {"Main", "MsgInstanceNoListen", "Cannot listen on %1: %2", "", TextKind::KeepsDefault},
    // "%1" the lock file
    {"Main", "MsgInstanceNoLock", "Cannot create the lock file %1.", "", TextKind::KeepsDefault},
    {"Main", "MsgInstanceSilent", "Another copy of the program is running but does not answer.",
     "", TextKind::KeepsDefault},
    {"Main", "MsgInstanceUnchecked", "Starting without the single-copy check.", "",
     TextKind::KeepsDefault},
    // Ours: --demo asked of a build without the simulated units.
    {"Main", "MsgDemoNoSim", "This build has no simulated bus; --demo cannot open a port.", "",
     TextKind::KeepsDefault},

    // Backup and restore.
    {"BackupRestore", "SaveCaption", ""},
    // The save dialog's default is "*.bak".
    {"BackupRestore", "OpenFilter", "ASCII Parameterbestand (*.bak)|*.bak"},
    {"BackupRestore", "OpenCaption", ""},
    {"BackupRestore", "OpenMsg2", ""},
    {"BackupRestore", "Msg_waarschuwingCaption", ""},
    {"BackupRestore", "Msg_waarschuwingRestore_1", ""}, // followed by two blanks and the file name
    {"BackupRestore", "Msg_waarschuwingRestore_2", ""},
    // Ours: a restore that stopped part-way.  "%1" the backup file.
    // Ours: the unit the restore question is about, on a line of its own
    // after the file.  "%1" its number, "%2" its type ("MX52").
    {"BackupRestore", "MsgRestoreUnit", "Unit %1, type %2.", "", TextKind::KeepsDefault},
    {"BackupRestore", "MsgRestoreStopped", "The restore from %1 did not finish.", "",
     TextKind::KeepsDefault},
    {"BackupRestore", "MsgRestoreAgain", "The unit may now hold part of the backup and part of "
                                         "its old values. Send the backup again once the line is "
                                         "back?", "", TextKind::KeepsDefault},
    // Ours: a backup file that could not be written; the system's reason
    // follows the first line.
    {"BackupRestore", "MsgBackupNotWritten", "The backup could not be written.", "",
     TextKind::KeepsDefault},
    {"BackupRestore", "MsgBackupOldFileKept", "A file that was there before is unchanged.", "",
     TextKind::KeepsDefault},
    // Ours: shown only while no language file is loaded, so the built-in text
    // is the one a user sees.
    {"BackupRestore", "MsgRestoreNoLanguage", "No language file is loaded, so the restore cannot "
                                              "ask before it overwrites the unit. Nothing was "
                                              "sent.", "", TextKind::KeepsDefault},

    // Ours: where the program keeps its files.  The About box lists them
    // ("%1" a folder); the messages come at start, once.
    {"Mappen", "Instellingen", "Settings: %1", "", TextKind::KeepsDefault},
    {"Mappen", "Gegevens", "Data files: %1", "", TextKind::KeepsDefault},
    {"Mappen", "Draagbaar", "Everything in the program's folder (portable).", "",
     TextKind::KeepsDefault},
    // "%1" the folder, "%2" the system's reason.
    {"Mappen", "MsgMapOnbruikbaar", "The settings folder %1 cannot be created or written (%2). "
                                    "The program runs with its default settings, and changes "
                                    "to them will not be kept.", "", TextKind::KeepsDefault},
    // "%1" the user's own file, "%2" why it failed, "%3" the installed file used instead.
    {"Mappen", "MsgEigenBestand", "Your own file %1 could not be read (%2). The installed "
                                  "file %3 is used instead.", "", TextKind::KeepsDefault},
    // "%1" the bound in MB: the reason for a file refused for its size.
    {"Mappen", "TeGroot", "larger than %1 MB", "", TextKind::KeepsDefault},

    // About box and error number list.
    {"About", "Caption", "Info"},
    {"About", "Handelsmerk", "Handelsmerk"},
    // Followed by " " and the version; also without a file: a bare number says nothing.
    {"About", "SoftwareVersie", "Software versie:", "", TextKind::KeepsDefault},
    {"HelpErrorNummers", "Caption", "Error nummers"},
    // Ours: shown above a help file that was too long to show whole.
    // Ours: why the help file could not be shown; the file follows, then
    // the system's reason where there is one.
    {"HelpErrorNummers", "MsgNotOpened", "The help file cannot be opened:", "",
     TextKind::KeepsDefault},
    {"HelpErrorNummers", "MsgNotRead", "The help file cannot be read:", "", TextKind::KeepsDefault},
    {"HelpErrorNummers", "MsgNotRtf", "The help file is not a rich-text (RTF) document:", "",
     TextKind::KeepsDefault},
    // "%1" the most the viewer reads
    {"HelpErrorNummers", "MsgTooLarge", "The help file is larger than %1 bytes:", "",
     TextKind::KeepsDefault},
    // "%1" the most the viewer follows
    {"HelpErrorNummers", "MsgTooDeep", "The help file nests groups more than %1 deep:", "",
     TextKind::KeepsDefault},
    {"HelpErrorNummers", "MsgAfgekort", "This help file is longer than the window can show; it "
                                        "is shown only in part.", "", TextKind::KeepsDefault},

    // Options dialog; without a file it shows these built-in texts, which
    // are also what the window was designed with.
    {"Opties", "Caption", "Instellingem", "", TextKind::KeepsDefault},
    {"Opties", "RegAlgemeen", "Algemeen", "", TextKind::KeepsDefault},
    {"Opties", "TaalLabel", "Error", "", TextKind::KeepsDefault},
    // index = language number
    {"Opties", "TaalItems", "\"NE\",\"EN\",\"D\"", "", TextKind::ItemList, 3},
    {"Opties", "CmdOK", "OK", "", TextKind::KeepsDefault},
    {"Opties", "CmdCancel", "Cancel", "", TextKind::KeepsDefault},
    // Ours: a language whose file cannot be read; the file's path follows the
    // first line, the second closes the message.
    {"Opties", "MsgLanguageMissing", "This language file was not found:", "",
     TextKind::KeepsDefault},
    {"Opties", "MsgLanguageUnreadable", "This language file cannot be read:", "",
     TextKind::KeepsDefault},
    {"Opties", "MsgLanguageKept", "The program stays in its current language.", "",
     TextKind::KeepsDefault},

    // Serial initialisation; the item lists in the order of the port's
    // enumerations.  A list the file lacks leaves the window's own names.  The
    // advice after a failed open is ours and is shown with or without a file.
    {"InitCom", "Caption", "Seriele poort", "FormInitSerial"},
    {"InitCom", "RegInterface", "Interface", "TabSheet1"},
    {"InitCom", "RegExtended", "Extended", "TabSheet2"},
    {"InitCom", "CmdOK", "OK", "CmdOK"},
    // The window's own default: "OK" on the Cancel button would invite the wrong press.
    {"InitCom", "CmdCancel", "Cancel", "CmdCancel"},
    {"InitCom", "PortLabel", "Poort", "LabelPoort"},
    {"InitCom", "IOLabel", "IO", "Label_IO"},
    {"InitCom", "BaudLabel", "Baud", "LabelBaud"},
    {"InitCom", "DatabitLabel", "Bits", "LabelDataBits"},
    {"InitCom", "ParityLabel", "Parity", "LabelParity"},
    {"InitCom", "StopbitLabel", "stopbits", "LabelStopBits"},
    {"InitCom", "HardwareLabel", "hardware", "LabelHardware"},
    {"InitCom", "PortTypeLabel", "Poorttype", "LabelPortType"},
    {"InitCom", "ReceiverLabel", "Receiver", "LabelReceiver"},
    {"InitCom", "TransmitterLabel", "Transmitter", "LabelTransmitter"},
    {"InitCom", "DeviceLabel", "Device", "LabelDevice"}, // the device a COM name leads to
    {"InitCom", "PortItems", "", "ComboPoort", TextKind::ItemList, 16}, // COM1 .. COM16
    {"InitCom", "IOItems", "", "Combo_IO", TextKind::ItemList, 4}, // TPortAddr
    {"InitCom", "BaudItems", "", "ComboBaud", TextKind::ItemList, 6}, // from br9600
    {"InitCom", "DataBitItems", "", "ComboDataBits", TextKind::ItemList, 2}, // TDataBit
    {"InitCom", "ParityItems", "", "ComboParity", TextKind::ItemList, 3}, // None, Even, Odd
    {"InitCom", "StopbitItems", "", "ComboStopBits", TextKind::ItemList, 2}, // TStopBit
    {"InitCom", "HardwareItems", "", "ComboHardware", TextKind::ItemList, 4}, // THardware
    {"InitCom", "PortTypeItems", "", "ComboPortType", TextKind::ItemList, 3}, // TPortType
    {"InitCom", "ReceiverItems", "", "ComboReceiver", TextKind::ItemList, 2}, // TReceiveDriver
    {"InitCom", "TransmitterItems", "", "ComboTransmitter", TextKind::ItemList, 4}, // transmitter
    // Ours: the reply ends at its line end; the note says what that trades.
    {"InitCom", "FastFramingCheck", "Fast framing", "CheckFastFraming"},
    {"InitCom", "FastFramingNote", "Ends each reply at its line end, not after 50 ms of silence: "
                                   "about 3x faster, but a unit that needs the pause costs one "
                                   "time-out.", "LabelFastFraming"},
    // "%1" the port's name, "%2" its device
    {"InitCom", "MsgCannotOpen", "%1 (%2) cannot be opened:", "", TextKind::KeepsDefault},
    // "%1" the device
    {"InitCom", "MsgNoAccess", "You have no read and write access to %1. Ask the administrator "
                               "of this computer for it.", "", TextKind::KeepsDefault},
    // "%1" the device, "%2" the group that may use it, "%3" the user
    {"InitCom", "MsgAccessByGroup", "Access to %1 is granted to the members of the group \"%2\". "
                                    "Add your user to that group (for example: sudo usermod -aG "
                                    "%2 %3), then log out and in again.",
     "", TextKind::KeepsDefault},
    {"InitCom", "MsgDeviceBusy", "Another program, or another copy of this one, is using the "
                                 "device. Close it and press OK again.",
     "", TextKind::KeepsDefault},
    {"InitCom", "MsgDeviceMissing", "Check that the converter is plugged in, or choose another "
                                    "device.", "", TextKind::KeepsDefault},
    // Ours: under the device box while this run leads every port elsewhere
    // (the demo's simulated units); "%1" that device.
    {"InitCom", "MsgDemoDevice", "This run uses %1 for every port.", "", TextKind::KeepsDefault},
    // Ours: why the port map leads a port nowhere, on the line after
    // MsgCannotOpen; "%1" the port, "%2" the value it is mapped to.
    {"InitCom", "MsgMapNoSim", "%1 is mapped to the simulated bus, which this program has not "
                               "been built with.", "", TextKind::KeepsDefault},
    {"InitCom", "MsgMapNotDevice", "%1 is mapped to \"%2\", which is not a device path.", "",
     TextKind::KeepsDefault},

    // Device search.
    // Device search; the grid's header cells and the status texts are set by
    // the window itself.
    {"AparaatZoeken", "Caption", "Zoeken...", "FormApparaatZoeken"},
    {"AparaatZoeken", "CmdOK", "OK", "CmdOK"},
    {"AparaatZoeken", "CmdVerder", "Verder", "CmdVerder"},
    {"AparaatZoeken", "CmdStart", "Start", "CmdStartZoeken"},
    {"AparaatZoeken", "CmdStop", "Stop", "CmdStop"},
    {"AparaatZoeken", "CmdCancel", "Cancel", "CmdCancel"},
    {"AparaatZoeken", "LabelStartenMet", "Start met:", "LabelStartenMet"},
    {"AparaatZoeken", "KolomTekst0", "tekst 0"},
    {"AparaatZoeken", "KolomTekst1", "tekst 1"},
    {"AparaatZoeken", "KolomTekst2", "tekst 2"},
    {"AparaatZoeken", "KolomTekst3", "tekst 3"},
    {"AparaatZoeken", "KolomTekst4", "tekst 4"},
    {"AparaatZoeken", "GroepParity", "Parity", "GroupBoxParity"},
    {"AparaatZoeken", "GroepStopBits", "Stopbits", "GroupBoxStopBits"},
    {"AparaatZoeken", "RadioAlsCom", "COM", "RB_parity_com RB_stopbits_com"},
    {"AparaatZoeken", "RadioAutoSelect", "COM", "RB_parity_auto RB_stopbits_auto"},
    {"AparaatZoeken", "PanelTekst0", "Zoeken..", "", TextKind::KeepsDefault}, // searching
    {"AparaatZoeken", "PanelTekst1", "Gestopt!", "", TextKind::KeepsDefault}, // stopped
    {"AparaatZoeken", "PanelTekst2", "beeindigd!", "", TextKind::KeepsDefault}, // all probed
    {"AparaatZoeken", "PanelTekst3", "Apparaat gevonden!", "", TextKind::KeepsDefault}, // found
    // Ours: the first line of the box when the port will not open; "%1" the
    // port's name, "%2" its device.  The system's reason follows.
    {"AparaatZoeken", "MsgCannotOpen", "%1 (%2) cannot be opened:", "", TextKind::KeepsDefault},
    // Ours: the device vanished during the search (a converter pulled out);
    // the system's reason and the device follow.
    {"AparaatZoeken", "MsgDeviceLost", "The port has gone away; the search has stopped:", "",
     TextKind::KeepsDefault},

    // Parameter editor; its column headers also head the parameter printout.
    {"EditParam", "Caption", "Edit param", "FormEditParam"},
    {"EditParam", "KolomTekst0", "tekst 0"},
    {"EditParam", "KolomTekst1", "tekst 1"},
    {"EditParam", "KolomTekst2", "tekst 2"},
    {"EditParam", "KolomTekst3", "tekst 3"},
    {"EditParam", "KolomTekst4", "tekst 4"},
    {"EditParam", "min", "min", "StatusPanel0"},
    {"EditParam", "max", "max", "StatusPanel2"},
    {"EditParam", "default", "default", "StatusPanel4"},
    {"EditParam", "CmdClear", "Wissen", "CmdClear"},
    {"EditParam", "menuBestand", "Bestand", "Bestand"},
    {"EditParam", "subOpenen", "Openen", "Openen"},
    {"EditParam", "subOpslaanAls", "Opslaan als...", "OpslaanAls"},
    {"EditParam", "subLaadDefault", "Laad default", "LaadDefaultparameters"},
    {"EditParam", "subAfdrukken", "Afdrukken", "Afdrukken"},
    {"EditParam", "subAfsluiten", "Afsluiten", "Afsluiten"},
    {"EditParam", "menuZendenOntvangen", "Zenden & ontvangen", "ZendenOntvangen"},
    {"EditParam", "subParOntvangen", "Par ontvangen", "ParametersOntvangen"},
    {"EditParam", "subParZenden", "Par zenden", "ParametersZenden"},
    {"EditParam", "subLoader", "Loader", "ParametersLadenenovernemen1"},
    {"EditParam", "menuVenster", "Venster", "Venster1"},
    {"EditParam", "subNokkenInfo", "Nokken info", "Viewnokken1"},
    // The search (Ctrl+F): its menu item, the hint in its field, the note when nothing matches.
    {"EditParam", "subZoeken", "Zoeken...", "Zoeken1"},
    {"EditParam", "ZoekTekst", "Nummer of naam"},
    {"EditParam", "ZoekGeenTreffers", "Niets gevonden"},
    {"EditParam", "Msg_ErrorCaption", ""},
    {"EditParam", "Msg_InfoCaption", ""},
    {"EditParam", "msg_DefaultParGeladen", ""},
    {"EditParam", "msg_ErrorSetDefaultPar", ""},
    {"EditParam", "OpenCaption", ""},
    // The save dialog's default is "*.mxp".
    {"EditParam", "OpenFilter", "ASCII Parameterbestand (*.mxp)|*.mxp"},
    {"EditParam", "OpenMsg1", ""},
    {"EditParam", "OpenMsg2", ""},
    {"EditParam", "OpenMsg3", ""},
    {"EditParam", "OpenMsg4", ""},
    // Ours: a file that could not be saved; the system's reason follows.
    {"EditParam", "MsgNotSaved", "The parameters were not saved.", "", TextKind::KeepsDefault},
    // Ours: shown only while no language file is loaded, in place of the
    // refusals above (the reason follows) and of msg_ErrorSetDefaultPar.
    {"EditParam", "MsgNotRead", "The parameter file was not read; nothing was changed.", "",
     TextKind::KeepsDefault},
    {"EditParam", "MsgNoDefaults",
     "The defaults cannot be loaded: Parameters.txt is missing beside the program.", "",
     TextKind::KeepsDefault},
    {"EditParam", "SaveCaption", ""},
    {"EditParam", "Msg_waarschuwingCaption", ""},
    {"EditParam", "ZendMsg_1", ""}, // the six lines of the send question, joined by LF CR
    {"EditParam", "ZendMsg_2", ""},
    {"EditParam", "ZendMsg_3", ""},
    {"EditParam", "ZendMsg_4", ""},
    {"EditParam", "ZendMsg_5", ""},
    {"EditParam", "ZendMsg_6", ""},
    {"EditParam", "Msg_ParGezondenEnNietGeladen", ""},

    // Receive window; its caption says what it does, with or without a file.
    {"LeesParSoll", "CaptionMode0", "Lees Param", "", TextKind::KeepsDefault},
    {"LeesParSoll", "CaptionMode1", "Lees Sollw", "", TextKind::KeepsDefault},
    {"LeesParSoll", "CaptionMode2", "Lees Param en sollw", "", TextKind::KeepsDefault},
    {"LeesParSoll", "CaptionMode3", "Lees Apparaat", "", TextKind::KeepsDefault},
    {"LeesParSoll", "CmdOK", "OK", "CmdOK"},
    {"LeesParSoll", "CmdAgain", "Again", "CmdAgain"},
    {"LeesParSoll", "CmdCancel", "Cancel", "CmdCancel"},
    {"LeesParSoll", "PanelTekst0", "tekst 0"}, // no reply in time
    {"LeesParSoll", "PanelTekst1", "tekst 1"}, // line or system error
    {"LeesParSoll", "PanelTekst2", "tekst 2"}, // reading a parameter, + " " + number
    {"LeesParSoll", "PanelTekst3", "tekst 3"}, // parameters complete
    {"LeesParSoll", "PanelTekst4", "tekst 4"}, // reading a setpoint, + " " + number
    {"LeesParSoll", "PanelTekst5", "tekst 5"}, // setpoints complete
    {"LeesParSoll", "PanelTekst6", "tekst 6"}, // parameters and setpoints complete
    {"LeesParSoll", "PanelTekst7", "tekst 7"}, // bad reply, + " " + reply + "   P[nnn]"

    // Send window; its caption says what it does, with or without a file.
    {"SchrijfParSoll", "CaptionMode0", "Schrijf Param", "", TextKind::KeepsDefault},
    {"SchrijfParSoll", "CaptionMode1", "Schrijf Sollw", "", TextKind::KeepsDefault},
    {"SchrijfParSoll", "CaptionMode2", "Schrijf Param en sollw", "", TextKind::KeepsDefault},
    {"SchrijfParSoll", "CaptionMode3", "Schrijf Apparaat", "", TextKind::KeepsDefault},
    {"SchrijfParSoll", "CmdOK", "OK", "CmdOK"},
    {"SchrijfParSoll", "CmdAgain", "Again", "CmdAgain"},
    {"SchrijfParSoll", "CmdCancel", "Cancel", "CmdCancel"},
    {"SchrijfParSoll", "PanelTekst0", "tekst 0"},   // no reply in time
    {"SchrijfParSoll", "PanelTekst1", "tekst 1"},   // line or system error
    {"SchrijfParSoll", "PanelTekst2", "tekst 2"},   // writing a parameter, + " " + number
    {"SchrijfParSoll", "PanelTekst3", "tekst 3"},   // finished, mode 0
    {"SchrijfParSoll", "PanelTekst4", "tekst 4"},   // writing a setpoint, + " " + number
    {"SchrijfParSoll", "PanelTekst5", "tekst 5"},   // finished, mode 1
    {"SchrijfParSoll", "PanelTekst6", "tekst 6"},   // finished, mode 2
    {"SchrijfParSoll", "PanelTekst7", "tekst 7"},   // bad reply
    {"SchrijfParSoll", "PanelTekst8", "tekst 8"},   // finished, mode 3
    {"SchrijfParSoll", "PanelTekst9", "tekst 9"},   // after "(er 7) ": value refused
    {"SchrijfParSoll", "PanelTekst10", "tekst 10"}, // before the "bp" answer
    {"SchrijfParSoll", "PanelTekst11", "tekst 11"}, // after the "bp" answer
    // Ours: how far a send got when it stopped (under the progress bar), and
    // the question after it.  "%1" the first value the unit did not confirm
    // ("P123", "S07"), "%2" how many it confirmed, "%3" how many were to go.
    {"SchrijfParSoll", "StopNote", "Stopped at %1: the unit confirmed %2 of %3 values.",
     "", TextKind::KeepsDefault},
    // "%1" how many values were written
    {"SchrijfParSoll", "StopNoteCompute", "All %1 values were written, but the unit has not "
                                          "confirmed recomputing its parameters (\"bp\").",
     "", TextKind::KeepsDefault},
    {"SchrijfParSoll", "MsgSendAgain", "The unit may now hold part of the new values and part of "
                                       "its old ones. Send the values again once the line is "
                                       "back?", "", TextKind::KeepsDefault},
    // The question instead when every value arrived and only "bp" is missing.
    {"SchrijfParSoll", "MsgSendAgainCompute", "Send them again once the line is back, so that "
                                              "the unit recomputes its parameters?",
     "", TextKind::KeepsDefault},
    // Ours: the unit refused a value ("er 7").  "%1" the item and its name
    // ("P012 Name", "S07"), "%2" the value sent, "%3" and "%4" its limits.
    {"SchrijfParSoll", "MsgRefused", "The unit refused %1: %2 (limits %3 … %4). Sending the same "
                                     "values again would be refused at the same place.",
     "", TextKind::KeepsDefault},
    // The offer after it in the editors; "%1" the item ("P012", "S07").
    {"SchrijfParSoll", "MsgRefusedOpen", "Go to %1 in the editor to correct it?", "",
     TextKind::KeepsDefault},
    // Ours: asked before a send or restore whose values lie outside their
    // limits; the list follows the first line, one line per value ("%1"
    // item and name, "%2" value, "%3" and "%4" the limits), then the question.
    {"SchrijfParSoll", "MsgOutOfLimits", "These values lie outside the limits the unit accepts. "
                                         "It would refuse the first of them and be left half "
                                         "written:", "", TextKind::KeepsDefault},
    {"SchrijfParSoll", "MsgLimitLine", "%1: %2 (limits %3 … %4)", "", TextKind::KeepsDefault},
    // After the listed ones, when there are more: "%1" how many.
    {"SchrijfParSoll", "MsgLimitMore", "… and %1 more.", "", TextKind::KeepsDefault},
    {"SchrijfParSoll", "MsgSendAnyway", "Send anyway?", "", TextKind::KeepsDefault},

    // Parameter loader.
    {"Loader", "Caption", "Loader", "FormParLoader"},
    {"Loader", "CmdOK", "OK", "CmdOK"},
    {"Loader", "PanelTekst0", "tekst 0"}, // no reply in time
    {"Loader", "PanelTekst1", "tekst 1"}, // read, not shown
    {"Loader", "PanelTekst2", "tekst 2"}, // line or system error
    {"Loader", "PanelTekst3", "tekst 3"}, // read, not shown
    {"Loader", "PanelTekst4", "tekst 4"}, // parameters computed
    {"Loader", "PanelTekst5", "tekst 5"}, // before the "bp" answer
    {"Loader", "PanelTekst6", "tekst 6"}, // after the "bp" answer
    // %1 the start of a reply that is no answer to "bp".
    {"Loader", "MsgOnbruikbaarAntwoord",
     "Onbruikbaar antwoord van het apparaat (%1); of de parameters geladen zijn, is niet bekend.",
     "", TextKind::KeepsDefault},

    // Service parameter window.
    {"ParamService", "LabelMin", "min", "LabelMin"},
    {"ParamService", "LabelMax", "max", "LabelMax"},
    {"ParamService", "LabelDefault", "default", "LabelDefault"},
    {"ParamService", "LabelParData", "default", "LabelParData"},
    {"ParamService", "CmdOK", "OK", "CmdOK"},
    {"ParamService", "CmdDefault", "Default", "CmdDefault"},
    {"ParamService", "CmdZenden", "Zenden", "CmdZenden"},
    {"ParamService", "CmdCancel", "annuleren", "CmdCancel"},
    {"ParamService", "PanelTekst0", "tekst 0"},   // time-out
    {"ParamService", "PanelTekst1", "tekst 1"},   // sending a parameter
    {"ParamService", "PanelTekst2", "tekst 2"},   // value outside minimum..maximum
    {"ParamService", "PanelTekst3", "tekst 3"},   // too many digits
    {"ParamService", "PanelTekst4", "tekst 4"},   // parameter written
    {"ParamService", "PanelTekst5", "tekst 5"},   // other link error
    {"ParamService", "PanelTekst6", "tekst 6"},   // after "(er 7) ": value refused
    {"ParamService", "PanelTekst7", "tekst 7"},   // after the "bp" answer
    {"ParamService", "PanelTekst8", "tekst 8"},   // before the "bp" answer
    {"ParamService", "PanelTekst9", "tekst 9"},   // loading parameters
    {"ParamService", "PanelTekst10", "tekst 10"}, // parameters loaded
    // %1 the start of a reply that is no answer to the write.
    {"ParamService", "MsgOnbruikbaarAntwoord",
     "Onbruikbaar antwoord van het apparaat (%1); of de parameter geschreven is, is niet bekend.",
     "", TextKind::KeepsDefault},

    // Printouts, and the questions before printing unloaded values.
    {"Afdrukken", "CaptionPar", "Afdrukken param"},
    {"Afdrukken", "CaptionSoll", "Afdrukken Soll"},
    {"Afdrukken", "LabelFirma", "Firma", "LabelFirma"},
    {"Afdrukken", "LabelType", "Type", "LabelType"},
    {"Afdrukken", "LabelSn", "Serie nr", "LabelSn"},
    {"Afdrukken", "CmdOK", "OK", "CmdOK"},
    {"Afdrukken", "CmdCancel", "Annuleren", "CmdCancel"},
    {"Afdrukken", "TekstPagina", "P"},
    {"Afdrukken", "NaamSoll", "Solwerten"},
    {"Afdrukken", "Msg_waarschuwingCaption", ""},
    {"Afdrukken", "AfdrukMsg_1", ""}, // the six lines of the parameter print question
    {"Afdrukken", "AfdrukMsg_2", ""},
    {"Afdrukken", "AfdrukMsg_3", ""},
    {"Afdrukken", "AfdrukMsg_4", ""},
    {"Afdrukken", "AfdrukMsg_5", ""},
    {"Afdrukken", "AfdrukMsg_6", ""},
    {"Afdrukken", "AfdrukMsg_10", ""}, // the five lines of the setpoint print question
    {"Afdrukken", "AfdrukMsg_20", ""},
    {"Afdrukken", "AfdrukMsg_30", ""},
    {"Afdrukken", "AfdrukMsg_40", ""},
    {"Afdrukken", "AfdrukMsg_50", ""},
    // Ours: a printout that failed; where and why follow.
    {"Afdrukken", "MsgNotPrinted", "Nothing was printed.", "", TextKind::KeepsDefault},
    // Ours: why, after the PDF file's or the printer's name.
    {"Afdrukken", "MsgPdfNotStarted", "the PDF could not be started.", "", TextKind::KeepsDefault},
    {"Afdrukken", "MsgPdfNotCompleted", "the PDF could not be completed.", "",
     TextKind::KeepsDefault},
    {"Afdrukken", "MsgPrinterNotStarted", "the printer could not be started.", "",
     TextKind::KeepsDefault},
    {"Afdrukken", "MsgPrinterFailed", "the printer reported an error.", "",
     TextKind::KeepsDefault},

    // Setpoint editor; the setpoint printout reads its column headers as "EditSollWert".
    {"EditSollwert", "Caption", "Edit Sollw", "FormEditSollwerten"},
    {"EditSollwert", "Kolomtekst_no", "No"},     // the setpoint printout: "tekst 0"
    {"EditSollwert", "Kolomtekst_waarde", "No"}, // the setpoint printout: "tekst 1"
    {"EditSollwert", "menuBestand", "Bestand", "Bestand1"},
    {"EditSollwert", "subOpenen", "Openen", "Openen1"},
    {"EditSollwert", "subOpslaanAls", "Opslaan als...", "Opslaanals1"},
    {"EditSollwert", "subAfdrukken", "Afdruk", "Afdrukken"},
    {"EditSollwert", "subAfsluiten", "Afsluiten", "Afsluiten1"},
    {"EditSollwert", "menuZendenOntvangen", "Zenden & ontvangen", "ZendenOntvangen1"},
    {"EditSollwert", "subParOntvangen", "Par ontvangen", "Sollwertenontvangen1"},
    {"EditSollwert", "subParZenden", "Par zenden", "Sollwertenzenden1"},
    // Never blank: a refused entry must say so.
    {"EditSollwert", "Msg_SollwertOngeldig", "Ingane ongeldig!", "", TextKind::KeepsDefault},
    {"EditSollwert", "SaveCaption", ""},
    {"EditSollwert", "OpenCaption", ""},
    // Setpoint files, with or without a language file: a parameter filter
    // here would hide every setpoint file in the open dialog.
    {"EditSollwert", "OpenFilter", "ASCII Sollwertbestand (*.mxs)|*.mxs", "",
     TextKind::KeepsDefault},
    {"EditSollwert", "Msg_ErrorCaption", ""},
    {"EditSollwert", "OpenMsg1", ""},
    {"EditSollwert", "OpenMsg2", ""},
    {"EditSollwert", "OpenMsg3", ""},
    {"EditSollwert", "OpenMsg4", ""},
    {"EditSollwert", "MsgNotSaved", "The setpoints were not saved.", "", TextKind::KeepsDefault},
    {"EditSollwert", "Msg_waarschuwingCaption", ""},
    {"EditSollwert", "ZendMsg_10", ""}, // the five lines of the send question
    {"EditSollwert", "ZendMsg_20", ""},
    {"EditSollwert", "ZendMsg_30", ""},
    {"EditSollwert", "ZendMsg_40", ""},
    {"EditSollwert", "ZendMsg_50", ""},

    // What both editors add to guard the user's work: undo and redo, the
    // recent files, the print preview and the question before unsaved work
    // is left behind.  The controls have the same names in both windows.
    {"Bewerken", "menuBewerken", "Bewerken", "Bewerken"},
    {"Bewerken", "subOngedaanMaken", "Ongedaan maken", "OngedaanMaken"},
    {"Bewerken", "subOpnieuw", "Opnieuw", "Opnieuw"},
    {"Bewerken", "subRecent", "Recente bestanden", "RecenteBestanden"},
    {"Bewerken", "subAfdrukvoorbeeld", "Afdrukvoorbeeld...", "Afdrukvoorbeeld"},
    {"Bewerken", "CmdVoorbeeld", "Voorbeeld", "", TextKind::KeepsDefault}, // print window's OK
    {"Bewerken", "CaptionNietOpgeslagen", "Unsaved changes", "", TextKind::KeepsDefault},
    {"Bewerken", "MsgParNietOpgeslagen",
     "The parameters have changes that are not saved in a file. Save them first?", "",
     TextKind::KeepsDefault},
    {"Bewerken", "MsgSollNietOpgeslagen",
     "The setpoints have changes that are not saved in a file. Save them first?", "",
     TextKind::KeepsDefault},
    {"Bewerken", "MsgBestandWeg",
     "%1 is no longer there. It has been taken off the list of recent files.", "",
     TextKind::KeepsDefault},

    // Cam display; the row labels are set by the window itself.
    {"DisplayNokken", "Caption", "Display nokken", "FormDisplayNokken"},
    {"DisplayNokken", "RijTekst", "Uitg"}, // row label: RijTekst + "-" + output number
    {"DisplayNokken", "LabelNokNo", "Nok", "LabelNokNummer"},
    {"DisplayNokken", "LabelFuncte", "Functie", "LabelFunctie"},
    {"DisplayNokken", "LabelBron", "Bron", "LabelBron"},
    {"DisplayNokken", "LabelAanvang", "Aanvang", "LabelAanvang"},
    {"DisplayNokken", "LabelEinde", "Einde", "LabelEinde"},
    {"DisplayNokken", "LAbelHysteresis", "Hysteresis", "LabelHysteresis"},
    {"DisplayNokken", "LabelVervroeging", "Vervroeging", "LabelVervroeging"},

    // Log graph.  Its panel texts keep their built-in words without a
    // language file, so a started run never shows an empty panel.
    {"Grafiek", "CaptionGrafiek", "Istwerten", "FormGrafiek"},
    {"Grafiek", "LabelBuffer", "Buffer", "LabelBuffer"},
    {"Grafiek", "LabelAutoscroll", "Autoscroll", "CheckBoxAutoScroll"},
    {"Grafiek", "LabelHulplijnenXas", "Hulplijn", "CheckHulplijnenXas"},
    {"Grafiek", "LabelHulplijnenYas", "Hulplijn", "CheckHulplijnenYas"},
    {"Grafiek", "CmdStartLog", "Start", "CmdStartLog"},
    {"Grafiek", "CmdStopLog", "Stop", "CmdStopLog"},
    {"Grafiek", "GroepXas", "X", "GroupBox_Xas"},
    {"Grafiek", "GroepYas", "Y", "GroupBox_Yas"},
    {"Grafiek", "LabelBron", "Bron", "LabelBron"},
    // Sources by index: r0 .. r5 (position, velocity, analog out U and I,
    // analog in U and I).
    {"Grafiek", "optiesBron", "", "ComboBoxBron", TextKind::ItemList, 6},
    {"Grafiek", "PanelTekst0", "tekst 0", "", TextKind::KeepsDefault}, // time-out
    {"Grafiek", "PanelTekst1", "tekst 1", "", TextKind::KeepsDefault}, // other link error
    {"Grafiek", "PanelTekst2", "tekst 2", "", TextKind::KeepsDefault}, // logging started
    {"Grafiek", "PanelTekst3", "tekst 3", "", TextKind::KeepsDefault}, // logging stopped
    {"Grafiek", "PanelTekst4", "tekst 4", "", TextKind::KeepsDefault}, // buffer full
    // Ours: a CSV or PNG export that could not be written; the file and the
    // system's reason follow.
    {"Grafiek", "MsgNotSaved", "The file was not saved.", "", TextKind::KeepsDefault},

    // Reading and keeping the log graph's runs (ours): the buttons beside the
    // plot, the PNG menu, the statistics' captions and the messages of a
    // recording read back or streamed to a file.
    {"GrafiekExtra", "CmdFit", "Fit", "CmdFit"},
    {"GrafiekExtra", "CmdPauze", "Pause", "CmdPauze"},
    {"GrafiekExtra", "CmdVolg", "Follow", "CmdVolg"},
    {"GrafiekExtra", "CmdStatistiek", "Statistics", "CmdStatistiek"},
    {"GrafiekExtra", "CmdOpenRecording", "Open...", "CmdOpenRecording"},
    {"GrafiekExtra", "CmdNaarBestand", "To file...", "CmdStream"},
    {"GrafiekExtra", "PngHeleRun", "Whole run", "PngHeleRun"},
    {"GrafiekExtra", "PngZichtbaar", "Visible span", "PngZichtbaar"},
    {"GrafiekExtra", "TipPlot", "", ""},
    {"GrafiekExtra", "CaptionOpen", "Open recording", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "CaptionStream", "Record to file", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "StatZicht", "Visible", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "StatRun", "Whole run", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "StatMin", "Min", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "StatMax", "Max", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "StatGemiddeld", "Mean", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "StatAantal", "Samples", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "StatPerSec", "per s", "", TextKind::KeepsDefault},
    // %1 the time and %2 the value of one division.
    {"GrafiekExtra", "TitelSchaal", "X: %1 s/div   Y: %2/div", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "MsgGeenOpname", "This is not a KQM52 recording.", "",
     TextKind::KeepsDefault},
    // %1 the number of the line that did not read.
    {"GrafiekExtra", "MsgRegel", "Line %1:", "", TextKind::KeepsDefault},
    {"GrafiekExtra", "MsgNietGeopend", "The file could not be opened.", "",
     TextKind::KeepsDefault},
    {"GrafiekExtra", "MsgBestandGestopt", "Recording stopped: the file could not be written.", "",
     TextKind::KeepsDefault},
    {"GrafiekExtra", "MsgVerbindingGestopt", "Recording stopped by a link error.", "",
     TextKind::KeepsDefault},
    // %3 samples, %4 the time of the last one.
    {"GrafiekExtra", "MsgBewaard", "The file keeps %3 samples, up to %4.", "",
     TextKind::KeepsDefault},

    // Calibration.  Its captions are fixed; only its messages are here, the
    // panel's words shown with or without a language file.
    {"Calibratie", "MsgTimeout", "Timeout!", "", TextKind::KeepsDefault},
    {"Calibratie", "MsgCommunicatieError", "Communicatie error", "", TextKind::KeepsDefault},
    // Opened while the port is closed.
    {"Calibratie", "MsgPoortGesloten", "Poort gesloten", "", TextKind::KeepsDefault},
    // %1 the reply whose value is not a number.
    {"Calibratie", "MsgGeenGetal", "Geen getal: %1", "", TextKind::KeepsDefault},
    // %1 the field ("DA Spanning Gain +"), %2 what was typed, %3 and %4 the limits.
    {"Calibratie", "MsgBuitenBereik", "%1: %2 ligt buiten %3 tot %4 en is niet verzonden.", "",
     TextKind::KeepsDefault},
    // %1 the field, %2 the value the unit holds, %3 and %4 the field's limits.
    {"Calibratie", "MsgWaardeBuitenBereik",
     "%1: het apparaat heeft %2, buiten %3 tot %4. Alleen een waarde binnen die grenzen wordt "
     "verzonden.",
     "", TextKind::KeepsDefault},
    // %1 the bytes received, %2 the most the reply buffer holds.
    {"Calibratie", "MsgAntwoordTeLang",
     "Antwoord te lang (%1 bytes, ten hoogste %2) en niet gebruikt.", "", TextKind::KeepsDefault},
    // %1 the request, %2 the reply that does not echo it.
    {"Calibratie", "MsgAntwoordNietGevraagd",
     "Antwoord hoort niet bij \"%1\" en is niet gebruikt: %2", "", TextKind::KeepsDefault},
    // The question on closing with constants sent but not stored in the EEPROM.
    {"Calibratie", "Msg_waarschuwingCaption", "Waarschuwing", "", TextKind::KeepsDefault},
    {"Calibratie", "MsgNietOpgeslagen",
     "Er zijn calibratie waarden naar de MX5x...gezonden maar nog niet gesaved in EEPROM. Wilt U "
     "toch afsluiten?",
     "", TextKind::KeepsDefault},
    // Compare with the unit, from the parameter editor.  Ours, so each keeps its
    // text without a language file.
    {"CompareParam", "Caption", "Compare with the unit", "", TextKind::KeepsDefault},
    {"CompareParam", "MenuItem", "Compare with the unit...", "", TextKind::KeepsDefault},
    {"CompareParam", "Kolom0", "Group", "", TextKind::KeepsDefault},
    {"CompareParam", "Kolom1", "No.", "", TextKind::KeepsDefault},
    {"CompareParam", "Kolom2", "Name", "", TextKind::KeepsDefault},
    {"CompareParam", "Kolom3", "Unit", "", TextKind::KeepsDefault},
    {"CompareParam", "Kolom4", "Table", "", TextKind::KeepsDefault},
    {"CompareParam", "Kolom5", "Unit option", "", TextKind::KeepsDefault},
    {"CompareParam", "Kolom6", "Table option", "", TextKind::KeepsDefault},
    {"CompareParam", "Kolom7", "Result", "", TextKind::KeepsDefault},
    {"CompareParam", "Summary", "%1 parameters differ between the unit and the editor's table.", "", TextKind::KeepsDefault},
    {"CompareParam", "NoDifferences", "No differences: the unit holds the same values as the editor's table.", "", TextKind::KeepsDefault},
    {"CompareParam", "Requests", "Writing the %1 ticked values sends %2 requests (%1 times \"wp\", then \"bp\"); sending the whole table takes %3.", "", TextKind::KeepsDefault},
    {"CompareParam", "NoneTicked", "Nothing ticked: tick the parameters to write or to take with the space bar.", "", TextKind::KeepsDefault},
    {"CompareParam", "CmdWrite", "Write ticked to the unit", "", TextKind::KeepsDefault},
    {"CompareParam", "CmdTake", "Take the unit's values", "", TextKind::KeepsDefault},
    {"CompareParam", "CmdClose", "Close", "", TextKind::KeepsDefault},
    {"CompareParam", "StateWritten", "written", "", TextKind::KeepsDefault},
    {"CompareParam", "StateRefused", "refused (%1)", "", TextKind::KeepsDefault},
    {"CompareParam", "StateNotWritten", "not written", "", TextKind::KeepsDefault},
    {"CompareParam", "StateTaken", "taken", "", TextKind::KeepsDefault},
    {"CompareParam", "MsgCaption", "Compare with the unit", "", TextKind::KeepsDefault},
    {"CompareParam", "MsgAllWritten", "The unit took all %1 values and recomputed its parameters.", "", TextKind::KeepsDefault},
    {"CompareParam", "MsgWritten", "Written: %1", "", TextKind::KeepsDefault},
    {"CompareParam", "MsgRefused", "Refused by the unit: %1", "", TextKind::KeepsDefault},
    {"CompareParam", "MsgNotWritten", "Not written: %1", "", TextKind::KeepsDefault},
    {"CompareParam", "MsgStoppedAt", "The transfer stopped at %1; from there on the unit keeps its old values.", "", TextKind::KeepsDefault},
    {"CompareParam", "MsgNoCompute", "The unit has not confirmed recomputing its parameters (\"bp\").", "", TextKind::KeepsDefault},
    {"CompareParam", "MsgComputeFailed", "The unit did not recompute its parameters; it answered \"bp %1\".", "", TextKind::KeepsDefault},
    {"CompareParam", "MsgTaken", "%1 values taken from the unit into the editor's table.", "", TextKind::KeepsDefault},
    // What is wrong with a value as typed, wherever it is typed.
    {"Ingave", "NotAValue", "%1: \"%2\" is not a value with %3 decimals (written as the editor shows it, such as %4)", "", TextKind::KeepsDefault},
    {"Ingave", "TooManyDigits", "%1: \"%2\" has more digits than a value can hold", "", TextKind::KeepsDefault},
    {"Ingave", "OutsideLimits", "%1: %2 lies outside the limits %3 ... %4", "", TextKind::KeepsDefault},
    {"Ingave", "NotAnOption", "%1: \"%2\" is not one of its options: %3", "", TextKind::KeepsDefault},
    // kqm52ctl's messages: errors, summaries and its one question.  Ours, so each
    // keeps its English text without a language file.
    {"Ctl", "FileRefused", "%1: refused: %2", "", TextKind::KeepsDefault},
    {"Ctl", "UsageHint", "(kqm52ctl %1 --help tells how)", "", TextKind::KeepsDefault},
    {"Ctl", "OptCommand", "unknown command \"%1\"", "", TextKind::KeepsDefault},
    {"Ctl", "OptBaud", "--baud %1: not a speed the port knows", "", TextKind::KeepsDefault},
    {"Ctl", "OptParity", "--parity %1: give N, E or O", "", TextKind::KeepsDefault},
    {"Ctl", "OptStopBits", "--stopbits %1: give 1 or 2", "", TextKind::KeepsDefault},
    {"Ctl", "OptUnit", "--unit %1: give one unit 0 ... 31", "", TextKind::KeepsDefault},
    {"Ctl", "OptUnits", "--units %1: give a list or range of units 0 ... 31, such as 0-3 or 1,4,7", "", TextKind::KeepsDefault},
    {"Ctl", "OptLang", "--lang %1: give 0 or nl, 1 or en, 2 or de", "", TextKind::KeepsDefault},
    {"Ctl", "OptPort", "--port %1: not a port kqm52ctl knows; give COM1 ... COM16, a device path such as /dev/ttyUSB0, or sim", "", TextKind::KeepsDefault},
    {"Ctl", "OptHelpHint", "(kqm52ctl --help tells how)", "", TextKind::KeepsDefault},
    {"Ctl", "NoCommand", "no command given", "", TextKind::KeepsDefault},
    {"Ctl", "SelectAnswered", "unit %1 answered \"sc %1\" with \"%2\"", "", TextKind::KeepsDefault},
    {"Ctl", "NoAnswer", "unit %1 does not answer at %2 on %3: %4", "", TextKind::KeepsDefault},
    {"Ctl", "UnitError", "unit %1: %2", "", TextKind::KeepsDefault},
    {"Ctl", "UnitFailed", "unit %1  failed: %2", "", TextKind::KeepsDefault},
    {"Ctl", "UnitSummary", "unit %1  %2", "", TextKind::KeepsDefault},
    {"Ctl", "UnitsFailed", "%1 of %2 units failed", "", TextKind::KeepsDefault},
    {"Ctl", "ValuesPerSecond", "values/s", "", TextKind::KeepsDefault},
    {"Ctl", "ComputeRefused", "%1: the unit did not take the values over: \"bp\" answered \"%2\"", "", TextKind::KeepsDefault},
    {"Ctl", "ValuesRead", "%1 of %2 values read", "", TextKind::KeepsDefault},
    {"Ctl", "StoppedByCtrlC", "%1: stopped by Ctrl+C. %2", "", TextKind::KeepsDefault},
    {"Ctl", "StoppedBySignal", "%1: stopped. %2", "", TextKind::KeepsDefault},
    {"Ctl", "TransferRefused", "%1: the unit refused %2 = %3 (\"er 7\"). %4", "", TextKind::KeepsDefault},
    {"Ctl", "TransferBadReply", "%1: stopped at %2, the unit's reply could not be used. %3", "", TextKind::KeepsDefault},
    {"Ctl", "TransferStopped", "%1: stopped at %2: %3. %4", "", TextKind::KeepsDefault},
    {"Ctl", "SimBus", "the built-in simulated bus", "", TextKind::KeepsDefault},
    {"Ctl", "NoArguments", "%1 takes no arguments", "", TextKind::KeepsDefault},
    {"Ctl", "ScanProgress", "scan unit %1 at %2", "", TextKind::KeepsDefault},
    {"Ctl", "ScanStopped", "scan stopped by Ctrl+C at unit %1", "", TextKind::KeepsDefault},
    {"Ctl", "ScanStoppedBySignal", "scan stopped at unit %1", "", TextKind::KeepsDefault},
    {"Ctl", "UnitsFound", "%1 units found", "", TextKind::KeepsDefault},
    {"Ctl", "OneUnitOnly", "%1 works on one unit", "", TextKind::KeepsDefault},
    {"Ctl", "GetWhich", "get: which parameters?", "", TextKind::KeepsDefault},
    {"Ctl", "GetRange", "get %1: a parameter is 0 ... 399", "", TextKind::KeepsDefault},
    {"Ctl", "AnsweredWith", "\"%1\" was answered with \"%2\"", "", TextKind::KeepsDefault},
    {"Ctl", "SetWhich", "set: which parameters, N=V?", "", TextKind::KeepsDefault},
    {"Ctl", "SetSyntax", "set %1: give N=V, N a parameter 0 ... 399", "", TextKind::KeepsDefault},
    {"Ctl", "SetTwice", "P%1 is given twice: %2 and %3", "", TextKind::KeepsDefault},
    {"Ctl", "NothingWritten", "Nothing was written.", "", TextKind::KeepsDefault},
    {"Ctl", "ValuesWritten", "%1 %2 of %3 values were written.", "", TextKind::KeepsDefault},
    {"Ctl", "StoppedBefore", "Stopped by Ctrl+C before P%1.", "", TextKind::KeepsDefault},
    {"Ctl", "StoppedBeforeBySignal", "Stopped before P%1.", "", TextKind::KeepsDefault},
    {"Ctl", "UnitRefused", "The unit refused %1 (\"%2\").", "", TextKind::KeepsDefault},
    {"Ctl", "Written", "%1  written", "", TextKind::KeepsDefault},
    {"Ctl", "TakesOverWithLoad", "The unit takes them over with \"bp\" (--load).", "", TextKind::KeepsDefault},
    {"Ctl", "BpNoConfirm", "\"bp\": %1. The values were written; the unit has not confirmed taking them over.", "", TextKind::KeepsDefault},
    {"Ctl", "BpRefused", "the unit did not take the values over: \"bp\" answered \"%1\"", "", TextKind::KeepsDefault},
    {"Ctl", "TookOver", "The unit took them over (\"bp\").", "", TextKind::KeepsDefault},
    {"Ctl", "FolderNotMade", "%1: the folder cannot be made", "", TextKind::KeepsDefault},
    {"Ctl", "Wrote", "wrote %1", "", TextKind::KeepsDefault},
    {"Ctl", "WouldRefuse", "the unit would refuse these values:", "", TextKind::KeepsDefault},
    {"Ctl", "LimitLine", "%1 = %2 (limits %3 ... %4)", "", TextKind::KeepsDefault},
    {"Ctl", "AndMore", "and %1 more", "", TextKind::KeepsDefault},
    {"Ctl", "NothingSent", "Nothing was sent.", "", TextKind::KeepsDefault},
    {"Ctl", "SentValues", "sent %1 values", "", TextKind::KeepsDefault},
    {"Ctl", "FileWouldRefuse", "%1 holds values the unit would refuse:", "", TextKind::KeepsDefault},
    {"Ctl", "RestoreNeedsYes", "restore overwrites every parameter and setpoint of the unit; give --yes to do so without a question", "", TextKind::KeepsDefault},
    {"Ctl", "RestoreQuestion", "Overwrite all parameters and setpoints of unit %1 on %2 with %3? [y/N]", "", TextKind::KeepsDefault},
    {"Ctl", "NotConfirmed", "not confirmed; nothing was sent", "", TextKind::KeepsDefault},
    {"Ctl", "YesWords", "y yes", "", TextKind::KeepsDefault},
    {"Ctl", "Restored", "restored %1 values from %2", "", TextKind::KeepsDefault},
    {"Ctl", "DiffUnits", "--units compares units: diff unit B", "", TextKind::KeepsDefault},
    {"Ctl", "UnitDifferences", "unit %1  %2 differences", "", TextKind::KeepsDefault},
    {"Ctl", "PortNotOpened", "%1 cannot be opened: %2", "", TextKind::KeepsDefault},
    {"Ctl", "PortNotSetUp", "%1 cannot be set up: %2", "", TextKind::KeepsDefault},
    {"Ctl", "CommTimeout", "no reply within the wait time", "", TextKind::KeepsDefault},
    {"Ctl", "CommDriver", "the serial driver failed: %1 (error %2)", "", TextKind::KeepsDefault},
    {"Ctl", "CommLine", "line errors (flags %1): check speed, parity and wiring", "", TextKind::KeepsDefault},
    {"Ctl", "CommClosed", "the port is closed", "", TextKind::KeepsDefault},
    {"Ctl", "CommOther", "link error %1 (%2, %3)", "", TextKind::KeepsDefault},
    // The help (--help), one paragraph a text; kqm52ctl wraps each to 79 columns.
    {"Ctl", "HelpUsage", "Usage: %1", "", TextKind::KeepsDefault},
    {"Ctl", "HelpAbout", "The KQM52 service tool for scripts: one MX5x unit, or a bus of them, from the command line.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpCommands", "Commands:", "", TextKind::KeepsDefault},
    {"Ctl", "HelpMore", "\"kqm52ctl COMMAND --help\" tells more of one command.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpCommandWord", "COMMAND", "", TextKind::KeepsDefault},
    {"Ctl", "HelpArgumentsWord", "ARGUMENTS", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptionsWord", "OPTIONS", "", TextKind::KeepsDefault},
    {"Ctl", "HelpPorts", "Lists the serial ports present, with their USB descriptions, the ports application.ini maps, and \"sim\", the built-in simulated bus.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpScan", "Searches the bus for units 0 ... 31 at every speed from --baud (default 9600) up to 57600, with the port's parity and stop bits, or with every parity and both stop bits (--all-settings). One line per unit found: unit number, line settings, type text.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpInfo", "Selects the unit and prints its type, hardware and extra lines (\"rt\", \"rh\", \"rx\").", "", TextKind::KeepsDefault},
    {"Ctl", "HelpGet", "Reads parameters N (0 ... 399) and prints number, name and value with the decimals the parameter editor shows, and the option text of a list.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpSet", "Writes parameters, values typed as the editor shows them (\"7=12,50\"). Every value is checked against the catalogue's limits before anything is written. --load then has the unit take them over (\"bp\").", "", TextKind::KeepsDefault},
    {"Ctl", "HelpReceive", "Reads the unit's parameters (.mxp), setpoints (.mxs) or both (FILE is then the name without extension: FILE.mxp and FILE.mxs). A file is written whole once everything was read, or not at all.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpSend", "Writes a parameter file, a setpoint file or both (FILE without extension) to the unit; \"bp\" after parameters. Values outside the limits are refused before anything is sent.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpBackup", "Saves all parameters and setpoints of the unit in a backup file.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpRestore", "Writes a backup file into the unit. Asks first on a terminal; scripts give --yes.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpDiff", "Lists every parameter whose value differs: number, name, both values as shown, option texts. Prints nothing and exits 0 when both are the same; exits 1 when they differ.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpUnitsFolder", "(--units LIST: FILE is a folder)", "", TextKind::KeepsDefault},
    {"Ctl", "HelpDiffSides", "(A: unit or FILE.mxp, B: FILE.mxp; --units LIST with A = unit)", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptions", "Options for every command:", "", TextKind::KeepsDefault},
    // "%1" the forms of the port families (PortFormsOr)
    {"Ctl", "HelpOptPort", "COM1 ... COM16 (through the port map of application.ini), %1", "", TextKind::KeepsDefault},
    // The forms a port value takes, one a driver family (link/PortFamily.cpp).
    {"Ctl", "PortFormDevice", "a device path such as /dev/ttyUSB0", "", TextKind::KeepsDefault},
    {"Ctl", "PortFormSim", "sim", "", TextKind::KeepsDefault},
    // The last form after the others: "%1" those before, "%2" the last.
    {"Ctl", "PortFormsOr", "%1, or %2", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptBaud", "1200 ... 115200", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptParity", "N, E or O", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptStopBits", "1 or 2", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptUnit", "the unit 0 ... 31", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptUnits", "a list or range, \"0-31\" or \"1,4,7-9\" (info, receive, backup, diff)", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptLang", "0 or nl Dutch, 1 or en English, 2 or de German: messages, help, names and option texts", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptFast", "fast framing (a reply ends at its line end, not after 50 ms)", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptJson", "one JSON document on standard output", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptQuiet", "no summary lines, only data and errors", "", TextKind::KeepsDefault},
    {"Ctl", "HelpOptHelp", "this help, or the help of the command given", "", TextKind::KeepsDefault},
    {"Ctl", "HelpSettings", "Port, line settings and unit come from application.ini when it is there (beside the program, or in ~/.config/kqm52 when installed); options override them.", "", TextKind::KeepsDefault},
    {"Ctl", "HelpExitCodes", "Exit codes: 0 done, 1 differences found (diff), 2 usage, 3 no reply or link error, 4 refused by the unit, 5 file error, 6 some units of a --units run failed, 130 stopped by Ctrl+C, 143 stopped by SIGTERM.", "", TextKind::KeepsDefault},
};
// clang-format on

// The whole table, by window, keys in the order the window reads them.
constexpr std::span<const TextKey> textKeys() {
    return kTextTable;
}

namespace detail {

constexpr char lowerTextChar(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

constexpr bool sameTextName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerTextChar(a[i]) != lowerTextChar(b[i])) return false;
    return true;
}

// key is prefix followed by n in decimal ("PanelTekst" and 10: "PanelTekst10").
constexpr bool isNumberedName(std::string_view key, std::string_view prefix, int n) {
    if (n < 0 || key.size() <= prefix.size() || !sameTextName(key.substr(0, prefix.size()), prefix))
        return false;
    char digits[12] = {};
    int count = 0;
    do {
        digits[count++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    std::string_view rest = key.substr(prefix.size());
    if (rest.size() != std::size_t(count)) return false;
    for (int i = 0; i < count; ++i)
        if (rest[std::size_t(i)] != digits[count - 1 - i]) return false;
    return true;
}

consteval const TextKey* textKeyAt(std::string_view section, std::string_view key) {
    for (const TextKey& k : kTextTable)
        if (sameTextName(k.section, section) && sameTextName(k.key, key)) return &k;
    // Reached only for a name the table lacks: the build stops here.
    throw "no such section and key in the text table";
}

consteval const TextKey* numberedKeyAt(std::string_view section, std::string_view prefix, int n) {
    for (const TextKey& k : kTextTable)
        if (sameTextName(k.section, section) && isNumberedName(k.key, prefix, n)) return &k;
    throw "no such numbered text in the text table";
}

} // namespace detail

// A section or key name as a template argument: TextIn<"Grafiek">.
template <std::size_t N> struct TextName {
    char chars[N] = {};
    consteval TextName(const char (&name)[N]) {
        for (std::size_t i = 0; i < N; ++i)
            chars[i] = name[i];
    }
    constexpr std::string_view view() const { return {chars, N - 1}; }
};

// A row of the table named in code; a misspelt section or key does not build.
class TextId {
  public:
    consteval TextId(std::string_view section, std::string_view key)
        : key_(detail::textKeyAt(section, key)) {}
    const TextKey& operator*() const { return *key_; }
    const TextKey* operator->() const { return key_; }
    friend constexpr bool operator==(TextId a, TextId b) { return a.key_ == b.key_; }

  private:
    struct Numbered {};
    consteval TextId(Numbered, std::string_view section, std::string_view prefix, int n)
        : key_(detail::numberedKeyAt(section, prefix, n)) {}
    template <TextName, TextName, int> friend class TextSeries;
    constexpr explicit TextId(const TextKey* key) : key_(key) {}
    friend std::optional<TextId> textIdNamed(std::string_view section, std::string_view key);

    const TextKey* key_;
};

// A row named at run time, for a layer below the texts that can hold the
// names only as strings (the port families' words, link/PortFamily.h): none
// for a name the table lacks, which the data test rules out for those.
std::optional<TextId> textIdNamed(std::string_view section, std::string_view key);

// The keys of one section, for a window that reads many of them:
//     using Text = TextIn<"EditParam">;   language.text(Text{"OpenCaption"})
// A key the section lacks does not build.
template <TextName Section> class TextIn {
  public:
    consteval TextIn(const char* key) : id_(Section.view(), key) {}
    // consteval, so a named text folds to its row where it is written: clang
    // 14 fails to build a member call on such a temporary at run time.
    consteval operator TextId() const { return id_; }
    // For a key handed on as a parameter, no longer a constant there.
    constexpr TextId id() const { return id_; }

  private:
    TextId id_;
};

// A numbered series of keys in one section, Prefix0 .. Prefix(Count-1), as
// the windows' message panels number their texts:
//     using PanelTekst = TextSeries<"Grafiek", "PanelTekst", 5>;
//     language.text(PanelTekst{4})
// A series builds only when the table holds every one of its keys, and an
// index is a constant checked against Count: PanelTekst{5} does not build.
template <TextName Section, TextName Prefix, int Count> class TextSeries {
  public:
    static constexpr int count = Count;

    // Naming one text checks the whole series, whichever index is used.
    consteval TextSeries(int n) : id_((all(), at(n))) {}
    consteval operator TextId() const { return id_; }

    // Every key of the series, in order, for a window that hands them on.
    static consteval std::array<TextId, Count> all() {
        return allOf(std::make_index_sequence<Count>());
    }

  private:
    // A member template rather than a lambda: clang 14 does not see the
    // lambda's pack as constant and refuses the consteval call inside it.
    template <std::size_t... I>
    static consteval std::array<TextId, Count> allOf(std::index_sequence<I...>) {
        return {at(int(I))...};
    }
    static consteval TextId at(int n) {
        if (n < 0 || n >= Count) throw "index beyond the text series";
        return TextId(TextId::Numbered{}, Section.view(), Prefix.view(), n);
    }
    TextId id_;
};

// The one of ids whose key is key (case-insensitive), or nullptr: for a key
// chosen at run time by a file reader, matched only against texts the table
// is known to hold.
const TextId* textAmong(std::span<const TextId> ids, QAnyStringView key);

} // namespace kqm52
