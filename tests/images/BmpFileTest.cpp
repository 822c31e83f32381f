#include "images/BmpFile.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/FirmwareBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace tovallo {
namespace {

using namespace std::string_literals;

using testing::ReadWholeFile;
using testing::ScratchDir;
using testing::WriteWholeFile;

// Appends each value as `n` little-endian bytes.
void put(std::string& s, std::initializer_list<uint32_t> values, int n) {
    for (uint32_t v : values)
        for (int i = 0; i < n; ++i)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A BMP written by hand: `rows` are the pixel rows as stored (bottom row first unless the
// height is negative), each padded here to four bytes.
std::string handMadeBmp(int width, int height, int bpp, const std::vector<Rgb24>& palette,
                        const std::vector<std::string>& rows) {
    std::string pixels;
    for (std::string row : rows) {
        row.resize((row.size() + 3) / 4 * 4, '\0');
        pixels += row;
    }
    const auto u = [](auto v) { return static_cast<uint32_t>(v); };
    const uint32_t offset = u(14 + 40 + 4 * palette.size()), size = u(pixels.size());
    std::string b = "BM";
    put(b, {offset + size, 0, offset, 40, u(width), u(height)}, 4);
    put(b, {1, u(bpp)}, 2);
    put(b, {0, size, 2835, 2835, u(palette.size()), 0}, 4);
    for (Rgb24 c : palette) // stored blue, green, red, 0
        put(b, {BlueOf(c) | GreenOf(c) << 8 | RedOf(c) << 16}, 4);
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
    auto with = [&good](size_t at, const std::string& bytes) {
        return good.substr(0, at) + bytes + good.substr(at + bytes.size());
    };
    const std::vector<Case> cases = {
        {"empty", "", "not a BMP"},
        {"no magic", with(0, "PK"), "not a BMP"},
        {"header cut", good.substr(0, 40), "damaged or truncated"},
        {"pixels cut", good.substr(0, good.size() - 3), "truncated"},
        {"RLE", with(30, "\x01"s), "compressed"},
        {"huge", with(18, "\x00\x00\x01\x00"s) + "\0\0\0\0"s, "out of range"},
        {"depth 7", with(28, "\x07"s), "bits per pixel"},
        {"data offset past the end", with(10, "\xFF\xFF\x00\x00"s), "truncated"},
    };
    for (const Case& c : cases) {
        Picture p(1, 1);
        std::string error;
        EXPECT_FALSE(DecodeBmp(c.bytes, p, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(p, Picture(1, 1)) << c.what << " changed the picture";
    }
    // Every truncation of a good file is refused with a reason.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        Picture p;
        std::string error;
        EXPECT_FALSE(DecodeBmp(good.substr(0, cut), p, error) || error.empty()) << cut;
    }
    ScratchDir dir;
    Picture p;
    std::string error;
    EXPECT_FALSE(ReadBmpFile(dir.file("missing.bmp"), p, error));
    EXPECT_NE(error.find("missing.bmp"), std::string::npos);
    error.clear();
    EXPECT_FALSE(WriteBmpFile(dir.file("no/such/dir/out.bmp"), Picture(2, 2), error));
    EXPECT_FALSE(error.empty());
    // A write that fails half way leaves the earlier file as it was.
    WriteWholeFile(dir.file("old.bmp"), "earlier");
    {
        testing::FileSizeLimit limit(100);
        EXPECT_FALSE(WriteBmpFile(dir.file("old.bmp"), Picture(64, 64), error));
    }
    EXPECT_EQ(ReadWholeFile(dir.file("old.bmp")), "earlier");
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
    const std::string ours = dir.file("ours.bmp");
    Picture p(7, 4, Blue);
    p.at(0, 0) = Red;
    p.at(6, 3) = Olive;
    std::string error;
    ASSERT_TRUE(WriteBmpFile(ours, p, error));
    EXPECT_EQ(runOutput("identify -format '%m %w %h' " + ours), "BMP3 7 4");
    // ImageMagick's own view of two pixels of our file.
    auto pixel = [&](const std::string& at) {
        return runOutput("convert " + ours + " -format '%[pixel:p{" + at + "}]' info:");
    };
    EXPECT_EQ(pixel("0,0"), "srgb(255,0,0)");
    EXPECT_EQ(pixel("6,3"), "srgb(10,20,30)");

    // Its 8-bit palette, 1-bit and 32-bit files read as the same picture.
    auto convert = [&](const std::string& args, const std::string& format, const char* name) {
        const std::string path = dir.file(name);
        EXPECT_EQ(std::system(("convert " + args + " " + format + path).c_str()), 0) << args;
        Picture back;
        EXPECT_TRUE(ReadBmpFile(path, back, error)) << error;
        return back;
    };
    EXPECT_EQ(convert(ours + " -type Palette", "BMP3:", "pal.bmp"), p);
    EXPECT_EQ(convert(ours + " -alpha on -define bmp:format=bmp4", "", "rgba.bmp"), p);
    const Picture mono = convert("-size 9x3 pattern:checkerboard -monochrome", "BMP3:", "mono.bmp");
    EXPECT_EQ(mono.Width, 9);
    for (Rgb24 c : mono.Pixels)
        EXPECT_TRUE(c == Black || c == White);
}

} // namespace
} // namespace tovallo
