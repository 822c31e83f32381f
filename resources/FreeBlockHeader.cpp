#include "resources/FreeBlockHeader.h"

#include "workspace/LittleEndian.h"
#include "workspace/Workspace.h"

namespace tovallo {

std::optional<FreeRegion> FreeBlockFromHeader(uint32_t start, const uint8_t* header, size_t got,
                                              int64_t firmwareSize) {
    if (got < FreeBlockHeaderSize || ReadLe32(header) != FreeBlockMarker)
        return std::nullopt;
    const uint32_t size = ReadLe32(header + 4);
    const uint32_t used = ReadLe32(header + 8);
    if (used < FreeBlockHeaderSize || used > size || int64_t{start} + int64_t{size} > firmwareSize)
        return std::nullopt;
    return FreeRegion{start, static_cast<int32_t>(size), static_cast<int32_t>(used), 0};
}

std::optional<FreeRegion> ReadFreeBlock(Workspace& ws, uint32_t start) {
    uint8_t header[FreeBlockHeaderSize];
    const size_t got = ws.ReadAt(start, sizeof header, header);
    return FreeBlockFromHeader(start, header, got, ws.FwSize());
}

} // namespace tovallo
