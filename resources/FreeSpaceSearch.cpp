#include "resources/FreeSpaceSearch.h"

#include "resources/FreeBlockHeader.h"
#include "resources/FreeRegions.h"
#include "workspace/ChunkScan.h"
#include "workspace/Dialogs.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Messages.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tovallo {

namespace {

constexpr size_t MarkerLength = sizeof FreeBlockMarkerText - 1;

void replaceFirst(std::string& text, const std::string& what, const std::string& with) {
    const auto at = text.find(what);
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
}

} // namespace

void ScanFreeBlocks(Workspace& ws, Progress& bar, FreeRegions& regions) {
    regions.clear();
    if (!ws.FwIsOpen())
        return;
    const uint32_t start = ws.profile.FlashStart();
    const int64_t blocks = (int64_t{ws.FwSize()} - start) / int64_t{SearchBlockSize} + 1;
    bar.setRange(static_cast<int>(std::clamp<int64_t>(blocks, 1, std::numeric_limits<int>::max())));
    bar.setPosition(0);

    ChunkScan scan(ws, start, MarkerLength - 1, bar);
    while (scan.next()) {
        const uint8_t* from = scan.data();
        const uint8_t* const end = scan.data() + scan.size();
        while (const auto* hit = static_cast<const uint8_t*>(memmem(
                   from, static_cast<size_t>(end - from), FreeBlockMarkerText, MarkerLength))) {
            from = hit + 1;
            const uint64_t at = scan.base() + static_cast<uint64_t>(hit - scan.data());
            if (at == 0)
                continue;
            const auto offset = static_cast<uint32_t>(at);
            const auto region =
                end - hit >= static_cast<ptrdiff_t>(FreeBlockHeaderSize)
                    ? FreeBlockFromHeader(offset, hit, FreeBlockHeaderSize, ws.FwSize())
                    : ReadFreeBlock(ws, offset);
            if (region)
                regions.add(*region);
        }
    }
    ws.SearchPos = 0;
    ws.lastSingleByteMatch = -1;
    bar.setPosition(0);
}

bool FindFreeSpace(Workspace& ws, Dialogs& dialogs, Progress& bar, FreeRegions& regions) {
    if (!ws.FwIsOpen() || !dialogs.ask(msg::ClearAllocatedMemory))
        return false;
    ScanFreeBlocks(ws, bar, regions);
    return true;
}

std::string FreeMemoryStatusText(const FreeRegions& regions, const Messages& messages) {
    std::string text = messages.text(msg::MemoryStatus);
    const int64_t total = regions.totalSize();
    replaceFirst(text, "%1", std::to_string(total));
    replaceFirst(text, "%2", std::to_string(total - regions.totalUsed()));
    replaceFirst(text, "%3", std::to_string(regions.regions().size()));
    return text;
}

} // namespace tovallo
