// The firmware's own picture table: found by the model's signature and read, and read again
// from an address the input names (its bytes 1-4), as a typed table address would be. Every row
// is an entry inside the firmware.
#include "FuzzSupport.h"

#include "images/FirmwareImageTable.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

using namespace tovallo;

namespace {

void readAt(Workspace& ws, uint32_t address, size_t size) {
    fuzz::QuietDialogs dialogs;
    const auto read = ReadImageTable(ws, address, dialogs);
    if (address > size) {
        fuzz::Require(!read, "no table beyond the end of the firmware");
        return;
    }
    if (read)
        fuzz::Require(read->rows.size() <= (size - address) / ImageTableEntrySize,
                      "rows are entries inside the firmware");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Workspace ws;
    if (!fuzz::OpenFirmware(ws, data, size))
        return 0;
    NullProgress bar;
    fuzz::QuietDialogs dialogs;
    if (const auto table = FindImageTable(ws, bar, dialogs))
        readAt(ws, *table, size);
    if (size >= 5) {
        const uint32_t typed = data[1] | data[2] << 8 | data[3] << 16 | uint32_t{data[4]} << 24;
        readAt(ws, typed % (size + 16), size);
    }
    return 0;
}
