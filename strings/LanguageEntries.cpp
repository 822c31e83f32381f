#include "strings/LanguageEntries.h"

#include "resources/FreeBlockHeader.h"
#include "resources/FreeRegions.h"
#include "workspace/ChunkScan.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/HexText.h"
#include "workspace/LittleEndian.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tovallo {

std::string LanguageItemText(const LanguageEntry& entry) {
    if (entry.Deleted)
        return DeletedLanguageText;
    return ToHexAddr(entry.TablePtr) + " " + std::to_string(entry.Count);
}

std::vector<std::string> LanguageEntries::items(LanguageList list) const {
    std::vector<std::string> out;
    for (const LanguageEntry& e : entries)
        if (e.List == list)
            out.push_back(LanguageItemText(e));
    return out;
}

std::optional<size_t> LanguageEntries::indexOf(LanguageList list, size_t item) const {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].List == list && item-- == 0)
            return i;
    return std::nullopt;
}

size_t LanguageEntries::itemOf(size_t index) const {
    size_t item = 0;
    for (size_t i = 0; i < index && i < entries.size(); ++i)
        if (entries[i].List == entries[index].List)
            ++item;
    return item;
}

namespace {

constexpr size_t ZeroRun = 6; // the search text: six zero bytes

// Offset of the first byte that is not zero, or size.
size_t firstNonZero(const uint8_t* data, size_t size) {
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        if (word != 0)
            break;
    }
    while (i < size && data[i] == 0)
        ++i;
    return i;
}

// The entry scan over the runs of zero bytes, with the results of the step-by-step search: a
// match starts at or after `from`, the next search resumes on the match's last byte.
class EntryScan {
  public:
    EntryScan(Workspace& ws, bool detectDeleted, LanguageEntries& out, FreeRegions& regions)
        : ws_(ws), detectDeleted_(detectDeleted), out_(out), regions_(regions),
          from_(ws.SearchPos) {}

    uint64_t from() const { return from_; }

    // A zero run starts at `start`; `before` holds the six bytes in front of it when the caller
    // has them at hand (nullptr otherwise).
    void runStarts(const uint8_t* before) {
        headKnown_ = before != nullptr;
        if (headKnown_)
            std::memcpy(head_, before, sizeof head_);
    }

    // The zero run [start, end) is complete. False when the scan ends in it.
    bool run(uint64_t start, uint64_t end) {
        for (;;) {
            const uint64_t match = std::max(start, from_);
            if (end < match + ZeroRun)
                return true;
            if (match < 1) // the search reports a match at 0 as none
                return stopAt(match);
            // Only a match where the run starts can follow a count: inside a run the two bytes
            // before it are zero.
            if (match != start || !entryAt(match)) {
                if (foundAny_)
                    return stopAt(match);
                return true; // the rest of the run holds no entry either
            }
            from_ = match + ZeroRun - 1;
            if (out_.entries.size() >= MaxLanguageEntries)
                return stopAt(match);
        }
    }

    void finish(bool ranToEnd) {
        if (ranToEnd || stoppedAt_ < 0)
            ws_.SearchPos = 0;
        else
            ws_.SearchPos = static_cast<uint32_t>(stoppedAt_);
        ws_.lastSingleByteMatch = -1;
    }

  private:
    bool stopAt(uint64_t match) {
        stoppedAt_ = static_cast<int64_t>(match + ZeroRun - 1);
        return false;
    }

