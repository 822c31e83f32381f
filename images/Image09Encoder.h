#pragma once

#include "images/Picture.h"

#include <string>

namespace tovallo {

// Encodes a whole picture as an "09" picture. The palette holds the (at most 127) most used
// colours, most used first, colours of equal use in the order they first occur; the rest are
// written as literal colour words.
//
// With `transparent`, every pixel whose Rgb565 is `key` becomes `phoneTransparent` (the model's
// transparent colour); without it, a pixel that already has `phoneTransparent` is written as
// that colour plus one, so that the picture shows no transparent pixels.
std::string EncodeImage09(const Picture& picture, Rgb565 key, bool transparent,
                          Rgb565 phoneTransparent);

} // namespace tovallo
