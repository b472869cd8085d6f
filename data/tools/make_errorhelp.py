#!/usr/bin/env python3
"""Writes ErrorHelp0.rtf .. ErrorHelp2.rtf, the device's error numbers explained
in each language.  The files are 7-bit ASCII: every other character is written
as \\'hh of code page 1252.

    python3 data/tools/make_errorhelp.py [--out DIR]

Part of data/tools/make_data.py, which writes every data file.
"""

import sys

from datafiles import LANGS, escaped, main, product

# ErrorHelp0.rtf .. ErrorHelp2.rtf: the numbers that "rf" reports.

ERRORS = [
    (1, ("Positiesensor: geen signaal",
         "De MX52 ontvangt geen signaal van de positiesensor. Controleer de kabel, de stekker en de "
         "voeding van de sensor, en of parameter 201 (Positiesensor) bij de aangesloten sensor past. "
         "De bewaking staat aan met parameter 221."),
        ("Position sensor: no signal",
         "The MX52 receives no signal from the position sensor. Check the cable, the connector and "
         "the sensor's supply, and that parameter 201 (Position sensor) matches the sensor connected. "
         "Parameter 221 switches this monitoring on."),
        ("Positionsgeber: kein Signal",
         "Die MX52 empfängt kein Signal vom Positionsgeber. Prüfen Sie Kabel, Stecker und Versorgung "
         "des Gebers und ob Parameter 201 (Positionsgeber) zum angeschlossenen Geber passt. "
         "Parameter 221 schaltet diese Überwachung ein.")),
    (2, ("SSI: geen geldig telegram",
         "De SSI-sensor antwoordt niet of niet volledig op de klok. Controleer de klok- en "
         "datadraden, de afscherming, de kabellengte in verhouding tot de klokfrequentie "
         "(parameter 216) en het aantal bits (parameter 214)."),
        ("SSI: no valid telegram",
         "The SSI sensor does not answer the clock, or not completely. Check the clock and data wires, "
         "the screen, the cable length against the clock rate (parameter 216) and the number of bits "
         "(parameter 214)."),
        ("SSI: kein gültiges Telegramm",
         "Der SSI-Geber antwortet nicht oder nicht vollständig auf den Takt. Prüfen Sie Takt- und "
         "Datenleitungen, die Schirmung, die Kabellänge im Verhältnis zur Taktfrequenz (Parameter 216) "
         "und die Bitzahl (Parameter 214).")),
    (3, ("SSI: foutbit van de sensor",
         "De SSI-sensor meldt zelf een storing via zijn foutbit (parameter 220). Zie de handleiding "
         "van de sensor; vaak gaat het om vervuiling, een defecte LED of te hoge temperatuur."),
        ("SSI: sensor error bit",
         "The SSI sensor itself reports a fault through its error bit (parameter 220). See the "
         "sensor's manual; the usual causes are dirt, a failed LED or overheating."),
        ("SSI: Fehlerbit des Gebers",
         "Der SSI-Geber meldet selbst eine Störung über sein Fehlerbit (Parameter 220). Siehe "
         "Handbuch des Gebers; häufige Ursachen sind Verschmutzung, eine defekte LED oder Übertemperatur.")),
    (4, ("SSI: positiesprong te groot",
         "Twee opeenvolgende SSI-posities liggen verder uit elkaar dan parameter 222 toestaat. Oorzaak "
         "is meestal een storing op de datalijn of een verkeerde SSI-code (parameter 215)."),
        ("SSI: position jump too large",
         "Two successive SSI positions lie further apart than parameter 222 allows. The usual cause "
         "is interference on the data line or a wrong SSI code (parameter 215)."),
        ("SSI: Positionssprung zu groß",
         "Zwei aufeinanderfolgende SSI-Positionen liegen weiter auseinander, als Parameter 222 "
         "erlaubt. Ursache ist meist eine Störung auf der Datenleitung oder ein falscher SSI-Code "
         "(Parameter 215).")),
    (5, ("Incrementele encoder: spoorfout",
         "De sporen A en B van de encoder wisselen ongeldig (beide tegelijk) of een signaal ontbreekt. "
         "Telpulsen zijn verloren gegaan: controleer kabel en afscherming en zoek de referentie opnieuw."),
        ("Incremental encoder: track error",
         "Tracks A and B of the encoder changed together, or one signal is missing. Counts have been "
         "lost: check the cable and its screen, and reference the axis again."),
        ("Inkrementalgeber: Spurfehler",
         "Die Spuren A und B des Gebers wechseln ungültig (beide gleichzeitig) oder ein Signal fehlt. "
         "Es sind Zählimpulse verloren gegangen: Kabel und Schirmung prüfen und die Achse neu referenzieren.")),
    (6, ("Referentie niet gevonden",
         "Bij het zoeken van de referentie via K0 kwam de referentie niet binnen het referentievenster "
         "(parameter 213). Controleer de referentieschakelaar op K0 en parameters 211 tot 213."),
        ("Reference not found",
         "While referencing through K0 the reference mark did not come within the reference window "
         "(parameter 213). Check the reference switch on K0 and parameters 211 to 213."),
        ("Referenz nicht gefunden",
         "Beim Referenzieren über K0 kam die Referenzmarke nicht innerhalb des Referenzfensters "
         "(Parameter 213). Prüfen Sie den Referenzschalter an K0 und die Parameter 211 bis 213.")),
    (7, ("Overtoeren",
         "De snelheid is hoger dan de overtoerengrens (parameter 230). Parameter 231 bepaalt of de "
         "uitgangen dan uitgaan."),
        ("Over-speed",
         "The speed is above the over-speed limit (parameter 230). Parameter 231 decides whether the "
         "outputs are then switched off."),
        ("Überdrehzahl",
         "Die Geschwindigkeit liegt über der Überdrehzahlgrenze (Parameter 230). Parameter 231 legt "
         "fest, ob die Ausgänge dann abgeschaltet werden.")),
    (8, ("Software-eindschakelaar min",
         "De positie is kleiner dan de software-eindschakelaar min (parameter 234). De bewaking staat "
         "aan met parameter 236."),
        ("Software limit min",
         "The position is below the software limit min (parameter 234). Parameter 236 switches this "
         "monitoring on."),
        ("Software-Endschalter min",
         "Die Position ist kleiner als der Software-Endschalter min (Parameter 234). Parameter 236 "
         "schaltet diese Überwachung ein.")),
    (9, ("Software-eindschakelaar max",
         "De positie is groter dan de software-eindschakelaar max (parameter 235). De bewaking staat "
         "aan met parameter 236."),
        ("Software limit max",
         "The position is above the software limit max (parameter 235). Parameter 236 switches this "
         "monitoring on."),
        ("Software-Endschalter max",
         "Die Position ist größer als der Software-Endschalter max (Parameter 235). Parameter 236 "
         "schaltet diese Überwachung ein.")),
    (10, ("EEPROM: checksum parameters",
          "De parameters in het EEPROM zijn beschadigd. De MX52 is gestart met de standaardwaarden. "
          "Zend een parameterbestand of zet een backup terug en laad de parameters."),
         ("EEPROM: parameter checksum",
          "The parameters in the EEPROM are corrupt. The MX52 has started with the default values. "
          "Send a parameter file or restore a backup, and load the parameters."),
         ("EEPROM: Prüfsumme Parameter",
          "Die Parameter im EEPROM sind beschädigt. Die MX52 ist mit den Standardwerten gestartet. "
          "Senden Sie eine Parameterdatei oder stellen Sie eine Sicherung wieder her und laden Sie die Parameter.")),
    (11, ("EEPROM: checksum kalibratie",
          "De kalibratiewaarden van de analoge in- en uitgangen zijn beschadigd; de analoge waarden "
          "zijn onnauwkeurig. Laat het apparaat opnieuw kalibreren."),
         ("EEPROM: calibration checksum",
          "The calibration constants of the analog inputs and outputs are corrupt; analog values are "
          "inaccurate. Have the unit calibrated again."),
         ("EEPROM: Prüfsumme Kalibrierung",
          "Die Kalibrierwerte der analogen Ein- und Ausgänge sind beschädigt; die Analogwerte sind "
          "ungenau. Lassen Sie das Gerät neu kalibrieren.")),
    (12, ("EEPROM: schrijffout",
          "Het EEPROM kon niet worden beschreven. Staat de schrijfbeveiliging (parameter 238) aan? "
          "Blijft de fout, dan is het EEPROM defect."),
         ("EEPROM: write error",
          "The EEPROM could not be written. Is the write protection (parameter 238) on? If the error "
          "persists, the EEPROM is faulty."),
         ("EEPROM: Schreibfehler",
          "Das EEPROM konnte nicht beschrieben werden. Ist der Schreibschutz (Parameter 238) "
          "eingeschaltet? Bleibt der Fehler, ist das EEPROM defekt.")),
    (13, ("Parameters inconsistent",
          "Bij het laden (\"bp\") bleek een parameter buiten zijn grenzen te liggen of niet bij de "
          "andere te passen, bijvoorbeeld een nok zonder uitgang of met aanvang gelijk aan einde. "
          "Het apparaat noemt het nummer van de eerste foute parameter."),
         ("Parameters inconsistent",
          "On loading (\"bp\") a parameter was found outside its limits or not matching the others, "
          "for example a cam without an output, or with its start equal to its end. The unit names "
          "the number of the first parameter at fault."),
         ("Parameter inkonsistent",
          "Beim Laden (\"bp\") lag ein Parameter außerhalb seiner Grenzen oder passte nicht zu den "
          "anderen, zum Beispiel eine Nocke ohne Ausgang oder mit Anfang gleich Ende. Das Gerät nennt "
          "die Nummer des ersten fehlerhaften Parameters.")),
    (14, ("Nok buiten de as",
          "De aanvang of het einde van een actieve nok ligt buiten 0 tot de aslengte (parameter 208) "
          "van een ronde as. Controleer aanvang en einde van de actieve nokken (Nokkenoverzicht)."),
         ("Cam outside the axis",
          "The start or end of an active cam lies outside 0 to the axis length (parameter 208) of a "
          "rotary axis. Check the start and end of the active cams (Cam display)."),
         ("Nocke außerhalb der Achse",
          "Anfang oder Ende einer aktiven Nocke liegt außerhalb von 0 bis zur Achslänge (Parameter 208) "
          "einer Rundachse. Prüfen Sie Anfang und Ende der aktiven Nocken (Nockenanzeige).")),
    (15, ("Uitgang overbelast",
          "Een van de uitgangen 1 tot 4 is kortgesloten of te zwaar belast en is uitgeschakeld. "
          "Controleer de bedrading en de aangesloten last."),
         ("Output overload",
          "One of outputs 1 to 4 is short-circuited or overloaded and has been switched off. Check "
          "the wiring and the load connected."),
         ("Ausgang überlastet",
          "Einer der Ausgänge 1 bis 4 ist kurzgeschlossen oder überlastet und wurde abgeschaltet. "
          "Prüfen Sie die Verdrahtung und die angeschlossene Last.")),
    (16, ("Voedingsspanning te laag",
          "De 24 V voeding van de MX52 of van de uitgangen is onder de toegestane waarde gezakt."),
         ("Supply voltage too low",
          "The 24 V supply of the MX52 or of its outputs has dropped below the permitted value."),
         ("Versorgungsspannung zu niedrig",
          "Die 24-V-Versorgung der MX52 oder ihrer Ausgänge ist unter den zulässigen Wert gesunken.")),
    (17, ("Analoge ingang buiten bereik",
          "De waarde op de analoge ingang ligt buiten het ingestelde bereik (parameters 226, 228, "
          "229); bij 4-20 mA betekent minder dan 3,6 mA meestal een draadbreuk."),
         ("Analog input out of range",
          "The value on the analog input lies outside the range set (parameters 226, 228, 229); with "
          "4-20 mA, less than 3.6 mA usually means a broken wire."),
         ("Analogeingang außerhalb des Bereichs",
          "Der Wert am Analogeingang liegt außerhalb des eingestellten Bereichs (Parameter 226, 228, "
          "229); bei 4-20 mA bedeuten weniger als 3,6 mA meist einen Drahtbruch.")),
    (18, ("Duimwiel: ongeldige waarde",
          "Een duimwiel levert een cijfer dat geen geldige BCD-waarde is. Controleer het duimwiel, de "
          "bedrading en de parameters 239 tot 242."),
         ("Thumbwheel: invalid value",
          "A thumbwheel delivers a digit that is not a valid BCD value. Check the thumbwheel, its "
          "wiring and parameters 239 to 242."),
         ("Daumenrad: ungültiger Wert",
          "Ein Daumenrad liefert eine Ziffer, die kein gültiger BCD-Wert ist. Prüfen Sie das "
          "Daumenrad, die Verdrahtung und die Parameter 239 bis 242.")),
    (19, ("Communicatiebewaking",
          "Binnen de tijd van parameter 248 is er geen verzoek over de seriële lijn gekomen. Parameter "
          "394 bepaalt of de uitgangen dan uitgaan."),
         ("Communication watchdog",
          "No request came over the serial line within the time of parameter 248. Parameter 394 "
          "decides whether the outputs are then switched off."),
         ("Kommunikationsüberwachung",
          "Innerhalb der Zeit aus Parameter 248 kam keine Anfrage über die serielle Leitung. "
          "Parameter 394 legt fest, ob die Ausgänge dann abgeschaltet werden.")),
    (20, ("Externe storing",
          "Een ingang met de functie \"Externe storing\" (parameters 249 tot 252) is actief: de machine "
          "meldt een storing."),
         ("External error",
          "An input with the function \"External error\" (parameters 249 to 252) is active: the "
          "machine reports a fault."),
         ("Externer Fehler",
          "Ein Eingang mit der Funktion \"Externer Fehler\" (Parameter 249 bis 252) ist aktiv: die "
          "Maschine meldet eine Störung.")),
    (21, ("Interne fout (watchdog)",
          "De processor van de MX52 is door zijn watchdog herstart. Komt dit vaker voor, stuur het "
          "apparaat dan ter reparatie op."),
         ("Internal error (watchdog)",
          "The MX52's processor was restarted by its watchdog. If this happens again, send the unit "
          "in for repair."),
         ("Interner Fehler (Watchdog)",
          "Der Prozessor der MX52 wurde von seinem Watchdog neu gestartet. Tritt das öfter auf, "
          "schicken Sie das Gerät zur Reparatur ein.")),
    (22, ("Kalibratiemodus actief",
          "Het apparaat staat in de kalibratiemodus; de uitgangen zijn uit. Zet de kalibratiemodus uit "
          "in het kalibratievenster."),
         ("Calibration mode on",
          "The unit is in calibration mode; its outputs are off. Switch calibration mode off in the "
          "calibration window."),
         ("Kalibriermodus aktiv",
          "Das Gerät ist im Kalibriermodus; die Ausgänge sind aus. Schalten Sie den Kalibriermodus im "
          "Kalibrierfenster aus.")),
]

