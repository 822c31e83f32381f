#pragma once

#include "workspace/PhoneProfile.h"

#include <cstdint>

namespace tovallo {

// A 16-bit colour: red in bits 15-11, green in 10-5, blue in 4-0.
using Rgb565 = uint16_t;

inline constexpr Rgb24 Black = 0x000000;
inline constexpr Rgb24 White = 0xFFFFFF;

inline constexpr Rgb24 MakeRgb24(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}
inline constexpr unsigned RedOf(Rgb24 c) {
    return c & 0xFF;
}
inline constexpr unsigned GreenOf(Rgb24 c) {
    return (c >> 8) & 0xFF;
}
inline constexpr unsigned BlueOf(Rgb24 c) {
    return (c >> 16) & 0xFF;
}

// Each channel scaled to 0-255 with truncating division, so 0xFFFF gives white.
inline constexpr Rgb24 Rgb565ToColor(Rgb565 c) {
    const unsigned r5 = c >> 11, g6 = (c >> 5) & 0x3F, b5 = c & 0x1F;
    return MakeRgb24(r5 * 255 / 31, g6 * 255 / 63, b5 * 255 / 31);
}

inline constexpr Rgb565 ColorToRgb565(Rgb24 c) {
    return static_cast<Rgb565>((RedOf(c) & 0xF8) << 8 | (GreenOf(c) & 0xFC) << 3 | BlueOf(c) >> 3);
}

} // namespace tovallo
