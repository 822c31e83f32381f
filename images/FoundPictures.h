#pragma once

#include "images/ImageType.h"
#include "workspace/HexText.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

// One row of the found-picture list: a picture from the "09" scan (no dimension) or from the
// firmware's picture table (with its width and height).
struct FoundPicture {
    uint32_t Address = 0;
    int Width = 0; // 0 when the scan found it: the list shows no dimension
    int Height = 0;

    bool hasDimension() const { return Width > 0 && Height > 0; }
    std::string addressText() const { return ToHexAddr(Address); }
    // "W*H", or empty for a scanned picture.
    std::string dimensionText() const {
        return hasDimension() ? DimensionText(Width, Height) : std::string();
    }
    friend bool operator==(const FoundPicture&, const FoundPicture&) = default;
};

using FoundPictureList = std::vector<FoundPicture>;

} // namespace tovallo
