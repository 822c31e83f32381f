#include "SrecTestSupport.h"

#include "srecord/S3Record.h"

#include <gtest/gtest.h>

namespace tovallo::testing {
namespace {

// A record line with a correct checksum (without line end).
std::string Record(uint32_t address, const std::string& data) {
    char text[S3MaxRecordText];
    const size_t n =
        FormatS3Record(address, reinterpret_cast<const uint8_t*>(data.data()), data.size(), text);
    return std::string(text, n - 2);
}

std::string Bytes(size_t n, char first) {
    std::string b(n, '\0');
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<char>(first + static_cast<char>(i));
    return b;
}

class S3ReaderTest : public ::testing::Test {
  protected:
    // Converts `s3` text; returns the BIN file's bytes.
    std::string convert(const std::string& s3, bool placeAtAddress, bool quiet = false) {
        WriteWholeFile(in, s3);
        NullProgress progress;
        result = converter.S3ToBin(in, out, placeAtAddress, quiet, progress);
        return ReadWholeFile(out);
    }
    std::vector<std::string> appended(int message) const {
        std::vector<std::string> out;
        for (const auto& s : dialogs.shown)
            if (s.message == message)
                out.push_back(s.text);
        return out;
    }

    ScratchDir dir;
    ScriptedDialogs dialogs;
    S3Converter converter{dialogs, std::chrono::milliseconds(0)};
    std::string in = dir.file("in.s3");
    std::string out = dir.file("out.bin");
    bool result = false;
};

TEST_F(S3ReaderTest, NonRecordLinesAreIgnoredWithTheirZeroBasedIndex) {
    const std::string a = Bytes(16, 'A'), b = Bytes(4, 'a');
    const std::string s3 =
        "S00600004844521B\r\n" + Record(0, a) + "\r\n" + Record(0x10, b) + "\r\nS705A002000058\r\n";
    EXPECT_EQ(convert(s3, true), a + b);
    EXPECT_TRUE(result);
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{20, 20}));
    EXPECT_EQ(appended(20), (std::vector<std::string>{"0", "3"}));

    dialogs.shown.clear();
    EXPECT_EQ(convert(s3, true, true), a + b);
    EXPECT_TRUE(dialogs.shown.empty());
    // Lower-case "s3" is no record.
    dialogs.shown.clear();
    std::string lower = Record(0, a);
    lower[0] = 's';
    EXPECT_EQ(convert(lower + "\r\n", true), "");
    EXPECT_EQ(appended(20), std::vector<std::string>{"0"});
}

TEST_F(S3ReaderTest, ChecksumMismatchDropsTheRecordEvenWhenQuiet) {
    const std::string a = Bytes(16, 'A'), b = Bytes(16, 'Q'), c = Bytes(16, 'a');
    std::string bad = Record(0x10, b);
    const int sum = std::stoi(bad.substr(bad.size() - 2), nullptr, 16);
    char fixed[3];
    std::snprintf(fixed, sizeof fixed, "%02X", (sum + 1) & 0xFF);
    bad.replace(bad.size() - 2, 2, fixed);
    const std::string s3 = Record(0, a) + "\r\n" + bad + "\r\n" + Record(0x20, c) + "\r\n";

    // Placed at their addresses the following record keeps its place; the gap reads as zero.
    EXPECT_EQ(convert(s3, true, true), a + std::string(16, '\0') + c);
    EXPECT_TRUE(result);
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{21});
    EXPECT_EQ(appended(21), std::vector<std::string>{"1"});

    dialogs.shown.clear();
    EXPECT_EQ(convert(s3, false, true), a + c);
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{21});
}

TEST_F(S3ReaderTest, PlaceAtAddressFillsGapsAndPackedModeDoesNot) {
    const std::string a = Bytes(16, 'A'), b = Bytes(16, 'a');
    const std::string s3 = Record(0, a) + "\r\n" + Record(0x100, b) + "\r\n";
    const std::string placed = convert(s3, true);
    ASSERT_EQ(placed.size(), 0x110u);
    EXPECT_EQ(placed.substr(0, 16), a);
    EXPECT_EQ(placed.substr(0x10, 0xF0), std::string(0xF0, '\0'));
    EXPECT_EQ(placed.substr(0x100), b);
    EXPECT_EQ(convert(s3, false), a + b);

    // Records out of order and at the same address: the later record wins at its own address.
    const std::string s = Bytes(8, 's'), t = Bytes(8, '0');
    const std::string reordered = Record(0x20, a) + "\r\n" + Record(0x8, s) + "\r\n" +
                                  Record(0x8, t) + "\r\n" + Record(0x30, b) + "\r\n";
    const std::string got = convert(reordered, true);
    ASSERT_EQ(got.size(), 0x40u);
    EXPECT_EQ(got.substr(0, 8), std::string(8, '\0'));
    EXPECT_EQ(got.substr(8, 8), t);
    EXPECT_EQ(got.substr(0x20, 16), a);
    EXPECT_EQ(got.substr(0x30, 16), b);
}

