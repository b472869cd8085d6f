#pragma once

// Why a port would not open, in the user's language, wherever it is said
// (the main window's Open, the serial settings, the device search,
// kqm52ctl): the port map's own problem is worded from the text table, the
// operating system's reason stays as the system words it.

#include "link/ZRComm.h"

#include <QString>

namespace kqm52 {

class LanguageTexts;

// The port map's problem in the language's words (the built-in English
// while no language file is loaded).
QString portMapProblemText(const LanguageTexts& language, const PortMapProblem& problem);

// The reason of a failed open: the map's problem worded, else the message.
QString portOpenReason(const LanguageTexts& language, const ECommHandleError& error);

} // namespace kqm52