    // Reads the entry that would end at the zero run at `match`; false when the count before
    // the run is none.
    bool entryAt(uint64_t match) {
        if (match < sizeof head_)
            return false;
        if (!headKnown_ && ws_.ReadAt(static_cast<uint32_t>(match - sizeof head_), sizeof head_,
                                      head_) != sizeof head_)
            return false;
        const uint16_t count = ReadLe16(head_ + 4);
        if (count < MinLanguageCount || count > MaxLanguageCount)
            return false;
        foundAny_ = true;
        if (list_ == LanguageList::Messages && hasItem_ &&
            std::abs(int{count} - int{previousCount_}) > 8)
            list_ = LanguageList::Menus;
        previousCount_ = count;
        hasItem_ = true;
        LanguageEntry entry{static_cast<uint32_t>(match - sizeof head_), ReadLe32(head_), count,
                            list_, false};
        if (detectDeleted_)
            entry.Deleted = addFreedBlocks(entry.TablePtr);
        out_.entries.push_back(entry);
        return true;
    }

    // A table that carries the marker in its second word was freed: the block of its slots
    // starts there, and its first word D leads to the block of its strings, whose header lies at
    // D or else at D + 4. Each block is added once, so no byte is handed out twice.
    bool addFreedBlocks(uint32_t tablePtr) {
        uint8_t head[8];
        if (ws_.ReadAt(tablePtr, sizeof head, head) != sizeof head ||
            ReadLe32(head + 4) != FreeBlockMarker)
            return false;
        addBlock(uint64_t{tablePtr} + 4);
        const uint64_t d = ReadLe32(head);
        for (const uint64_t at : {d, d + 4})
            if (holdsMarker(at)) {
                addBlock(at);
                break;
            }
        return true;
    }

    bool holdsMarker(uint64_t at) {
        uint8_t marker[4];
        return at <= std::numeric_limits<uint32_t>::max() &&
               ws_.ReadAt(static_cast<uint32_t>(at), sizeof marker, marker) == sizeof marker &&
               ReadLe32(marker) == FreeBlockMarker;
    }

    // Offset 0 is never a block, as Find Free Space never takes one there.
    void addBlock(uint64_t start) {
        if (start == 0 || start > std::numeric_limits<uint32_t>::max() ||
            regions_.find(static_cast<uint32_t>(start)))
            return;
        if (const auto region = ReadFreeBlock(ws_, static_cast<uint32_t>(start)))
            regions_.add(*region);
    }

    Workspace& ws_;
    bool detectDeleted_;
    LanguageEntries& out_;
    FreeRegions& regions_;
    uint64_t from_;
    bool foundAny_ = false;
    bool hasItem_ = false;
    uint16_t previousCount_ = 0;
    uint8_t head_[6] = {};
    bool headKnown_ = false;
    LanguageList list_ = LanguageList::Messages;
    int64_t stoppedAt_ = -1;
};

} // namespace

void ScanLanguageEntries(Workspace& ws, Progress& bar, bool detectDeleted, LanguageEntries& out,
                         FreeRegions& regions) {
    out.clear();
    if (!ws.FwIsOpen())
        return;
    bar.setRange(static_cast<int>(std::min<int64_t>(ws.FwSize() / int64_t{SearchBlockSize} + 1,
                                                    std::numeric_limits<int>::max())));
    EntryScan entries(ws, detectDeleted, out, regions);
    ChunkScan scan(ws, entries.from(), 0, bar);
    bool inRun = false;
    uint64_t runStart = 0;
    while (scan.next()) {
        const uint8_t* data = scan.data();
        size_t i = 0;
        while (i < scan.size()) {
            if (inRun) {
                i += firstNonZero(data + i, scan.size() - i);
                if (i == scan.size())
                    break;
                inRun = false;
                if (!entries.run(runStart, scan.base() + i))
                    return entries.finish(false);
            } else {
                const auto* zero =
                    static_cast<const uint8_t*>(std::memchr(data + i, 0, scan.size() - i));
                if (!zero)
                    break;
                i = static_cast<size_t>(zero - data);
                inRun = true;
                runStart = scan.base() + i;
                entries.runStarts(i >= 6 ? data + i - 6 : nullptr);
            }
        }
    }
    if (inRun && !scan.stopped() && !entries.run(runStart, scan.end()))
        return entries.finish(false);
    entries.finish(true);
}

} // namespace tovallo
