#pragma once

#include "images/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

// The phone's run-length coded "09" picture: 0x09, palette count N, N little-endian Rgb565
// colours, then packets (control byte: kind in bits 7-6, pixel count in bits 5-0) until
// width x height pixels are produced.

enum class Decode09Mode {
    Draw,   // checks the signature and stops at a palette index beyond the palette
    Measure // only walks the packets: no signature check, a bad index keeps the last colour
};

enum class Decode09Outcome {
    Ok,
    NotImage09,      // drawing, and the first byte is not 0x09 (the viewer shows message 13)
    BadPaletteIndex, // drawing stopped at a palette index not below N (the viewer shows
                     // ImageErrorText)
    BadDimension     // the width or height lies outside 1-320 x 1-240: nothing was read
};

inline const std::string ImageErrorText = "Image error!";

struct Decoded09 {
    Decode09Outcome outcome = Decode09Outcome::Ok;
    Picture picture;            // white where nothing was drawn
    std::vector<Rgb24> palette; // the picture's palette, N entries
    uint32_t length = 0;        // Length09: one past the last byte read
    bool ranPastData = false;   // bytes beyond `size` were needed; they were read as 0
};

// A dimension outside 1-320 x 1-240 gives BadDimension, an empty picture and length 0.
Decoded09 DecodeImage09(const uint8_t* data, size_t size, int width, int height, Decode09Mode mode);

// The most bytes a picture of up to 320 x 240 pixels can take (3 bytes a pixel plus the
// palette), and so the size of the buffer the decoders read a picture into.
inline constexpr size_t ImageBufferSize = 307200;

} // namespace tovallo
