#pragma once

#include "workspace/Workspace.h"

#include <cstdint>
#include <vector>

namespace tovallo {

// Offsets [from, to) of a BIN file.
struct ByteSegment {
    int64_t from = 0;
    int64_t to = 0;
};

// The segments of [from, end) that a BIN to S3 conversion writes when `regions` (addresses,
// i.e. offset + base, sorted by start) are left out. The regions are walked in order with a
// running resume point: after each region the output resumes at its end + 1, so overlapping
// regions exclude their union while a region nested inside an earlier one moves the resume
// point back and lets the rest of the earlier one through. Empty segments are left out.
std::vector<ByteSegment> SegmentsOutsideRegions(int64_t from, int64_t end, uint32_t base,
                                                const std::vector<AddressRegion>& regions);

} // namespace tovallo
