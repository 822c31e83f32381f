#include "strings/LanguageDeletion.h"

#include "resources/FreeBlockHeader.h"
#include "resources/FreeRegions.h"
#include "strings/LanguageEntries.h"
#include "strings/StrReplaceTable.h"
#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/Workspace.h"

#include <algorithm>

namespace tovallo {

std::optional<size_t> DeletionTarget(const LanguageEntries& languages, size_t deleted) {
    const std::vector<LanguageEntry>& all = languages.entries;
    const LanguageEntry& gone = all.at(deleted);
    const auto usable = [&](size_t i) {
        return i != deleted && !all[i].Deleted && all[i].TablePtr != gone.TablePtr;
    };
    if (const auto second = languages.indexOf(gone.List, 1); second && usable(*second))
        return second;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].List == gone.List && usable(i))
            return i;
    return std::nullopt;
}

std::optional<StringSpan> SpanOfStrings(const std::vector<StringTableRow>& rows,
                                        uint32_t flashStart, int64_t firmwareSize) {
    std::optional<StringSpan> span;
    for (const StringTableRow& row : rows) {
        const uint32_t at = row.Offset;
        if (at == 0 || at < flashStart || int64_t{at} >= firmwareSize)
            continue;
        if (!span)
            span = StringSpan{at, at};
        span->Lo = std::min(span->Lo, at);
        span->Hi = std::max(span->Hi, at);
    }
    return span;
}

bool DeleteLanguage(Workspace& ws, Dialogs& dialogs, LanguageEntries& languages, size_t deleted,
                    const std::vector<StringTableRow>& rows, FreeRegions& regions,
                    StrReplaceTable& replaceTable) {
    LanguageEntry& gone = languages.entries.at(deleted);
    const uint32_t table = gone.TablePtr;
    if (uint64_t{table} + uint64_t{gone.Count} * 4 > static_cast<uint64_t>(ws.FwSize())) {
        dialogs.errorText("The string table at " + ToHexAddr(table) +
                          " runs past the end of the firmware; the language was not deleted.");
        return false;
    }
    const auto target = DeletionTarget(languages, deleted);
    if (!target) {
        dialogs.errorText("No other language of this list has a table to lead to; the language "
                          "was not deleted.");
        return false;
    }
    const uint32_t lead = languages.entries[*target].TablePtr;

    PendingChanges& changes = ws.changes;
    std::vector<OffsetRange> freed;
    const uint32_t slots = table + 4;
    const uint32_t slotBytes = (uint32_t{gone.Count} - 1) * 4;
    changes.AppendLinkChange(slots + 4, slotBytes, FreeBlockMarker);
    changes.AppendLinkChange(slots + 8, FreeBlockHeaderSize, 0);
    freed.push_back({slots, slotBytes});

    const auto span = SpanOfStrings(rows, ws.profile.FlashStart(), ws.FwSize());
    const bool stringBlock = span && span->Hi - span->Lo >= FreeBlockHeaderSize;
    if (stringBlock) {
        changes.AppendLinkChange(span->Lo + 4, span->Hi - span->Lo, FreeBlockMarker);
        changes.AppendLinkChange(span->Lo + 8, FreeBlockHeaderSize, 0);
        freed.push_back({span->Lo, span->Hi - span->Lo});
    }
    changes.AppendLinkChange(gone.Offset, lead, 0);
    for (size_t i = 0; i < languages.entries.size(); ++i) {
        LanguageEntry& other = languages.entries[i];
        if (i != deleted && other.TablePtr == table) {
            changes.AppendLinkChange(other.Offset, lead, 0);
            other.TablePtr = lead;
            other.Deleted = true;
        }
    }
    gone.TablePtr = lead;
    gone.Deleted = true;

    for (const OffsetRange& block : freed)
        regions.add({static_cast<uint32_t>(block.Start), static_cast<int32_t>(block.Size),
                     static_cast<int32_t>(FreeBlockHeaderSize), 0});
    replaceTable.DropRowsIn(freed, regions);
    return true;
}

} // namespace tovallo
