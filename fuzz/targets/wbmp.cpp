// A WBMP picture read from the firmware (the first two input bytes give its width and height):
// a picture of whole eight-row bands encodes back to the bytes it was decoded from, the missing
// ones as zeros.
#include "FuzzSupport.h"

#include "images/WbmpCodec.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int width = 1 + data[0] % MaxPictureWidth, height = 1 + data[1] % MaxPictureHeight;
    const std::string_view bytes = fuzz::AsText(data + 2, size - 2);
    const Picture picture =
        DecodeWbmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), width, height);
    fuzz::Require(picture.Width == width && picture.Height == height, "the size is kept");
    for (const Rgb24 c : picture.Pixels)
        fuzz::Require(c == Black || c == White, "pixels are black or white");
    if (height % 8 != 0)
        return 0;
    std::string expected(static_cast<size_t>(width) * height / 8, '\0');
    expected.replace(0, std::min(bytes.size(), expected.size()), bytes.substr(0, expected.size()));
    fuzz::Require(EncodeWbmp(picture) == expected, "decoding then encoding keeps the bytes");
    return 0;
}
