#pragma once

#include <cstdint>

namespace tovallo {

// The u32 stored least significant byte first at p.
inline uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline uint16_t ReadLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

} // namespace tovallo
