#pragma once

#include "resources/FreeRegions.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tovallo {

class Workspace;

// A free block starts with this header: the marker "zQKV", u32 Size, u32 Used (little-endian).
inline constexpr char FreeBlockMarkerText[] = "zQKV";
inline constexpr uint32_t FreeBlockMarker = 0x564B517Au; // the marker read as a u32
inline constexpr uint32_t FreeBlockHeaderSize = 12;

// The region a header describes, from the 12 bytes at `start`: nothing unless the marker is
// there, the header is whole, 12 <= Used <= Size and the block lies inside the firmware.
std::optional<FreeRegion> FreeBlockFromHeader(uint32_t start, const uint8_t* header, size_t got,
                                              int64_t firmwareSize);
std::optional<FreeRegion> ReadFreeBlock(Workspace& ws, uint32_t start);

} // namespace tovallo
