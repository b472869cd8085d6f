#include "inifile/ListText.h"

#include <gtest/gtest.h>

using namespace kqm52;

namespace {

struct ListCase {
    const char* text;
    QStringList items;
};

} // namespace

TEST(ListText, ReadsItemsAsTheCatalogueWritesThem) {
    const ListCase cases[] = {
        {"Uit,Aan", {"Uit", "Aan"}},
        {"\"Uit\",\"Niet actief\"", {"Uit", "Niet actief"}},
        {"Uit,Niet actief", {"Uit", "Niet", "actief"}},
        {"Uit, Aan ,  Auto", {"Uit", "Aan", "Auto"}},
        {"   Uit,Aan   ", {"Uit", "Aan"}},
        {"Uit,,Aan", {"Uit", "", "Aan"}},
        {"Uit, ,Aan", {"Uit", "", "Aan"}},
        {",Aan", {"", "Aan"}},
        {"Uit,", {"Uit", ""}},
        {"Uit,  ", {"Uit", ""}},
        {"", {}},
        {"    ", {}},
        {"\"Rechts \"\"snel\"\"\",x", {"Rechts \"snel\"", "x"}},
        {"\"\"\"\"", {"\""}},
        {"\"a,b\",c", {"a,b", "c"}},
        {"\"\",x", {"", "x"}},
        {"\"open end", {"open end"}},
        {"\"ab\"cd,e", {"ab", "cd", "e"}},
        {"a\tb", {"a", "b"}},
        {"#012", {"#012"}},
        {"Gr\u00f6\u00dfe,\u00dcber", {"Gr\u00f6\u00dfe", "\u00dcber"}},
    };
    for (const ListCase& c : cases)
        EXPECT_EQ(ListText::read(QString::fromUtf8(c.text)), c.items) << c.text;
}

TEST(ListText, WritesBackWhatItReads) {
    const QStringList lists[] = {
        {"Uit", "Aan"},
        {"Niet actief", "Links", "Rechts \"snel\""},
        {"a,b", "", "c d", "\t"},
        {""},
        {"", ""},
        {},
        {"#012"},
    };
    for (const QStringList& items : lists)
        EXPECT_EQ(ListText::read(ListText::write(items)), items)
            << ListText::write(items).toStdString();
    EXPECT_EQ(ListText::write({"Uit", "Niet actief"}), "Uit,\"Niet actief\"");
    EXPECT_EQ(ListText::write({"Rechts \"snel\""}), "\"Rechts \"\"snel\"\"\"");
    EXPECT_EQ(ListText::write({"#012", "x"}), "#012,x");
}
