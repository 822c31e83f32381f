#pragma once

#include "images/ImageType.h"

#include <cstdint>

namespace tovallo {

// The picture being viewed or replaced; one per program run, owned by the window.
struct CurrentPicture {
    uint32_t Address = 1; // firmware offset; 1 when a firmware is opened
    int Width = 128;      // 1-320
    int Height = 128;     // 1-240
    ImageType Type = ImageType::Unknown;
    uint32_t Length09 = 0; // byte length of the "09" picture last decoded

    // The imported replacement (at most 320 x 240) and the encoded sizes of it and of the
    // picture it replaces.
    int NewWidth = 0;
    int NewHeight = 0;
    uint32_t NewSize = 0;
    uint32_t OldSize = 0;
};

} // namespace tovallo
