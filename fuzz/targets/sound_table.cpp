// "Find Sounds&&Music" and "Find Sounds Table" over a firmware: every sound listed starts with
// "MMMD", and every table entry lies inside the firmware and leads at most to its end (an
// address equal to the size is still listed).
#include "FuzzSupport.h"

#include "media/SoundDiscovery.h"
#include "media/SoundList.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

#include <cstring>

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Workspace ws;
    if (!fuzz::OpenFirmware(ws, data, size))
        return 0;
    SoundList list;
    NullProgress bar;
    fuzz::QuietDialogs dialogs;
    FindSounds(ws, list, bar, dialogs);
    for (const SoundRow& row : list.rows)
        fuzz::Require(row.Addr > 0 && row.Addr + 8 <= size &&
                          std::memcmp(data + row.Addr, "MMMD", 4) == 0 && row.Size >= 8,
                      "a found sound starts with a whole MMMD header");
    if (const auto table = FindSoundsTable(ws, list, bar, dialogs)) {
        list = ReadSoundsTable(ws, *table);
        fuzz::Require(list.rows.size() == list.SoundLinks.size(), "one link a row");
        for (size_t r = 0; r < list.size(); ++r)
            fuzz::Require(list.rows[r].Addr <= size && list.SoundLinks[r] + 8 <= size,
                          "a table row and its sound lie inside the firmware");
    }
    return 0;
}
