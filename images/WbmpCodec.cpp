#include "images/WbmpCodec.h"

#include "images/ImageType.h"

namespace tovallo {

namespace {

bool isDark(Rgb24 c) {
    return 299 * RedOf(c) + 587 * GreenOf(c) + 114 * BlueOf(c) < 128 * 1000;
}

} // namespace

Picture DecodeWbmp(const uint8_t* data, size_t size, int width, int height) {
    if (!IsPictureSize(width, height))
        return Picture();
    Picture out(width, height);
    const size_t bytes = WbmpSize(width, height);
    for (size_t i = 0; i < bytes; ++i) {
        const unsigned value = i < size ? data[i] : 0;
        const int x = static_cast<int>(i % width);
        const int band = static_cast<int>(i / width);
        for (int k = 0; k < 8 && 8 * band + k < height; ++k)
            out.at(x, 8 * band + k) = (value >> k & 1) ? Black : White;
    }
    return out;
}

std::string EncodeWbmp(const Picture& picture) {
    std::string out(WbmpSize(picture.Width, picture.Height), '\0');
    for (size_t i = 0; i < out.size(); ++i) {
        const int x = static_cast<int>(i % picture.Width);
        const int band = static_cast<int>(i / picture.Width);
        unsigned value = 0;
        for (int k = 0; k < 8 && 8 * band + k < picture.Height; ++k)
            if (isDark(picture.at(x, 8 * band + k)))
                value |= 1u << k;
        out[i] = static_cast<char>(value);
    }
    return out;
}

} // namespace tovallo