TEST_F(S3ReaderTest, BlankLineEndsConversionOnlyWithCrLfEnds) {
    const std::string a = Bytes(16, 'A'), b = Bytes(16, 'a');
    EXPECT_EQ(convert(Record(0, a) + "\r\n\r\n" + Record(0x10, b) + "\r\n", false), a);
    EXPECT_EQ(convert(Record(0, a) + "\n\n" + Record(0x10, b) + "\n", false), a + b);
    // CR-only ends, LF CR pairs and a last line without terminator.
    EXPECT_EQ(convert(Record(0, a) + "\r" + Record(0x10, b), false), a + b);
    EXPECT_EQ(convert(Record(0, a) + "\n\r" + Record(0x10, b) + "\n\r", false), a + b);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(S3ReaderTest, OddCountsAreDroppedLikeChecksumErrors) {
    const std::string a = Bytes(16, 'A');
    // Count 04 (no room for the checksum) and count 26 (33 data bytes).
    const std::string small = "S30400000000FB";
    const std::string large = "S326" + std::string(8, '0') + std::string(66, '1') + "00";
    EXPECT_EQ(convert(small + "\r\n" + large + "\r\n" + Record(0, a) + "\r\n", true), a);
    EXPECT_TRUE(result);
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{21, 21}));
    EXPECT_EQ(appended(21), (std::vector<std::string>{"0", "1"}));

    // Count 05: a record without data is accepted and writes nothing.
    dialogs.shown.clear();
    EXPECT_EQ(convert(Record(0x10, "") + "\r\n" + Record(0, a) + "\r\n", true), a);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(S3ReaderTest, MalformedRecordsStopTheConversionWithAClearMessage) {
    const std::string a = Bytes(16, 'A');
    std::string nonHex = Record(0x10, a);
    nonHex[20] = 'G';
    const std::string truncated = Record(0x10, a).substr(0, 30);
    const std::string badCount = "S3Z5";
    for (const std::string& bad : {nonHex, truncated, badCount}) {
        dialogs.shown.clear();
        // What came before the bad line stays in the output; nothing after it is read.
        EXPECT_EQ(convert(Record(0, a) + "\r\n" + bad + "\r\n" + Record(0x20, a) + "\r\n", true), a)
            << bad;
        EXPECT_FALSE(result);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, 't');
        EXPECT_NE(dialogs.shown[0].text.find("Line 1 "), std::string::npos)
            << dialogs.shown[0].text;
    }
}

TEST_F(S3ReaderTest, HighAddressesAreNotPlacedButStillPacked) {
    const std::string a = Bytes(16, 'A'), b = Bytes(16, 'a');
    const std::string s3 =
        Record(0, a) + "\r\n" + Record(0x80000000u, b) + "\r\n" + Record(0xF0, a) + "\r\n";
    const std::string placed = convert(s3, true);
    EXPECT_TRUE(result);
    EXPECT_EQ(placed.size(), 0x100u);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("0x80000000"), std::string::npos);

    dialogs.shown.clear();
    EXPECT_EQ(convert(s3, false), a + b + a);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(S3ReaderTest, HugeLinesAreConsumedWithoutHoldingThem) {
    const std::string a = Bytes(16, 'A');
    // 8 MiB of text without a line end, then a record.
    const std::string junk(8 << 20, 'x');
    EXPECT_EQ(convert(junk + "\n" + Record(0, a) + "\n", true), a);
    EXPECT_TRUE(result);
    EXPECT_EQ(appended(20), std::vector<std::string>{"0"});
    // A record followed by megabytes of digits: characters beyond its count are not read.
    dialogs.shown.clear();
    EXPECT_EQ(convert(Record(0, a) + std::string(4 << 20, '0') + "\n", true), a);
    EXPECT_TRUE(dialogs.shown.empty());
    // A huge file without any line end is one ignored line.
    dialogs.shown.clear();
    EXPECT_EQ(convert(junk, true), "");
    EXPECT_EQ(appended(20), std::vector<std::string>{"0"});
}

TEST_F(S3ReaderTest, MissingInputGivesMessage19AndProgressCoversTheFile) {
    NullProgress none;
    EXPECT_FALSE(converter.S3ToBin(dir.file("none.s3"), out, true, false, none));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{19});

    std::string s3;
    for (uint32_t i = 0; i < 4096; ++i)
        s3 += Record(i * 16, Bytes(16, 'A')) + "\r\n";
    WriteWholeFile(in, s3);
    RecordingProgress progress;
    EXPECT_TRUE(converter.S3ToBin(in, out, true, false, progress));
    EXPECT_EQ(progress.maximum, static_cast<int>(s3.size()));
    // Advanced by the line lengths, terminators not counted.
    EXPECT_EQ(progress.pos, static_cast<int>(s3.size() - 2 * 4096));
    EXPECT_GT(progress.pumps, 0);
}

TEST_F(S3ReaderTest, ReadTextLineSplitsAtCrLfAndKeepsLongLinesShort) {
    WriteWholeFile(in, "ab\r\ncd\n\nef\r\r\ngh\n\r\n" + std::string(5000, 'z') + "\nlast");
    BinaryFile file = BinaryFile::OpenForReading(in);
    converter.ResetReadBuffer();
    std::string line;
    std::vector<std::string> lines;
    std::vector<size_t> lengths;
    for (int i = 0; i < 9; ++i) {
        lengths.push_back(converter.ReadTextLine(file, line));
        lines.push_back(line);
    }
    // "ef\r\r\n": CR, then CR taken as part of the terminator, then LF on its own is an empty
    // line. "gh\n\r\n": LF CR is one terminator, then the LF alone an empty line.
    EXPECT_EQ(lines[0], "ab");
    EXPECT_EQ(lines[1], "cd");
    EXPECT_EQ(lines[2], "ef");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "gh");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lengths[6], 5000u);
    EXPECT_EQ(lines[6].size(), S3Converter::MaxKeptLine);
    EXPECT_EQ(lines[7], "last");
    EXPECT_EQ(lengths[8], 0u); // the end of the data
}

} // namespace
} // namespace tovallo::testing
