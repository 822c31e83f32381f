#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Progress;
class FreeRegions;

// A language entry holds u32 TablePtr, then a u16 Count from 0x300 to 0x940 and six zero bytes.
inline constexpr uint32_t MinLanguageCount = 0x300;
inline constexpr uint32_t MaxLanguageCount = 0x940;
// A scan ends after this many entries; real firmware has a few dozen.
inline constexpr size_t MaxLanguageEntries = 512;
inline constexpr char DeletedLanguageText[] = "Deleted";

// The two drop-down lists of languages.
enum class LanguageList { Messages = 0, Menus = 1 }; // CStrLang "Messages Lang:", CStrLang2

struct LanguageEntry {
    uint32_t Offset = 0;   // firmware offset of the entry
    uint32_t TablePtr = 0; // the table the entry leads to, pending re-pointing included
    uint16_t Count = 0;    // slots of the table, the first one no string
    LanguageList List = LanguageList::Messages;
    bool Deleted = false;
};

// "0x0000A000 1011", or "Deleted".
std::string LanguageItemText(const LanguageEntry& entry);

// The entries of the last scan, first every item of the messages list, then the menus list.
class LanguageEntries {
  public:
    std::vector<LanguageEntry> entries;

    bool empty() const { return entries.empty(); }
    void clear() { entries.clear(); }
    // The drop-down texts of one list, in order.
    std::vector<std::string> items(LanguageList list) const;
    // The entry behind item `item` of `list`.
    std::optional<size_t> indexOf(LanguageList list, size_t item) const;
    // Which list and item an entry is.
    size_t itemOf(size_t index) const;
};

// Scans for language entries from SearchPos (the string table signature's last byte), with the
// six-zero-byte search: runs before the first entry are skipped, the first run after it that
// holds no entry ends the list. A count more than 8 away from the previous one moves to the
// menus list for good. With detectDeleted, an entry whose table carries the free-block marker
// in its second word is listed as deleted and the sound free blocks at TablePtr + 4 and at the
// header that the table's first word D leads to (at D, else at D + 4) are added to `regions`,
// each only when no region with its Start is listed yet. Leaves SearchPos where the search ended
// (on the last byte of the run that ended it, 0 at the end of the firmware or after a stop).
void ScanLanguageEntries(Workspace& ws, Progress& bar, bool detectDeleted, LanguageEntries& out,
                         FreeRegions& regions);

} // namespace tovallo
