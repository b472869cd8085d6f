#!/usr/bin/env python3
"""Writes Parameters.txt, the parameter catalogue of an MX52: names and option
lists in three languages, decimals, limits and defaults of parameters 0 .. 399.

    python3 data/tools/make_catalogue.py [--out DIR]

Part of data/tools/make_data.py, which writes every data file.
"""

import sys

from datafiles import LANGS, list_text, main, product

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


def products():
    return [product("Parameters.txt", parameters_txt())]

if __name__ == "__main__":
    sys.exit(main(products, "make_catalogue.py"))
