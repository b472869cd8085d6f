#!/usr/bin/env python3
"""Writes the data files that lie beside the program.

    python3 data/tools/make_data.py            # rewrites the files in data/
    python3 data/tools/make_data.py --out DIR  # writes them to DIR instead

Products, all in data/ and all committed (the build does not run this script):

  Taal0.ini, Taal1.ini, Taal2.ini        language texts: Dutch, English, German
  Parameters.txt                          the parameter catalogue of an MX52
  ParNo.txt                               which parameter stands in which editor row
  Tree0.txt, Tree1.txt, Tree2.txt         the editor's group tree, one file per language
  ErrorHelp0.rtf .. ErrorHelp2.rtf        the device's error numbers explained

The committed files are the product; this script is how we keep the three
languages and the four catalogue files consistent with one another.  Edit the
tables here and run it again rather than editing one file by hand.  The test
tests/data (test_data) holds the files against each other and against the
table of language texts in model/TextKeys.h, and runs this script with --out
to check that the committed files are what it writes.

Encoding: the .ini and .txt files are UTF-8 without byte-order mark, lines
ended by LF (our IniFile reads UTF-8 first).  The .rtf files are 7-bit ASCII:
every other character is written as \\'hh of code page 1252.
"""

import os
import sys

DATA = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LANGS = 3  # 0 Dutch, 1 English, 2 German


# ---------------------------------------------------------------------------
# List text, as the catalogue writes option lists: items separated by commas; an item holding a blank,
# a control character, a comma or a quote is enclosed in double quotes, with
# a quote inside doubled.

def list_text(items):
    out = []
    for item in items:
        if item == "" or any(c <= " " or c in '",' for c in item):
            out.append('"' + item.replace('"', '""') + '"')
        else:
            out.append(item)
    return ",".join(out)


OUT = DATA


def write(name, text, encoding="utf-8"):
    path = os.path.join(OUT, name)
    with open(path, "w", encoding=encoding, newline="\n") as f:
        f.write(text)


# ---------------------------------------------------------------------------
# Parameters.txt

class Par:
    def __init__(self, num, names, options=None, dec=0, mn=0, mx=0, df=0):
        self.num = num
        self.names = names        # (nl, en, de)
        self.options = options    # None, or ([nl...], [en...], [de...])
        self.dec = dec
        if options is not None:
            mn, mx = 0, len(options[0]) - 1
            assert all(len(o) == len(options[0]) for o in options), (num, options)
        self.mn, self.mx, self.df = mn, mx, df
        assert mn <= df <= mx, (num, mn, df, mx)
        assert all(len(n) <= 30 for n in names), (num, names)


PARS = {}


def par(num, nl, en, de, **kw):
    assert num not in PARS, num
    PARS[num] = Par(num, (nl, en, de), **kw)


def opts(nl, en, de):
    return (nl, en, de)


def same(items):
    return (items, items, items)


POS_MIN, POS_MAX = -9999999, 99999999   # positions: the setpoint range
POS = dict(dec=9, mn=POS_MIN, mx=POS_MAX)

OFF_ON = opts(["Uit", "Aan"], ["Off", "On"], ["Aus", "Ein"])
NO_YES = opts(["Nee", "Ja"], ["No", "Yes"], ["Nein", "Ja"])
DIRECTION = opts(["Beide", "Vooruit", "Achteruit"], ["Both", "Forward", "Reverse"],
                 ["Beide", "Vorwärts", "Rückwärts"])
REACTION = opts(["Alleen melding", "Uitgangen uit"], ["Message only", "Outputs off"],
                ["Nur Meldung", "Ausgänge aus"])
SOURCE = opts(["Positie", "Snelheid", "Analoog in"], ["Position", "Speed", "Analog in"],
              ["Position", "Geschwindigkeit", "Analogeingang"])
CURRENT_RANGE = same(["0-20 mA", "4-20 mA"])
VOLTAGE_RANGE = same(["0..10 V", "-10..+10 V"])
EDGE = opts(["Uit", "Stijgende flank", "Dalende flank"], ["Off", "Rising edge", "Falling edge"],
            ["Aus", "Steigende Flanke", "Fallende Flanke"])
SELECTOR = opts(
    ["Eigen waarde"] + ["Sollwert %d" % i for i in range(1, 49)] + ["Duimwiel %d" % i for i in range(1, 5)],
    ["Own value"] + ["Setpoint %d" % i for i in range(1, 49)] + ["Thumbwheel %d" % i for i in range(1, 5)],
    ["Eigener Wert"] + ["Sollwert %d" % i for i in range(1, 49)] + ["Daumenrad %d" % i for i in range(1, 5)])
CAM_OUTPUT = opts(["Geen"] + ["Uitgang %d" % i for i in range(1, 5)],
                  ["None"] + ["Output %d" % i for i in range(1, 5)],
                  ["Keiner"] + ["Ausgang %d" % i for i in range(1, 5)])
ENABLE_INPUT = opts(["Geen"] + ["Ingang %d" % i for i in range(1, 5)],
                    ["None"] + ["Input %d" % i for i in range(1, 5)],
                    ["Keiner"] + ["Eingang %d" % i for i in range(1, 5)])
CAM_FUNCTION = opts(["Niet actief", "Normaal", "Dynamisch", "Geïnverteerd"],
                    ["Not used", "Normal", "Dynamic", "Inverted"],
                    ["Inaktiv", "Normal", "Dynamisch", "Invertiert"])
INPUT_FUNCTION = opts(
    ["Niet actief", "Hold", "Reset positie", "Reset storing", "Nokken vrijgeven", "Uitgangen uit",
     "Externe storing"],
    ["Not used", "Hold", "Reset position", "Reset error", "Cam enable", "Outputs off",
     "External error"],
    ["Inaktiv", "Halten", "Position rücksetzen", "Fehler quittieren", "Nockenfreigabe",
     "Ausgänge aus", "Externer Fehler"])
OUTPUT_FUNCTION = opts(
    ["Nokken", "Gereed", "Storing", "Stilstand", "Overtoeren", "Richting", "Eindschakelaar"],
    ["Cams", "Ready", "Error", "Standstill", "Over-speed", "Direction", "Limit switch"],
    ["Nocken", "Bereit", "Fehler", "Stillstand", "Überdrehzahl", "Richtung", "Endschalter"])

# 000 .. 006: general
par(0, "Toegangscode", "Access code", "Zugangscode", mn=0, mx=9999, df=0)
par(1, "Bedrijfsmodus", "Operating mode", "Betriebsart",
    options=opts(["Normaal", "Simulatie"], ["Normal", "Simulation"], ["Normal", "Simulation"]))
par(2, "Taal display", "Display language", "Displaysprache",
    options=opts(["Nederlands", "Engels", "Duits"], ["Dutch", "English", "German"],
                 ["Niederländisch", "Englisch", "Deutsch"]))
par(3, "Display-weergave", "Display shows", "Displayanzeige",
    options=opts(["Positie", "Snelheid", "Nokstatus", "Analoog in"],
                 ["Position", "Speed", "Cam status", "Analog in"],
                 ["Position", "Geschwindigkeit", "Nockenstatus", "Analogeingang"]))
par(4, "Display-contrast", "Display contrast", "Displaykontrast", mn=1, mx=8, df=5)
par(5, "Display-verversing (ms)", "Display refresh (ms)", "Displayaktualisierung (ms)",
    mn=50, mx=1000, df=200)
par(6, "Opstartvertraging (s)", "Start-up delay (s)", "Anlaufverzögerung (s)",
    dec=1, mn=0, mx=600, df=0)

# 007 .. 078: start, end and hysteresis of cams 1 .. 24 (cam display)
for n in range(1, 25):
    par(6 + n, "Nok %d aanvang" % n, "Cam %d start" % n, "Nocke %d Anfang" % n, **POS)
    par(30 + n, "Nok %d einde" % n, "Cam %d end" % n, "Nocke %d Ende" % n, **POS)
    par(54 + n, "Nok %d hysterese" % n, "Cam %d hysteresis" % n, "Nocke %d Hysterese" % n,
        dec=9, mn=0, mx=99999, df=0)

# 079 .. 085: all cams (group 900: a cleared value 0 is the neutral setting)
par(79, "Nokken vrijgave", "Cam enable", "Nockenfreigabe",
    options=opts(["Altijd", "Via ingang"], ["Always", "Via input"], ["Immer", "Über Eingang"]))
par(80, "Nokken bij stilstand", "Cams at standstill", "Nocken bei Stillstand",
    options=opts(["Normaal", "Uit"], ["Normal", "Off"], ["Normal", "Aus"]))
par(81, "Nok-cyclustijd", "Cam cycle time", "Nockenzykluszeit",
    options=opts(["Automatisch", "0,25 ms", "0,5 ms", "1 ms", "2 ms"],
                 ["Automatic", "0.25 ms", "0.5 ms", "1 ms", "2 ms"],
                 ["Automatisch", "0,25 ms", "0,5 ms", "1 ms", "2 ms"]))
par(82, "Snelheid voor vervroeging", "Speed used for advance", "Geschw. für Totzeit",
    options=opts(["Gemeten", "Gefilterd"], ["Measured", "Filtered"], ["Gemessen", "Gefiltert"]))
par(83, "Filter vervroeging (ms)", "Advance filter (ms)", "Totzeitfilter (ms)", mn=0, mx=1000, df=0)
par(84, "Nokken na storing", "Cams after an error", "Nocken nach Fehler",
    options=opts(["Uit tot reset", "Doorgaan"], ["Off until reset", "Continue"],
                 ["Aus bis Quittierung", "Weiter"]))
par(85, "Max. vervroeging (ms)", "Max. advance (ms)", "Max. Totzeit (ms)", dec=3, mn=0, mx=99999, df=0)

# 086 .. 099: outputs
for m in range(1, 5):
    par(85 + m, "Min. aan-tijd uitgang %d (ms)" % m, "Min. on time output %d (ms)" % m,
        "Min. Ein-Zeit Ausgang %d (ms)" % m, dec=3, mn=0, mx=99999, df=0)
    par(89 + m, "Uitgang %d inverteren" % m, "Invert output %d" % m, "Ausgang %d invertieren" % m,
        options=NO_YES)
    par(93 + m, "Vervroeging uitgang %d (ms)" % m, "Advance output %d (ms)" % m,
        "Totzeit Ausgang %d (ms)" % m, dec=3, mn=0, mx=99999, df=0)
par(98, "Uitgangen bij storing", "Outputs on error", "Ausgänge bei Fehler",
    options=opts(["Uit", "Vasthouden", "Normaal"], ["Off", "Hold", "Normal"], ["Aus", "Halten", "Normal"]))
par(99, "Uitgangen bij opstart", "Outputs at start-up", "Ausgänge beim Anlauf",
    options=opts(["Uit tot positie geldig", "Direct"], ["Off until position valid", "Immediately"],
                 ["Aus bis Position gültig", "Sofort"]))

# 100 .. 195: more settings of cams 1 .. 24
for n in range(1, 25):
    par(99 + n, "Nok %d richting" % n, "Cam %d direction" % n, "Nocke %d Richtung" % n, options=DIRECTION)
    par(123 + n, "Nok %d pulsduur (s)" % n, "Cam %d pulse time (s)" % n, "Nocke %d Impulszeit (s)" % n,
        dec=3, mn=0, mx=99999, df=0)
    par(147 + n, "Nok %d min. snelheid" % n, "Cam %d min. speed" % n, "Nocke %d Min.-Geschw." % n,
        dec=9, mn=0, mx=POS_MAX, df=0)
    par(171 + n, "Nok %d vrijgave-ingang" % n, "Cam %d enable input" % n, "Nocke %d Freigabeeingang" % n,
        options=ENABLE_INPUT)

# 196 .. 197: simulation (198, 199 reserve)
par(196, "Simulatiesnelheid", "Simulation speed", "Simulationsgeschw.", dec=9, mn=0, mx=POS_MAX, df=100)
par(197, "Simulatierichting", "Simulation direction", "Simulationsrichtung",
    options=opts(["Vooruit", "Achteruit"], ["Forward", "Reverse"], ["Vorwärts", "Rückwärts"]))

# 200 .. 255: sensor, axis, monitoring, analog input, thumbwheels, serial line, inputs
par(200, "K0-functie", "K0 function", "K0-Funktion",
    options=opts(["Niet actief", "Hold", "Reset"], ["Not used", "Hold", "Reset"],
                 ["Inaktiv", "Halten", "Rücksetzen"]))
par(201, "Positiesensor", "Position sensor", "Positionsgeber",
    options=opts(["Incrementeel A/B", "SSI", "Puls/richting"], ["Incremental A/B", "SSI", "Pulse/direction"],
                 ["Inkremental A/B", "SSI", "Impuls/Richtung"]), df=1)
par(202, "Telrichting", "Counting direction", "Zählrichtung",
    options=opts(["Normaal", "Omgekeerd"], ["Normal", "Reversed"], ["Normal", "Umgekehrt"]))
par(203, "Decimalen positie", "Position decimals", "Nachkommastellen Position", mn=0, mx=4, df=1)
par(204, "Pulsen per omwenteling", "Pulses per revolution", "Impulse pro Umdrehung", mn=1, mx=1000000, df=1000)
par(205, "Pulsvermenigvuldiging", "Count multiplier", "Flankenauswertung", options=same(["x1", "x2", "x4"]), df=2)
par(206, "Weg per omwenteling", "Travel per revolution", "Weg pro Umdrehung", dec=9, mn=1, mx=POS_MAX, df=3600)
par(207, "Astype", "Axis type", "Achstyp",
    options=opts(["Lineair", "Rond (modulo)"], ["Linear", "Rotary (modulo)"], ["Linear", "Rund (Modulo)"]), df=1)
par(208, "Aslengte (modulo)", "Axis length (modulo)", "Achslänge (Modulo)", dec=9, mn=1, mx=POS_MAX, df=3600)
par(209, "Positie-offset", "Position offset", "Positionsoffset", **POS)
par(210, "Referentiewaarde", "Reference value", "Referenzwert", **POS)
par(211, "Referentie bij richting", "Reference direction", "Referenzrichtung", options=DIRECTION)
par(212, "K0-fijnreferentie", "K0 fine reference", "K0-Feinreferenz", options=EDGE)
par(213, "Referentievenster", "Reference window", "Referenzfenster", dec=9, mn=0, mx=POS_MAX, df=0)
par(214, "SSI-bits", "SSI bits", "SSI-Bits", mn=8, mx=32, df=25)
par(215, "SSI-code", "SSI code", "SSI-Code",
    options=opts(["Binair", "Gray"], ["Binary", "Gray"], ["Binär", "Gray"]), df=1)
par(216, "SSI-klokfrequentie", "SSI clock rate", "SSI-Taktfrequenz",
    options=same(["100 kHz", "250 kHz", "500 kHz", "1 MHz"]), df=1)
par(217, "SSI-bits per omwenteling", "SSI bits per revolution", "SSI-Bits pro Umdrehung", mn=1, mx=24, df=13)
par(218, "SSI-justage", "SSI adjustment", "SSI-Justage",
    options=opts(["Uit", "K0 stijgende flank", "K0 dalende flank", "Via seriële poort", "K0 beide flanken"],
                 ["Off", "K0 rising edge", "K0 falling edge", "Via serial port", "K0 both edges"],
                 ["Aus", "K0 steigende Flanke", "K0 fallende Flanke", "Über Schnittstelle",
                  "K0 beide Flanken"]))
