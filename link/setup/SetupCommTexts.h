#pragma once

// The display texts of the port setup dialog, in English or German.  Every
// item list is indexed by the ordinal of its setting.

#include <QString>
#include <QStringList>

class QLocale;

namespace kqm52 {

enum class SetupLanguage { English = 1, German = 2 };

// German for a German-speaking user, English for everyone else.
SetupLanguage setupLanguageFor(const QLocale& locale);

struct SetupCommTexts {
    QString caption; // followed by a blank and the port's display name
    QString portPage, extendedPage;
    QString portLabel, rangeLabel, baudLabel, dataBitsLabel, parityLabel, stopBitsLabel;
    QString hardwareLabel, portTypeLabel, receiverLabel, transmitterLabel;
    QString ok, cancel;
    QString helpFile;
    QStringList ports, ranges, baudrates, dataBits, parities, stopBits;
    QStringList hardware, portTypes, receivers, transmitters;

    static SetupCommTexts of(SetupLanguage language);
};

} // namespace kqm52
