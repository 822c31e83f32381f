// Interoperability with the srecord package's srec_cat, a reader and writer we did not write.
#include "SrecTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace tovallo::testing {
namespace {

int Shell(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str());
}

std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

class InteropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (Shell("srec_cat -VERSion >/dev/null") != 0)
            GTEST_SKIP() << "srec_cat (Debian package srecord) is not installed";
    }
    // srec_cat's binary image of an S-record file: data at their addresses, gaps zero-filled,
    // starting at address 0.
    std::string SrecCatToBin(const std::string& s3) {
        const std::string out = dir.file("srec_cat.bin");
        std::remove(out.c_str());
        EXPECT_EQ(Shell("srec_cat " + Quote(s3) + " -Motorola -o " + Quote(out) + " -binary"), 0);
        return ReadWholeFile(out);
    }

    ScratchDir dir;
    ScriptedDialogs dialogs;
    S3Converter converter{dialogs};
    NullProgress progress;
    std::string bin = dir.file("in.bin"), s3 = dir.file("r.s3"), back = dir.file("back.bin");
};

TEST_F(InteropTest, SrecCatReadsWhatWeWrite) {
    std::mt19937 gen(1234);
    std::string bytes;
    for (int round = 0; round < 6; ++round) {
        const size_t size = 1 + gen() % 70000;
        bytes = FirmwareBuilder(size).random(0, size, gen()).str();
        WriteWholeFile(bin, bytes);
        // Up to three separate regions in ascending order (every other round none).
        std::vector<AddressRegion> regions;
        uint32_t at = 0;
        for (int i = 0; round % 2 == 1 && i < 3; ++i) {
            const uint32_t start = at + gen() % (static_cast<uint32_t>(size) / 4 + 1);
            const uint32_t stop = start + gen() % 3000;
            regions.push_back({start, stop});
            at = stop + 1;
        }
        // Placed, the excluded bytes read as zero; packed, they are simply missing.
        std::string expected = bytes, packed;
        for (size_t i = 0; i < size; ++i) {
            if (std::any_of(regions.begin(), regions.end(),
                            [i](const AddressRegion& r) { return i >= r.Start && i <= r.Stop; }))
                expected[i] = '\0';
            else
                packed += bytes[i];
        }
        // Our end record's start address is a fixed value; srec_cat takes it as an execution
        // address, which does not touch the data. srec_info checks every count and checksum.
        BinToS3Text(converter, bin, s3, 0, 0, true, regions);
        EXPECT_EQ(Shell("srec_info " + Quote(s3) + " -Motorola >/dev/null"), 0);

        ASSERT_TRUE(converter.S3ToBin(s3, back, true, true, progress));
        const std::string ours = ReadWholeFile(back);
        // Excluded bytes at the end are absent rather than zero: both readers agree.
        EXPECT_EQ(ours, SrecCatToBin(s3)) << "round " << round;
        EXPECT_EQ(ours, expected.substr(0, ours.size())) << round;
        EXPECT_EQ(expected.find_first_not_of('\0', ours.size()), std::string::npos);

        ASSERT_TRUE(converter.S3ToBin(s3, back, false, true, progress));
        EXPECT_EQ(ReadWholeFile(back), packed) << "round " << round;
    }

    // A part, with its file offsets as addresses.
    BinToS3Text(converter, bin, s3, 0x123, 0x4567, true);
    EXPECT_EQ(SrecCatToBin(s3), std::string(0x123, '\0') + bytes.substr(0x123, 0x4567 - 0x123));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(InteropTest, WeReadWhatSrecCatWrites) {
    const std::string bytes = FirmwareBuilder(50000).random(0, 50000, 5).str();
    WriteWholeFile(bin, bytes);
    // 32-bit addresses and several record sizes up to the 32 data bytes our reader holds.
    for (const char* block : {"16", "32", "7"}) {
        ASSERT_EQ(Shell("srec_cat " + Quote(bin) + " -binary -o " + Quote(s3) +
                        " -Motorola -Address_Length 4 -Output_Block_Size " + block),
                  0);
        dialogs.shown.clear();
        ASSERT_TRUE(converter.S3ToBin(s3, back, true, false, progress));
        EXPECT_EQ(ReadWholeFile(back), bytes) << block;
        // srec_cat's header and its S6/S7 record lines are not data: reported as ignored.
        for (const auto& s : dialogs.shown)
            EXPECT_EQ(s.message, 20);
        EXPECT_GE(dialogs.shown.size(), 2u);
    }

    // Data placed high with an offset: placed at its addresses ours zero-fills from 0 like
    // srec_cat; packed (a behaviour srec_cat does not have) gives the data alone.
    ASSERT_EQ(Shell("srec_cat " + Quote(bin) + " -binary -offset 0x1000 -o " + Quote(s3) +
                    " -Motorola -Address_Length 4"),
              0);
    ASSERT_TRUE(converter.S3ToBin(s3, back, true, true, progress));
    EXPECT_EQ(ReadWholeFile(back), std::string(0x1000, '\0') + bytes);
    ASSERT_TRUE(converter.S3ToBin(s3, back, false, true, progress));
    EXPECT_EQ(ReadWholeFile(back), bytes);
}

} // namespace
} // namespace tovallo::testing
