// A RAW-16 picture read from the firmware (the first two input bytes give its width and
// height, 1-320 each, as the dump's pages may be 320 rows): encoding the decoded picture gives
// back the bytes it was decoded from, the missing ones as zeros.
#include "FuzzSupport.h"

#include "images/Raw16Codec.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int width = 1 + data[0] % MaxPictureWidth, height = 1 + data[1] % MaxRaw16Rows;
    const std::string_view bytes = fuzz::AsText(data + 2, size - 2);
    const Picture picture =
        DecodeRaw16(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), width, height);
    fuzz::Require(picture.Width == width && picture.Height == height, "the size is kept");
    std::string expected(static_cast<size_t>(width) * height * 2, '\0');
    expected.replace(0, std::min(bytes.size(), expected.size()), bytes.substr(0, expected.size()));
    fuzz::Require(EncodeRaw16(picture) == expected, "decoding then encoding keeps the bytes");
    return 0;
}
