#include "images/Picture.h"

#include <algorithm>

namespace tovallo {

Picture Picture::cropped(int width, int height) const {
    width = std::clamp(width, 0, Width);
    height = std::clamp(height, 0, Height);
    Picture out(width, height);
    for (int y = 0; y < height; ++y)
        std::copy_n(Pixels.begin() + static_cast<ptrdiff_t>(y) * Width, width,
                    out.Pixels.begin() + static_cast<ptrdiff_t>(y) * width);
    return out;
}

} // namespace tovallo
