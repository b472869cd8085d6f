// Settings and language files come from the user's disk in any encoding and
// any state of repair.  Whatever is read must be readable back: saving what
// was loaded and loading that again gives the same values.

#include "FuzzInput.h"
#include "inifile/IniFile.h"

using namespace kqm52;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IniFile ini;
    ini.loadFromText(IniFile::decode(fuzz::bytes(data, size)));
    const QString text = ini.toText();

    IniFile again;
    again.loadFromText(text);
    if (again.sections() != ini.sections()) fuzz::fail();
    for (const QString& section : ini.sections()) {
        const QStringList keys = ini.keys(section);
        if (again.keys(section) != keys) fuzz::fail();
        for (const QString& key : keys) {
            if (again.readString(section, key) != ini.readString(section, key)) fuzz::fail();
            (void)ini.readInteger(section, key, -1);
            (void)ini.readBool(section, key, false);
        }
    }
    // An edit of a value the file already has must stay an edit of that value.
    if (!ini.sections().isEmpty()) {
        const QString section = ini.sections().first();
        ini.writeString(section, QStringLiteral("FuzzKey"), QStringLiteral("v=1;x"));
        IniFile edited;
        edited.loadFromText(ini.toText());
        if (edited.readString(section, QStringLiteral("FuzzKey")) != QStringLiteral("v=1;x"))
            fuzz::fail();
    }
    return 0;
}
