#pragma once

#include <cstdint>
#include <vector>

namespace tovallo {

// A free block of the firmware as the string placement sees it.
struct FreeRegion {
    uint32_t Start = 0;   // offset of the block's header; also the region's identity
    int32_t Size = 0;     // bytes of the block, header included
    int32_t Used = 0;     // bytes handed out, header included
    int32_t Reserved = 0; // bytes promised to replace-table rows, not yet handed out

    int64_t freeSpace() const { return int64_t{Size} - (int64_t{Used} + int64_t{Reserved}); }
};

// The free regions, in the order added. The allocation operations only change this list; what
// reaches the firmware is queued by their callers.
class FreeRegions {
  public:
    const std::vector<FreeRegion>& regions() const { return regions_; }
    bool empty() const { return regions_.empty(); }
    void add(const FreeRegion& region) { regions_.push_back(region); }
    void clear() { regions_.clear(); }
    // The first region with that Start, or nullptr.
    const FreeRegion* find(uint32_t start) const;

    // Promises n bytes in the first region (in list order) with a Size above 0 and room for
    // them; returns its Start, or 0 when no region has room.
    uint32_t ReserveFree(uint32_t n);
    // Turns n promised bytes of region `start` into used ones: returns where they begin
    // (Start + Used before the call), or 0 when no region with that Start holds the promise.
    uint32_t TakeReserved(uint32_t start, uint32_t n);
    // Withdraws a promise of n bytes from region `start`; false when it holds no such promise.
    bool ReleaseReserved(uint32_t start, uint32_t n);

    int64_t totalSize() const;
    int64_t totalUsed() const;

  private:
    std::vector<FreeRegion> regions_;
};

} // namespace tovallo
