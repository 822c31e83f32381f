#pragma once

#include "images/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovallo {

// RAW-16: width x height big-endian Rgb565 pixels, no header. Bytes beyond `size` count as 0.
Picture DecodeRaw16(const uint8_t* data, size_t size, int width, int height);
std::string EncodeRaw16(const Picture& picture);

} // namespace tovallo
