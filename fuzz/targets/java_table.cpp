// "Find Java Games" over a firmware: every listed file's table entry lies inside the firmware.
#include "FuzzSupport.h"

#include "media/JavaTable.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Workspace ws;
    if (!fuzz::OpenFirmware(ws, data, size))
        return 0;
    JavaList list;
    NullProgress bar;
    fuzz::QuietDialogs dialogs;
    FindJavaGames(ws, list, bar, dialogs);
    fuzz::Require(list.rows.size() == list.JavaEntries.size(), "one entry a row");
    const uint64_t entrySize = ws.profile.JavaSizeOffset + 8;
    for (size_t r = 0; r < list.size(); ++r) {
        fuzz::Require(list.JavaEntries[r] + entrySize <= size, "an entry lies inside");
        JavaCells(list.rows[r]);
    }
    return 0;
}
