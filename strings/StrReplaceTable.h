#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Dialogs;
class FreeRegions;
class PendingChanges;
struct StringSearchFields;

// The end code a replacement carries in the table; Modify File turns it into the zero byte.
inline constexpr char EndCode = '\x01';

// "String for Replace:" holds at most this many characters.
inline constexpr size_t MaxReplacementLength = 64;

// One row of the string replace table.
struct StrTable {
    std::string SearchText; // "String for Search:" when the row was added
    std::string Bytes;      // the replacement as stored: encoded, end code included
    uint32_t Addr = 0;      // where Bytes go; for a row in free memory the region's Start
    bool InFreeMem = false;
    uint32_t LinkAddr = 0; // the pointer slot leading to the string, 0 when unknown
    uint16_t Size = 0;     // bytes of Bytes
    bool Utf8 = false;
    std::string ReplaceText; // as typed, with the end code appended when chosen
    uint32_t FoundAddr = 0;  // where the replaced string was found; rows are unique by it
};

// A range of firmware offsets [Start, Start + Size).
struct OffsetRange {
    uint64_t Start = 0;
    uint64_t Size = 0;
    bool contains(uint64_t at) const { return at >= Start && at - Start < Size; }
    bool overlaps(uint64_t start, uint64_t size) const {
        return start < Start + Size && Start < start + size;
    }
};

inline constexpr size_t StrReplaceColumns = 7;
// Grid texts of a row: column 0 holds the row's select box (empty text), then SearchText, the
// start and stop address, the replacement as typed, Size and "1"/"0" for UTF-8.
std::array<std::string, StrReplaceColumns> StrReplaceCells(const StrTable& row);

// The replacements collected from searches and the firmware string table. Nothing reaches the
// firmware until Modify File turns selected rows into pending changes. `selected` has one flag per
// row (missing flags count as unselected).
class StrReplaceTable {
  public:
    const std::vector<StrTable>& rows() const { return rows_; }
    bool empty() const { return rows_.empty(); }

    // "Add to String Table" from the search fields: refuses incomplete fields (message 9), a
    // replacement over 64 characters and a second row for a found address (message 4). A
    // replacement longer than the found string of a known pointer slot (linkAddr > 0) may go to
    // free memory (question 48); it then ends with the end code and its whole size is reserved, or
    // message 49 keeps it in place.
    bool Add(const StringSearchFields& fields, uint32_t linkAddr, FreeRegions& regions,
             Dialogs& dialogs);

    // Removes the selected rows (all rows), releasing their reservations.
    void DeleteSelected(const std::vector<bool>& selected, FreeRegions& regions);
    void DeleteAll(FreeRegions& regions);

    // "Modify File": each selected row, top to bottom, becomes a pending string change and
    // leaves the table. A row in free memory takes its reservation (message 51 drops the row
    // when it is gone) and first queues the re-pointing of its slot and the block's new used
    // count. Unselected rows stay.
    void ModifyFile(const std::vector<bool>& selected, FreeRegions& regions,
                    PendingChanges& changes, Dialogs& dialogs);

    // Drops (and releases) the rows whose pointer slot, or whose bytes in place, lie in one of
    // `freed`. Returns how many were dropped.
    size_t DropRowsIn(const std::vector<OffsetRange>& freed, FreeRegions& regions);

  private:
    std::vector<StrTable> rows_;
};

} // namespace tovallo
