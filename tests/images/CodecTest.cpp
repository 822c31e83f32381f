#include "fixtures/FirmwareBuilder.h"
#include "fixtures/PictureFixtures.h"
#include "images/Image09Decoder.h"
#include "images/Image09Encoder.h"
#include "images/PictureReader.h"
#include "images/Raw16Codec.h"
#include "images/WbmpCodec.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace tovallo {
namespace {

using testing::HexBytes;

constexpr Rgb24 Red = MakeRgb24(255, 0, 0);
constexpr Rgb24 Green = MakeRgb24(0, 255, 0);
constexpr Rgb565 C200Transparent = ColorToRgb565(0x080000);

std::string encode(const Picture& p) {
    return EncodeImage09(p, 0, false, C200Transparent);
}

const uint8_t* u8(const std::string& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.data());
}

Decoded09 decode(const std::string& bytes, int w, int h, Decode09Mode mode = Decode09Mode::Draw) {
    return DecodeImage09(u8(bytes), bytes.size(), w, h, mode);
}

Picture rowOf(std::initializer_list<Rgb24> colours) {
    Picture p(static_cast<int>(colours.size()), 1);
    std::copy(colours.begin(), colours.end(), p.Pixels.begin());
    return p;
}

// A picture of `colourCount` distinct Rgb565 colours (as decoders give them back), in runs.
Picture randomPicture(int w, int h, int colourCount, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Rgb24> colours;
    for (int i = 0; i < colourCount; ++i)
        colours.push_back(Rgb565ToColor(static_cast<Rgb565>(i * 257 + 3)));
    Picture p(w, h);
    for (size_t i = 0; i < p.Pixels.size();) {
        const Rgb24 c = colours[rng() % colours.size()];
        for (size_t run = 1 + rng() % 4; run > 0 && i < p.Pixels.size(); --run)
            p.Pixels[i++] = c;
    }
    return p;
}

TEST(Colour, ConversionsScaleAndDropLowBits) {
    // Channels scale to 0-255 with truncation: one step of red, two of green, one of blue.
    EXPECT_EQ(Rgb565ToColor(0x0841), MakeRgb24(8, 8, 8));
    EXPECT_EQ(Rgb565ToColor(0xFFFF), White);
    EXPECT_EQ(ColorToRgb565(0x080000), 0x0001); // C200's transparent colour: blue 8
    // Red 200 becomes 25 in five bits and 205 back.
    EXPECT_EQ(RedOf(Rgb565ToColor(ColorToRgb565(MakeRgb24(200, 0, 0)))), 205u);
}

TEST(Image09, WorkedExamplesAndPacketRules) {
    Picture square(2, 2);
    square.Pixels = {Red, Red, Green, Red};
    const std::string bytes = encode(square);
    EXPECT_EQ(bytes, HexBytes("09 02 00 F8 E0 07 C2 00 42 01 00"));
    const Decoded09 d = decode(bytes, 2, 2);
    EXPECT_EQ(d.outcome, Decode09Outcome::Ok);
    EXPECT_EQ(d.length, 11u);
    EXPECT_EQ(d.picture, square);
    EXPECT_EQ(d.palette, (std::vector<Rgb24>{Red, Green}));

    // 64 equal pixels: a run of 63, then the last pixel alone as a literal index packet.
    EXPECT_EQ(encode(Picture(64, 1, Red)), HexBytes("09 01 00 F8 FF 00 41 00"));
    // Three different pixels then two equal ones: the literal packet gives back its last pixel
    // only when it would otherwise swallow the first of a pair.
    const Rgb24 a = Rgb565ToColor(0x1111), b = Rgb565ToColor(0x2222), c = Rgb565ToColor(0x3333);
    const std::string abcdd = encode(rowOf({a, b, c, Red, Red}));
    EXPECT_EQ(abcdd.substr(2 + 2 * 4), HexBytes("43 01 02 03 C2 00"));
    // A picture ending on a literal run takes its last pixel into the literal packet.
    EXPECT_EQ(encode(rowOf({Red, Green, Red})).substr(6), HexBytes("43 00 01 00"));
    // A literal packet stops at 63 pixels.
    Picture alternating(130, 1);
    for (int x = 0; x < 130; ++x)
        alternating.Pixels[x] = x % 2 ? Red : Green;
    const std::string alt = encode(alternating);
    EXPECT_EQ(static_cast<uint8_t>(alt[6]), 0x40 + 63);
    EXPECT_EQ(static_cast<uint8_t>(alt[6 + 64]), 0x40 + 63);
    EXPECT_EQ(static_cast<uint8_t>(alt[6 + 128]), 0x40 + 4);
    EXPECT_EQ(alt.size(), 6u + 64 + 64 + 5);
}

