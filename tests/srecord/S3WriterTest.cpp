#include "SrecTestSupport.h"

#include "srecord/ExcludedSegments.h"

#include <gtest/gtest.h>

#include <set>

namespace tovallo::testing {
namespace {

// Ascending byte values 0, 1, 2, ... (mod 256).
std::string Ramp(size_t size) {
    std::string b(size, '\0');
    for (size_t i = 0; i < size; ++i)
        b[i] = static_cast<char>(i & 0xFF);
    return b;
}

// Addresses covered by the records of an S3 text, checking that each data byte is the file's
// byte at address - base.
std::set<uint32_t> CoveredAddresses(const std::string& s3, const std::string& bin, uint32_t base) {
    std::set<uint32_t> covered;
    for (const std::string& line : CrLfLines(s3)) {
        if (line.rfind("S3", 0) != 0)
            continue;
        const ParsedRecord r = ParseRecordLine(line);
        for (size_t i = 0; i < r.data.size(); ++i) {
            const uint32_t a = r.address + static_cast<uint32_t>(i);
            EXPECT_EQ(r.data[i], bin.at(a - base)) << "at address " << a;
            EXPECT_TRUE(covered.insert(a).second) << "address written twice: " << a;
        }
    }
    return covered;
}

std::set<uint32_t> Range(uint32_t from, uint32_t to) {
    std::set<uint32_t> s;
    for (uint32_t a = from; a < to; ++a)
        s.insert(a);
    return s;
}

std::set<uint32_t> Union(std::initializer_list<std::set<uint32_t>> parts) {
    std::set<uint32_t> s;
    for (const auto& p : parts)
        s.insert(p.begin(), p.end());
    return s;
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
    const std::string text = BinToS3Text(converter, bin, out, 0, 0, true);
    const std::vector<std::string> expected = {
        "S00600004844521B",
        "S31500000000000102030405060708090A0B0C0D0E0F72",
        "S3090000001010111213A0",
        "S705A002000058",
    };
    EXPECT_EQ(CrLfLines(text), expected);
    EXPECT_TRUE(dialogs.shown.empty());

    // Without the header flag only the data records are written.
    const std::string bare = BinToS3Text(converter, bin, out, 0, 0, false);
    EXPECT_EQ(CrLfLines(bare), std::vector<std::string>(expected.begin() + 1, expected.end() - 1));
}

TEST_F(S3WriterTest, WholeFileUsesStartAsBaseAndPartUsesOffsets) {
    const std::string bin = dir.file("f.bin");
    WriteWholeFile(bin, Ramp(0x200));
    auto lines = CrLfLines(BinToS3Text(converter, bin, out, 0x1000, 0, false));
    ASSERT_EQ(lines.size(), 0x20u);
    EXPECT_EQ(lines.front().substr(0, 12), "S31500001000");
    EXPECT_EQ(lines.back().substr(0, 12), "S315000011F0");

    lines = CrLfLines(BinToS3Text(converter, bin, out, 0x100, 0x120, false));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 12), "S31500000100");
    EXPECT_EQ(lines[1].substr(0, 12), "S31500000110");

    // A stop beyond the end is cut to the file size; the last record carries the rest.
    lines = CrLfLines(BinToS3Text(converter, bin, out, 0x1F8, 0x7FFFFFFF, false));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 12), "S30D000001F8");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(S3WriterTest, BadRangesGiveMessage23AndNoOutput) {
    const std::string bin = dir.file("f.bin");
    WriteWholeFile(bin, Ramp(0x40));
    struct Case {
        int32_t start, stop;
    };
    for (const Case c : {Case{0x20, 0x20}, Case{0x30, 0x20}, Case{0x40, 0x80}, Case{-16, 0x20}}) {
        dialogs.shown.clear();
        BinaryFile file = BinaryFile::Create(out);
        NullProgress progress;
        EXPECT_FALSE(converter.BinToS3(bin, file, c.start, c.stop, true, {}, progress));
        file.close();
        EXPECT_EQ(dialogs.numbers(), std::vector<int>{23}) << c.start << " " << c.stop;
        EXPECT_EQ(ReadWholeFile(out), "");
    }
    // Addresses that would run past 0xFFFFFFFF are refused instead of wrapping round.
    dialogs.shown.clear();
    EXPECT_EQ(BinToS3Text(converter, bin, out, static_cast<int32_t>(0xFFFFFFF0u), 0, true), "");
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{23});

    dialogs.shown.clear();
    EXPECT_EQ(BinToS3Text(converter, dir.file("missing.bin"), out, 0, 0, true), "");
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{19});
}