RTF_TEXT = [
    dict(title="Foutnummers van de MX52",
         intro=["Het hoofdvenster vraagt de MX52 elke seconde om zijn foutnummer. Bij een storing staat "
                "daar in rood \"MX52... Error:\" met het nummer; -1 betekent: geen storing.",
                "Een storing resetten: verhelp de oorzaak en druk op de knop \"Reset fout\" in het "
                "hoofdvenster, of gebruik een ingang met de functie \"Reset storing\". Met parameter 237 "
                "op \"Automatisch\" verdwijnt de melding vanzelf zodra de oorzaak weg is."],
         list="Nummer en betekenis"),
    dict(title="MX52 error numbers",
         intro=["The main window asks the MX52 for its error number once a second. When there is a "
                "fault it shows \"MX52... Error:\" and the number in red; -1 means: no error.",
                "To reset an error: remove its cause and press \"Reset error\" in the main window, or "
                "use an input with the function \"Reset error\". With parameter 237 set to \"Automatic\" "
                "the message clears by itself once the cause has gone."],
         list="Number and meaning"),
    dict(title="Fehlernummern der MX52",
         intro=["Das Hauptfenster fragt die MX52 jede Sekunde nach ihrer Fehlernummer. Bei einer Störung "
                "steht dort in Rot \"MX52... Error:\" mit der Nummer; -1 bedeutet: kein Fehler.",
                "Fehler quittieren: Ursache beheben und im Hauptfenster \"Quittieren\" drücken oder "
                "einen Eingang mit der Funktion \"Fehler quittieren\" benutzen. Steht Parameter 237 auf "
                "\"Automatisch\", verschwindet die Meldung von selbst, sobald die Ursache behoben ist."],
         list="Nummer und Bedeutung"),
]


