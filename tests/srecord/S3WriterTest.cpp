#include "SrecTestSupport.h"

#include "fixtures/FileSizeLimit.h"
#include "srecord/ExcludedSegments.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace tovallo::testing {
namespace {

// Ascending byte values 0, 1, 2, ... (mod 256).
std::string Ramp(size_t size) {
    std::string b(size, '\0');
    for (size_t i = 0; i < size; ++i)
        b[i] = static_cast<char>(i & 0xFF);
    return b;
}

class S3WriterTest : public ::testing::Test {
  protected:
    ScratchDir dir;
    ScriptedDialogs dialogs;
    S3Converter converter{dialogs, std::chrono::milliseconds(0)};
    std::string out = dir.file("out.s3");
};

TEST_F(S3WriterTest, TwentyByteFileGivesHeaderTwoRecordsAndEndRecord) {
    const std::string bin = dir.file("20.bin");
    WriteWholeFile(bin, Ramp(20));
    const std::vector<std::string> expected = {
        "S00600004844521B",
        "S31500000000000102030405060708090A0B0C0D0E0F72",
        "S3090000001010111213A0",
        "S705A002000058",
    };
    EXPECT_EQ(CrLfLines(BinToS3Text(converter, bin, out, 0, 0, true)), expected);
    // Without the header flag only the data records are written.
    EXPECT_EQ(CrLfLines(BinToS3Text(converter, bin, out, 0, 0, false)),
              std::vector<std::string>(expected.begin() + 1, expected.end() - 1));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(S3WriterTest, RangeRules) {
    const std::string bin = dir.file("f.bin");
    WriteWholeFile(bin, Ramp(0x200));
    // A stop beyond the end is cut to the file size; the last record carries the rest.
    EXPECT_EQ(CrLfLines(BinToS3Text(converter, bin, out, 0x1F8, 0x7FFFFFFF, false)),
              std::vector<std::string>{"S30D000001F8F8F9FAFBFCFDFEFF1D"});
    EXPECT_TRUE(dialogs.shown.empty());

    struct Case {
        int32_t start, stop;
    };
    // Empty, reversed, beyond the file, before the file, and addresses that would run past
    // 0xFFFFFFFF instead of wrapping round.
    for (const Case c : {Case{0x20, 0x20}, Case{0x30, 0x20}, Case{0x200, 0x280}, Case{-16, 0x20},
                         Case{static_cast<int32_t>(0xFFFFFFF0u), 0}}) {
        dialogs.shown.clear();
        OutputFile file = OutputFile::Create(out);
        NullProgress progress;
        EXPECT_FALSE(converter.BinToS3(bin, file, c.start, c.stop, true, {}, progress));
        file.commit();
        EXPECT_EQ(dialogs.numbers(), std::vector<int>{23}) << c.start << " " << c.stop;
        EXPECT_EQ(ReadWholeFile(out), "");
    }
    dialogs.shown.clear();
    EXPECT_EQ(BinToS3Text(converter, dir.file("missing.bin"), out, 0, 0, true), "");
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{19});
}

TEST_F(S3WriterTest, ExcludedRegionsAreLeftOut) {
    const std::string bin = dir.file("64k.bin");
    const std::string bytes = FirmwareBuilder(0x10000).random(0, 0x10000, 7).str();
    WriteWholeFile(bin, bytes);
    // The records' data placed into a file of zeros.
    auto placed = [&](const std::string& s3, uint32_t base) {
        std::string image(bytes.size(), '\0');
        ApplyS3(s3, image, base);
        return image;
    };

    const std::string text =
        BinToS3Text(converter, bin, out, 0, 0, true, {{0x2000, 0x3FFF}, {0x8000, 0xDFFF}});
    EXPECT_EQ(placed(text, 0), Zeroed(bytes, {{0x2000, 0x4000}, {0x8000, 0xE000}}));
    // The record before the region ends exactly at 0x1FFF.
    EXPECT_TRUE(std::regex_search(text, std::regex("\nS31500001FF0[0-9A-F]{34}\r\nS31500004000")));

    // With a base the regions are in address terms: one over the range start moves the first
    // record to its end + 1.
    const std::string based =
        BinToS3Text(converter, bin, out, 0x100000, 0, false, {{0x0FFF00, 0x100017}});
    EXPECT_EQ(based.substr(0, 12), "S31500100018");
    EXPECT_EQ(placed(based, 0x100000), Zeroed(bytes, {{0, 0x18}}));
    // A region reaching past the end of a part leaves no tail.
    EXPECT_EQ(placed(BinToS3Text(converter, bin, out, 0x100, 0x200, false, {{0x180, 0x5000}}), 0),
              Zeroed(bytes, {{0, 0x100}, {0x180, 0x10000}}));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(ExcludedSegments, WalkFollowsTheResumeRule) {
    using V = std::vector<std::pair<int64_t, int64_t>>;
    auto walk = [](int64_t from, int64_t end, uint32_t base,
                   const std::vector<AddressRegion>& regions) {
        V out;
        for (const ByteSegment& s : SegmentsOutsideRegions(from, end, base, regions))
            out.emplace_back(s.from, s.to);
        return out;
    };
    EXPECT_EQ(walk(0, 100, 0, {}), (V{{0, 100}}));
    EXPECT_EQ(walk(0, 100, 0, {{10, 19}, {50, 59}}), (V{{0, 10}, {20, 50}, {60, 100}}));
    // A one-byte region and a region ending on the last byte.
    EXPECT_EQ(walk(0, 100, 0, {{10, 10}, {90, 99}}), (V{{0, 10}, {11, 90}}));
    // The first region beyond the range ends the walk.
    EXPECT_EQ(walk(0, 100, 0, {{10, 19}, {200, 300}, {30, 40}}), (V{{0, 10}, {20, 100}}));
    // With a base, regions are addresses.
    EXPECT_EQ(walk(0, 100, 1000, {{1010, 1019}}), (V{{0, 10}, {20, 100}}));
    // Overlapping regions exclude their union; a nested one moves the resume point back.
    EXPECT_EQ(walk(0, 100, 0, {{10, 29}, {20, 49}}), (V{{0, 10}, {50, 100}}));
    EXPECT_EQ(walk(0, 100, 0, {{10, 49}, {20, 29}}), (V{{0, 10}, {30, 100}}));
    // Regions wholly before or after a part change nothing; one covering it leaves nothing.
    EXPECT_EQ(walk(10, 20, 0, {{1, 2}, {100, 200}}), (V{{10, 20}}));
    EXPECT_EQ(walk(0, 100, 0, {{0, 200}}), V{});
}

TEST_F(S3WriterTest, ProgressCoversTheRangeAndAFailedWriteShowsMessage13Once) {
    const std::string bin = dir.file("big.bin");
    WriteWholeFile(bin, FirmwareBuilder(0x40000).random(0, 0x40000, 3).str());
    OutputFile file = OutputFile::Create(out);
    RecordingProgress progress;
    ASSERT_TRUE(converter.BinToS3(bin, file, 0, 0, true, {}, progress));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(progress.maximum, 0x40001);
    EXPECT_EQ(progress.pos, 0x40000);
    EXPECT_GT(progress.pumps, 0);

    // A disk that fills up: message 13 once, and the earlier output stays as it was.
    const std::string earlier = ReadWholeFile(out);
    {
        FileSizeLimit limit(0x10000);
        OutputFile full = OutputFile::Create(out);
        EXPECT_FALSE(converter.BinToS3(bin, full, 0, 0, true, {}, progress));
        EXPECT_FALSE(full.commit());
    }
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{13});
    EXPECT_EQ(ReadWholeFile(out), earlier);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

} // namespace
} // namespace tovallo::testing
