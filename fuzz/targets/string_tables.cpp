// "Find Table" on a firmware, with and without deleted languages, then every language's string
// table read as selecting it reads it: entries come from inside the firmware, strings are cut at
// 255 bytes, and the free blocks of deleted languages lie inside the firmware.
#include "FuzzSupport.h"

#include "strings/StringsSession.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Workspace ws;
    if (!fuzz::OpenFirmware(ws, data, size))
        return 0;
    StringsSession session;
    NullProgress bar;
    fuzz::QuietDialogs dialogs;
    if (!session.FindTable(ws, dialogs, bar, size % 2 == 1))
        return 0;
    const auto& entries = session.languages.entries;
    fuzz::Require(entries.size() <= MaxLanguageEntries, "the scan ends at its limit");
    for (const LanguageEntry& entry : entries)
        fuzz::Require(entry.Offset + 12 <= size, "an entry lies inside the firmware");
    for (const FreeRegion& region : session.freeRegions.regions())
        fuzz::Require(region.Start + int64_t{region.Size} <= int64_t(size) && region.Used >= 12 &&
                          region.Used <= region.Size,
                      "a freed block lies inside the firmware");
    for (size_t i = 0; i < entries.size(); ++i) {
        session.SelectLanguage(ws, dialogs, i);
        for (const StringTableRow& row : session.tableRows)
            fuzz::Require(row.Bytes.size() <= 255 && row.Bytes.find('\0') == std::string::npos,
                          "a string is cut at its zero byte or 255 bytes");
    }
    return 0;
}
