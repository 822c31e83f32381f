#include "SrecTestSupport.h"

#include "fixtures/FileSizeLimit.h"
#include "workspace/S3Record.h"

#include <gtest/gtest.h>

#include <filesystem>

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

// The lines, each ended by CR LF.
std::string CrLfText(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
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
    // The messages shown as "number:text", after which the list of shown messages is cleared.
    std::vector<std::string> shown() {
        std::vector<std::string> texts;
        for (const auto& m : dialogs.shown)
            texts.push_back(std::to_string(m.message) + ":" + m.text);
        dialogs.shown.clear();
        return texts;
    }

    ScratchDir dir;
    ScriptedDialogs dialogs;
    S3Converter converter{dialogs, std::chrono::milliseconds(0)};
    std::string in = dir.file("in.s3");
    std::string out = dir.file("out.bin");
    bool result = false;
    const std::string a = Bytes(16, 'A'), b = Bytes(16, 'a');
};

TEST_F(S3ReaderTest, DroppedLinesAreReportedWithTheirZeroBasedIndex) {
    std::string badSum = Record(0x10, Bytes(16, 'Q'));
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    std::string lower = Record(0x50, b);
    lower[0] = 's';
    // Not records (20): header, lower-case "s3", end record. Dropped like checksum errors (21):
    // count 04 (no room for the checksum) and count 26 (33 data bytes). Count 05 is a record
    // without data and writes nothing.
    const std::string s3 = CrLfText({"S00600004844521B", Record(0, a), badSum, "S30400000000FB",
                                     "S326" + std::string(8, '0') + std::string(66, '1') + "00",
                                     lower, Record(0x10, ""), Record(0x20, b), "S705A002000058"});
    // Placed at their addresses a following record keeps its place; the gap reads as zero.
    EXPECT_EQ(convert(s3, true), a + std::string(16, '\0') + b);
    EXPECT_TRUE(result);
    EXPECT_EQ(shown(), (std::vector<std::string>{"20:0", "21:2", "21:3", "21:4", "20:5", "20:8"}));
    // An empty line ends the conversion (see ReadTextLine for what ends a line).
    EXPECT_EQ(convert(Record(0, a) + "\r\n\r\n" + Record(0x10, b) + "\r\n", true), a);
    // Quiet hides the ignored lines, never the checksum errors.
    EXPECT_EQ(convert(s3, false, true), a + b);
    EXPECT_EQ(shown(), (std::vector<std::string>{"21:2", "21:3", "21:4"}));

    // Out of order: the later record wins at its own address; before the lowest record zeros.
    const std::string s = Bytes(8, 's'), t = Bytes(8, '0');
    EXPECT_EQ(
        convert(CrLfText({Record(0x20, a), Record(0x8, s), Record(0x8, t), Record(0x30, b)}), true),
        std::string(8, '\0') + t + std::string(16, '\0') + a + b);
}

TEST_F(S3ReaderTest, MalformedRecordsOrNoValidRecordWriteNoBin) {
    // A malformed record stops the conversion with a message naming its line; the earlier
    // output stays as it was.
    std::string nonHex = Record(0x10, a);
    nonHex[20] = 'G';
    for (const std::string& bad : {nonHex, Record(0x10, a).substr(0, 30), std::string("S3Z5")}) {
        WriteWholeFile(out, "earlier");
        EXPECT_EQ(convert(CrLfText({Record(0, a), bad, Record(0x20, a)}), true), "earlier") << bad;
        EXPECT_FALSE(result);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, 't');
        EXPECT_NE(shown()[0].find("Line 1 "), std::string::npos);
    }
    std::string badSum = Record(0, a);
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    for (const std::string& s3 : {std::string(), CrLfText({"S00600004844521B", "S705A002000058"}),
                                  CrLfText({badSum}), "\r\n" + CrLfText({Record(0, a)})}) {
        std::filesystem::remove(out);
        EXPECT_EQ(convert(s3, true, true), "");
        EXPECT_FALSE(result) << s3;
        EXPECT_FALSE(std::filesystem::exists(out)) << s3;
        ASSERT_FALSE(dialogs.shown.empty());
        EXPECT_NE(shown().back().find("holds no valid S3 record"), std::string::npos);
    }
}

