#include "resources/FreeRegions.h"

namespace tovallo {

const FreeRegion* FreeRegions::find(uint32_t start) const {
    for (const FreeRegion& r : regions_)
        if (r.Start == start)
            return &r;
    return nullptr;
}

uint32_t FreeRegions::ReserveFree(uint32_t n) {
    for (FreeRegion& r : regions_)
        if (r.Size > 0 && r.freeSpace() >= int64_t{n}) {
            r.Reserved += static_cast<int32_t>(n);
            return r.Start;
        }
    return 0;
}

uint32_t FreeRegions::TakeReserved(uint32_t start, uint32_t n) {
    for (FreeRegion& r : regions_)
        if (r.Start == start && int64_t{r.Reserved} >= int64_t{n}) {
            r.Reserved -= static_cast<int32_t>(n);
            const uint32_t at = r.Start + static_cast<uint32_t>(r.Used);
            r.Used += static_cast<int32_t>(n);
            return at;
        }
    return 0;
}

bool FreeRegions::ReleaseReserved(uint32_t start, uint32_t n) {
    for (FreeRegion& r : regions_)
        if (r.Start == start && r.Reserved >= 0 && int64_t{r.Reserved} >= int64_t{n}) {
            r.Reserved -= static_cast<int32_t>(n);
            return true;
        }
    return false;
}

int64_t FreeRegions::totalSize() const {
    int64_t total = 0;
    for (const FreeRegion& r : regions_)
        total += r.Size;
    return total;
}

int64_t FreeRegions::totalUsed() const {
    int64_t total = 0;
    for (const FreeRegion& r : regions_)
        total += r.Used;
    return total;
}

} // namespace tovallo