par(219, "SSI-justagewaarde", "SSI adjustment value", "SSI-Justagewert", **POS)
par(220, "SSI-foutbit", "SSI error bit", "SSI-Fehlerbit",
    options=opts(["Geen", "Laatste bit", "Eerste bit"], ["None", "Last bit", "First bit"],
                 ["Keins", "Letztes Bit", "Erstes Bit"]))
par(221, "Sensorbewaking", "Sensor monitoring", "Geberüberwachung", options=OFF_ON, df=1)
par(222, "Max. positiesprong", "Max. position jump", "Max. Positionssprung", dec=9, mn=0, mx=POS_MAX, df=0)
par(223, "Meettijd snelheid (ms)", "Speed gate time (ms)", "Messzeit Geschw. (ms)", mn=1, mx=1000, df=10)
par(224, "Snelheidseenheid", "Speed unit", "Geschwindigkeitseinheit",
    options=opts(["per seconde", "per minuut"], ["per second", "per minute"], ["pro Sekunde", "pro Minute"]))
par(225, "Snelheidsfilter (ms)", "Speed filter (ms)", "Geschw.-Filter (ms)", mn=0, mx=1000, df=20)
par(226, "Analoge ingang", "Analog input", "Analogeingang",
    options=opts(["Spanning", "Stroom"], ["Voltage", "Current"], ["Spannung", "Strom"]))
par(227, "Filter analoge ingang (ms)", "Analog input filter (ms)", "Filter Analogeingang (ms)",
    mn=0, mx=1000, df=10)
par(228, "Stroombereik ingang", "Input current range", "Strombereich Eingang", options=CURRENT_RANGE, df=1)
par(229, "Spanningsbereik ingang", "Input voltage range", "Spannungsbereich Eingang", options=VOLTAGE_RANGE, df=1)
par(230, "Overtoerengrens", "Over-speed limit", "Überdrehzahlgrenze", dec=9, mn=0, mx=POS_MAX, df=0)
par(231, "Reactie overtoeren", "Over-speed reaction", "Reaktion Überdrehzahl", options=REACTION)
par(232, "Stilstandsgrens", "Standstill threshold", "Stillstandsschwelle", dec=9, mn=0, mx=POS_MAX, df=10)
par(233, "Stilstandstijd (ms)", "Standstill time (ms)", "Stillstandszeit (ms)", mn=0, mx=10000, df=100)
par(234, "Software-eindschakelaar min", "Software limit min", "Software-Endschalter min",
    dec=9, mn=POS_MIN, mx=POS_MAX, df=POS_MIN)
par(235, "Software-eindschakelaar max", "Software limit max", "Software-Endschalter max",
    dec=9, mn=POS_MIN, mx=POS_MAX, df=POS_MAX)
par(236, "Eindschakelaarbewaking", "Limit monitoring", "Endschalterüberwachung",
    options=opts(["Uit", "Alleen melding", "Uitgangen uit"], ["Off", "Message only", "Outputs off"],
                 ["Aus", "Nur Meldung", "Ausgänge aus"]))
par(237, "Storing resetten", "Error reset", "Fehlerquittierung",
    options=opts(["Handmatig", "Automatisch"], ["Manual", "Automatic"], ["Manuell", "Automatisch"]))
par(238, "EEPROM-schrijfbeveiliging", "EEPROM write protection", "EEPROM-Schreibschutz", options=OFF_ON)
par(239, "Aantal duimwielen", "Number of thumbwheels", "Anzahl Daumenräder", mn=0, mx=4, df=0)
par(240, "Duimwielcode", "Thumbwheel code", "Daumenradcode",
    options=opts(["BCD", "Binair"], ["BCD", "Binary"], ["BCD", "Binär"]))
par(241, "Duimwiel-scantijd (ms)", "Thumbwheel scan time (ms)", "Daumenrad-Abtastzeit (ms)",
    mn=1, mx=1000, df=20)
par(242, "Duimwiel met teken", "Signed thumbwheel", "Daumenrad mit Vorzeichen", options=NO_YES)
par(243, "Baudrate", "Baud rate", "Baudrate",
    options=same(["9600", "19200", "28800", "38400", "57600", "115200"]), df=3)
par(244, "Pariteit", "Parity", "Parität",
    options=opts(["Geen", "Even", "Oneven"], ["None", "Even", "Odd"], ["Keine", "Gerade", "Ungerade"]), df=1)
par(245, "Stopbits", "Stop bits", "Stoppbits", options=same(["1", "2"]))
par(246, "Apparaatnummer", "Unit number", "Gerätenummer", mn=0, mx=31, df=0)
par(247, "Antwoordvertraging (ms)", "Reply delay (ms)", "Antwortverzögerung (ms)", mn=0, mx=100, df=0)
par(248, "Communicatiebewaking (ms)", "Comm. watchdog (ms)", "Komm.-Überwachung (ms)", mn=0, mx=60000, df=0)
for i in range(1, 5):
    par(248 + i, "Functie ingang %d" % i, "Input %d function" % i, "Funktion Eingang %d" % i,
        options=INPUT_FUNCTION)
par(253, "Ingangsfilter (ms)", "Input filter (ms)", "Eingangsfilter (ms)", mn=0, mx=100, df=2)
par(254, "Logica ingangen", "Input logic", "Eingangslogik",
    options=opts(["PNP (actief hoog)", "NPN (actief laag)"], ["PNP (active high)", "NPN (active low)"],
                 ["PNP (high-aktiv)", "NPN (low-aktiv)"]))
par(255, "K0-filter (ms)", "K0 filter (ms)", "K0-Filter (ms)", dec=1, mn=0, mx=1000, df=0)

# 256 .. 375: function, source, selectors and output of cams 1 .. 24 (cam display)
for n in range(1, 25):
    par(255 + n, "Nok %d functie" % n, "Cam %d function" % n, "Nocke %d Funktion" % n, options=CAM_FUNCTION)
    par(279 + n, "Nok %d bron" % n, "Cam %d source" % n, "Nocke %d Quelle" % n, options=SOURCE)
    par(303 + n, "Nok %d aanvang via" % n, "Cam %d start from" % n, "Nocke %d Vorgabe Anfang" % n, options=SELECTOR)
    par(327 + n, "Nok %d einde via" % n, "Cam %d end from" % n, "Nocke %d Vorgabe Ende" % n, options=SELECTOR)
    par(351 + n, "Nok %d uitgang" % n, "Cam %d output" % n, "Nocke %d Ausgang" % n, options=CAM_OUTPUT)

# 376 .. 395: analog output, outputs
par(376, "Bron analoge uitgang", "Analog output source", "Quelle Analogausgang", options=SOURCE)
par(377, "Analoog uit: waarde bij min", "Analog out: value at min", "Analogausg.: Wert bei Min", **POS)
par(378, "Analoog uit: waarde bij max", "Analog out: value at max", "Analogausg.: Wert bei Max",
    dec=9, mn=POS_MIN, mx=POS_MAX, df=3600)
par(379, "Spanningsbereik uitgang", "Output voltage range", "Spannungsbereich Ausgang",
    options=VOLTAGE_RANGE, df=1)
par(380, "Stroombereik uitgang", "Output current range", "Strombereich Ausgang", options=CURRENT_RANGE, df=1)
par(381, "Filter analoge uitgang (ms)", "Analog output filter (ms)", "Filter Analogausgang (ms)",
    mn=0, mx=1000, df=0)
par(382, "Analoge uitgang bij storing", "Analog output on error", "Analogausgang bei Fehler",
    options=opts(["Laatste waarde", "Nul", "Minimum"], ["Last value", "Zero", "Minimum"],
                 ["Letzter Wert", "Null", "Minimum"]))
par(383, "Cyclustijd analoge uitg. (ms)", "Analog output cycle (ms)", "Zykluszeit Analogausg. (ms)",
    mn=1, mx=100, df=5)
for m in range(1, 5):
    par(383 + m, "Min. uit-tijd uitgang %d (ms)" % m, "Min. off time output %d (ms)" % m,
        "Min. Aus-Zeit Ausgang %d (ms)" % m, dec=3, mn=0, mx=99999, df=0)
par(388, "Analoge uitgang", "Analog output", "Analogausgang",
    options=opts(["Geen", "Spanning", "Stroom"], ["None", "Voltage", "Current"], ["Keiner", "Spannung", "Strom"]),
    df=1)
for m in range(1, 5):
    par(388 + m, "Functie uitgang %d" % m, "Output %d function" % m, "Funktion Ausgang %d" % m,
        options=OUTPUT_FUNCTION)
par(393, "Storingsuitgang", "Error output", "Fehlerausgang",
    options=opts(["Aan bij storing", "Uit bij storing"], ["On at error", "Off at error"],
                 ["Ein bei Fehler", "Aus bei Fehler"]))
par(394, "Reactie comm.-bewaking", "Comm. watchdog reaction", "Reaktion Komm.-Überwachung", options=REACTION)
par(395, "Storing op display", "Show error on display", "Fehler im Display", options=NO_YES, df=1)

RESERVE = [198, 199, 396, 397, 398, 399]
assert sorted(list(PARS) + RESERVE) == list(range(400))


def parameters_txt():
    lines = [
        "; Parameters.txt - the parameter catalogue of the MX52 cam controller.",
        "; One section per parameter, named by its number in three digits.  naam0/opties0 Dutch,",
        "; naam1/opties1 English, naam2/opties2 German.  type 1: the value picks an option.",
        "; dec 9: as many decimals as parameter 203 holds.  An option list that reads #nnn is",
        "; the list of section nnn.  Parameters " + ", ".join("%03d" % r for r in RESERVE) + " are reserve.",
        "; Written by data/tools/make_data.py, UTF-8.",
        "",
    ]
    first_seen = {}  # option lists written out in full, by content
    for num in sorted(PARS):
        p = PARS[num]
        lines.append("[%03d]" % num)
        for lang in range(LANGS):
            lines.append("naam%d=%s" % (lang, p.names[lang]))
        if p.options is None:
            lines.append("type=0")
        else:
            lines.append("type=1")
            key = tuple(tuple(o) for o in p.options)
            ref = first_seen.setdefault(key, num)
            for lang in range(LANGS):
                value = list_text(p.options[lang]) if ref == num else "#%03d" % ref
                lines.append("opties%d=%s" % (lang, value))
        lines.append("dec=%d" % p.dec)
        lines.append("min=%d" % p.mn)
        lines.append("max=%d" % p.mx)
        lines.append("default=%d" % p.df)
        lines.append("")
    return "\n".join(lines)


# ---------------------------------------------------------------------------
# The group tree and ParNo.txt.  Menu 9 holds the cams, one submenu per cam:
# "Wissen" (clear) there puts one cam back to its unused state in one go, and
# on the menu node itself the settings common to all cams to their neutral 0.

def cam_rows(n):
    return [255 + n, 351 + n, 279 + n, 99 + n, 303 + n, 6 + n, 327 + n, 30 + n, 54 + n, 147 + n, 123 + n,
            171 + n]


# (captions nl, en, de), rows of the menu node, [(captions, rows) of submenus]
MENUS = [
    (("Algemeen", "General", "Allgemein"), [0, 1, 196, 197, 6, 2, 3, 4, 5, 238, 395], []),
    (("Positiesensor", "Position sensor", "Positionsgeber"),
     [201, 202, 221, 222, 204, 205, 214, 215, 216, 217, 220, 218, 219], []),
    (("As en positie", "Axis and position", "Achse und Position"),
     [203, 207, 206, 208, 209, 210, 211, 212, 213, 223, 224, 225], []),
    (("Bewaking", "Monitoring", "Überwachung"), [230, 231, 232, 233, 234, 235, 236, 237], []),
    (("Ingangen", "Inputs", "Eingänge"), [200, 255, 249, 250, 251, 252, 253, 254, 239, 240, 241, 242], []),
    (("Uitgangen", "Outputs", "Ausgänge"), [98, 99, 393],
     [(("Uitgang %d" % m, "Output %d" % m, "Ausgang %d" % m), [388 + m, 89 + m, 93 + m, 85 + m, 383 + m])
      for m in range(1, 5)]),
    (("Analoog", "Analog", "Analog"), [226, 229, 228, 227, 388, 376, 377, 378, 379, 380, 381, 382, 383], []),
    (("Communicatie", "Communication", "Kommunikation"), [246, 243, 244, 245, 247, 248, 394], []),
    (("Nokken", "Cams", "Nocken"), [79, 80, 81, 82, 83, 84, 85],
     [(("Nok %d" % n, "Cam %d" % n, "Nocke %d" % n), cam_rows(n)) for n in range(1, 25)]),
]
ROOT = ("MX52 parameters", "MX52 parameters", "MX52-Parameter")


def groups():
    for mi, (_, rows, subs) in enumerate(MENUS, start=1):
        yield mi * 100, rows
        for si, (_, srows) in enumerate(subs, start=1):
            yield mi * 100 + si, srows


def check_groups():
    seen = {}
    for gid, rows in groups():
        assert 1 <= len(rows) <= 18, (gid, len(rows))
        for p in rows:
            assert p in PARS, (gid, p)
            assert p not in seen, (p, gid, seen.get(p))
            seen[p] = gid
    missing = sorted(set(PARS) - set(seen))
    assert not missing, missing
    for gid, rows in groups():
        if gid // 100 == 9:  # cleared to 0 there
            for p in rows:
                assert PARS[p].mn <= 0 <= PARS[p].mx, p


def tree_txt(lang):
    lines = [ROOT[lang]]
    for captions, _, subs in MENUS:
        lines.append("\t" + captions[lang])
        for scaptions, _ in subs:
            lines.append("\t\t" + scaptions[lang])
    return "\n".join(lines) + "\n"


def parno_txt():
    lines = [
        "; ParNo.txt - the rows of the parameter editor.  Section: the group,",
        "; menu x 100 + submenu (the menu node itself: submenu 0); ParIdN: the parameter in row N.",
        "; Written by data/tools/make_data.py.",
        "",
    ]
    for gid, rows in groups():
        lines.append("[%d]" % gid)
        for r, p in enumerate(rows, start=1):
            lines.append("ParId%d=%d" % (r, p))
        lines.append("")
    return "\n".join(lines)


# ---------------------------------------------------------------------------
# Language files.  Each entry: key, then the Dutch, English and German text;
# a Python list is an item list, written as list text.

Q_WARN = ("Waarschuwing", "Warning", "Warnung")
Q_ERR = ("Fout", "Error", "Fehler")
CANCEL = ("Annuleren", "Cancel", "Abbrechen")
TIMEOUT = ("Geen antwoord (time-out)", "No reply (time-out)", "Keine Antwort (Timeout)")
COMM_ERR = ("Communicatiefout", "Communication error", "Übertragungsfehler")
BAD_REPLY = ("Ongeldig antwoord:", "Invalid reply:", "Ungültige Antwort:")
BP_FAIL = (("Niet overgenomen: parameter", "Not loaded: parameter", "Nicht übernommen: Parameter"),
           ("ongeldig", "invalid", "ungültig"))
FILE = ("Bestand", "File", "Datei")
OPEN = ("Openen...", "Open...", "Öffnen...")
SAVE_AS = ("Opslaan als...", "Save as...", "Speichern unter...")
PRINT = ("Afdrukken...", "Print...", "Drucken...")
CLOSE = ("Sluiten", "Close", "Schließen")
TRANSFER = ("Zenden/ontvangen", "Transfer", "Übertragung")


