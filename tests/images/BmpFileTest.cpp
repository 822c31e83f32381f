#include "images/BmpFile.h"
#include "fixtures/FirmwareBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

namespace tovallo {
namespace {

using namespace std::string_literals;

using testing::ReadWholeFile;
using testing::ScratchDir;
using testing::WriteWholeFile;

void putU16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void putU32(std::string& s, uint32_t v) {
    putU16(s, v & 0xFFFF);
    putU16(s, v >> 16);
}

// A BMP written by hand: `rows` are the pixel rows as stored (bottom row first unless the
// height is negative), each padded here to four bytes.
std::string handMadeBmp(int width, int height, int bpp, const std::vector<Rgb24>& palette,
                        const std::vector<std::string>& rows, uint32_t compression = 0) {
    std::string pixels;
    for (std::string row : rows) {
        row.resize((row.size() + 3) / 4 * 4, '\0');
        pixels += row;
    }
    const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(palette.size());
    std::string b = "BM";
    putU32(b, offset + static_cast<uint32_t>(pixels.size()));
    putU32(b, 0);
    putU32(b, offset);
    putU32(b, 40);
    putU32(b, static_cast<uint32_t>(width));
    putU32(b, static_cast<uint32_t>(height));
    putU16(b, 1);
    putU16(b, static_cast<uint32_t>(bpp));
    putU32(b, compression);
    putU32(b, static_cast<uint32_t>(pixels.size()));
    putU32(b, 2835);
    putU32(b, 2835);
    putU32(b, static_cast<uint32_t>(palette.size()));
    putU32(b, 0);
    for (Rgb24 c : palette) { // stored blue, green, red, 0
        b += static_cast<char>(BlueOf(c));
        b += static_cast<char>(GreenOf(c));
        b += static_cast<char>(RedOf(c));
        b += '\0';
    }
    return b + pixels;
}

constexpr Rgb24 Red = MakeRgb24(255, 0, 0);
constexpr Rgb24 Blue = MakeRgb24(0, 0, 255);
constexpr Rgb24 Olive = MakeRgb24(10, 20, 30);

Picture decoded(const std::string& bytes) {
    Picture p;
    std::string error;
    EXPECT_TRUE(DecodeBmp(bytes, p, error)) << error;
    return p;
}

TEST(BmpFile, ReadsEveryUncompressedDepth) {
    // 3 x 2: top row red, blue, white; bottom row white, white, olive.
    Picture expected(3, 2);
    expected.Pixels = {Red, Blue, White, White, White, Olive};
    const std::vector<Rgb24> palette = {White, Red, Blue, Olive};

    EXPECT_EQ(decoded(handMadeBmp(3, 2, 8, palette, {"\x00\x00\x03"s, "\x01\x02\x00"s})), expected);
    EXPECT_EQ(decoded(handMadeBmp(3, 2, 4, palette, {"\x00\x30"s, "\x12\x00"s})), expected);
    EXPECT_EQ(decoded(handMadeBmp(3, 2, 24, {},
                                  {"\xFF\xFF\xFF\xFF\xFF\xFF\x1E\x14\x0A"s,
                                   "\x00\x00\xFF\xFF\x00\x00\xFF\xFF\xFF"s})),
              expected);
    EXPECT_EQ(decoded(handMadeBmp(3, 2, 32, {},
                                  {"\xFF\xFF\xFF\x00\xFF\xFF\xFF\x00\x1E\x14\x0A\x00"s,
                                   "\x00\x00\xFF\x00\xFF\x00\x00\x00\xFF\xFF\xFF\x00"s})),
              expected);
    // Top-down rows (negative height).
    EXPECT_EQ(decoded(handMadeBmp(3, -2, 8, palette, {"\x01\x02\x00"s, "\x00\x00\x03"s})),
              expected);

    // 1 bit: 10 pixels wide, the first row black, white, black...
    Picture bits(10, 1);
    for (int x = 0; x < 10; ++x)
        bits.Pixels[x] = x % 2 ? White : Black;
    EXPECT_EQ(decoded(handMadeBmp(10, 1, 1, {Black, White}, {"\x55\x40"s})), bits);
}

TEST(BmpFile, CorruptFilesGiveAReasonNotACrash) {
    const std::vector<Rgb24> palette = {White, Red};
    const std::string good = handMadeBmp(3, 2, 8, palette, {"\x00\x01\x00"s, "\x01\x00\x01"s});
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    std::string rle = good;
    rle[30] = 1;
    std::string huge = good;
    putU32(huge, 0); // keep the size plausible
    huge.replace(18, 4, "\x00\x00\x01\x00"s);
    std::string badDepth = good;
    badDepth[28] = 7;
    std::string pastEnd = good;
    pastEnd.replace(10, 4, "\xFF\xFF\x00\x00"s);
    const std::vector<Case> cases = {
        {"empty", "", "not a BMP"},
        {"no magic", "PK" + good.substr(2), "not a BMP"},
        {"header cut", good.substr(0, 40), "damaged or truncated"},
        {"pixels cut", good.substr(0, good.size() - 3), "truncated"},
        {"RLE", rle, "compressed"},
        {"huge", huge, "out of range"},
        {"depth 7", badDepth, "bits per pixel"},
        {"data offset past the end", pastEnd, "truncated"},
    };
    for (const Case& c : cases) {
        Picture p(1, 1);
        std::string error;
        EXPECT_FALSE(DecodeBmp(c.bytes, p, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(p, Picture(1, 1)) << c.what << " changed the picture";
    }
    ScratchDir dir;
    Picture p;
    std::string error;
    EXPECT_FALSE(ReadBmpFile(dir.file("missing.bmp"), p, error));
    EXPECT_NE(error.find("missing.bmp"), std::string::npos);
}

TEST(BmpFile, MutatedFilesNeverCrash) {
    const std::string good = handMadeBmp(5, 3, 4, {White, Red, Blue},
                                         {"\x01\x20\x10"s, "\x12\x00\x10"s, "\x00\x00\x20"s});
    std::mt19937 rng(5);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k)
            bytes[rng() % bytes.size()] = static_cast<char>(rng());
        if (rng() % 4 == 0)
            bytes.resize(rng() % bytes.size());
        Picture p;
        std::string error;
        if (DecodeBmp(bytes, p, error)) {
            ++accepted;
            EXPECT_EQ(p.Pixels.size(), static_cast<size_t>(p.Width) * p.Height);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    EXPECT_GT(accepted, 0);
}

TEST(BmpFile, WritesAndReadsBack) {
    ScratchDir dir;
    Picture p(5, 3);
    for (size_t i = 0; i < p.Pixels.size(); ++i)
        p.Pixels[i] = MakeRgb24(static_cast<unsigned>(i * 17), 255 - static_cast<unsigned>(i), 7);
    std::string error;
    ASSERT_TRUE(WriteBmpFile(dir.file("out.bmp"), p, error)) << error;
    Picture back;
    ASSERT_TRUE(ReadBmpFile(dir.file("out.bmp"), back, error)) << error;
    EXPECT_EQ(back, p);
    EXPECT_FALSE(WriteBmpFile(dir.file("no/such/dir/out.bmp"), p, error));
    EXPECT_FALSE(error.empty());
}

bool haveTool(const char* name) {
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

std::string runOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

TEST(BmpFile, ImageMagickReadsOursAndWeReadItsFiles) {
    if (!haveTool("identify") || !haveTool("convert"))
        GTEST_SKIP() << "ImageMagick is not installed";
    ScratchDir dir;
    Picture p(7, 4, Blue);
    p.at(0, 0) = Red;
    p.at(6, 3) = Olive;
    std::string error;
    ASSERT_TRUE(WriteBmpFile(dir.file("ours.bmp"), p, error));
    EXPECT_EQ(runOutput("identify -format '%m %w %h' " + dir.file("ours.bmp")), "BMP3 7 4");
    // ImageMagick's own view of two pixels of our file.
    EXPECT_EQ(runOutput("convert " + dir.file("ours.bmp") + " -format '%[pixel:p{0,0}]' info:"),
              "srgb(255,0,0)");
    EXPECT_EQ(runOutput("convert " + dir.file("ours.bmp") + " -format '%[pixel:p{6,3}]' info:"),
              "srgb(10,20,30)");

    // Its 8-bit palette, 1-bit and 32-bit files read as the same picture.
    ASSERT_EQ(std::system(
                  ("convert " + dir.file("ours.bmp") + " -type Palette BMP3:" + dir.file("pal.bmp"))
                      .c_str()),
              0);
    Picture back;
    ASSERT_TRUE(ReadBmpFile(dir.file("pal.bmp"), back, error)) << error;
    EXPECT_EQ(back, p);
    ASSERT_EQ(std::system(("convert -size 9x3 pattern:checkerboard -monochrome BMP3:" +
                           dir.file("mono.bmp"))
                              .c_str()),
              0);
    ASSERT_TRUE(ReadBmpFile(dir.file("mono.bmp"), back, error)) << error;
    EXPECT_EQ(back.Width, 9);
    for (Rgb24 c : back.Pixels)
        EXPECT_TRUE(c == Black || c == White);
    ASSERT_EQ(std::system(("convert " + dir.file("ours.bmp") +
                           " -alpha on -define "
                           "bmp:format=bmp4 " +
                           dir.file("rgba.bmp"))
                              .c_str()),
              0);
    ASSERT_TRUE(ReadBmpFile(dir.file("rgba.bmp"), back, error)) << error;
    EXPECT_EQ(back, p);
}

} // namespace
} // namespace tovallo
