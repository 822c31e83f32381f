#include "srecord/ExcludedSegments.h"

namespace tovallo {

std::vector<ByteSegment> SegmentsOutsideRegions(int64_t from, int64_t end, uint32_t base,
                                                const std::vector<AddressRegion>& regions) {
    std::vector<ByteSegment> segments;
    auto add = [&segments](int64_t a, int64_t b) {
        if (a < b)
            segments.push_back({a, b});
    };
    if (regions.empty()) {
        add(from, end);
        return segments;
    }
    const int64_t rangeStart = from + base;
    const int64_t rangeEnd = end + base;
    int64_t cur = from;
    int64_t segmentEnd = from;
    for (const AddressRegion& r : regions) {
        const int64_t start = r.Start;
        const int64_t stop = r.Stop;
        segmentEnd = start > rangeEnd ? end : start - base;
        if (start <= rangeStart) {
            // A region over the range start: the output begins after it.
            if (stop >= rangeStart)
                cur = stop - base + 1;
            continue;
        }
        add(cur, segmentEnd);
        if (end <= segmentEnd)
            return segments;
        cur = stop - base + 1;
    }
    if (end > segmentEnd && static_cast<int64_t>(regions.back().Stop) < rangeEnd)
        add(cur, end);
    return segments;
}

} // namespace tovallo
