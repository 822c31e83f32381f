#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Progress;

inline constexpr size_t MaxPatternLength = 64;
inline constexpr size_t SearchBlockSize = 4096;

// Finds the next occurrence of `pattern` (at most 64 bytes) at or after SearchPos. Returns the
// offset of its first byte and leaves SearchPos on its last byte, so the next call may find an
// overlapping match; -1 when there is none (SearchPos then 0). restart starts from offset 0.
// A Stop request (SearchStop) ends the scan after the current block.
int64_t FindInFirmware(Workspace& ws, const std::string& pattern, bool restart, Progress& bar);

// Every position from `start` on that holds `value` as four little-endian bytes, in order, at
// most `maxResults` of them.
std::vector<uint32_t> FindLinks(Workspace& ws, uint32_t value, Progress& bar, size_t maxResults,
                                uint32_t start);

inline constexpr size_t LinkResultsCapacity = 32768;

} // namespace tovallo
