#pragma once

// Everything the windows of one run share.  main creates one ProgramState
// and hands it by reference to every window it creates; a test builds its
// own.  Nothing here is global.

#include "link/PortMap.h"
#include "model/files/ProgramSettings.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/QtTranslations.h"
#include "model/values/ParamTables.h"
#include "model/values/ParameterCatalogue.h"

#include <QString>

#include <array>
#include <functional>

namespace kqm52 {

// The live monitor's switches and the last thumbwheel values.  All off at
// start and whenever the port closes.
struct LiveMonitorState {
    bool ActualOn = false;
    bool IoOn = false;
    bool ThumbwheelOn = false;
    int ThumbwheelIndex = 1; // the thumbwheel whose reply is awaited, 1 … 4
    // Last value read per thumbwheel, unscaled.  The cam display reads them.
    std::array<int, 4> ThumbwheelValues{};
    int& ThumbwheelValue(int n) { return ThumbwheelValues.at(n - 1); }
    int ThumbwheelValue(int n) const { return ThumbwheelValues.at(n - 1); }
};

// What the unit selection learnt about the unit.
struct UnitIdentification {
    QString DeviceType;   // first four characters of the "rt" reply
    int TypeInfoStep = 0; // 0 "rt", 1 "rh", 2 "rx" outstanding
};

class ProgramState {
  public:
    // Everything in programDir (ending in a separator).
    explicit ProgramState(const QString& programDir)
        : ProgramState(ProgramFolders::portable(programDir)) {}
    explicit ProgramState(const ProgramFolders& folders) { settings.folders = folders; }
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    ProgramSettings settings;
    LanguageTexts language;
    // Qt's own texts, in the language of the loaded language file.
    QtTranslations qtTexts;
    LiveMonitorState monitor;
    UnitIdentification unit;
    // Where COM1 … COM16 lead; the port object of the main window uses it.
    PortMap portMap;
    // Parameters.txt and ParNo.txt in memory.
    ParameterCatalogue catalogue;
    // The parameter and setpoint tables with their source markers.
    ParamTables tables;

    // Told of a data file refused for its size (the program goes on without
    // it); the main window sets it to tell the user.
    std::function<void(const ReadProblem&)> fileRefused;
    void refused(const ReadProblem& problem) const {
        if (problem.kind == ReadProblem::Kind::TooLarge && fileRefused) fileRefused(problem);
    }
    // Told of a data file of the user's own that could not be read; the
    // installed one is read instead.  The main window tells the user.
    std::function<void(const ReadProblem&)> ownFileFailed;
};

} // namespace kqm52