def rtf_escape(text):
    # encode() raises for anything outside code page 1252
    return escaped(text, "\\{}", lambda c: "\\'%02x" % c.encode("cp1252")[0])


def error_help_rtf(lang):
    txt = RTF_TEXT[lang]
    out = [r"{\rtf1\ansi\ansicpg1252",
           r"{\colortbl;\red0\green0\blue0;\red160\green0\blue0;\red0\green0\blue128;}",
           r"\fs20",
           r"{\fs28\b\cf3 " + rtf_escape(txt["title"]) + r"}\par",
           r"\par"]
    for paragraph in txt["intro"]:
        out.append(rtf_escape(paragraph) + r"\par")
        out.append(r"\par")
    out.append(r"{\fs24\b\cf3 " + rtf_escape(txt["list"]) + r"}\par")
    out.append(r"\par")
    for number, *texts in ERRORS:
        title, body = texts[lang]
        out.append(r"{\b\cf2 %d}{\b   %s}\par" % (number, rtf_escape(title)))
        out.append(rtf_escape(body) + r"\par")
        out.append(r"\par")
    out.append("}")
    return "\n".join(out) + "\n"


def products():
    return [product("ErrorHelp%d.rtf" % lang, error_help_rtf(lang), encoding="ascii")
            for lang in range(LANGS)]

if __name__ == "__main__":
    sys.exit(main(products, "make_errorhelp.py"))
