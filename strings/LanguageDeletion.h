#pragma once

#include "strings/StringTableReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;
class FreeRegions;
class LanguageEntries;
class StrReplaceTable;

// The entry whose table a deleted language's entry is to lead to: the second item of its list,
// or, when that is the deleted item itself, deleted, or shares the deleted table, the first live
// item of the list with another table. Nothing when the list has none.
std::optional<size_t> DeletionTarget(const LanguageEntries& languages, size_t deleted);

// The lowest and highest string offset of `rows` that lies inside the flash: not 0, from
// `flashStart` on and below `firmwareSize`. Nothing when no offset does.
struct StringSpan {
    uint32_t Lo = 0;
    uint32_t Hi = 0;
};
std::optional<StringSpan> SpanOfStrings(const std::vector<StringTableRow>& rows,
                                        uint32_t flashStart, int64_t firmwareSize);

// Deletes language `deleted` whose strings `rows` were read: queues the free-block header over
// its string slots and, when the strings span at least a header (12 bytes), one over the block
// from the lowest string to the highest (the string at the highest stays); re-points its entry
// and every other entry that leads to its table (the latter read "Deleted" too), adds the
// blocks to `regions` and drops the replace-table rows that lie in them. A table running past
// the end of the firmware, or a list with no other table to lead to, is refused through
// `dialogs` with nothing recorded. Returns true when the language was deleted.
bool DeleteLanguage(Workspace& ws, Dialogs& dialogs, LanguageEntries& languages, size_t deleted,
                    const std::vector<StringTableRow>& rows, FreeRegions& regions,
                    StrReplaceTable& replaceTable);

} // namespace tovallo
