// A backup file is restored into a unit, so a damaged one must be refused and
// an accepted one must hold exactly what it says: written back, it gives the
// same tables.

#include "FuzzInput.h"
#include "model/files/BackupFile.h"

using namespace kqm52;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = fuzz::bytes(data, size);
    const auto read = BackupFile::fromBytes(input);
    if (!read.ok()) {
        if (read.problem.refusal == FileRefusal::None || read.problem.messageKey.isEmpty())
            fuzz::fail();
        return 0;
    }
    if (input.size() != BackupFile::Size) fuzz::fail();
    const auto again = BackupFile::fromBytes(BackupFile::toBytes(*read.tables));
    if (!again.ok() || *again.tables != *read.tables) fuzz::fail();
    return 0;
}
