#include "images/Image09Decoder.h"

namespace tovallo {

namespace {

// Reads the byte stream of one picture; bytes beyond the data count as 0.
class ByteCursor {
  public:
    ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t byte() {
        if (pos_ >= size_) {
            ranPast_ = true;
            ++pos_;
            return 0;
        }
        return data_[pos_++];
    }
    uint16_t wordLe() {
        const uint8_t low = byte();
        return static_cast<uint16_t>(low | byte() << 8);
    }
    void seek(size_t pos) { pos_ = pos; }
    size_t pos() const { return pos_; }
    bool ranPast() const { return ranPast_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ranPast_ = false;
};

constexpr uint8_t KindLiteralColours = 0x00;
constexpr uint8_t KindLiteralIndices = 0x40;
constexpr uint8_t KindRepeatedColour = 0x80;
constexpr uint8_t KindRepeatedIndex = 0xC0;

} // namespace

Decoded09 DecodeImage09(const uint8_t* data, size_t size, int width, int height,
                        Decode09Mode mode) {
    Decoded09 out;
    if (!IsPictureSize(width, height)) {
        out.outcome = Decode09Outcome::BadDimension;
        return out;
    }
    out.picture = Picture(width, height);
    const bool drawing = mode == Decode09Mode::Draw;
    ByteCursor in(data, size);
    if (drawing && in.byte() != 0x09) {
        out.outcome = Decode09Outcome::NotImage09;
        return out;
    }
    in.seek(1);
    const unsigned count = in.byte();
    out.palette.reserve(count);
    for (unsigned i = 0; i < count; ++i)
        out.palette.push_back(Rgb565ToColor(in.wordLe()));

    Rgb24 colour = 0;
    // A control byte with count 0 leaves the count below zero, so its packet runs to the end.
    long remaining = 0;
    uint8_t kind = KindLiteralColours;
    // A palette index not below N stops the drawing; when only measuring, the colour stays.
    auto takeIndex = [&](uint8_t index) {
        if (index < count) {
            colour = out.palette[index];
            return true;
        }
        if (drawing)
            out.outcome = Decode09Outcome::BadPaletteIndex;
        return !drawing;
    };
    for (Rgb24& pixel : out.picture.Pixels) {
        if (remaining == 0) {
            const uint8_t control = in.byte();
            remaining = control & 0x3F;
            kind = control & 0xC0;
            if (kind == KindRepeatedColour)
                colour = Rgb565ToColor(in.wordLe());
            else if (kind == KindRepeatedIndex && !takeIndex(in.byte()))
                break;
        }
        if (kind == KindLiteralIndices && !takeIndex(in.byte()))
            break;
        if (kind == KindLiteralColours)
            colour = Rgb565ToColor(in.wordLe());
        pixel = colour;
        --remaining;
    }
    out.length = static_cast<uint32_t>(in.pos());
    out.ranPastData = in.ranPast();
    return out;
}

} // namespace tovallo