TEST(Image09, ColoursBeyondThePaletteAreWrittenAsWords) {
    // 130 colours: the three used once, written last in tally order, land past index 126.
    Picture p(254, 1);
    for (int i = 0; i < 127; ++i)
        p.Pixels[2 * i] = p.Pixels[2 * i + 1] = Rgb565ToColor(static_cast<Rgb565>(0x100 + i));
    p.Pixels.resize(254);
    p.Width = 257;
    for (int i = 0; i < 3; ++i)
        p.Pixels.push_back(Rgb565ToColor(static_cast<Rgb565>(0x900 + i)));
    const std::string bytes = encode(p);
    EXPECT_EQ(static_cast<uint8_t>(bytes[1]), 127);
    const std::string tail = bytes.substr(2 + 254 + 127 * 2);
    EXPECT_EQ(tail, HexBytes("03 00 09 01 09 02 09"));
    // A repeated colour beyond the palette uses the 0x80 packet.
    Picture q = p;
    q.Pixels.back() = q.Pixels[q.Pixels.size() - 2];
    EXPECT_EQ(encode(q).substr(2 + 254 + 127 * 2), HexBytes("01 00 09 82 01 09"));
}

TEST(Image09, TransparencyRules) {
    const Rgb24 key = MakeRgb24(0, 255, 0);
    const Rgb24 alreadyTransparent = Rgb565ToColor(C200Transparent);
    const Picture p = rowOf({key, alreadyTransparent, Red});
    // On: the key colour becomes the phone's transparent colour, which stays as it is.
    EXPECT_EQ(EncodeImage09(p, ColorToRgb565(key), true, C200Transparent),
              HexBytes("09 02 01 00 00 F8 C2 00 41 01"));
    // Off: the transparent colour is written as that colour plus one.
    EXPECT_EQ(EncodeImage09(p, ColorToRgb565(key), false, C200Transparent),
              HexBytes("09 03 E0 07 02 00 00 F8 43 00 01 02"));
    // The colour plus one wraps in 16 bits.
    EXPECT_EQ(EncodeImage09(rowOf({White}), 0, false, 0xFFFF), HexBytes("09 01 00 00 41 00"));
}

TEST(Image09, DecoderEdgeCases) {
    // Count 0: the literal-index packet runs on to the end of the picture.
    const Decoded09 zero = decode(HexBytes("09 02 00 F8 E0 07 40 00 01 01 00"), 4, 1);
    EXPECT_EQ(zero.picture, rowOf({Red, Green, Green, Red}));
    EXPECT_EQ(zero.length, 11u);

    // A palette index beyond the palette: drawing stops there, measuring keeps the colour.
    const std::string bad = HexBytes("09 01 00 F8 C1 00 C1 05 C1 00");
    const Decoded09 drawn = decode(bad, 3, 1);
    EXPECT_EQ(drawn.outcome, Decode09Outcome::BadPaletteIndex);
    EXPECT_EQ(drawn.length, 8u);
    EXPECT_EQ(drawn.picture, rowOf({Red, White, White}));
    const Decoded09 measured = decode(bad, 3, 1, Decode09Mode::Measure);
    EXPECT_EQ(measured.outcome, Decode09Outcome::Ok);
    EXPECT_EQ(measured.length, 10u);
    EXPECT_EQ(measured.picture, rowOf({Red, Red, Red}));
    const Decoded09 literal = decode(HexBytes("09 01 00 F8 42 00 07"), 2, 1);
    EXPECT_EQ(literal.outcome, Decode09Outcome::BadPaletteIndex);
    EXPECT_EQ(literal.length, 7u);

    // The signature is checked only when drawing.
    const std::string unsigned09 = HexBytes("07 01 00 F8 C2 00");
    EXPECT_EQ(decode(unsigned09, 2, 1).outcome, Decode09Outcome::NotImage09);
    EXPECT_EQ(decode(unsigned09, 2, 1, Decode09Mode::Measure).length, 6u);

    // Missing bytes read as 0 and are flagged.
    const Decoded09 cut = decode(HexBytes("09 01 00 F8 81"), 1, 1);
    EXPECT_TRUE(cut.ranPastData);
    EXPECT_EQ(cut.picture.Pixels[0], Black);
}

