#pragma once

// The bus that "kqm52 --demo" talks to, so the program works out of the box:
//
//   unit 0   38400,E,8,1 (the defaults of section "Serieel" in application.ini)
//            "MX52 Nokkenregelaar V3.07"; axis turning over 0 … 360,00
//            (parameter 203 = 2 decimals, modulo 36000) at 30,00 ± 6,00 per
//            second; cams 1 … 5 set (see DemoBus.cpp); analog output in
//            voltage mode (388 = 1); setpoints 1 … 48 and thumbwheels filled
//   unit 5   19200,E,8,1, "MX52 Positioneerregelaar V2.11", axis turning
//            slower; found by a device search with parity and stop bits "COM"
//   unit 12  9600,N,8,2, "MX53 Nokkenregelaar V1.02", axis standing; found
//            only with automatic parity and stop bits; never calibrated
//            (units 0 and 5 hold trimmed constants)
//   unit 0   again, at 9600,O,8,1: the settings of a program started without
//            application.ini, so "Open" finds a unit either way
//
// Defaults and limits come from programDir/Parameters.txt when it is there.
// The bus runs on the real clock.

#include "sim/SimBus.h"

#include <QString>

#include <memory>

namespace kqm52 {

class PortMap;

std::shared_ptr<SimBus> makeDemoBus(const QString& programDir);

// Leads "sim" to the demo bus, built when a port first opens on it (it
// reads the catalogue for its units, which a start need not wait for).
void installDemoBus(PortMap& map, const QString& programDir);

// The demo units on an existing bus (mx5x-sim --demo adds them to its own).
void addDemoUnits(SimBus& bus, const SimCatalogue& catalogue);

} // namespace kqm52
