// S3 files with damaged, truncated and foreign lines: the conversion ends with a clear outcome and
// never crashes, hangs or writes beyond what its good records address.
#include "SrecTestSupport.h"

#include "srecord/S3Record.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace tovallo::testing {
namespace {

using ::testing::AnyOf;
using ::testing::Each;

std::string damagedLine(std::mt19937& gen) {
    uint8_t data[16];
    const size_t length = 1 + gen() % 16;
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>(gen());
    char text[80];
    std::string line(text, FormatS3Record(gen() % 0x10000, data, length, text));
    const size_t digits = line.size() - 2; // without CR LF
    switch (gen() % 7) {
    case 0:
        return line; // good
    case 1:
        line[4 + gen() % (digits - 4)] = "0123456789ABCDEF"[gen() % 16]; // checksum no longer fits
        return line;
    case 2:
        return line.substr(0, gen() % line.size()) + "\r\n"; // cut short
    case 3:
        line[2 + gen() % (digits - 2)] = "GZ x-"[gen() % 5]; // not a digit
        return line;
    case 4:
        return "S00600004844521B\r\nS705A002000058\r\n";
    case 5:
        line[2] = "0F"[gen() % 2]; // count 0x0? or 0xF?
        return line;
    default:
        line.assign(gen() % 120, ' ');
        for (char& c : line)
            c = static_cast<char>(0x20 + gen() % 0x5F);
        return line + "\n";
    }
}

TEST(S3MalformedInput, DamagedFilesEndCleanlyInBothModes) {
    ScratchDir dir;
    std::mt19937 gen(2026);
    const std::string in = dir.file("in.s3"), out = dir.file("out.bin");
    for (int round = 0; round < 150; ++round) {
        std::string text;
        for (int lines = 1 + static_cast<int>(gen() % 40); lines > 0; --lines)
            text += damagedLine(gen);
        WriteWholeFile(in, text);
        for (bool place : {true, false}) {
            ScriptedDialogs dialogs;
            S3Converter converter(dialogs, std::chrono::milliseconds(0));
            NullProgress progress;
            std::filesystem::remove(out);
            const bool ran = converter.S3ToBin(in, out, place, round % 2 == 0, progress);
            // A BIN only after a complete conversion, and no temporary file left either way.
            ASSERT_EQ(std::filesystem::exists(out), ran);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
                      ran ? 2 : 1);
            // Good records address at most 0xFFFF + 16 bytes; packed data is at most all records.
            if (ran) {
                EXPECT_LE(std::filesystem::file_size(out), place ? 0x10010u : text.size() / 2);
            }
            EXPECT_THAT(dialogs.numbers(), Each(AnyOf(20, 21, 13, -1)));
        }
    }
}

} // namespace
} // namespace tovallo::testing