TEST(Image09, RoundTripsAndMatchesTheLiteralEncoder) {
    // Up to 127 colours, then colours past the palette; many ties in the use counts.
    struct Case {
        int w, h, colours;
    };
    uint32_t seed = 1;
    for (const Case c :
         {Case{1, 1, 1}, Case{7, 5, 3}, Case{128, 160, 127}, Case{320, 240, 127}, Case{320, 240, 2},
          Case{38, 23, 40}, Case{39, 23, 300}, Case{49, 23, 300}}) {
        const Picture p = randomPicture(c.w, c.h, c.colours, ++seed);
        const std::string bytes = encode(p);
        const Decoded09 d = decode(bytes, c.w, c.h);
        EXPECT_EQ(d.outcome, Decode09Outcome::Ok);
        EXPECT_EQ(d.length, bytes.size()) << c.w << "x" << c.h;
        EXPECT_EQ(d.picture, p) << c.w << "x" << c.h;
        // Both transparency modes against the reference.
        const Rgb565 key = ColorToRgb565(p.Pixels[seed % p.Pixels.size()]);
        for (bool transparent : {false, true})
            EXPECT_EQ(EncodeImage09(p, key, transparent, C200Transparent),
                      testing::LiteralEncodeImage09(p, key, transparent, C200Transparent))
                << c.w << "x" << c.h << " " << transparent;
    }
}

TEST(Raw16, BigEndianPixels) {
    const Picture p = rowOf({Red, MakeRgb24(0, 0, 255), Rgb565ToColor(0x1234)});
    const std::string bytes = EncodeRaw16(p);
    EXPECT_EQ(bytes, HexBytes("F8 00 00 1F 12 34"));
    EXPECT_EQ(DecodeRaw16(u8(bytes), bytes.size(), 3, 1), p);
    // A short buffer reads as black, not beyond its end.
    EXPECT_EQ(DecodeRaw16(u8(bytes), 2, 2, 1), rowOf({Red, Black}));
}

TEST(Wbmp, BandsOfEightRows) {
    // 2 x 8: byte 0 is column 0, byte 1 column 1; bit k is row k.
    Picture p(2, 8, White);
    p.at(0, 0) = p.at(0, 7) = Black;
    p.at(1, 3) = MakeRgb24(100, 100, 100); // darker than mid-grey
    p.at(1, 4) = MakeRgb24(200, 200, 200);
    const std::string bytes = EncodeWbmp(p);
    EXPECT_EQ(bytes, HexBytes("81 08"));
    Picture expected(2, 8, White);
    expected.at(0, 0) = expected.at(0, 7) = expected.at(1, 3) = Black;
    EXPECT_EQ(DecodeWbmp(u8(bytes), 2, 2, 8), expected);

    // Round trip of a two-band picture.
    const Picture checkered = testing::CheckeredWbmpPicture(24, 16);
    const std::string two = EncodeWbmp(checkered);
    EXPECT_EQ(DecodeWbmp(u8(two), two.size(), 24, 16), checkered);
}

TEST(MalformedInput, DecodersRefuseSizesOutsideThePhoneDisplay) {
    const std::string data(64, '\x09');
    for (const auto& [w, h] : std::initializer_list<std::pair<int, int>>{
             {0, 8}, {-8, 8}, {8, -1}, {321, 1}, {1, 241}, {100000, 1}, {INT32_MIN, 1}}) {
        const Decoded09 d = decode(data, w, h, Decode09Mode::Measure);
        EXPECT_EQ(d.outcome, Decode09Outcome::BadDimension) << w << "x" << h;
        EXPECT_TRUE(d.picture.empty());
        EXPECT_EQ(d.length, 0u);
        EXPECT_TRUE(DecodeWbmp(u8(data), data.size(), w, h).empty()) << w << "x" << h;
        // RAW-16 also decodes the dump's pages of up to 320 rows.
        const bool rawPage = w >= 1 && w <= MaxPictureWidth && h >= 1 && h <= MaxRaw16Rows;
        EXPECT_EQ(DecodeRaw16(u8(data), data.size(), w, h).empty(), !rawPage) << w << "x" << h;
        // Negative sides give no size rather than one wrapped round to 2^32.
        if (w <= 0 || h <= 0) {
            EXPECT_EQ(Raw16Size(w, h) + WbmpSize(w, h), 0u);
        }
    }
    EXPECT_EQ(DecodeRaw16(u8(data), data.size(), 176, MaxRaw16Rows).Height, MaxRaw16Rows);

    // Nothing is read for a picture that cannot be drawn.
    size_t reads = 0;
    const ByteReader read = [&](uint64_t, size_t count, uint8_t* buffer) {
        ++reads;
        std::fill_n(buffer, count, 0x09);
        return count;
    };
    Decode09Outcome outcome = Decode09Outcome::Ok;
    CurrentPicture current;
    current.Width = 400;
    current.Type = ImageType::Image09;
    EXPECT_FALSE(RenderCurrentPicture(read, current, &outcome));
    EXPECT_EQ(outcome, Decode09Outcome::BadDimension);
    EXPECT_EQ(DecodeImage09At(read, 0, 100000, 1, Decode09Mode::Draw).outcome,
              Decode09Outcome::BadDimension);
    EXPECT_EQ(reads, 0u);
}

} // namespace
} // namespace tovallo
