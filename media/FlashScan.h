#pragma once

#include "workspace/FirmwareSearch.h"
#include "workspace/Workspace.h"

#include <cstdint>
#include <string>

namespace tovallo {

// The first match of `pattern` from FlashStart on: E720 resumes the search at its flash start,
// the other models restart it from 0.
inline int64_t SearchFromFlashStart(Workspace& ws, const std::string& pattern, Progress& bar) {
    const uint32_t start = ws.profile.FlashStart();
    if (start != 0)
        ws.SearchPos = start;
    return FindInFirmware(ws, pattern, start == 0, bar);
}

inline uint32_t LittleEndian32(const uint8_t* b) {
    return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

} // namespace tovallo
