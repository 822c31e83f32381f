// "Find Free Space" over a firmware: every block it takes has a whole header inside the firmware
// and fits in it, in firmware order.
#include "FuzzSupport.h"

#include "resources/FreeBlockHeader.h"
#include "resources/FreeRegions.h"
#include "resources/FreeSpaceSearch.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

#include <cstring>

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Workspace ws;
    if (!fuzz::OpenFirmware(ws, data, size))
        return 0;
    FreeRegions regions;
    NullProgress bar;
    ScanFreeBlocks(ws, bar, regions);
    int64_t previous = -1;
    for (const FreeRegion& region : regions.regions()) {
        fuzz::Require(region.Start > previous, "blocks come in firmware order");
        previous = region.Start;
        fuzz::Require(region.Start + int64_t{region.Size} <= int64_t(size), "a block fits");
        fuzz::Require(region.Used >= int32_t{FreeBlockHeaderSize} && region.Used <= region.Size &&
                          region.Reserved == 0,
                      "a block's header is sound");
        fuzz::Require(std::memcmp(data + region.Start, FreeBlockMarkerText, 4) == 0,
                      "a block starts with the marker");
    }
    return 0;
}
