#pragma once

// A family of drivers: the port values it serves (a device path, "sim", and
// later network forms such as "tcp://host:port"), the driver it makes for
// one, and the words the windows and kqm52ctl use for it.  The port map
// holds the families (PortMap.h); the standard ones are listed once, in
// PortFamily.cpp, so a new form is one row there.
//
// The words are names of rows of the language table (model/texts/TextKeys.h),
// held as strings because the link has no language; model/texts/PortOpenText.h
// turns them into text, and the data test holds every name against the table.

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace kqm52 {

class SerialDriver;

// A row of the language table by section and key.
struct TextRef {
    const char* section = nullptr;
    const char* key = nullptr;
    explicit operator bool() const { return key != nullptr; }
};

// What the user can do when the system refuses to open a port of the family
// with one of these errors.
struct OpenAdvice {
    std::vector<int> errors;
    TextRef text; // "%1" the port value
    // Used instead when the value is a file a group other than root may use:
    // "%1" the value, "%2" the group, "%3" the user.
    TextRef byGroup = {};
};

struct PortFamily {
    using Factory = std::function<std::unique_ptr<SerialDriver>(const QString& value)>;

    QString name; // registering a family of the same name again replaces it
    std::function<bool(const QString& value)> serves;
    // Empty: the form is known, but this build has no driver for it.
    Factory make;
    // A value the serial window offers in its device box, and the words
    // beside it there ("sim", "simulated bus"); empty for none.
    QString choice;
    QString description;
    // The form in the words of kqm52ctl's help of --port.
    TextRef form;
    // Why a value of this form leads nowhere in this build: "%1" the port.
    TextRef notBuilt;
    std::vector<OpenAdvice> advice;
    // The line is set at the far end; the port cannot change it.
    bool lineAtServer = false;
};

// The families every port map starts with, in the order help lists them.
std::vector<PortFamily> standardPortFamilies();

} // namespace kqm52
