#include "link/setup/SetupCommTexts.h"

#include "link/ZRComm.h"

#include <QLocale>

namespace kqm52 {

SetupLanguage setupLanguageFor(const QLocale& locale) {
    return locale.language() == QLocale::German ? SetupLanguage::German : SetupLanguage::English;
}

SetupCommTexts SetupCommTexts::of(SetupLanguage language) {
    const bool de = language == SetupLanguage::German;
    auto t = [de](const char* en, const char* german) {
        return de ? QString::fromUtf8(german) : QString::fromUtf8(en);
    };
    SetupCommTexts s;
    s.caption = t("Serial port", "Serielle Schnittstelle");
    s.portPage = t("Port configuration", "Anschlußeinstellungen");
    s.extendedPage = t("Extended", "Erweitert");
    s.portLabel = t("&Port:", "&Anschluß:");
    s.rangeLabel = t("I/&O range:", "&E/A-Bereich:");
    s.baudLabel = t("&Bits per second:", "&Bits pro Sekunde:");
    s.dataBitsLabel = t("&Data bits:", "&Datenbits:");
    s.parityLabel = t("P&arity:", "&Parität:");
    s.stopBitsLabel = t("&Stop bits:", "&Stoppbits:");
    s.hardwareLabel = QStringLiteral("&Hardware:");
    s.portTypeLabel = t("&Port type:", "&Anschlußtyp:");
    s.receiverLabel = t("&Receiver:", "&Empfänger:");
    s.transmitterLabel = t("&Transmitter:", "&Sender:");
    s.ok = QStringLiteral("OK");
    s.cancel = t("Cancel", "Abbrechen");
    s.helpFile = t("ZRInitCommE.hlp", "ZRInitComm.hlp");

    for (int i = 0; i < PortCount; ++i)
        s.ports << PortDisplayName(TPort(i));
    s.ranges = QStringList{QStringLiteral("03F8 - 03FF"), QStringLiteral("02F8 - 02FF"),
                           QStringLiteral("03E8 - 03EF"), QStringLiteral("02E8 - 02EF")};
    for (int i = 0; i < BaudrateCount; ++i)
        s.baudrates << QString::number(baudrateValue(TBaudrate(i)));
    s.dataBits = QStringList{QStringLiteral("7"), QStringLiteral("8")};
    s.parities = QStringList{t("None", "Keine"), t("Even", "Gerade"), t("Odd", "Ungerade")};
    s.stopBits = QStringList{QStringLiteral("1"), QStringLiteral("2")};
    s.portTypes =
        QStringList{QStringLiteral("RS 232 C"), QStringLiteral("RS 422"), QStringLiteral("RS 485")};
    s.hardware = QStringList{
        QStringLiteral("Standard"), t("PCLab Card PCL 745", "PCLab-Karte PCL 745"),
        QStringLiteral("Phoenix PSM-V24/RS485"), t("User defined", "Benutzerdefiniert")};
    s.receivers = QStringList{t("None", "Nein"), QStringLiteral("Register 7 = 2")};
    s.transmitters = QStringList{t("None", "Nein"), QStringLiteral("Register 7 = 1"),
                                 QStringLiteral("RTS = 1"), QStringLiteral("DTR = 0")};
    return s;
}

} // namespace kqm52
