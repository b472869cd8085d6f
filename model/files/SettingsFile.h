#pragma once

// application.ini: the program's own settings, next to the program file.
//
// Sections "Serieel" (line settings and unit number), "Opties", "Algemeen",
// "Afdrukken" and "Grafiek", 21 keys in all, read at start and written back
// at close in the same order.  Section "Poorten" maps COM1 … COM16 to device
// paths; only the ports it names are written back, so a fresh file has just
// the 21 keys.

#include "inifile/ReadFile.h"
#include "model/files/ProgramSettings.h"

#include <QString>

namespace kqm52 {

class IniFile;
class PortMap;
class TZRComm;

class SettingsFile {
  public:
    static constexpr int KeyCount = 21;
    static constexpr int MaxUnitNo = 31;

    static QString fileName() { return ProgramFolders::settingsFileName(); }
    static QString path(const QString& programDir) { return programDir + fileName(); }

    // Reads the file into the port object, the unit number, the shared
    // settings and the port map.  When the file does not exist, or is refused
    // (problem says why), nothing is read, every target keeps its value, and
    // the result is false.
    static bool read(const QString& path, TZRComm& port, int& unitNo, ProgramSettings& settings,
                     PortMap& ports, ReadProblem* problem = nullptr);
    // The same from a file already in memory.
    static void read(const IniFile& ini, TZRComm& port, int& unitNo, ProgramSettings& settings,
                     PortMap& ports);

    // Writes every key, in the order of the settings table and its sections;
    // "Poorten" after them as it was read.  Sections and keys of the old file
    // that this program does not know are kept, after its own.  The old file is replaced only once
    // the new one is complete; on failure it stays whole, the result is false and error says why.
    static bool write(const QString& path, const TZRComm& port, int unitNo,
                      const ProgramSettings& settings, const PortMap& ports, QString* error);
    static void write(IniFile& ini, const TZRComm& port, int unitNo,
                      const ProgramSettings& settings, const PortMap& ports);
};

} // namespace kqm52
