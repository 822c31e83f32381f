#include "SrecTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tovallo::testing {
namespace {

std::string Q(const std::string& path) {
    return "'" + path + "'";
}

TEST(SrecordCli, BinToS3AndBackWithRegions) {
    ScratchDir dir;
    const std::string bin = dir.file("fw.bin"), s3 = dir.file("fw.s3"), back = dir.file("b.bin");
    const std::string bytes = FirmwareBuilder(0x12000).random(0, 0x12000, 77).str();
    WriteWholeFile(bin, bytes);

    CliResult r =
        RunCli("s3 from-bin " + Q(bin) + " " + Q(s3) + " --preset c200 --exclude 0x10000-0x10FFF");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("wrote"), std::string::npos);
    r = RunCli("s3 to-bin " + Q(s3) + " " + Q(back) + " --quiet");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string expected = bytes;
    for (auto [from, to] : {std::pair{0x2000, 0x4000}, {0x8000, 0xE000}, {0x10000, 0x11000}})
        std::fill(expected.begin() + from, expected.begin() + to, '\0');
    EXPECT_EQ(ReadWholeFile(back), expected);

    // Without --quiet the header and end record are reported with their line numbers.
    r = RunCli("s3 to-bin " + Q(s3) + " " + Q(back) + " --packed --yes");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("The line is ignored. \xE2\x84\x96"
                         "0"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadWholeFile(back).size(), 0x12000u - 0x2000 - 0x6000 - 0x1000);

    // An existing output is replaced only with --yes.
    WriteWholeFile(back, "keep");
    r = RunCli("s3 to-bin " + Q(s3) + " " + Q(back));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadWholeFile(back), "keep");

    // A part without header; a bad range is a failure.
    r = RunCli("s3 from-bin " + Q(bin) + " " + Q(s3) +
               " --start 0x100 --stop 0x110 --no-header --yes");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(CrLfLines(ReadWholeFile(s3)).size(), 1u);
    r = RunCli("s3 from-bin " + Q(bin) + " " + Q(s3) + " --start 0x200 --stop 0x100 --yes");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Wrong input of the address."), std::string::npos);
    r = RunCli("s3 from-bin " + Q(bin) + " " + Q(s3) + " --exclude 0x200-0x100 --yes");
    EXPECT_EQ(r.status, 2);
}

TEST(SrecordCli, PatchRestoreAndApply) {
    ScratchDir dir;
    const std::string fw = dir.file("fw.bin");
    const std::string original = FirmwareBuilder(0x2000).random(0, 0x2000, 3).str();
    WriteWholeFile(fw, original);
    const std::string sound = dir.file("s.mmf");
    WriteWholeFile(sound, "MMMD" + std::string(60, 'm'));
    const std::string changes = " --string 0x100=Hi --eos --link 0x204=0x1000:0x00400080"
                                " --file 0x800=" +
                                Q(sound);

    CliResult r = RunCli("patch " + Q(fw) + " " + Q(dir.file("p.s3")) + " --restore " +
                         Q(dir.file("r.s3")) + changes);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string patched(0x2000, '\0'), restored(0x2000, '\0');
    auto apply = [](const std::string& s3, std::string& image) {
        for (const std::string& line : CrLfLines(ReadWholeFile(s3)))
            if (line.rfind("S3", 0) == 0) {
                const ParsedRecord rec = ParseRecordLine(line);
                image.replace(rec.address, rec.data.size(), rec.data);
            }
    };
    apply(dir.file("p.s3"), patched);
    apply(dir.file("r.s3"), restored);
    EXPECT_EQ(patched.substr(0x100, 3), std::string("Hi\0", 3));
    EXPECT_EQ(patched.substr(0x200, 8), HexBytes("80 00 40 00 00 10 00 00"));
    EXPECT_EQ(patched.substr(0x800, 64), ReadWholeFile(sound));
    EXPECT_EQ(restored.substr(0x100, 3), original.substr(0x100, 3));
    EXPECT_EQ(restored.substr(0x200, 8), original.substr(0x200, 8));
    EXPECT_EQ(restored.substr(0x800, 64), original.substr(0x800, 64));
    EXPECT_EQ(ReadWholeFile(fw), original); // patch never writes the firmware

    r = RunCli("apply " + Q(fw) + changes);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(ReadWholeFile(fw), original);
    r = RunCli("apply " + Q(fw) + " --write" + changes);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string written = ReadWholeFile(fw);
    EXPECT_EQ(written.substr(0x100, 3), patched.substr(0x100, 3));
    EXPECT_EQ(written.substr(0x200, 8), patched.substr(0x200, 8));
    EXPECT_EQ(written.substr(0x800, 64), patched.substr(0x800, 64));
    EXPECT_EQ(written.substr(0x1000), original.substr(0x1000));
}

} // namespace
} // namespace tovallo::testing
