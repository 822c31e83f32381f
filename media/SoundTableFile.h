#pragma once

#include "media/SoundList.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tovallo {

class Workspace;
class Dialogs;

// The open and save filter of table files.
inline constexpr const char* TableFileFilter = "Table (*.txt)|*.txt|All files|*.*";

// The sound table file: Windows-1251 text, one record per row, each a line and an empty line:
// "NNN Name\t Addr: 0x...\t Size: S\t Table: 0x...\t Type: T\t\r\n\r\n", NNN the row number from
// 1 with at least three digits, Table the row's SoundLinks entry.

// One record line (without its CR LF CR LF).
std::string SoundTableRecord(size_t rowNumber, const SoundRow& row, uint32_t link);

// A record read back. A record of empty cells (the saved blank row of an empty list) is `blank`.
struct SoundRecord {
    SoundRow row;
    uint32_t link = 0;
    bool blank = false;
};
// Reads a record line. The row number is not used; the markers are searched after the name's
// TAB, so a name may hold them. A record that lacks a part, whose Addr or Table is no address
// text, or whose Size is no decimal number below 2^32 gives nothing and says why in `problem`.
std::optional<SoundRecord> ParseSoundTableRecord(const std::string& line, std::string& problem);

// "Save Table to File": writes every row (an empty list as one blank record). An existing file
// is replaced only after message 3; the open firmware is never written over.
bool SaveSoundTable(const Workspace& ws, const std::string& path, const SoundList& list,
                    Dialogs& dialogs);

// "Open Table from File": reads records up to the first empty line. Any broken record refuses
// the whole file with a message naming the record, and `list` stays as it was.
bool LoadSoundTable(const std::string& path, SoundList& list, Dialogs& dialogs);

} // namespace tovallo
