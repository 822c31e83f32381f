#pragma once

#include "images/Colour.h"

#include <vector>

namespace tovallo {

// A 24-bit picture, rows top first, each row left to right.
struct Picture {
    int Width = 0;
    int Height = 0;
    std::vector<Rgb24> Pixels;

    Picture() = default;
    // A negative side counts as 0, so bad dimensions give an empty picture, never a huge one.
    Picture(int width, int height, Rgb24 fill = White)
        : Width(width > 0 ? width : 0), Height(height > 0 ? height : 0),
          Pixels(static_cast<size_t>(Width) * static_cast<size_t>(Height), fill) {}

    bool empty() const { return Pixels.empty(); }
    Rgb24 at(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    Rgb24& at(int x, int y) { return Pixels[static_cast<size_t>(y) * Width + x]; }

    // The top-left width x height part (clipped to the picture).
    Picture cropped(int width, int height) const;
    friend bool operator==(const Picture&, const Picture&) = default;
};

// The largest picture the phones show, and so the largest the codecs handle.
inline constexpr int MaxPictureWidth = 320;
inline constexpr int MaxPictureHeight = 240;

// Whether a width and height taken from outside (a firmware table, a table file, a found list)
// may be measured or drawn: 1-320 x 1-240.
inline bool IsPictureSize(int width, int height) {
    return width >= 1 && width <= MaxPictureWidth && height >= 1 && height <= MaxPictureHeight;
}

} // namespace tovallo
