#include "ImagesTestSupport.h"
#include "fixtures/CliChecks.h"
#include "fixtures/PictureFixtures.h"
#include "images/Image09Encoder.h"
#include "workspace/HexText.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tovallo {
namespace {

using testing::ExpectOneLineFailure;
using testing::RunCli;
using testing::ScratchDir;

TEST(ImagesCli, TablesPicturesLinksAndConversions) {
    ScratchDir dir;
    const std::string out = dir.file("out.bmp");
    for (PhoneModel model : AllPhoneModels) {
        const auto pf = testing::BuildPictureFirmware(model);
        const std::string fw = pf.builder.write(dir.file("fw.bin"));
        const std::string m = " --model " + ModelCliName(model);

        // E720 scans start at its flash start, so its table is read at a given address.
        const auto table =
            RunCli("images table " + fw + m + (model == PhoneModel::E720 ? " --at 0x1000" : ""));
        ASSERT_EQ(table.status, 0) << table.err;
        std::string expected;
        for (const auto& p : pf.pictures)
            expected += ToHexAddr(p.address) + " " +
                        DimensionText(p.picture.Width, p.picture.Height) + "\n";
        EXPECT_EQ(table.out, expected);
        EXPECT_EQ(RunCli("images find09 " + fw).out, "0x00002000\n0x00006000\n");
        for (const auto& p : pf.pictures) {
            const auto r = RunCli("images export " + fw + " " + ToHexAddr(p.address) + " --size " +
                                  std::to_string(p.picture.Width) + "x" +
                                  std::to_string(p.picture.Height) + " --listed " + out);
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(testing::ReadBmp(out), p.picture) << ModelCliName(model) << " " << p.address;
        }
        // E720 link searches start at its flash start too, beyond this file.
        EXPECT_EQ(RunCli("images links " + fw + " 0x6000" + m).out,
                  model == PhoneModel::E720 ? "" : "0x0000101C\ndimension 40*30\n");
    }

    // BMP to picture bytes and back.
    Picture p(30, 20);
    for (size_t i = 0; i < p.Pixels.size(); ++i)
        p.Pixels[i] = Rgb565ToColor(static_cast<Rgb565>((i / 7) * 1031));
    p.at(0, 0) = MakeRgb24(0xFF, 0x00, 0xFF);
    std::string error;
    const std::string in = dir.file("in.bmp");
    ASSERT_TRUE(WriteBmpFile(in, p, error));
    const auto enc = RunCli("images encode " + in +
                            " --type 09 --transparent FF00FF --model E720 " + dir.file("p.bin"));
    ASSERT_EQ(enc.status, 0) << enc.err;
    const std::string bytes = testing::ReadWholeFile(dir.file("p.bin"));
    EXPECT_EQ(bytes, EncodeImage09(p, 0xF81F, true, 0xF81F));
    EXPECT_EQ(enc.out, std::to_string(bytes.size()) + "\n");
    for (const std::string t : {"09", "raw16", "wbmp"}) {
        ASSERT_EQ(
            RunCli("images encode " + in + " --type " + t + " " + dir.file(t + ".bin")).status, 0);
        const auto dec = RunCli("images decode " + dir.file(t + ".bin") + " --size 30x20 --type " +
                                t + " " + dir.file(t + ".bmp"));
        ASSERT_EQ(dec.status, 0) << dec.err;
        if (t != "wbmp")
            EXPECT_EQ(testing::ReadBmp(dir.file(t + ".bmp")), p) << t;
        else
            EXPECT_EQ(testing::ReadWholeFile(dir.file(t + ".bin")).size(), 30u * 20 / 8);
    }

    // Bad input fails with one line: a firmware cut inside the second "09" picture, no "09"
    // picture, no table, a broken BMP; wrong arguments are usage errors naming the option.
    const auto pf = testing::BuildPictureFirmware(PhoneModel::C200);
    const std::string fw = pf.builder.write(dir.file("fw.bin"));
    const std::string cut = dir.file("cut.bin"), bad = dir.file("bad.bmp");
    testing::WriteWholeFile(cut, pf.builder.str().substr(0, 0x6010));
    testing::WriteWholeFile(bad, "BM\x10\x00\x00\x00 this is no picture");
    for (const auto& [args, words] : std::vector<std::pair<std::string, std::string>>{
             {"export " + cut + " 0x6000 --size 40x30 " + out, "past the end"},
             {"export " + cut + " 0x7000 --size 40x30 " + out, "beyond the end"},
             {"export " + cut + " 0x5FF0 --size 40x30 --type raw16 " + out, "holds only"},
             {"export " + fw + " 0x4001 --size 4x4 --type 09 " + out, "no \"09\" picture"},
             {"table " + fw + " --model X120", "not found"},
             {"encode " + bad + " --type 09 " + dir.file("x.bin"), "bad.bmp"}})
        ExpectOneLineFailure(RunCli("images " + args), words);
    for (const std::string& args :
         {"images export " + fw + " 0x2000 --size 400x30 " + out,
          "images encode " + bad + " --type png x", "images export " + fw + " --type"}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find(args.substr(args.rfind("--"), 6)), std::string::npos) << r.err;
    }
    // A table without its closing entry: the rows read so far, then the failure.
    testing::FirmwareBuilder open(0x1010, 0xFF);
    open.place(0x1000 - 8, std::string(8, '\0'));
    open.placeU16(0x1000, 26).placeU16(0x1002, 14).placeU32(0x1004, 0x10);
    open.placeU16(0x1008, 26).placeU16(0x100A, 14).placeU32(0x100C, 0x20);
    const auto table = RunCli("images table " + open.write(dir.file("open.bin")));
    ExpectOneLineFailure(table, "end of the file");
    EXPECT_EQ(table.out, "0x00000010 26*14\n0x00000020 26*14\n");

    // The export's report is a success message: on stdout, silenced by --quiet.
    auto r = RunCli("images export " + fw + " 0x6000 --size 40x30 " + out);
    EXPECT_EQ(r.out, "09 40*30 at 0x00006000 written to " + out + "\n");
    r = RunCli("images export " + fw + " 0x6000 --size 40x30 --quiet " + out);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");

    // An output that is the firmware or the input, also through a link, is refused.
    const std::string firmware = pf.builder.str(), link = dir.file("fw-link.bmp");
    std::filesystem::create_symlink(fw, link);
    for (const auto& [args, words] : std::vector<std::pair<std::string, std::string>>{
             {"export " + fw + " 0x2000 --size 26x14 " + fw, "open firmware"},
             {"export " + fw + " 0x2000 --size 26x14 " + link, "open firmware"},
             {"decode " + fw + " --size 26x14 --type 09 " + link, "reads"},
             {"encode " + in + " --type 09 " + in, "reads"}})
        ExpectOneLineFailure(RunCli("images " + args), words);
    EXPECT_EQ(testing::ReadWholeFile(fw), firmware);
    EXPECT_EQ(testing::ReadBmp(in), p);
}

} // namespace
} // namespace tovallo