TEST_F(S3ReaderTest, HighAddressesAreNotPlacedButStillPacked) {
    const std::string s3 = CrLfText({Record(0, a), Record(0x80000000u, b), Record(0xF0, a)});
    EXPECT_EQ(convert(s3, true).size(), 0x100u);
    EXPECT_TRUE(result);
    const auto messages = shown();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("0x80000000"), std::string::npos);
    EXPECT_EQ(convert(s3, false), a + b + a);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(S3ReaderTest, HugeLinesAreConsumedWithoutHoldingThem) {
    // 8 MiB of text without a line end, then a record.
    const std::string junk(8 << 20, 'x');
    EXPECT_EQ(convert(junk + "\n" + Record(0, a) + "\n", true), a);
    EXPECT_TRUE(result);
    EXPECT_EQ(shown(), std::vector<std::string>{"20:0"});
    // A record followed by megabytes of digits: characters beyond its count are not read.
    EXPECT_EQ(convert(Record(0, a) + std::string(4 << 20, '0') + "\n", true), a);
    EXPECT_TRUE(dialogs.shown.empty());
    // A huge file without any line end is one ignored line, and no record.
    std::filesystem::remove(out);
    EXPECT_EQ(convert(junk, true), "");
    EXPECT_FALSE(result);
    const std::vector<std::string> messages = shown();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "20:0");
}

TEST_F(S3ReaderTest, MissingInputProgressAndAFullDisk) {
    NullProgress none;
    EXPECT_FALSE(converter.S3ToBin(dir.file("none.s3"), out, true, false, none));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{19});
    dialogs.shown.clear();

    std::string s3;
    for (uint32_t i = 0; i < 4096; ++i)
        s3 += Record(i * 16, a) + "\r\n";
    WriteWholeFile(in, s3);
    RecordingProgress progress;
    EXPECT_TRUE(converter.S3ToBin(in, out, true, false, progress));
    // The file's 4096 lines of 46 characters and CR LF; advanced by the line lengths alone.
    EXPECT_EQ(progress.maximum, 4096 * 48);
    EXPECT_EQ(progress.pos, 4096 * 46);
    EXPECT_GT(progress.pumps, 0);

    // A disk that fills up: message 13, and the earlier BIN stays byte for byte as it was.
    WriteWholeFile(out, "earlier");
    {
        FileSizeLimit limit(0x8000); // half the BIN
        EXPECT_FALSE(converter.S3ToBin(in, out, true, false, none));
    }
    EXPECT_EQ(ReadWholeFile(out), "earlier");
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{13});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
        << "no temporary file is left";
}

TEST_F(S3ReaderTest, ReadTextLineSplitsAtCrLfAndKeepsLongLinesShort) {
    WriteWholeFile(in, "ab\rcd\n\nef\r\r\ngh\n\rij\n" + std::string(5000, 'z') + "\nlast");
    BinaryFile file = BinaryFile::OpenForReading(in);
    converter.ResetReadBuffer();
    std::string line;
    std::vector<std::string> lines;
    std::vector<size_t> lengths;
    for (int i = 0; i < 9; ++i) {
        lengths.push_back(converter.ReadTextLine(file, line));
        lines.push_back(line.size() > 100 ? std::to_string(line.size()) : line);
    }
    // "ab\r": CR alone; "cd\n\n": one terminator. "ef\r\r\n": CR, then CR taken as part of the
    // terminator, then LF on its own is an empty line. "gh\n\r": LF CR is one terminator. At the
    // end of the data the length is 0.
    EXPECT_EQ(lengths, (std::vector<size_t>{2, 2, 2, 0, 2, 2, 5000, 4, 0}));
    EXPECT_EQ(lines,
              (std::vector<std::string>{"ab", "cd", "ef", "", "gh", "ij",
                                        std::to_string(S3Converter::MaxKeptLine), "last", ""}));
}

} // namespace
} // namespace tovallo::testing
