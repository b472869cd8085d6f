// List texts (option lists, captions with several lines) are read from the
// language and catalogue files.  A list read and written back must read as
// the same list, or an edited file would change what the user sees.

#include "FuzzInput.h"
#include "inifile/ListText.h"

using namespace kqm52;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    const QStringList items = ListText::read(text);
    if (ListText::read(ListText::write(items)) != items) fuzz::fail();
    return 0;
}
