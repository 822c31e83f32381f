#pragma once

#include "images/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovallo {

// The firmware's headerless one-bit pictures: width x height div 8 bytes; byte i is column
// i mod width of the band i div width, eight rows tall, bit k (least significant first) the
// pixel of row 8 * band + k. A set bit is black. Bytes beyond `size` count as 0; pixels no byte
// covers stay white. A size outside 1-320 x 1-240 gives an empty picture.
Picture DecodeWbmp(const uint8_t* data, size_t size, int width, int height);

// The inverse: a pixel darker than mid-grey (luma below 128) becomes a set bit.
std::string EncodeWbmp(const Picture& picture);

} // namespace tovallo