def t(key, *texts):
    assert len(texts) == LANGS, key
    return (key,) + tuple(texts)


def tt(key, triple):
    return (key,) + tuple(triple)


NOT_LOADED_PAR = (
    "Er zijn nog geen parameters ontvangen, geopend of als standaardwaarden geladen.",
    "No parameters have been received, opened or loaded as defaults yet.",
    "Es wurden noch keine Parameter empfangen, geöffnet oder als Standardwerte geladen.")
NOT_LOADED_PAR_2 = (
    "De waarden in het programma komen dus niet uit het apparaat.",
    "The values in the program therefore do not come from the unit.",
    "Die Werte im Programm stammen also nicht aus dem Gerät.")
NOT_LOADED_SOLL = (
    "Er zijn nog geen sollwerten ontvangen of geopend.",
    "No setpoints have been received or opened yet.",
    "Es wurden noch keine Sollwerte empfangen oder geöffnet.")

SECTIONS = [
    ("Main", [
        t("GroepIngangen", "Ingangen", "Inputs", "Eingänge"),
        t("GroepUitgangen", "Uitgangen", "Outputs", "Ausgänge"),
        t("Groep_ANA_IN", "Analoog in", "Analog in", "Analogeingang"),
        t("Groep_ANA_UIT", "Analoog uit", "Analog out", "Analogausgang"),
        t("GroepActual", "Actuele waarden", "Actual values", "Istwerte"),
        t("GroepDuimwiel", "Duimwielen", "Thumbwheels", "Daumenräder"),
        t("LabelActualPositie", "Positie:", "Position:", "Position:"),
        t("LabelActualSnelheid", "Snelheid:", "Speed:", "Geschw.:"),
        t("LabelActualSpanning", "Spanning:", "Voltage:", "Spannung:"),
        t("LabelActualStroom", "Stroom:", "Current:", "Strom:"),
        t("CmdIO_ON", "I/O aan", "I/O on", "E/A ein"),
        t("CmdIO_OFF", "I/O uit", "I/O off", "E/A aus"),
        t("CmdActual_ON", "Meten aan", "Actual on", "Messen ein"),
        t("CmdActual_OFF", "Meten uit", "Actual off", "Messen aus"),
        t("CmdComOpen", "Openen", "Open", "Öffnen"),
        t("CmdComClose", "Sluiten", "Close", "Schließen"),
        t("CmdTerminalZenden", "Zenden", "Send", "Senden"),
        t("CmdResetError", "Reset fout", "Reset error", "Quittieren"),
        t("CmdDuimwiel_ON", "DW aan", "Wheels on", "Räder ein"),
        t("CmdDuimwiel_OFF", "DW uit", "Wheels off", "Räder aus"),
        tt("PanelTekst0", TIMEOUT),
        t("PanelTekst1", "Poortfout:", "Port error:", "Portfehler:"),
        tt("menuBestand", FILE),
        t("subAfsluiten", "Afsluiten", "Exit", "Beenden"),
        t("menuEdit", "Bewerken", "Edit", "Bearbeiten"),
        t("subParameters", "Parameters...", "Parameters...", "Parameter..."),
        t("subSollwerten", "Sollwerten...", "Setpoints...", "Sollwerte..."),
        t("menuInstellingen", "Instellingen", "Settings", "Einstellungen"),
        t("subInitCom", "Seriële poort...", "Serial port...", "Serielle Schnittstelle..."),
        t("subOpties", "Opties...", "Options...", "Optionen..."),
        t("menuCommunicatie", "Communicatie", "Communication", "Kommunikation"),
        t("subParSoll", "Parameters + sollwerten ontvangen", "Receive parameters + setpoints",
          "Parameter + Sollwerte empfangen"),
        t("subBackup", "Backup maken...", "Back up unit...", "Gerät sichern..."),
        t("subRestore", "Backup terugzetten...", "Restore unit...", "Gerät wiederherstellen..."),
        t("subZoeken", "Apparaten zoeken...", "Search for units...", "Geräte suchen..."),
        t("menuVenster", "Venster", "Window", "Fenster"),
        t("subNokkenInfo", "Nokkenoverzicht", "Cam display", "Nockenanzeige"),
        t("subGrafiek", "Grafiek", "Graph", "Grafik"),
        t("menuHelp", "Help", "Help", "Hilfe"),
        t("subInfo", "Info...", "About...", "Info..."),
        t("subErrorNummers", "Foutnummers", "Error numbers", "Fehlernummern"),
        t("K0_HoldReset", "Hold/Reset", "Hold/Reset", "Halten/Reset"),
        t("K0_RefFijn", "Fijnreferentie", "Fine reference", "Feinreferenz"),
        t("K0_SSIJustage", "SSI-justage", "SSI adjust", "SSI-Justage"),
        t("K0_Inactief", "Niet actief", "Not used", "Inaktiv"),
        tt("Msg_waarschuwingCaption", Q_WARN),
        t("Msg_Melding_Geen_MX52",
          "Het aangesloten apparaat is geen MX52 of MX53. Niet alle functies van dit programma werken dan.",
          "The connected unit is not an MX52 or MX53. Not every function of this program will work with it.",
          "Das angeschlossene Gerät ist kein MX52 oder MX53. Nicht alle Funktionen dieses Programms "
          "funktionieren damit."),
        # Ours: the link fell back from fast framing until the next transfer.
        t("FastFramingOff", "Snel framen voorlopig uit", "Fast framing off for now",
          "Schnelle Rahmung vorerst aus"),
        # Two lines of the 169-pixel message line at most.
        t("MsgDemo", "Demo: gesimuleerde units op de lijn; Openen verbindt.",
          "Demo: simulated units on the line; Open connects to them.",
          "Demo: simulierte Geräte am Bus; Öffnen verbindet damit."),
        t("MsgReplaceFile", "%1 bestaat al. Vervangen?", "%1 is there already. Replace it?",
          "%1 ist schon vorhanden. Ersetzen?"),
        t("MsgBestandTeGroot",
          "%1 is groter dan %2 MB, veel meer dan zo'n bestand bevat, en is niet gelezen. "
          "Het programma gaat zonder verder.",
          "%1 is larger than %2 MB, far more than such a file holds, and was not read. "
          "The program goes on without it.",
          "%1 ist größer als %2 MB, weit mehr als eine solche Datei enthält, und wurde nicht "
          "gelesen. Das Programm arbeitet ohne sie weiter."),
        # application.ini not written on closing; the file and the reason between.
        t("MsgSettingsNotSaved", "De instellingen zijn niet opgeslagen.",
          "The settings were not saved.", "Die Einstellungen wurden nicht gespeichert."),
        t("MsgSettingsOldFileKept", "Het instellingenbestand van daarvoor is ongewijzigd.",
          "The settings file from before is unchanged.",
          "Die bisherige Einstellungsdatei ist unverändert."),
        t("MsgTerminalTooLong", "Regel te lang: %1 tekens, ten hoogste %2",
          "Line too long: %1 characters, at most %2", "Zeile zu lang: %1 Zeichen, höchstens %2"),
        # Why a parameter, setpoint or backup file was refused; the program
        # fills in the line, the numbers, the sizes.
        t("MsgFileTooLong", "Het bestand is veel te lang voor dit soort bestand.",
          "The file is far too long for this kind of file.",
          "Die Datei ist für diese Art Datei viel zu lang."),
        t("MsgFileNoHeader", "De eerste regel begint niet met \"%1\".",
          "The first line does not begin with \"%1\".",
          "Die erste Zeile beginnt nicht mit \"%1\"."),
        t("MsgFileNotDataLine",
          "Regel %1 is geen gegevensregel (een letter, drie cijfers, een spatie en een waarde).",
          "Line %1 is not a data line (a letter, three digits, a blank and a value).",
          "Zeile %1 ist keine Datenzeile (ein Buchstabe, drei Ziffern, ein Leerzeichen und ein "
          "Wert)."),
        t("MsgFileBadNumber", "Regel %1: het nummer is niet een van 000 \u2026 %2.",
          "Line %1: the number is not one of 000 \u2026 %2.",
          "Zeile %1: die Nummer ist nicht eine von 000 \u2026 %2."),
        t("MsgFileBadValue", "Regel %1: de waarde is geen geheel decimaal getal van 32 bits.",
          "Line %1: the value is not a whole decimal number in 32 bits.",
          "Zeile %1: der Wert ist keine ganze Dezimalzahl mit 32 Bit."),
        t("MsgFileNumberTwice",
          "Nummer %1 staat er twee keer in, op regel %2 en %3, dus een ander ontbreekt.",
          "Number %1 appears twice, on lines %2 and %3, so another is missing.",
          "Nummer %1 steht zweimal darin, in Zeile %2 und %3, also fehlt eine andere."),
        t("MsgFileLineCount", "Het bestand bevat %1 gegevensregels in plaats van %2.",
          "The file holds %1 data lines instead of %2.",
          "Die Datei enthält %1 Datenzeilen statt %2."),
        t("MsgBackupSize", "Het bestand is %1 bytes groot; een backupbestand precies %2.",
          "The file holds %1 bytes; a backup file holds exactly %2.",
          "Die Datei ist %1 Bytes groß; eine Sicherungsdatei genau %2."),
        t("MsgBackupLonger", "Het bestand is groter dan %1 bytes; een backupbestand precies %1.",
          "The file is longer than %1 bytes; a backup file holds exactly %1.",
          "Die Datei ist größer als %1 Bytes; eine Sicherungsdatei genau %1."),
        t("MsgBackupNoMarks", "Het bestand draagt niet de kenmerken van een backupbestand.",
          "The file does not carry the marks of a backup file.",
          "Die Datei trägt nicht die Kennzeichen einer Sicherungsdatei."),
        # Why a file a user named could not be read at all; the file comes before.
        t("MsgNoSuchFile", "dat bestand bestaat niet", "there is no such file",
          "diese Datei gibt es nicht"),
        t("MsgFolderNotFile", "het is een map, geen bestand", "it is a folder, not a file",
          "das ist ein Ordner, keine Datei"),
        t("MsgNotAFile", "het is een pipe, een apparaat of een socket, geen bestand",
          "it is a pipe, a device or a socket, not a file",
          "das ist eine Pipe, ein Gerät oder ein Socket, keine Datei"),
        # The check that only one copy runs; "%1" the socket or lock file, "%2" the reason.
        t("MsgInstanceNoListen", "Kan niet luisteren op %1: %2", "Cannot listen on %1: %2",
          "Kann nicht auf %1 warten: %2"),
        t("MsgInstanceNoLock", "Kan het vergrendelbestand %1 niet maken.",
          "Cannot create the lock file %1.", "Kann die Sperrdatei %1 nicht anlegen."),
        t("MsgInstanceSilent", "Er draait al een ander exemplaar van het programma, maar het "
          "antwoordt niet.", "Another copy of the program is running but does not answer.",
          "Ein anderes Exemplar des Programms läuft, antwortet aber nicht."),
        t("MsgInstanceUnchecked", "Het programma start zonder te controleren of het al draait.",
          "Starting without the single-copy check.",
          "Das Programm startet, ohne zu prüfen, ob es schon läuft."),
        t("MsgDemoNoSim", "Deze versie heeft geen gesimuleerde bus; --demo kan geen poort openen.",
          "This build has no simulated bus; --demo cannot open a port.",
          "Diese Version hat keinen simulierten Bus; --demo kann keinen Port öffnen."),
    ]),
    ("BackupRestore", [
        t("SaveCaption", "Backup opslaan als", "Save backup as", "Sicherung speichern unter"),
        t("OpenFilter", "MX5x-backup (*.bak)|*.bak", "MX5x backup (*.bak)|*.bak",
          "MX5x-Sicherung (*.bak)|*.bak"),
        t("OpenCaption", "Backup terugzetten", "Restore backup", "Sicherung wiederherstellen"),
        t("OpenMsg2", "Dit bestand is geen geldig MX5x-backupbestand. Er is niets gezonden.",
          "This file is not a valid MX5x backup file. Nothing was sent.",
          "Diese Datei ist keine gültige MX5x-Sicherungsdatei. Es wurde nichts gesendet."),
        tt("Msg_waarschuwingCaption", Q_WARN),
        t("Msg_waarschuwingRestore_1",
          "Dit bestand vervangt alle parameters en sollwerten van het apparaat:",
          "This file will replace all parameters and setpoints of the unit:",
          "Diese Datei ersetzt alle Parameter und Sollwerte des Geräts:"),
        t("Msg_waarschuwingRestore_2", "Wilt u doorgaan?", "Do you want to continue?",
          "Möchten Sie fortfahren?"),
        t("MsgRestoreUnit", "Apparaat %1, type %2.", "Unit %1, type %2.", "Gerät %1, Typ %2."),
        t("MsgRestoreStopped", "Het terugzetten van %1 is niet voltooid.",
          "The restore from %1 did not finish.",
          "Die Wiederherstellung aus %1 wurde nicht abgeschlossen."),
        t("MsgRestoreAgain",
          "Het apparaat kan nu deels de backup en deels zijn oude waarden bevatten. De backup "
          "opnieuw zenden zodra de verbinding terug is?",
          "The unit may now hold part of the backup and part of its old values. Send the backup "
          "again once the line is back?",
          "Das Gerät kann jetzt teils die Sicherung, teils seine alten Werte enthalten. Die "
          "Sicherung erneut senden, sobald die Verbindung wieder steht?"),
        t("MsgBackupNotWritten", "De backup kon niet worden geschreven.",
          "The backup could not be written.",
          "Die Sicherung konnte nicht geschrieben werden."),
        t("MsgBackupOldFileKept", "Een bestand dat er al was, is ongewijzigd.",
          "A file that was there before is unchanged.",
          "Eine Datei, die schon da war, ist unverändert."),
        # Shown only while no language file is loaded; kept with the others
        # so that every file holds every key.
        t("MsgRestoreNoLanguage",
          "Er is geen taalbestand geladen, dus kan het terugzetten niet vragen voordat het het "
          "apparaat overschrijft. Er is niets gezonden.",
          "No language file is loaded, so the restore cannot ask before it overwrites the unit. "
          "Nothing was sent.",
          "Es ist keine Sprachdatei geladen, daher kann die Wiederherstellung nicht fragen, bevor "
          "sie das Gerät überschreibt. Es wurde nichts gesendet."),
    ]),
    ("Mappen", [
        t("Instellingen", "Instellingen: %1", "Settings: %1", "Einstellungen: %1"),
        t("Gegevens", "Gegevensbestanden: %1", "Data files: %1", "Datendateien: %1"),
        t("Draagbaar", "Alles in de map van het programma (draagbaar).",
          "Everything in the program's folder (portable).",
          "Alles im Ordner des Programms (portabel)."),
        t("MsgMapOnbruikbaar",
          "De map voor de instellingen %1 kan niet worden aangemaakt of beschreven (%2). Het "
          "programma werkt met de standaardinstellingen en wijzigingen daarin worden niet bewaard.",
          "The settings folder %1 cannot be created or written (%2). The program runs with its "
          "default settings, and changes to them will not be kept.",
          "Der Ordner für die Einstellungen %1 kann nicht angelegt oder beschrieben werden (%2). "
          "Das Programm läuft mit den Standardeinstellungen, Änderungen daran werden nicht "
          "gespeichert."),
        t("MsgEigenBestand",
          "Uw eigen bestand %1 kan niet worden gelezen (%2). Het geïnstalleerde bestand %3 wordt "
          "in plaats daarvan gebruikt.",
          "Your own file %1 could not be read (%2). The installed file %3 is used instead.",
          "Ihre eigene Datei %1 kann nicht gelesen werden (%2). Stattdessen wird die installierte "
          "Datei %3 verwendet."),
        t("TeGroot", "groter dan %1 MB", "larger than %1 MB", "größer als %1 MB"),
    ]),
    ("About", [
        t("Caption", "Info", "About", "Info"),
        t("Handelsmerk", "MX5x is een handelsmerk van Morvek.", "MX5x is a trademark of Morvek.",
          "MX5x ist ein Warenzeichen von Morvek."),
        t("SoftwareVersie", "Softwareversie:", "Software version:", "Softwareversion:"),
    ]),
    ("HelpErrorNummers", [
        t("Caption", "Foutnummers MX52", "MX52 error numbers", "Fehlernummern MX52"),
        # Why the help file is not shown; the file and the reason follow.
        t("MsgNotOpened", "Het hulpbestand kan niet worden geopend:",
          "The help file cannot be opened:", "Die Hilfedatei kann nicht geöffnet werden:"),
        t("MsgNotRead", "Het hulpbestand kan niet worden gelezen:",
          "The help file cannot be read:", "Die Hilfedatei kann nicht gelesen werden:"),
        t("MsgNotRtf", "Het hulpbestand is geen RTF-document:",
          "The help file is not a rich-text (RTF) document:",
          "Die Hilfedatei ist kein RTF-Dokument:"),
        t("MsgTooLarge", "Het hulpbestand is groter dan %1 bytes:",
          "The help file is larger than %1 bytes:", "Die Hilfedatei ist größer als %1 Bytes:"),
        t("MsgTooDeep", "Het hulpbestand nest groepen dieper dan %1:",
          "The help file nests groups more than %1 deep:",
          "Die Hilfedatei verschachtelt Gruppen tiefer als %1:"),
        t("MsgAfgekort",
          "Dit hulpbestand is langer dan het venster kan tonen; het wordt maar gedeeltelijk getoond.",
          "This help file is longer than the window can show; it is shown only in part.",
          "Diese Hilfedatei ist länger, als das Fenster zeigen kann; sie wird nur teilweise "
          "angezeigt."),
    ]),
    ("Opties", [
        t("Caption", "Opties", "Options", "Optionen"),
        t("RegAlgemeen", "Algemeen", "General", "Allgemein"),
        t("TaalLabel", "Taal:", "Language:", "Sprache:"),
        t("TaalItems", ["Nederlands", "Engels (English)", "Duits (Deutsch)"],
          ["Dutch (Nederlands)", "English", "German (Deutsch)"],
          ["Niederländisch (Nederlands)", "Englisch (English)", "Deutsch"]),
        t("CmdOK", "OK", "OK", "OK"),
        tt("CmdCancel", CANCEL),
        t("MsgLanguageMissing", "Dit taalbestand is niet gevonden:",
          "This language file was not found:", "Diese Sprachdatei wurde nicht gefunden:"),
        t("MsgLanguageUnreadable", "Dit taalbestand kan niet worden gelezen:",
          "This language file cannot be read:", "Diese Sprachdatei kann nicht gelesen werden:"),
        t("MsgLanguageKept", "Het programma blijft in de huidige taal.",
          "The program stays in its current language.",
          "Das Programm bleibt in der bisherigen Sprache."),
    ]),
    ("InitCom", [
        t("Caption", "Seriële poort", "Serial port", "Serielle Schnittstelle"),
        t("RegInterface", "Poort", "Port", "Schnittstelle"),
        t("RegExtended", "RS485-hardware", "RS485 hardware", "RS485-Hardware"),
        t("CmdOK", "OK", "OK", "OK"),
        tt("CmdCancel", CANCEL),
        t("PortLabel", "Poort:", "Port:", "Anschluss:"),
        t("IOLabel", "I/O-adres:", "I/O address:", "E/A-Adresse:"),
        t("BaudLabel", "Baudrate:", "Baud rate:", "Baudrate:"),
        t("DatabitLabel", "Databits:", "Data bits:", "Datenbits:"),
        t("ParityLabel", "Pariteit:", "Parity:", "Parität:"),
        t("StopbitLabel", "Stopbits:", "Stop bits:", "Stoppbits:"),
        t("HardwareLabel", "Hardware:", "Hardware:", "Hardware:"),
        t("PortTypeLabel", "Poorttype:", "Port type:", "Schnittstellentyp:"),
        t("ReceiverLabel", "Ontvanger:", "Receiver:", "Empfänger:"),
        t("TransmitterLabel", "Zender:", "Transmitter:", "Sender:"),
        # Ours: where the chosen COM name leads on this computer.
        t("DeviceLabel", "Apparaat:", "Device:", "Gerät:"),
        t("PortItems", *([["COM%d" % i for i in range(1, 17)]] * 3)),
        t("IOItems", *([["03F8h", "02F8h", "03E8h", "02E8h"]] * 3)),
        t("BaudItems", *([["9600", "19200", "28800", "38400", "57600", "115200"]] * 3)),
        t("DataBitItems", *([["7", "8"]] * 3)),
        t("ParityItems", ["Geen", "Even", "Oneven"], ["None", "Even", "Odd"], ["Keine", "Gerade", "Ungerade"]),
        t("StopbitItems", *([["1", "2"]] * 3)),
        t("HardwareItems", ["Standaard", "PCLab PCL-745", "Phoenix PSM-V24/RS485", "Eigen instelling"],
          ["Standard", "PCLab PCL-745", "Phoenix PSM-V24/RS485", "User defined"],
          ["Standard", "PCLab PCL-745", "Phoenix PSM-V24/RS485", "Benutzerdefiniert"]),
        t("PortTypeItems", *([["RS-232C", "RS-422", "RS-485"]] * 3)),
        t("ReceiverItems", ["Geen", "Register 7 = 2"], ["None", "Register 7 = 2"], ["Keiner", "Register 7 = 2"]),
        t("TransmitterItems", ["Geen", "Register 7 = 1", "RTS = 1", "DTR = 0"],
          ["None", "Register 7 = 1", "RTS = 1", "DTR = 0"], ["Keiner", "Register 7 = 1", "RTS = 1", "DTR = 0"]),
        # Ours: ending a reply at its line end, and what that trades.
        t("FastFramingCheck", "Snel framen", "Fast framing", "Schnelle Rahmung"),
        t("FastFramingNote",
          "Elk antwoord eindigt bij het regeleinde, niet na 50 ms stilte: ongeveer 3x sneller, "
          "maar een apparaat dat die pauze nodig heeft kost een time-out.",
          "Ends each reply at its line end, not after 50 ms of silence: about 3x faster, but a "
          "unit that needs the pause costs one time-out.",
          "Beendet jede Antwort am Zeilenende statt nach 50 ms Stille: etwa 3x schneller, aber "
          "ein Gerät, das die Pause braucht, kostet eine Zeitüberschreitung."),
        # Ours: what the window says when the port will not open.  %1, %2, %3
        # are filled in by the program (port name, device, group, user).
        t("MsgCannotOpen", "%1 (%2) kan niet worden geopend:", "%1 (%2) cannot be opened:",
          "%1 (%2) kann nicht geöffnet werden:"),
        t("MsgNoAccess",
          "U hebt geen lees- en schrijfrechten op %1. Vraag de beheerder van deze computer erom.",
          "You have no read and write access to %1. Ask the administrator of this computer for it.",
          "Sie haben keine Lese- und Schreibrechte für %1. Bitten Sie den Administrator dieses "
          "Computers darum."),
        t("MsgAccessByGroup",
          'Toegang tot %1 hebben de leden van de groep "%2". Voeg uw gebruiker aan die groep toe '
          "(bijvoorbeeld: sudo usermod -aG %2 %3) en meld u daarna af en weer aan.",
          'Access to %1 is granted to the members of the group "%2". Add your user to that group '
          "(for example: sudo usermod -aG %2 %3), then log out and in again.",
          'Zugriff auf %1 haben die Mitglieder der Gruppe "%2". Fügen Sie Ihren Benutzer dieser '
          "Gruppe hinzu (zum Beispiel: sudo usermod -aG %2 %3) und melden Sie sich danach ab und "
          "wieder an."),
        t("MsgDeviceBusy",
          "Een ander programma, of een andere kopie van dit programma, gebruikt het apparaat. "
          "Sluit het en klik opnieuw op OK.",
          "Another program, or another copy of this one, is using the device. Close it and press "
          "OK again.",
          "Ein anderes Programm oder eine andere Instanz dieses Programms verwendet das Gerät. "
          "Schließen Sie es und klicken Sie erneut auf OK."),
        t("MsgDeviceMissing",
          "Controleer of de converter is aangesloten, of kies een ander apparaat.",
          "Check that the converter is plugged in, or choose another device.",
          "Prüfen Sie, ob der Umsetzer angeschlossen ist, oder wählen Sie ein anderes Gerät."),
        # Under the device box while this run leads every port to %1 (the demo).
        t("MsgDemoDevice", "Deze sessie gebruikt %1 voor elke poort.",
          "This run uses %1 for every port.", "Diese Sitzung verwendet %1 für jede Schnittstelle."),
        # Why the port map cannot lead a port anywhere, on the line after
        # MsgCannotOpen; "%1" the port, "%2" the value it is mapped to.
        t("MsgMapNoSim",
          "%1 is gekoppeld aan de gesimuleerde bus, maar dit programma is zonder die bus gebouwd.",
          "%1 is mapped to the simulated bus, which this program has not been built with.",
          "%1 ist dem simulierten Bus zugeordnet, aber dieses Programm wurde ohne ihn gebaut."),
        t("MsgMapNotDevice",
          "%1 is gekoppeld aan \"%2\", en dat is geen apparaatpad.",
          "%1 is mapped to \"%2\", which is not a device path.",
          "%1 ist \"%2\" zugeordnet, und das ist kein Gerätepfad."),
    ]),
    ("AparaatZoeken", [
        t("Caption", "Apparaten zoeken", "Search for units", "Geräte suchen"),
        t("CmdOK", "OK", "OK", "OK"),
        t("CmdVerder", "Verder", "Continue", "Weiter"),
        t("CmdStart", "Start", "Start", "Start"),
        t("CmdStop", "Stop", "Stop", "Stopp"),
        tt("CmdCancel", CANCEL),
        t("LabelStartenMet", "Beginnen bij:", "Start at:", "Beginnen bei:"),
        t("KolomTekst0", "Nr", "No.", "Nr."),
        t("KolomTekst1", "Type-informatie", "Type information", "Typinformation"),
        t("KolomTekst2", "Baudrate", "Baud rate", "Baudrate"),
        t("KolomTekst3", "Pariteit", "Parity", "Parität"),
        t("KolomTekst4", "Stopbits", "Stop bits", "Stoppbits"),
        t("GroepParity", "Pariteit", "Parity", "Parität"),
        t("GroepStopBits", "Stopbits", "Stop bits", "Stoppbits"),
        t("RadioAlsCom", "Zoals ingesteld", "As set", "Wie eingestellt"),
        t("RadioAutoSelect", "Alle proberen", "Try all", "Alle probieren"),
        t("PanelTekst0", "Bezig met zoeken...", "Searching...", "Suche läuft..."),
        t("PanelTekst1", "Gestopt", "Stopped", "Angehalten"),
        t("PanelTekst2", "Zoeken beëindigd", "Search finished", "Suche beendet"),
        t("PanelTekst3", "Apparaat gevonden!", "Unit found!", "Gerät gefunden!"),
        # Ours: the first line of the box when the port will not open; the
        # program fills in %1 (port name) and %2 (device).
        t("MsgCannotOpen", "%1 (%2) kan niet worden geopend:", "%1 (%2) cannot be opened:",
          "%1 (%2) kann nicht geöffnet werden:"),
        # The device vanished during the search; the reason follows.
        t("MsgDeviceLost", "De poort is weggevallen; het zoeken is gestopt:",
          "The port has gone away; the search has stopped:",
          "Die Schnittstelle ist weg; die Suche wurde angehalten:"),
    ]),
    ("EditParam", [
        t("Caption", "Parameters", "Parameters", "Parameter"),
        t("KolomTekst0", "Pos.", "Pos.", "Pos."),
        t("KolomTekst1", "Nr", "No.", "Nr."),
        t("KolomTekst2", "Naam", "Name", "Name"),
        t("KolomTekst3", "Waarde", "Value", "Wert"),
        t("KolomTekst4", "Betekenis", "Meaning", "Bedeutung"),
        t("min", "Min:", "Min:", "Min:"),
        t("max", "Max:", "Max:", "Max:"),
        t("default", "Standaard:", "Default:", "Standard:"),
        t("CmdClear", "Wissen", "Clear", "Löschen"),
        tt("menuBestand", FILE),
        tt("subOpenen", OPEN),
        tt("subOpslaanAls", SAVE_AS),
        t("subLaadDefault", "Standaardwaarden laden", "Load defaults", "Standardwerte laden"),
        tt("subAfdrukken", PRINT),
        tt("subAfsluiten", CLOSE),
        tt("menuZendenOntvangen", TRANSFER),
        t("subParOntvangen", "Parameters ontvangen", "Receive parameters", "Parameter empfangen"),
        t("subParZenden", "Parameters zenden", "Send parameters", "Parameter senden"),
        t("subLoader", "Parameters laden en testen...", "Load and check parameters...",
          "Parameter laden und prüfen..."),
        t("menuVenster", "Venster", "Window", "Fenster"),
        t("subNokkenInfo", "Nokkenoverzicht", "Cam display", "Nockenanzeige"),
        t("subZoeken", "Parameter zoeken...", "Find parameter...", "Parameter suchen..."),
        t("ZoekTekst", "Nummer of naam", "Number or name", "Nummer oder Name"),
        t("ZoekGeenTreffers", "Geen parameter gevonden", "No parameter found", "Kein Parameter gefunden"),
        tt("Msg_ErrorCaption", Q_ERR),
        t("Msg_InfoCaption", "Informatie", "Information", "Information"),
        t("msg_DefaultParGeladen", "De standaardwaarden van alle parameters zijn geladen.",
          "The default values of all parameters have been loaded.",
          "Die Standardwerte aller Parameter wurden geladen."),
        t("msg_ErrorSetDefaultPar",
          "De standaardwaarden kunnen niet worden geladen: het bestand Parameters.txt ontbreekt.",
          "The defaults cannot be loaded: the file Parameters.txt is missing.",
          "Die Standardwerte können nicht geladen werden: die Datei Parameters.txt fehlt."),
        t("OpenCaption", "Parameterbestand openen", "Open parameter file", "Parameterdatei öffnen"),
        t("OpenFilter", "MX5x-parameterbestand (*.mxp)|*.mxp", "MX5x parameter file (*.mxp)|*.mxp",
          "MX5x-Parameterdatei (*.mxp)|*.mxp"),
        t("OpenMsg1", "Het bestand kan niet worden geopend.", "The file cannot be opened.",
          "Die Datei kann nicht geöffnet werden."),
        t("OpenMsg2", "Dit is geen MX5x-parameterbestand.", "This is not an MX5x parameter file.",
          "Dies ist keine MX5x-Parameterdatei."),
        t("OpenMsg3", "Het bestand bevat een ongeldige regel. Er is niets gewijzigd.",
          "The file contains an invalid line. Nothing was changed.",
          "Die Datei enthält eine ungültige Zeile. Es wurde nichts geändert."),
        t("OpenMsg4", "Het bestand bevat niet precies 400 parameters. Er is niets gewijzigd.",
          "The file does not hold exactly 400 parameters. Nothing was changed.",
          "Die Datei enthält nicht genau 400 Parameter. Es wurde nichts geändert."),
        t("MsgNotSaved", "De parameters zijn niet opgeslagen.", "The parameters were not saved.",
          "Die Parameter wurden nicht gespeichert."),
        # Shown only while no language file is loaded; kept with the others.
        t("MsgNotRead", "Het parameterbestand is niet gelezen; er is niets gewijzigd.",
          "The parameter file was not read; nothing was changed.",
          "Die Parameterdatei wurde nicht gelesen; es wurde nichts geändert."),
        t("MsgNoDefaults",
          "De standaardwaarden kunnen niet worden geladen: Parameters.txt ontbreekt naast het "
          "programma.",
          "The defaults cannot be loaded: Parameters.txt is missing beside the program.",
          "Die Standardwerte können nicht geladen werden: Parameters.txt fehlt neben dem "
          "Programm."),
        t("SaveCaption", "Parameters opslaan als", "Save parameters as", "Parameter speichern unter"),
        tt("Msg_waarschuwingCaption", Q_WARN),
        tt("ZendMsg_1", NOT_LOADED_PAR),
        tt("ZendMsg_2", NOT_LOADED_PAR_2),
        t("ZendMsg_3", "", "", ""),
        t("ZendMsg_4", "Zenden overschrijft alle 400 parameters van het apparaat.",
          "Sending overwrites all 400 parameters of the unit.",
          "Beim Senden werden alle 400 Parameter des Geräts überschrieben."),
        t("ZendMsg_5", "", "", ""),
        t("ZendMsg_6", "Wilt u de parameters toch zenden?", "Send the parameters anyway?",
          "Parameter trotzdem senden?"),
        t("Msg_ParGezondenEnNietGeladen",
          "Er zijn parameters naar het apparaat gezonden die nog niet zijn overgenomen "
          "(Parameters laden en testen). Venster toch sluiten?",
          "Parameters were sent to the unit but have not been loaded yet "
          "(Load and check parameters). Close the window anyway?",
          "Es wurden Parameter an das Gerät gesendet, aber noch nicht übernommen "
          "(Parameter laden und prüfen). Fenster trotzdem schließen?"),
    ]),
    ("LeesParSoll", [
        t("CaptionMode0", "Parameters ontvangen", "Receive parameters", "Parameter empfangen"),
        t("CaptionMode1", "Sollwerten ontvangen", "Receive setpoints", "Sollwerte empfangen"),
        t("CaptionMode2", "Parameters en sollwerten ontvangen", "Receive parameters and setpoints",
          "Parameter und Sollwerte empfangen"),
        t("CaptionMode3", "Backup: apparaat lezen", "Backup: reading the unit", "Sicherung: Gerät lesen"),
        t("CmdOK", "OK", "OK", "OK"),
        t("CmdAgain", "Opnieuw", "Retry", "Erneut"),
        tt("CmdCancel", CANCEL),
        tt("PanelTekst0", TIMEOUT),
        tt("PanelTekst1", COMM_ERR),
        t("PanelTekst2", "Parameter lezen:", "Reading parameter", "Parameter lesen:"),
        t("PanelTekst3", "Alle parameters ontvangen", "All parameters received", "Alle Parameter empfangen"),
        t("PanelTekst4", "Sollwert lezen:", "Reading setpoint", "Sollwert lesen:"),
        t("PanelTekst5", "Alle sollwerten ontvangen", "All setpoints received", "Alle Sollwerte empfangen"),
        t("PanelTekst6", "Parameters en sollwerten ontvangen", "Parameters and setpoints received",
          "Parameter und Sollwerte empfangen"),
        tt("PanelTekst7", BAD_REPLY),
    ]),
    ("SchrijfParSoll", [
        t("CaptionMode0", "Parameters zenden", "Send parameters", "Parameter senden"),
        t("CaptionMode1", "Sollwerten zenden", "Send setpoints", "Sollwerte senden"),
        t("CaptionMode2", "Parameters en sollwerten zenden", "Send parameters and setpoints",
          "Parameter und Sollwerte senden"),
        t("CaptionMode3", "Backup terugzetten", "Restoring the unit", "Gerät wiederherstellen"),
        t("CmdOK", "OK", "OK", "OK"),
        t("CmdAgain", "Opnieuw", "Retry", "Erneut"),
        tt("CmdCancel", CANCEL),
        tt("PanelTekst0", TIMEOUT),
        tt("PanelTekst1", COMM_ERR),
        t("PanelTekst2", "Parameter schrijven:", "Writing parameter", "Parameter schreiben:"),
        t("PanelTekst3", "Parameters gezonden en overgenomen", "Parameters sent and loaded",
          "Parameter gesendet und übernommen"),
        t("PanelTekst4", "Sollwert schrijven:", "Writing setpoint", "Sollwert schreiben:"),
        t("PanelTekst5", "Alle sollwerten gezonden", "All setpoints sent", "Alle Sollwerte gesendet"),
        t("PanelTekst6", "Parameters en sollwerten gezonden", "Parameters and setpoints sent",
          "Parameter und Sollwerte gesendet"),
        tt("PanelTekst7", BAD_REPLY),
        t("PanelTekst8", "Apparaat teruggezet", "Unit restored", "Gerät wiederhergestellt"),
        t("PanelTekst9", "Waarde geweigerd door het apparaat", "Value refused by the unit",
          "Wert vom Gerät abgelehnt"),
        tt("PanelTekst10", BP_FAIL[0]),
        tt("PanelTekst11", BP_FAIL[1]),
        t("StopNote", "Gestopt bij %1: het apparaat bevestigde %2 van %3 waarden.",
          "Stopped at %1: the unit confirmed %2 of %3 values.",
          "Angehalten bei %1: das Gerät hat %2 von %3 Werten bestätigt."),
        t("StopNoteCompute",
          "Alle %1 waarden zijn geschreven, maar het apparaat heeft het herberekenen van zijn "
          "parameters (\"bp\") niet bevestigd.",
          "All %1 values were written, but the unit has not confirmed recomputing its "
          "parameters (\"bp\").",
          "Alle %1 Werte wurden geschrieben, aber das Gerät hat das Neuberechnen seiner "
          "Parameter (\"bp\") nicht bestätigt."),
        t("MsgSendAgain",
          "Het apparaat kan nu deels de nieuwe en deels zijn oude waarden bevatten. De waarden "
          "opnieuw zenden zodra de verbinding terug is?",
          "The unit may now hold part of the new values and part of its old ones. Send the "
          "values again once the line is back?",
          "Das Gerät kann jetzt teils die neuen, teils seine alten Werte enthalten. Die Werte "
          "erneut senden, sobald die Verbindung wieder steht?"),
        t("MsgSendAgainCompute",
          "Opnieuw zenden zodra de verbinding terug is, zodat het apparaat zijn parameters "
          "herberekent?",
          "Send them again once the line is back, so that the unit recomputes its parameters?",
          "Erneut senden, sobald die Verbindung wieder steht, damit das Gerät seine Parameter "
          "neu berechnet?"),
        t("MsgRefused",
          "Het apparaat weigerde %1: %2 (grenzen %3 … %4). Dezelfde waarden opnieuw zenden zou "
          "op dezelfde plaats weer geweigerd worden.",
          "The unit refused %1: %2 (limits %3 … %4). Sending the same values again would be "
          "refused at the same place.",
          "Das Gerät hat %1 abgelehnt: %2 (Grenzen %3 … %4). Dieselben Werte erneut zu senden, "
          "würde an derselben Stelle wieder abgelehnt."),
        t("MsgRefusedOpen", "Naar %1 in de editor gaan om het te verbeteren?",
          "Go to %1 in the editor to correct it?",
          "Zu %1 im Editor gehen, um es zu korrigieren?"),
        t("MsgOutOfLimits",
          "Deze waarden liggen buiten de grenzen die het apparaat aanneemt. Het zou de eerste "
          "ervan weigeren en half beschreven achterblijven:",
          "These values lie outside the limits the unit accepts. It would refuse the first of "
          "them and be left half written:",
          "Diese Werte liegen außerhalb der Grenzen, die das Gerät annimmt. Es würde den ersten "
          "davon ablehnen und halb beschrieben zurückbleiben:"),
        t("MsgLimitLine", "%1: %2 (grenzen %3 … %4)", "%1: %2 (limits %3 … %4)",
          "%1: %2 (Grenzen %3 … %4)"),
        t("MsgLimitMore", "… en nog %1.", "… and %1 more.", "… und %1 weitere."),
        t("MsgSendAnyway", "Toch zenden?", "Send anyway?", "Trotzdem senden?"),
    ]),
    ("Loader", [
        t("Caption", "Parameters laden en testen", "Load and check parameters", "Parameter laden und prüfen"),
        t("CmdOK", "OK", "OK", "OK"),
        tt("PanelTekst0", TIMEOUT),
        t("PanelTekst1", "Parameters laden...", "Loading parameters...", "Parameter werden geladen..."),
        tt("PanelTekst2", COMM_ERR),
        t("PanelTekst3", "Wachten op het apparaat...", "Waiting for the unit...", "Warten auf das Gerät..."),
        t("PanelTekst4", "Parameters geladen en goedgekeurd", "Parameters loaded and checked",
          "Parameter geladen und geprüft"),
        tt("PanelTekst5", BP_FAIL[0]),
        tt("PanelTekst6", BP_FAIL[1]),
        t("MsgOnbruikbaarAntwoord",
          "Onbruikbaar antwoord van het apparaat (%1); of de parameters geladen zijn, is niet bekend.",
          "Unusable reply from the unit (%1); whether the parameters were loaded is not known.",
          "Unbrauchbare Antwort vom Gerät (%1); ob die Parameter geladen wurden, ist nicht bekannt."),
    ]),
    ("ParamService", [
        t("LabelMin", "Min", "Min", "Min"),
        t("LabelMax", "Max", "Max", "Max"),
        t("LabelDefault", "Standaard", "Default", "Standard"),
        t("LabelParData", "Waarde", "Value", "Wert"),
        t("CmdOK", "OK", "OK", "OK"),
        t("CmdDefault", "Standaard", "Default", "Standard"),
        t("CmdZenden", "Zenden", "Send", "Senden"),
        tt("CmdCancel", CANCEL),
        tt("PanelTekst0", TIMEOUT),
        t("PanelTekst1", "Parameter wordt gezonden...", "Sending parameter...", "Parameter wird gesendet..."),
        t("PanelTekst2", "Waarde buiten min/max!", "Value outside min/max!", "Wert außerhalb Min/Max!"),
        t("PanelTekst3", "Te veel cijfers!", "Too many digits!", "Zu viele Ziffern!"),
        t("PanelTekst4", "Parameter gezonden", "Parameter sent", "Parameter gesendet"),
        tt("PanelTekst5", COMM_ERR),
        t("PanelTekst6", "Waarde geweigerd door het apparaat", "Value refused by the unit",
          "Wert vom Gerät abgelehnt"),
        tt("PanelTekst7", BP_FAIL[1]),
        tt("PanelTekst8", BP_FAIL[0]),
        t("PanelTekst9", "Parameters worden geladen...", "Loading parameters...", "Parameter werden geladen..."),
        t("PanelTekst10", "Parameters geladen", "Parameters loaded", "Parameter geladen"),
        t("MsgOnbruikbaarAntwoord",
          "Onbruikbaar antwoord van het apparaat (%1); of de parameter geschreven is, is niet bekend.",
          "Unusable reply from the unit (%1); whether the parameter was written is not known.",
          "Unbrauchbare Antwort vom Gerät (%1); ob der Parameter geschrieben wurde, ist nicht bekannt."),
    ]),
    ("Afdrukken", [
        t("CaptionPar", "Parameters afdrukken", "Print parameters", "Parameter drucken"),
        t("CaptionSoll", "Sollwerten afdrukken", "Print setpoints", "Sollwerte drucken"),
        t("LabelFirma", "Firma:", "Company:", "Firma:"),
        t("LabelType", "Type:", "Type:", "Typ:"),
        t("LabelSn", "Serienummer:", "Serial no.:", "Seriennummer:"),
        t("CmdOK", "Afdrukken", "Print", "Drucken"),
        tt("CmdCancel", CANCEL),
        t("TekstPagina", "Pagina", "Page", "Seite"),
        t("NaamSoll", "Sollwerten", "Setpoints", "Sollwerte"),
        tt("Msg_waarschuwingCaption", Q_WARN),
        tt("AfdrukMsg_1", NOT_LOADED_PAR),
        tt("AfdrukMsg_2", NOT_LOADED_PAR_2),
        t("AfdrukMsg_3", "", "", ""),
        t("AfdrukMsg_4", "De afdruk toont dan waarden die niet in het apparaat staan.",
          "The printout will then show values that are not in the unit.",
          "Der Ausdruck zeigt dann Werte, die nicht im Gerät stehen."),
        t("AfdrukMsg_5", "", "", ""),
        t("AfdrukMsg_6", "Wilt u toch afdrukken?", "Print anyway?", "Trotzdem drucken?"),
        tt("AfdrukMsg_10", NOT_LOADED_SOLL),
        tt("AfdrukMsg_20", NOT_LOADED_PAR_2),
        t("AfdrukMsg_30", "", "", ""),
        t("AfdrukMsg_40", "De afdruk toont dan waarden die niet in het apparaat staan.",
          "The printout will then show values that are not in the unit.",
          "Der Ausdruck zeigt dann Werte, die nicht im Gerät stehen."),
        t("AfdrukMsg_50", "Wilt u toch afdrukken?", "Print anyway?", "Trotzdem drucken?"),
        t("MsgNotPrinted", "Er is niets afgedrukt.", "Nothing was printed.",
          "Es wurde nichts gedruckt."),
        # After the PDF file's or the printer's name.
        t("MsgPdfNotStarted", "de PDF kon niet worden begonnen.", "the PDF could not be started.",
          "das PDF konnte nicht begonnen werden."),
        t("MsgPdfNotCompleted", "de PDF kon niet worden voltooid.",
          "the PDF could not be completed.", "das PDF konnte nicht fertiggestellt werden."),
        t("MsgPrinterNotStarted", "de printer kon niet worden gestart.",
          "the printer could not be started.", "der Drucker konnte nicht gestartet werden."),
        t("MsgPrinterFailed", "de printer meldde een fout.", "the printer reported an error.",
          "der Drucker hat einen Fehler gemeldet."),
    ]),
    ("EditSollwert", [
        t("Caption", "Sollwerten", "Setpoints", "Sollwerte"),
        t("Kolomtekst_no", "Nr", "No.", "Nr."),
        t("Kolomtekst_waarde", "Waarde", "Value", "Wert"),
        tt("menuBestand", FILE),
        tt("subOpenen", OPEN),
        tt("subOpslaanAls", SAVE_AS),
        tt("subAfdrukken", PRINT),
        tt("subAfsluiten", CLOSE),
        tt("menuZendenOntvangen", TRANSFER),
        t("subParOntvangen", "Sollwerten ontvangen", "Receive setpoints", "Sollwerte empfangen"),
        t("subParZenden", "Sollwerten zenden", "Send setpoints", "Sollwerte senden"),
        t("Msg_SollwertOngeldig", "Ongeldige invoer!", "Invalid entry!", "Ungültige Eingabe!"),
        t("SaveCaption", "Sollwerten opslaan als", "Save setpoints as", "Sollwerte speichern unter"),
        t("OpenCaption", "Sollwertbestand openen", "Open setpoint file", "Sollwertdatei öffnen"),
        t("OpenFilter", "MX5x-sollwertbestand (*.mxs)|*.mxs", "MX5x setpoint file (*.mxs)|*.mxs",
          "MX5x-Sollwertdatei (*.mxs)|*.mxs"),
        tt("Msg_ErrorCaption", Q_ERR),
        t("OpenMsg1", "Het bestand kan niet worden geopend.", "The file cannot be opened.",
          "Die Datei kann nicht geöffnet werden."),
        t("OpenMsg2", "Dit is geen MX5x-sollwertbestand.", "This is not an MX5x setpoint file.",
          "Dies ist keine MX5x-Sollwertdatei."),
        t("OpenMsg3", "Het bestand bevat een ongeldige regel. Er is niets gewijzigd.",
          "The file contains an invalid line. Nothing was changed.",
          "Die Datei enthält eine ungültige Zeile. Es wurde nichts geändert."),
        t("OpenMsg4", "Het bestand bevat niet de 49 regels S000 tot S048. Er is niets gewijzigd.",
          "The file does not hold the 49 lines S000 to S048. Nothing was changed.",
          "Die Datei enthält nicht die 49 Zeilen S000 bis S048. Es wurde nichts geändert."),
        t("MsgNotSaved", "De sollwerten zijn niet opgeslagen.", "The setpoints were not saved.",
          "Die Sollwerte wurden nicht gespeichert."),
        tt("Msg_waarschuwingCaption", Q_WARN),
        tt("ZendMsg_10", NOT_LOADED_SOLL),
        tt("ZendMsg_20", NOT_LOADED_PAR_2),
        t("ZendMsg_30", "", "", ""),
        t("ZendMsg_40", "Zenden overschrijft alle 48 sollwerten van het apparaat.",
          "Sending overwrites all 48 setpoints of the unit.",
          "Beim Senden werden alle 48 Sollwerte des Geräts überschrieben."),
        t("ZendMsg_50", "Wilt u de sollwerten toch zenden?", "Send the setpoints anyway?",
          "Sollwerte trotzdem senden?"),
    ]),
    ("Bewerken", [
        t("menuBewerken", "Bewerken", "Edit", "Bearbeiten"),
        t("subOngedaanMaken", "Ongedaan maken", "Undo", "Rückgängig"),
        t("subOpnieuw", "Opnieuw", "Redo", "Wiederholen"),
        t("subRecent", "Recente bestanden", "Recent files", "Zuletzt verwendete Dateien"),
        t("subAfdrukvoorbeeld", "Afdrukvoorbeeld...", "Print preview...", "Druckvorschau..."),
        t("CmdVoorbeeld", "Voorbeeld", "Preview", "Vorschau"),
        t("CaptionNietOpgeslagen", "Niet opgeslagen wijzigingen", "Unsaved changes",
          "Nicht gespeicherte Änderungen"),
        t("MsgParNietOpgeslagen",
          "De parameters hebben wijzigingen die niet in een bestand zijn opgeslagen. "
          "Eerst opslaan?",
          "The parameters have changes that are not saved in a file. Save them first?",
          "Die Parameter haben Änderungen, die nicht in einer Datei gespeichert sind. "
          "Zuerst speichern?"),
        t("MsgSollNietOpgeslagen",
          "De sollwerten hebben wijzigingen die niet in een bestand zijn opgeslagen. "
          "Eerst opslaan?",
          "The setpoints have changes that are not saved in a file. Save them first?",
          "Die Sollwerte haben Änderungen, die nicht in einer Datei gespeichert sind. "
          "Zuerst speichern?"),
        t("MsgBestandWeg",
          "%1 bestaat niet meer. Het is uit de lijst van recente bestanden gehaald.",
          "%1 is no longer there. It has been taken off the list of recent files.",
          "%1 ist nicht mehr vorhanden. Die Datei wurde aus der Liste der zuletzt "
          "verwendeten Dateien entfernt."),
    ]),
    ("DisplayNokken", [
        t("Caption", "Nokkenoverzicht", "Cam display", "Nockenanzeige"),
        t("RijTekst", "Uitg", "Out", "Ausg"),
        t("LabelNokNo", "Nok", "Cam", "Nocke"),
        t("LabelFuncte", "Functie", "Function", "Funktion"),
        t("LabelBron", "Bron", "Source", "Quelle"),
        t("LabelAanvang", "Aanvang", "Start", "Anfang"),
        t("LabelEinde", "Einde", "End", "Ende"),
        t("LAbelHysteresis", "Hysterese", "Hysteresis", "Hysterese"),
        t("LabelVervroeging", "Vervroeging", "Advance", "Totzeit"),
    ]),
    ("Grafiek", [
        t("CaptionGrafiek", "Grafiek actuele waarde", "Live value graph", "Istwert-Grafik"),
        t("LabelBuffer", "Buffer:", "Buffer:", "Puffer:"),
        t("LabelAutoscroll", "Autoscroll", "Auto scroll", "Autoscroll"),
        t("LabelHulplijnenXas", "Hulplijnen", "Grid lines", "Hilfslinien"),
        t("LabelHulplijnenYas", "Hulplijnen", "Grid lines", "Hilfslinien"),
        t("CmdStartLog", "Start", "Start", "Start"),
        t("CmdStopLog", "Stop", "Stop", "Stopp"),
        t("GroepXas", "X-as (tijd)", "X axis (time)", "X-Achse (Zeit)"),
        t("GroepYas", "Y-as", "Y axis", "Y-Achse"),
        t("LabelBron", "Bron", "Source", "Quelle"),
        t("optiesBron",
          ["Positie", "Snelheid", "Analoog uit U", "Analoog uit I", "Analoog in U", "Analoog in I"],
          ["Position", "Speed", "Analog out U", "Analog out I", "Analog in U", "Analog in I"],
          ["Position", "Geschwindigkeit", "Analogausg. U", "Analogausg. I", "Analogeing. U",
           "Analogeing. I"]),
        tt("PanelTekst0", TIMEOUT),
        tt("PanelTekst1", COMM_ERR),
        t("PanelTekst2", "Registratie loopt...", "Logging...", "Aufzeichnung läuft..."),
        t("PanelTekst3", "Registratie gestopt", "Logging stopped", "Aufzeichnung gestoppt"),
        t("PanelTekst4", "Buffer vol", "Buffer full", "Puffer voll"),
        # A CSV or PNG export not written; the file and the reason follow.
        t("MsgNotSaved", "Het bestand is niet opgeslagen.", "The file was not saved.",
          "Die Datei wurde nicht gespeichert."),
    ]),
    ("GrafiekExtra", [
        t("CmdFit", "Passend", "Fit", "Einpassen"),
        t("CmdPauze", "Pauze", "Pause", "Pause"),
        t("CmdVolg", "Volgen", "Follow", "Folgen"),
        t("CmdStatistiek", "Statistiek", "Statistics", "Statistik"),
        t("CmdOpenRecording", "Openen...", "Open...", "Öffnen..."),
        t("CmdNaarBestand", "In bestand...", "To file...", "In Datei..."),
        t("PngHeleRun", "Hele opname", "Whole run", "Gesamte Aufzeichnung"),
        t("PngZichtbaar", "Zichtbaar deel", "Visible span", "Sichtbarer Bereich"),
        t("TipPlot",
          "Klik: cursor A, Shift+klik: cursor B, wiel: tijd zoomen (Ctrl: waarde), "
          "slepen: verschuiven, dubbelklik of Home: terug naar de schaal",
          "Click: cursor A, Shift+click: cursor B, wheel: zoom time (Ctrl: value), "
          "drag: pan, double-click or Home: back to the scales",
          "Klick: Cursor A, Umschalt+Klick: Cursor B, Mausrad: Zeit zoomen (Strg: Wert), "
          "Ziehen: verschieben, Doppelklick oder Pos1: zurück zur Skala"),
        t("CaptionOpen", "Opname openen", "Open recording", "Aufzeichnung öffnen"),
        t("CaptionStream", "Opname naar bestand", "Record to file", "Aufzeichnung in Datei"),
        t("StatZicht", "Zichtbaar", "Visible", "Sichtbar"),
        t("StatRun", "Hele opname", "Whole run", "Gesamt"),
        t("StatMin", "Min", "Min", "Min"),
        t("StatMax", "Max", "Max", "Max"),
        t("StatGemiddeld", "Gemiddeld", "Mean", "Mittelwert"),
        t("StatAantal", "Metingen", "Samples", "Messwerte"),
        t("StatPerSec", "Per seconde", "Per second", "Pro Sekunde"),
        t("TitelSchaal", "X: %1 s/deel   Y: %2/deel", "X: %1 s/div   Y: %2/div",
          "X: %1 s/Teil   Y: %2/Teil"),
        t("MsgGeenOpname", "Dit is geen opname van KQM52.", "This is not a KQM52 recording.",
          "Dies ist keine Aufzeichnung von KQM52."),
        t("MsgRegel", "Regel %1:", "Line %1:", "Zeile %1:"),
        t("MsgNietGeopend", "Het bestand kon niet worden geopend.",
          "The file could not be opened.", "Die Datei konnte nicht geöffnet werden."),
        t("MsgBestandGestopt", "Registratie gestopt: het bestand kon niet worden geschreven.",
          "Recording stopped: the file could not be written.",
          "Aufzeichnung gestoppt: Die Datei konnte nicht geschrieben werden."),
        t("MsgVerbindingGestopt", "Registratie gestopt door een verbindingsfout.",
          "Recording stopped by a link error.",
          "Aufzeichnung durch einen Verbindungsfehler gestoppt."),
        t("MsgBewaard", "Het bestand bevat %3 metingen, tot %4.",
          "The file keeps %3 samples, up to %4.",
          "Die Datei enthält %3 Messwerte, bis %4."),
    ]),
    ("Calibratie", [
        # The panel's words after a failed request (the Dutch as the window always had them).
        t("MsgTimeout", "Timeout!", "Timeout!", "Zeitüberschreitung!"),
        t("MsgCommunicatieError", "Communicatie error", "Communication error",
          "Kommunikationsfehler"),
        t("MsgPoortGesloten", "Poort gesloten", "Port closed", "Port geschlossen"),
        t("MsgGeenGetal", "Geen getal: %1", "Not a number: %1", "Keine Zahl: %1"),
        t("MsgBuitenBereik", "%1: %2 ligt buiten %3 tot %4 en is niet verzonden.",
          "%1: %2 is outside %3 to %4 and was not sent.",
          "%1: %2 liegt außerhalb von %3 bis %4 und wurde nicht gesendet."),
        t("MsgWaardeBuitenBereik",
          "%1: het apparaat heeft %2, buiten %3 tot %4. Alleen een waarde binnen die grenzen wordt "
          "verzonden.",
          "%1: the unit holds %2, outside %3 to %4. Only a value within those limits is sent.",
          "%1: das Gerät hat %2, außerhalb von %3 bis %4. Nur ein Wert innerhalb dieser Grenzen "
          "wird gesendet."),
        t("MsgAntwoordTeLang", "Antwoord te lang (%1 bytes, ten hoogste %2) en niet gebruikt.",
          "Reply too long (%1 bytes, at most %2) and not used.",
          "Antwort zu lang (%1 Bytes, höchstens %2) und nicht verwendet."),
        t("MsgAntwoordNietGevraagd", "Antwoord hoort niet bij \"%1\" en is niet gebruikt: %2",
          "Reply does not belong to \"%1\" and was not used: %2",
          "Antwort gehört nicht zu \"%1\" und wurde nicht verwendet: %2"),
        t("Msg_waarschuwingCaption", "Waarschuwing", "Warning", "Warnung"),
        t("MsgNietOpgeslagen",
          "Er zijn calibratiewaarden naar het apparaat gezonden maar nog niet in het EEPROM "
          "opgeslagen. Wilt u toch afsluiten?",
          "Calibration values were sent to the unit but not yet stored in its EEPROM. Close "
          "anyway?",
          "Es wurden Kalibrierwerte an das Gerät gesendet, aber noch nicht im EEPROM "
          "gespeichert. Trotzdem schließen?"),
    ]),
    ("CompareParam", [
        t("Caption", "Vergelijken met het apparaat",
          "Compare with the unit",
          "Mit dem Gerät vergleichen"),
        t("MenuItem", "Vergelijken met het apparaat...",
          "Compare with the unit...",
          "Mit dem Gerät vergleichen..."),
        t("Kolom0", "Groep",
          "Group",
          "Gruppe"),
        t("Kolom1", "Nr.",
          "No.",
          "Nr."),
        t("Kolom2", "Naam",
          "Name",
          "Name"),
        t("Kolom3", "Apparaat",
          "Unit",
          "Gerät"),
        t("Kolom4", "Tabel",
          "Table",
          "Tabelle"),
        t("Kolom5", "Optie apparaat",
          "Unit option",
          "Option Gerät"),
        t("Kolom6", "Optie tabel",
          "Table option",
          "Option Tabelle"),
        t("Kolom7", "Resultaat",
          "Result",
          "Ergebnis"),
        t("Summary", "%1 parameters verschillen tussen het apparaat en de tabel van de editor.",
          "%1 parameters differ between the unit and the editor's table.",
          "%1 Parameter unterscheiden sich zwischen dem Gerät und der Tabelle des Editors."),
        t("NoDifferences", "Geen verschillen: het apparaat heeft dezelfde waarden als de tabel van de editor.",
          "No differences: the unit holds the same values as the editor's table.",
          "Keine Unterschiede: das Gerät hat dieselben Werte wie die Tabelle des Editors."),
        t("Requests", "De %1 aangevinkte waarden schrijven kost %2 verzoeken (%1 keer \"wp\", dan \"bp\"); de hele tabel zenden kost er %3.",
          "Writing the %1 ticked values sends %2 requests (%1 times \"wp\", then \"bp\"); sending the whole table takes %3.",
          "Die %1 angehakten Werte zu schreiben, sendet %2 Anfragen (%1-mal \"wp\", dann \"bp\"); die ganze Tabelle zu senden, braucht %3."),
        t("NoneTicked", "Niets aangevinkt: vink met de spatiebalk de parameters aan die geschreven of overgenomen moeten worden.",
          "Nothing ticked: tick the parameters to write or to take with the space bar.",
          "Nichts angehakt: die zu schreibenden oder zu übernehmenden Parameter mit der Leertaste anhaken."),
        t("CmdWrite", "Aangevinkte naar het apparaat schrijven",
          "Write ticked to the unit",
          "Angehakte zum Gerät schreiben"),
        t("CmdTake", "Waarden van het apparaat overnemen",
          "Take the unit's values",
          "Werte des Geräts übernehmen"),
        t("CmdClose", "Sluiten",
          "Close",
          "Schließen"),
        t("StateWritten", "geschreven",
          "written",
          "geschrieben"),
        t("StateRefused", "geweigerd (%1)",
          "refused (%1)",
          "abgelehnt (%1)"),
        t("StateNotWritten", "niet geschreven",
          "not written",
          "nicht geschrieben"),
        t("StateTaken", "overgenomen",
          "taken",
          "übernommen"),
        t("MsgCaption", "Vergelijken met het apparaat",
          "Compare with the unit",
          "Mit dem Gerät vergleichen"),
        t("MsgAllWritten", "Het apparaat heeft alle %1 waarden aangenomen en zijn parameters herberekend.",
          "The unit took all %1 values and recomputed its parameters.",
          "Das Gerät hat alle %1 Werte angenommen und seine Parameter neu berechnet."),
        t("MsgWritten", "Geschreven: %1",
          "Written: %1",
          "Geschrieben: %1"),
        t("MsgRefused", "Geweigerd door het apparaat: %1",
          "Refused by the unit: %1",
          "Vom Gerät abgelehnt: %1"),
        t("MsgNotWritten", "Niet geschreven: %1",
          "Not written: %1",
          "Nicht geschrieben: %1"),
        t("MsgStoppedAt", "De overdracht stopte bij %1; vanaf daar houdt het apparaat zijn oude waarden.",
          "The transfer stopped at %1; from there on the unit keeps its old values.",
          "Die Übertragung hielt bei %1 an; ab dort behält das Gerät seine alten Werte."),
        t("MsgNoCompute", "Het apparaat heeft het herberekenen van zijn parameters (\"bp\") niet bevestigd.",
          "The unit has not confirmed recomputing its parameters (\"bp\").",
          "Das Gerät hat das Neuberechnen seiner Parameter (\"bp\") nicht bestätigt."),
        t("MsgComputeFailed", "Het apparaat heeft zijn parameters niet herberekend; het antwoordde \"bp %1\".",
          "The unit did not recompute its parameters; it answered \"bp %1\".",
          "Das Gerät hat seine Parameter nicht neu berechnet; es antwortete \"bp %1\"."),
        t("MsgTaken", "%1 waarden van het apparaat in de tabel van de editor overgenomen.",
          "%1 values taken from the unit into the editor's table.",
          "%1 Werte des Geräts in die Tabelle des Editors übernommen."),
    ]),
    ("Ingave", [
        t("NotAValue", "%1: \"%2\" is geen waarde met %3 decimalen (geschreven zoals de editor ze toont, bijvoorbeeld %4)",
          "%1: \"%2\" is not a value with %3 decimals (written as the editor shows it, such as %4)",
          "%1: \"%2\" ist kein Wert mit %3 Dezimalstellen (so geschrieben, wie der Editor ihn zeigt, etwa %4)"),
        t("TooManyDigits", "%1: \"%2\" heeft meer cijfers dan een waarde kan hebben",
          "%1: \"%2\" has more digits than a value can hold",
          "%1: \"%2\" hat mehr Ziffern, als ein Wert haben kann"),
        t("OutsideLimits", "%1: %2 ligt buiten de grenzen %3 ... %4",
          "%1: %2 lies outside the limits %3 ... %4",
          "%1: %2 liegt außerhalb der Grenzen %3 ... %4"),
        t("NotAnOption", "%1: \"%2\" is geen van de keuzes: %3",
          "%1: \"%2\" is not one of its options: %3",
          "%1: \"%2\" ist keine der Auswahlen: %3"),
    ]),
    ("Ctl", [
        t("FileRefused", "%1: geweigerd: %2",
          "%1: refused: %2",
          "%1: abgelehnt: %2"),
        t("UsageHint", "(kqm52ctl %1 --help legt uit hoe)",
          "(kqm52ctl %1 --help tells how)",
          "(kqm52ctl %1 --help erklärt, wie)"),
        t("OptCommand", "onbekende opdracht \"%1\"",
          "unknown command \"%1\"",
          "unbekannter Befehl \"%1\""),
        t("OptBaud", "--baud %1: geen snelheid die de poort kent",
          "--baud %1: not a speed the port knows",
          "--baud %1: keine Geschwindigkeit, die der Port kennt"),
        t("OptParity", "--parity %1: geef N, E of O",
          "--parity %1: give N, E or O",
          "--parity %1: N, E oder O angeben"),
        t("OptStopBits", "--stopbits %1: geef 1 of 2",
          "--stopbits %1: give 1 or 2",
          "--stopbits %1: 1 oder 2 angeben"),
        t("OptUnit", "--unit %1: geef één apparaat 0 ... 31",
          "--unit %1: give one unit 0 ... 31",
          "--unit %1: ein Gerät 0 ... 31 angeben"),
        t("OptUnits", "--units %1: geef een lijst of reeks apparaten 0 ... 31, zoals 0-3 of 1,4,7",
          "--units %1: give a list or range of units 0 ... 31, such as 0-3 or 1,4,7",
          "--units %1: eine Liste oder einen Bereich von Geräten 0 ... 31 angeben, etwa 0-3 oder 1,4,7"),
        t("OptLang", "--lang %1: geef 0 of nl, 1 of en, 2 of de",
          "--lang %1: give 0 or nl, 1 or en, 2 or de",
          "--lang %1: 0 oder nl, 1 oder en, 2 oder de angeben"),
        t("OptPort", "--port %1: geen poort die kqm52ctl kent; geef COM1 ... COM16, een apparaatpad zoals /dev/ttyUSB0, of sim",
          "--port %1: not a port kqm52ctl knows; give COM1 ... COM16, a device path such as /dev/ttyUSB0, or sim",
          "--port %1: kein Port, den kqm52ctl kennt; COM1 ... COM16, einen Gerätepfad wie /dev/ttyUSB0 oder sim angeben"),
        t("OptHelpHint", "(kqm52ctl --help legt uit hoe)",
          "(kqm52ctl --help tells how)",
          "(kqm52ctl --help erklärt, wie)"),
        t("NoCommand", "geen opdracht gegeven",
          "no command given",
          "kein Befehl angegeben"),
        t("SelectAnswered", "apparaat %1 beantwoordde \"sc %1\" met \"%2\"",
          "unit %1 answered \"sc %1\" with \"%2\"",
          "Gerät %1 beantwortete \"sc %1\" mit \"%2\""),
        t("NoAnswer", "apparaat %1 antwoordt niet op %2 aan %3: %4",
          "unit %1 does not answer at %2 on %3: %4",
          "Gerät %1 antwortet nicht mit %2 an %3: %4"),
        t("UnitError", "apparaat %1: %2",
          "unit %1: %2",
          "Gerät %1: %2"),
        t("UnitFailed", "apparaat %1  mislukt: %2",
          "unit %1  failed: %2",
          "Gerät %1  fehlgeschlagen: %2"),
        t("UnitSummary", "apparaat %1  %2",
          "unit %1  %2",
          "Gerät %1  %2"),
        t("UnitsFailed", "%1 van %2 apparaten mislukt",
          "%1 of %2 units failed",
          "%1 von %2 Geräten fehlgeschlagen"),
        t("ValuesPerSecond", "waarden/s",
          "values/s",
          "Werte/s"),
        t("ComputeRefused", "%1: het apparaat heeft de waarden niet overgenomen: \"bp\" antwoordde \"%2\"",
          "%1: the unit did not take the values over: \"bp\" answered \"%2\"",
          "%1: das Gerät hat die Werte nicht übernommen: \"bp\" antwortete \"%2\""),
        t("ValuesRead", "%1 van %2 waarden gelezen",
          "%1 of %2 values read",
          "%1 von %2 Werten gelesen"),
        t("StoppedByCtrlC", "%1: gestopt met Ctrl+C. %2",
          "%1: stopped by Ctrl+C. %2",
          "%1: mit Strg+C angehalten. %2"),
        t("StoppedBySignal", "%1: gestopt. %2",
          "%1: stopped. %2",
          "%1: angehalten. %2"),
        t("TransferRefused", "%1: het apparaat weigerde %2 = %3 (\"er 7\"). %4",
          "%1: the unit refused %2 = %3 (\"er 7\"). %4",
          "%1: das Gerät hat %2 = %3 abgelehnt (\"er 7\"). %4"),
        t("TransferBadReply", "%1: gestopt bij %2, het antwoord van het apparaat was onbruikbaar. %3",
          "%1: stopped at %2, the unit's reply could not be used. %3",
          "%1: bei %2 angehalten, die Antwort des Geräts war nicht verwendbar. %3"),
        t("TransferStopped", "%1: gestopt bij %2: %3. %4",
          "%1: stopped at %2: %3. %4",
          "%1: bei %2 angehalten: %3. %4"),
        t("SimBus", "de ingebouwde gesimuleerde bus",
          "the built-in simulated bus",
          "der eingebaute simulierte Bus"),
        t("NoArguments", "%1 heeft geen argumenten",
          "%1 takes no arguments",
          "%1 nimmt keine Argumente"),
        t("ScanProgress", "zoek apparaat %1 op %2",
          "scan unit %1 at %2",
          "suche Gerät %1 mit %2"),
        t("ScanStopped", "zoeken gestopt met Ctrl+C bij apparaat %1",
          "scan stopped by Ctrl+C at unit %1",
          "Suche mit Strg+C bei Gerät %1 angehalten"),
        t("ScanStoppedBySignal", "zoeken gestopt bij apparaat %1",
          "scan stopped at unit %1",
          "Suche bei Gerät %1 angehalten"),
        t("UnitsFound", "%1 apparaten gevonden",
          "%1 units found",
          "%1 Geräte gefunden"),
        t("OneUnitOnly", "%1 werkt op één apparaat",
          "%1 works on one unit",
          "%1 arbeitet mit einem Gerät"),
        t("GetWhich", "get: welke parameters?",
          "get: which parameters?",
          "get: welche Parameter?"),
        t("GetRange", "get %1: een parameter is 0 ... 399",
          "get %1: a parameter is 0 ... 399",
          "get %1: ein Parameter ist 0 ... 399"),
        t("AnsweredWith", "\"%1\" werd beantwoord met \"%2\"",
          "\"%1\" was answered with \"%2\"",
          "\"%1\" wurde mit \"%2\" beantwortet"),
        t("SetWhich", "set: welke parameters, N=V?",
          "set: which parameters, N=V?",
          "set: welche Parameter, N=V?"),
        t("SetSyntax", "set %1: geef N=V, N een parameter 0 ... 399",
          "set %1: give N=V, N a parameter 0 ... 399",
          "set %1: N=V angeben, N ein Parameter 0 ... 399"),
        t("SetTwice", "P%1 staat er twee keer: %2 en %3",
          "P%1 is given twice: %2 and %3",
          "P%1 ist zweimal angegeben: %2 und %3"),
        t("NothingWritten", "Er is niets geschreven.",
          "Nothing was written.",
          "Es wurde nichts geschrieben."),
        t("ValuesWritten", "%1 %2 van %3 waarden zijn geschreven.",
          "%1 %2 of %3 values were written.",
          "%1 %2 von %3 Werten wurden geschrieben."),
        t("StoppedBefore", "Gestopt met Ctrl+C vóór P%1.",
          "Stopped by Ctrl+C before P%1.",
          "Mit Strg+C vor P%1 angehalten."),
        t("StoppedBeforeBySignal", "Gestopt vóór P%1.",
          "Stopped before P%1.",
          "Vor P%1 angehalten."),
        t("UnitRefused", "Het apparaat weigerde %1 (\"%2\").",
          "The unit refused %1 (\"%2\").",
          "Das Gerät hat %1 abgelehnt (\"%2\")."),
        t("Written", "%1  geschreven",
          "%1  written",
          "%1  geschrieben"),
        t("TakesOverWithLoad", "Het apparaat neemt ze over met \"bp\" (--load).",
          "The unit takes them over with \"bp\" (--load).",
          "Das Gerät übernimmt sie mit \"bp\" (--load)."),
        t("BpNoConfirm", "\"bp\": %1. De waarden zijn geschreven; het apparaat heeft het overnemen niet bevestigd.",
          "\"bp\": %1. The values were written; the unit has not confirmed taking them over.",
          "\"bp\": %1. Die Werte wurden geschrieben; das Gerät hat die Übernahme nicht bestätigt."),
        t("BpRefused", "het apparaat heeft de waarden niet overgenomen: \"bp\" antwoordde \"%1\"",
          "the unit did not take the values over: \"bp\" answered \"%1\"",
          "das Gerät hat die Werte nicht übernommen: \"bp\" antwortete \"%1\""),
        t("TookOver", "Het apparaat heeft ze overgenomen (\"bp\").",
          "The unit took them over (\"bp\").",
          "Das Gerät hat sie übernommen (\"bp\")."),
        t("FolderNotMade", "%1: de map kan niet worden aangemaakt",
          "%1: the folder cannot be made",
          "%1: der Ordner kann nicht angelegt werden"),
        t("Wrote", "%1 geschreven",
          "wrote %1",
          "%1 geschrieben"),
        t("WouldRefuse", "het apparaat zou deze waarden weigeren:",
          "the unit would refuse these values:",
          "das Gerät würde diese Werte ablehnen:"),
        t("LimitLine", "%1 = %2 (grenzen %3 ... %4)",
          "%1 = %2 (limits %3 ... %4)",
          "%1 = %2 (Grenzen %3 ... %4)"),
        t("AndMore", "en nog %1",
          "and %1 more",
          "und %1 weitere"),
        t("NothingSent", "Er is niets verzonden.",
          "Nothing was sent.",
          "Es wurde nichts gesendet."),
        t("SentValues", "%1 waarden verzonden",
          "sent %1 values",
          "%1 Werte gesendet"),
        t("FileWouldRefuse", "%1 bevat waarden die het apparaat zou weigeren:",
          "%1 holds values the unit would refuse:",
          "%1 enthält Werte, die das Gerät ablehnen würde:"),
        t("RestoreNeedsYes", "restore overschrijft elke parameter en elke sollwert van het apparaat; geef --yes om dat zonder vraag te doen",
          "restore overwrites every parameter and setpoint of the unit; give --yes to do so without a question",
          "restore überschreibt jeden Parameter und jeden Sollwert des Geräts; --yes angeben, um das ohne Rückfrage zu tun"),
        t("RestoreQuestion", "Alle parameters en sollwerten van apparaat %1 aan %2 overschrijven met %3? [j/N]",
          "Overwrite all parameters and setpoints of unit %1 on %2 with %3? [y/N]",
          "Alle Parameter und Sollwerte von Gerät %1 an %2 mit %3 überschreiben? [j/N]"),
        t("NotConfirmed", "niet bevestigd; er is niets verzonden",
          "not confirmed; nothing was sent",
          "nicht bestätigt; es wurde nichts gesendet"),
        t("YesWords", "j ja",
          "y yes",
          "j ja"),
        t("Restored", "%1 waarden uit %2 teruggezet",
          "restored %1 values from %2",
          "%1 Werte aus %2 wiederhergestellt"),
        t("DiffUnits", "--units vergelijkt apparaten: diff unit B",
          "--units compares units: diff unit B",
          "--units vergleicht Geräte: diff unit B"),
        t("UnitDifferences", "apparaat %1  %2 verschillen",
          "unit %1  %2 differences",
          "Gerät %1  %2 Unterschiede"),
        t("PortNotOpened", "%1 kan niet worden geopend: %2",
          "%1 cannot be opened: %2",
          "%1 kann nicht geöffnet werden: %2"),
        t("PortNotSetUp", "%1 kan niet worden ingesteld: %2",
          "%1 cannot be set up: %2",
          "%1 kann nicht eingerichtet werden: %2"),
        t("CommTimeout", "geen antwoord binnen de wachttijd",
          "no reply within the wait time",
          "keine Antwort innerhalb der Wartezeit"),
        t("CommDriver", "de seriële driver faalde: %1 (fout %2)",
          "the serial driver failed: %1 (error %2)",
          "der serielle Treiber ist fehlgeschlagen: %1 (Fehler %2)"),
        t("CommLine", "lijnfouten (vlaggen %1): controleer snelheid, pariteit en bedrading",
          "line errors (flags %1): check speed, parity and wiring",
          "Leitungsfehler (Flags %1): Geschwindigkeit, Parität und Verdrahtung prüfen"),
        t("CommClosed", "de poort is gesloten",
          "the port is closed",
          "der Port ist geschlossen"),
        t("CommOther", "verbindingsfout %1 (%2, %3)",
          "link error %1 (%2, %3)",
          "Verbindungsfehler %1 (%2, %3)"),
        # The help (--help).  Each text is one paragraph; kqm52ctl wraps it to
        # the terminal's 79 columns.  Commands, options, file names and the
        # capitals that stand for a value (FILE, LIST, N) stay as they are.
        t("HelpUsage", "Gebruik: %1", "Usage: %1", "Aufruf: %1"),
        t("HelpAbout",
          "Het KQM52-servicegereedschap voor scripts: één MX5x-apparaat, of een bus vol, vanaf de opdrachtregel.",
          "The KQM52 service tool for scripts: one MX5x unit, or a bus of them, from the command line.",
          "Das KQM52-Servicewerkzeug für Skripte: ein MX5x-Gerät oder ein ganzer Bus davon, von der Befehlszeile aus."),
        t("HelpCommands", "Opdrachten:", "Commands:", "Befehle:"),
        t("HelpMore", "\"kqm52ctl OPDRACHT --help\" vertelt meer over één opdracht.",
          "\"kqm52ctl COMMAND --help\" tells more of one command.",
          "\"kqm52ctl BEFEHL --help\" erklärt einen Befehl genauer."),
        t("HelpCommandWord", "OPDRACHT", "COMMAND", "BEFEHL"),
        t("HelpArgumentsWord", "ARGUMENTEN", "ARGUMENTS", "ARGUMENTE"),
        t("HelpOptionsWord", "OPTIES", "OPTIONS", "OPTIONEN"),
        t("HelpPorts",
          "Somt de aanwezige seriële poorten op, met hun USB-beschrijving, de poorten die application.ini koppelt, en \"sim\", de ingebouwde gesimuleerde bus.",
          "Lists the serial ports present, with their USB descriptions, the ports application.ini maps, and \"sim\", the built-in simulated bus.",
          "Listet die vorhandenen seriellen Ports mit ihren USB-Beschreibungen auf, die Ports, die application.ini zuordnet, und \"sim\", den eingebauten simulierten Bus."),
        t("HelpScan",
          "Zoekt de bus af naar apparaten 0 ... 31 bij elke snelheid vanaf --baud (standaard 9600) tot 57600, met de pariteit en stopbits van de poort, of met elke pariteit en beide stopbits (--all-settings). Eén regel per gevonden apparaat: apparaatnummer, lijninstellingen, typetekst.",
          "Searches the bus for units 0 ... 31 at every speed from --baud (default 9600) up to 57600, with the port's parity and stop bits, or with every parity and both stop bits (--all-settings). One line per unit found: unit number, line settings, type text.",
          "Durchsucht den Bus nach Geräten 0 ... 31 bei jeder Geschwindigkeit ab --baud (Vorgabe 9600) bis 57600, mit Parität und Stoppbits des Ports oder mit jeder Parität und beiden Stoppbits (--all-settings). Eine Zeile je gefundenem Gerät: Gerätenummer, Leitungseinstellungen, Typtext."),
        t("HelpInfo",
          "Selecteert het apparaat en drukt zijn type-, hardware- en extra regel af (\"rt\", \"rh\", \"rx\").",
          "Selects the unit and prints its type, hardware and extra lines (\"rt\", \"rh\", \"rx\").",
          "Wählt das Gerät und gibt seine Typ-, Hardware- und Zusatzzeile aus (\"rt\", \"rh\", \"rx\")."),
        t("HelpGet",
          "Leest parameters N (0 ... 399) en drukt nummer, naam en waarde af, met de decimalen die de parametereditor toont, en de optietekst van een lijst.",
          "Reads parameters N (0 ... 399) and prints number, name and value with the decimals the parameter editor shows, and the option text of a list.",
          "Liest die Parameter N (0 ... 399) und gibt Nummer, Name und Wert mit den Dezimalstellen aus, die der Parametereditor zeigt, dazu den Optionstext einer Liste."),
        t("HelpSet",
          "Schrijft parameters, met waarden getypt zoals de editor ze toont (\"7=12,50\"). Elke waarde wordt aan de grenzen van de catalogus getoetst voordat er iets wordt geschreven. --load laat het apparaat ze daarna overnemen (\"bp\").",
          "Writes parameters, values typed as the editor shows them (\"7=12,50\"). Every value is checked against the catalogue's limits before anything is written. --load then has the unit take them over (\"bp\").",
          "Schreibt Parameter, die Werte so getippt, wie der Editor sie zeigt (\"7=12,50\"). Jeder Wert wird an den Grenzen des Katalogs geprüft, bevor etwas geschrieben wird. --load lässt das Gerät sie danach übernehmen (\"bp\")."),
        t("HelpReceive",
          "Leest de parameters (.mxp), sollwerten (.mxs) of beide van het apparaat (FILE is dan de naam zonder extensie: FILE.mxp en FILE.mxs). Een bestand wordt in zijn geheel geschreven zodra alles gelezen is, of helemaal niet.",
          "Reads the unit's parameters (.mxp), setpoints (.mxs) or both (FILE is then the name without extension: FILE.mxp and FILE.mxs). A file is written whole once everything was read, or not at all.",
          "Liest die Parameter (.mxp), die Sollwerte (.mxs) oder beides aus dem Gerät (FILE ist dann der Name ohne Endung: FILE.mxp und FILE.mxs). Eine Datei wird ganz geschrieben, sobald alles gelesen ist, oder gar nicht."),
        t("HelpSend",
          "Schrijft een parameterbestand, een sollwertbestand of beide (FILE zonder extensie) naar het apparaat; \"bp\" na parameters. Waarden buiten de grenzen worden geweigerd voordat er iets wordt verzonden.",
          "Writes a parameter file, a setpoint file or both (FILE without extension) to the unit; \"bp\" after parameters. Values outside the limits are refused before anything is sent.",
          "Schreibt eine Parameterdatei, eine Sollwertdatei oder beide (FILE ohne Endung) in das Gerät; \"bp\" nach Parametern. Werte außerhalb der Grenzen werden abgelehnt, bevor etwas gesendet wird."),
        t("HelpBackup",
          "Bewaart alle parameters en sollwerten van het apparaat in een backupbestand.",
          "Saves all parameters and setpoints of the unit in a backup file.",
          "Sichert alle Parameter und Sollwerte des Geräts in einer Sicherungsdatei."),
        t("HelpRestore",
          "Schrijft een backupbestand in het apparaat. Vraagt eerst op een terminal; scripts geven --yes.",
          "Writes a backup file into the unit. Asks first on a terminal; scripts give --yes.",
          "Schreibt eine Sicherungsdatei in das Gerät. Fragt zuerst an einem Terminal; Skripte geben --yes an."),
        t("HelpDiff",
          "Somt elke parameter op waarvan de waarde verschilt: nummer, naam, beide waarden zoals getoond, optieteksten. Drukt niets af en eindigt met 0 als beide gelijk zijn; eindigt met 1 als ze verschillen.",
          "Lists every parameter whose value differs: number, name, both values as shown, option texts. Prints nothing and exits 0 when both are the same; exits 1 when they differ.",
          "Listet jeden Parameter auf, dessen Wert sich unterscheidet: Nummer, Name, beide Werte wie angezeigt, Optionstexte. Gibt nichts aus und endet mit 0, wenn beide gleich sind; endet mit 1, wenn sie sich unterscheiden."),
        t("HelpUnitsFolder", "(--units LIST: FILE is een map)", "(--units LIST: FILE is a folder)",
          "(--units LIST: FILE ist ein Ordner)"),
        t("HelpDiffSides", "(A: unit of FILE.mxp, B: FILE.mxp; --units LIST met A = unit)",
          "(A: unit or FILE.mxp, B: FILE.mxp; --units LIST with A = unit)",
          "(A: unit oder FILE.mxp, B: FILE.mxp; --units LIST mit A = unit)"),
        t("HelpOptions", "Opties voor elke opdracht:", "Options for every command:",
          "Optionen für jeden Befehl:"),
        # "%1" the forms of the port families (PortFormsOr).
        t("HelpOptPort",
          "COM1 ... COM16 (via de poortkoppeling van application.ini), %1",
          "COM1 ... COM16 (through the port map of application.ini), %1",
          "COM1 ... COM16 (über die Portzuordnung von application.ini), %1"),
        # The forms a port value takes, one a driver family.
        t("PortFormDevice", "een apparaatpad zoals /dev/ttyUSB0",
          "a device path such as /dev/ttyUSB0", "ein Gerätepfad wie /dev/ttyUSB0"),
        t("PortFormSim", "sim", "sim", "sim"),
        # The last form after the others: "%1" those before, "%2" the last.
        t("PortFormsOr", "%1, of %2", "%1, or %2", "%1 oder %2"),
        t("HelpOptBaud", "1200 ... 115200", "1200 ... 115200", "1200 ... 115200"),
        t("HelpOptParity", "N, E of O", "N, E or O", "N, E oder O"),
        t("HelpOptStopBits", "1 of 2", "1 or 2", "1 oder 2"),
        t("HelpOptUnit", "het apparaat 0 ... 31", "the unit 0 ... 31", "das Gerät 0 ... 31"),
        t("HelpOptUnits",
          "een lijst of reeks, \"0-31\" of \"1,4,7-9\" (info, receive, backup, diff)",
          "a list or range, \"0-31\" or \"1,4,7-9\" (info, receive, backup, diff)",
          "eine Liste oder ein Bereich, \"0-31\" oder \"1,4,7-9\" (info, receive, backup, diff)"),
        t("HelpOptLang",
          "0 of nl Nederlands, 1 of en Engels, 2 of de Duits: meldingen, hulp, namen en optieteksten",
          "0 or nl Dutch, 1 or en English, 2 or de German: messages, help, names and option texts",
          "0 oder nl Niederländisch, 1 oder en Englisch, 2 oder de Deutsch: Meldungen, Hilfe, Namen und Optionstexte"),
        t("HelpOptFast",
          "snelle framing (een antwoord eindigt bij zijn regeleinde, niet na 50 ms)",
          "fast framing (a reply ends at its line end, not after 50 ms)",
          "schnelles Framing (eine Antwort endet an ihrem Zeilenende, nicht nach 50 ms)"),
        t("HelpOptJson", "één JSON-document op standaarduitvoer", "one JSON document on standard output",
          "ein JSON-Dokument auf der Standardausgabe"),
        t("HelpOptQuiet", "geen samenvattingsregels, alleen gegevens en fouten",
          "no summary lines, only data and errors",
          "keine Zusammenfassungszeilen, nur Daten und Fehler"),
        t("HelpOptHelp", "deze hulp, of de hulp bij de gegeven opdracht",
          "this help, or the help of the command given",
          "diese Hilfe oder die Hilfe zum angegebenen Befehl"),
        t("HelpSettings",
          "Poort, lijninstellingen en apparaat komen uit application.ini als die er is (naast het programma, of in ~/.config/kqm52 als het geïnstalleerd is); opties gaan daarboven.",
          "Port, line settings and unit come from application.ini when it is there (beside the program, or in ~/.config/kqm52 when installed); options override them.",
          "Port, Leitungseinstellungen und Gerät kommen aus application.ini, wenn es sie gibt (neben dem Programm oder, wenn installiert, in ~/.config/kqm52); Optionen gehen vor."),
        t("HelpExitCodes",
          "Afsluitcodes: 0 klaar, 1 verschillen gevonden (diff), 2 gebruik, 3 geen antwoord of verbindingsfout, 4 geweigerd door het apparaat, 5 bestandsfout, 6 sommige apparaten van een --units-run mislukt, 130 gestopt met Ctrl+C, 143 gestopt door SIGTERM.",
          "Exit codes: 0 done, 1 differences found (diff), 2 usage, 3 no reply or link error, 4 refused by the unit, 5 file error, 6 some units of a --units run failed, 130 stopped by Ctrl+C, 143 stopped by SIGTERM.",
          "Exit-Codes: 0 fertig, 1 Unterschiede gefunden (diff), 2 Aufruf, 3 keine Antwort oder Verbindungsfehler, 4 vom Gerät abgelehnt, 5 Dateifehler, 6 einige Geräte eines --units-Laufs fehlgeschlagen, 130 mit Strg+C angehalten, 143 durch SIGTERM angehalten."),
    ]),
]

