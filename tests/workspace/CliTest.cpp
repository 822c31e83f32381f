#include "fixtures/FirmwareBuilder.h"

#include <gtest/gtest.h>

using namespace tovallo::testing;

TEST(WorkspaceCli, FindLinksTextAndModels) {
    ScratchDir dir;
    FirmwareBuilder fw(20000, 0);
    fw.place(4095, "AAA")
        .place(9000, "\xCF\xF0\xE8")
        .placeU32(123, 0x0003F304)
        .placeU32(7000, 0x0003F304);
    const std::string path = fw.write(dir.file("fw.bin"));

    CliResult r = RunCli("find " + path + " --hex \"41 41\" --all");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0x00000FFF\n0x00001000\n");
    r = RunCli("find " + path + " --hex 4141 --from 0x1000");
    EXPECT_EQ(r.out, "0x00001000\n");
    r = RunCli("find " + path + " --text \xD0\x9F\xD1\x80\xD0\xB8"); // the terminal's UTF-8 "Pri"
    EXPECT_EQ(r.out, "0x00002328\n") << r.err;

    r = RunCli("links " + path + " 0x0003F304");
    EXPECT_EQ(r.out, "0x0000007B\n0x00001B58\n");
    r = RunCli("links " + path + " 258820 --max 1");
    EXPECT_EQ(r.out, "0x0000007B\n");

    r = RunCli("text to-utf8 \"CF F0 E8 E2 E5 F2\"");
    EXPECT_EQ(r.out, "D0 9F D1 80 D0 B8 D0 B2 D0 B5 D1 82\n");
    r = RunCli("text from-utf8 E28094");
    EXPECT_EQ(r.out, "60 2E\n");

    r = RunCli("models");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("E720\tE7201\tE720\tImageTableSig=B0 00 2E 00"), std::string::npos);
    EXPECT_NE(r.out.find("FlashStart=0x20000000"), std::string::npos);
}

TEST(WorkspaceCli, BadInputGivesOneLineAndAStatus) {
    ScratchDir dir;
    const std::string path = FirmwareBuilder(100, 0).write(dir.file("fw.bin"));
    const struct {
        std::string args;
        int status;
    } cases[] = {
        {"find " + dir.file("missing.bin") + " --hex 41", 1},
        {"find " + path + " --hex 4G", 2},
        {"find " + path, 2},
        {"links " + path + " 0x123456789", 2},
        {"links " + path + " zz", 2},
        {"text sideways 41", 2},
        {"find " + path + " --hex 41 --model N95", 2},
        {"nonsense", 2},
    };
    for (const auto& c : cases) {
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_TRUE(r.out.empty()) << c.args;
        EXPECT_FALSE(r.err.empty()) << c.args;
    }
}
