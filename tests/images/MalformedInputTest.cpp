// Damaged input must give a clear outcome, never a crash or an out-of-bounds access (the
// sanitizer build runs these too; the fuzz targets in fuzz/ try random input).
#include "fixtures/PictureFixtures.h"
#include "images/BmpFile.h"
#include "images/Image09Decoder.h"
#include "images/PictureReader.h"
#include "images/Raw16Codec.h"
#include "images/WbmpCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

using namespace tovallo;
using namespace tovallo::testing;

TEST(MalformedInput, EveryTruncationOfABmpIsRefused) {
    const std::string good = EncodeBmp(StripedPicture(7, 5, {0x1234, 0xF800, 0x07E0}));
    Picture picture;
    std::string error;
    ASSERT_TRUE(DecodeBmp(good, picture, error)) << error;
    for (size_t cut = 0; cut < good.size(); ++cut) {
        Picture p;
        std::string e;
        EXPECT_FALSE(DecodeBmp(good.substr(0, cut), p, e)) << "cut at " << cut;
        EXPECT_FALSE(e.empty()) << "cut at " << cut;
    }
}

TEST(MalformedInput, DecodersRefuseSizesOutsideThePhoneDisplay) {
    const std::string data(64, '\x09');
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    struct Size {
        int w, h;
    };
    for (const Size s : {Size{0, 8}, Size{-8, 8}, Size{8, -1}, Size{321, 1}, Size{1, 241},
                         Size{100000, 1}, Size{INT32_MIN, 1}}) {
        const Decoded09 d = DecodeImage09(bytes, data.size(), s.w, s.h, Decode09Mode::Measure);
        EXPECT_EQ(d.outcome, Decode09Outcome::BadDimension) << s.w << "x" << s.h;
        EXPECT_TRUE(d.picture.empty());
        EXPECT_EQ(d.length, 0u);
        EXPECT_TRUE(DecodeWbmp(bytes, data.size(), s.w, s.h).empty()) << s.w << "x" << s.h;
        // RAW-16 also decodes the dump's pages of up to 320 rows.
        const bool rawPage = s.w >= 1 && s.w <= MaxPictureWidth && s.h >= 1 && s.h <= MaxRaw16Rows;
        EXPECT_EQ(DecodeRaw16(bytes, data.size(), s.w, s.h).empty(), !rawPage) << s.w << "x" << s.h;
        // Negative sides give no size rather than one wrapped round to 2^32.
        if (s.w <= 0 || s.h <= 0) {
            EXPECT_EQ(Raw16Size(s.w, s.h), 0u);
            EXPECT_EQ(WbmpSize(s.w, s.h), 0u);
        }
    }
    // The dump's 320-row RAW-16 page is still decoded.
    EXPECT_EQ(DecodeRaw16(bytes, data.size(), 176, MaxRaw16Rows).Height, MaxRaw16Rows);

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