LANGUAGE_NAMES = ("Nederlands (Dutch)", "English", "Deutsch (German)")


def taal_ini(lang):
    lines = [
        "; Taal%d.ini - user-interface texts of KQM52, %s." % (lang, LANGUAGE_NAMES[lang]),
        "; Sections and keys as the windows look them up; an item list is written as list text:",
        "; items separated by commas, an item with a blank in double quotes.",
        "; UTF-8.  Written by data/tools/make_data.py.",
        "",
    ]
    for section, entries in SECTIONS:
        lines.append("[%s]" % section)
        keys = set()
        for entry in entries:
            key, value = entry[0], entry[1 + lang]
            assert key.lower() not in keys, (section, key)
            keys.add(key.lower())
            if isinstance(value, list):
                value = list_text(value)
            assert "&" not in value and "\n" not in value and value == value.strip(), (section, key)
            lines.append("%s=%s" % (key, value))
        lines.append("")
    return "\n".join(lines)


# ---------------------------------------------------------------------------
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
    out = []
    for c in text:
        if c in "\\{}":
            out.append("\\" + c)
        elif ord(c) < 128:
            out.append(c)
        else:
            code = c.encode("cp1252")  # raises for anything outside code page 1252
            out.append("\\'%02x" % code[0])
    return "".join(out)


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


def main():
    global OUT
    args = sys.argv[1:]
    if args[:1] == ["--out"] and len(args) == 2:
        OUT = args[1]
    elif args:
        sys.stderr.write("usage: make_data.py [--out DIR]\n")
        return 2
    check_groups()
    write("Parameters.txt", parameters_txt())
    write("ParNo.txt", parno_txt())
    for lang in range(LANGS):
        write("Tree%d.txt" % lang, tree_txt(lang))
        write("Taal%d.ini" % lang, taal_ini(lang))
        write("ErrorHelp%d.rtf" % lang, error_help_rtf(lang), encoding="ascii")
    return 0


if __name__ == "__main__":
    sys.exit(main())
