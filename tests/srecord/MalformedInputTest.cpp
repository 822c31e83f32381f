// S3 files with damaged, truncated and foreign lines: the conversion ends with a clear outcome and
// never crashes, hangs or writes beyond what its good records address.
#include "SrecTestSupport.h"

#include "srecord/S3Record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace tovallo::testing {
namespace {

std::string record(std::mt19937& gen) {
    uint8_t data[16];
    const size_t length = 1 + gen() % 16;
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>(gen());
    char text[80];
    const size_t n = FormatS3Record(gen() % 0x10000, data, length, text);
    return std::string(text, n);
}

std::string damagedLine(std::mt19937& gen) {
    std::string line = record(gen);
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
    default: {
        std::string junk(gen() % 120, '\0');
        for (char& c : junk)
            c = static_cast<char>(0x20 + gen() % 0x5F);
        return junk + "\n";
    }
    }
}

} // namespace

TEST(S3MalformedInput, DamagedFilesEndCleanlyInBothModes) {
    ScratchDir dir;
    std::mt19937 gen(2026);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int lines = 1 + static_cast<int>(gen() % 40);
        for (int i = 0; i < lines; ++i)
            text += damagedLine(gen);
        WriteWholeFile(dir.file("in.s3"), text);
        for (bool place : {true, false}) {
            ScriptedDialogs dialogs;
            S3Converter converter(dialogs, std::chrono::milliseconds(0));
            NullProgress progress;
            const std::string out = dir.file("out.bin");
            std::filesystem::remove(out);
            const bool ran =
                converter.S3ToBin(dir.file("in.s3"), out, place, round % 2 == 0, progress);
            // A BIN only after a complete conversion, and no temporary file left either way.
            ASSERT_EQ(std::filesystem::exists(out), ran);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
                      ran ? 2 : 1);
            // Good records address at most 0xFFFF + 16 bytes; packed data is at most all records.
            if (ran) {
                EXPECT_LE(std::filesystem::file_size(out), place ? 0x10010u : text.size() / 2);
            }
            for (const auto& shown : dialogs.shown)
                EXPECT_TRUE(shown.message == 20 || shown.message == 21 || shown.message == 13 ||
                            shown.message == -1)
                    << shown.message;
        }
    }
}

} // namespace tovallo::testing
