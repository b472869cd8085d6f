#pragma once

// The words for the port families and for a port that would not open, in
// the user's language, wherever they are said (the main window's Open, the
// serial settings, the device search, kqm52ctl): the link's problem is
// worded from the text table, the operating system's reason stays as the
// system words it.

#include "link/ZRComm.h"

#include <QString>

namespace kqm52 {

class LanguageTexts;

// A family's word in the language's words; empty for none.
QString portFamilyText(const LanguageTexts& language, TextRef ref);

// The forms a port value takes, one a family of the map, in help's words:
// "a device path such as /dev/ttyUSB0, or sim".
// openable: only the forms this build has a driver for.
QString portFormsText(const LanguageTexts& language, const PortMap& map, bool openable = false);

// Why the port would not open: the link's problem worded (the system's
// reason as it stands).
QString portProblemText(const LanguageTexts& language, const PortMap& map,
                        const PortProblem& problem);

// The port's line as the windows and kqm52ctl show it: "38400,E,8,1", or
// that it is set at the server where the port cannot set it.
QString portLineText(const LanguageTexts& language, const TZRComm& port);

// The reason of a failed open or close: the problem worded, else the message.
QString portOpenReason(const LanguageTexts& language, const PortMap& map,
                       const ECommHandleError& error);

} // namespace kqm52
