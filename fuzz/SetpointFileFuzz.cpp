// A setpoint file the user opens may be anything.  It is either refused with a
// reason or taken whole, and a file that was taken writes back as the same
// table: nothing half-read reaches the editor.

#include "FuzzInput.h"
#include "model/files/SetpointFile.h"

using namespace kqm52;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = SetpointFile::fromBytes(fuzz::bytes(data, size));
    if (!read.ok()) {
        if (read.problem.refusal == FileRefusal::None || read.problem.messageKey.isEmpty())
            fuzz::fail();
        return 0;
    }
    const auto again = SetpointFile::fromBytes(SetpointFile::toBytes(*read.tables, 1));
    if (!again.ok() || *again.tables != *read.tables) fuzz::fail();
    return 0;
}
