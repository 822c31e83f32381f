#pragma once

#include <string>

namespace tovallo {

class Workspace;
class Dialogs;
class Progress;
class Messages;
class FreeRegions;

// Rebuilds `regions` from the free block headers found from FlashStart to the end of the
// firmware, in firmware order, every region with Reserved 0. A marker is taken only with a
// sound header (FreeBlockFromHeader); one at offset 0 is skipped and the scan goes on. Ends with
// SearchPos 0, like a text search that found nothing more.
void ScanFreeBlocks(Workspace& ws, Progress& bar, FreeRegions& regions);

// "Find Free Space": asks message 50 (every reservation is lost), then scans. Returns false when
// nothing was done (no firmware, or not Yes); the caller then shows the memory status.
bool FindFreeSpace(Workspace& ws, Dialogs& dialogs, Progress& bar, FreeRegions& regions);

// "Display Free Memory Status": message 47 as shown (its stored zero byte dropped) with %1 the
// total size, %2 the free bytes (reserved bytes count as free) and %3 the number of regions.
std::string FreeMemoryStatusText(const FreeRegions& regions, const Messages& messages);

} // namespace tovallo
