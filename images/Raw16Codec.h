#pragma once

#include "images/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovallo {

// The rows of a RAW-16 decoding: a picture, or the 320-row page of the firmware dump.
inline constexpr int MaxRaw16Rows = 320;

// RAW-16: width x height big-endian Rgb565 pixels, no header. Bytes beyond `size` count as 0.
// A width outside 1-320 or a height outside 1-320 gives an empty picture.
Picture DecodeRaw16(const uint8_t* data, size_t size, int width, int height);
std::string EncodeRaw16(const Picture& picture);

} // namespace tovallo
