// An "09" picture as the viewer reads it from the firmware: the first two input bytes give the
// table's width and height, the rest are the picture's bytes. Both modes stay inside the data
// (reading beyond it only as zeros), and a picture drawn whole comes back pixel for pixel after
// encoding it again.
#include "FuzzSupport.h"

#include "images/Image09Decoder.h"
#include "images/Image09Encoder.h"

#include <bitset>

using namespace tovallo;

namespace {

// A colour no pixel has, so that encoding without transparency leaves every pixel as it is.
Rgb565 unusedColour(const Picture& picture) {
    static std::bitset<0x10000> used;
    used.reset();
    for (const Rgb24 c : picture.Pixels)
        used.set(ColorToRgb565(c));
    Rgb565 free = 0;
    while (used.test(free))
        ++free;
    return free;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int width = 1 + data[0] % MaxPictureWidth, height = 1 + data[1] % MaxPictureHeight;
    const uint8_t* bytes = data + 2;
    const size_t count = size - 2;
    const Decoded09 measured = DecodeImage09(bytes, count, width, height, Decode09Mode::Measure);
    fuzz::Require(measured.outcome == Decode09Outcome::Ok, "measuring always finishes");
    fuzz::Require(measured.length <= count || measured.ranPastData, "the length lies in the data");
    const Decoded09 drawn = DecodeImage09(bytes, count, width, height, Decode09Mode::Draw);
    fuzz::Require(drawn.picture.Width == width && drawn.picture.Height == height &&
                      drawn.picture.Pixels.size() == static_cast<size_t>(width * height),
                  "the picture has the table's size");
    if (drawn.outcome != Decode09Outcome::Ok)
        return 0;
    fuzz::Require(drawn.length == measured.length, "drawing and measuring read the same bytes");

    const std::string again = EncodeImage09(drawn.picture, 0, false, unusedColour(drawn.picture));
    const Decoded09 back = DecodeImage09(reinterpret_cast<const uint8_t*>(again.data()),
                                         again.size(), width, height, Decode09Mode::Draw);
    fuzz::Require(back.outcome == Decode09Outcome::Ok && !back.ranPastData,
                  "an encoded picture decodes");
    fuzz::Require(back.length == again.size(), "the decoder reads the whole encoding");
    fuzz::Require(back.picture == drawn.picture, "encoding then decoding keeps every pixel");
    return 0;
}