TEST_F(S3WriterTest, ExcludedRegionsAreLeftOut) {
    const std::string bin = dir.file("64k.bin");
    const std::string bytes = FirmwareBuilder(0x10000).random(0, 0x10000, 7).str();
    WriteWholeFile(bin, bytes);

    const std::vector<AddressRegion> c200 = {{0x2000, 0x3FFF}, {0x8000, 0xDFFF}};
    const std::string text = BinToS3Text(converter, bin, out, 0, 0, true, c200);
    EXPECT_EQ(CoveredAddresses(text, bytes, 0),
              Union({Range(0, 0x2000), Range(0x4000, 0x8000), Range(0xE000, 0x10000)}));
    // The record before the region ends exactly at 0x1FFF.
    const auto lines = CrLfLines(text);
    const auto before = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("S31500004000", 0) == 0;
    });
    ASSERT_NE(before, lines.begin());
    EXPECT_EQ((before - 1)->substr(0, 12), "S31500001FF0");
    EXPECT_EQ(lines.front(), "S00600004844521B");
    EXPECT_EQ(lines.back(), "S705A002000058");

    // A region over the range start moves the first record to its end + 1 (with a base, the
    // regions are in address terms).
    auto covered = CoveredAddresses(
        BinToS3Text(converter, bin, out, 0x100000, 0, false, {{0x0FFF00, 0x100017}}), bytes,
        0x100000);
    EXPECT_EQ(*covered.begin(), 0x100018u);
    EXPECT_EQ(covered.size(), 0x10000u - 0x18u);

    // Overlapping regions exclude their union.
    covered = CoveredAddresses(
        BinToS3Text(converter, bin, out, 0, 0x800, false, {{0x100, 0x2FF}, {0x200, 0x4FF}}), bytes,
        0);
    EXPECT_EQ(covered, Union({Range(0, 0x100), Range(0x500, 0x800)}));

    // A region nested in an earlier one moves the resume point back to its own end + 1.
    covered = CoveredAddresses(
        BinToS3Text(converter, bin, out, 0, 0x800, false, {{0x100, 0x4FF}, {0x200, 0x2FF}}), bytes,
        0);
    EXPECT_EQ(covered, Union({Range(0, 0x100), Range(0x300, 0x800)}));

    // Regions wholly before or after the range change nothing; one reaching past its end
    // leaves no tail.
    covered = CoveredAddresses(
        BinToS3Text(converter, bin, out, 0x100, 0x200, false, {{0x10, 0x20}, {0x1000, 0x2000}}),
        bytes, 0);
    EXPECT_EQ(covered, Range(0x100, 0x200));
    covered = CoveredAddresses(
        BinToS3Text(converter, bin, out, 0x100, 0x200, false, {{0x180, 0x5000}}), bytes, 0);
    EXPECT_EQ(covered, Range(0x100, 0x180));
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
    // A region covering the whole range leaves nothing.
    EXPECT_EQ(walk(0, 100, 0, {{0, 200}}), V{});
}

TEST_F(S3WriterTest, ProgressCoversTheRangeAndPumps) {
    const std::string bin = dir.file("big.bin");
    WriteWholeFile(bin, FirmwareBuilder(0x20000).random(0, 0x20000, 3).str());
    BinaryFile file = BinaryFile::Create(out);
    RecordingProgress progress;
    ASSERT_TRUE(converter.BinToS3(bin, file, 0, 0, true, {}, progress));
    EXPECT_EQ(progress.maximum, 0x20001);
    EXPECT_EQ(progress.pos, 0x20000);
    EXPECT_GT(progress.pumps, 0);
}

TEST_F(S3WriterTest, FailedWriteShowsMessage13OnceAndReportsFailure) {
    const std::string bin = dir.file("big.bin");
    WriteWholeFile(bin, FirmwareBuilder(0x40000).random(0, 0x40000, 3).str());
    BinaryFile full = BinaryFile::Create("/dev/full");
    if (!full.isOpen())
        GTEST_SKIP() << "/dev/full is not available";
    NullProgress progress;
    EXPECT_FALSE(converter.BinToS3(bin, full, 0, 0, true, {}, progress));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{13});
}

} // namespace
} // namespace tovallo::testing
