#include "images/Raw16Codec.h"

namespace tovallo {

Picture DecodeRaw16(const uint8_t* data, size_t size, int width, int height) {
    if (width < 1 || width > MaxPictureWidth || height < 1 || height > MaxRaw16Rows)
        return Picture();
    Picture out(width, height);
    auto byteAt = [&](size_t i) -> unsigned { return i < size ? data[i] : 0; };
    for (size_t i = 0; i < out.Pixels.size(); ++i)
        out.Pixels[i] = Rgb565ToColor(static_cast<Rgb565>(byteAt(2 * i) << 8 | byteAt(2 * i + 1)));
    return out;
}

std::string EncodeRaw16(const Picture& picture) {
    std::string out;
    out.reserve(picture.Pixels.size() * 2);
    for (Rgb24 p : picture.Pixels) {
        const Rgb565 c = ColorToRgb565(p);
        out += static_cast<char>(c >> 8);
        out += static_cast<char>(c & 0xFF);
    }
    return out;
}

} // namespace tovallo
