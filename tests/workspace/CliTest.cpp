#include "fixtures/FirmwareBuilder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace tovallo::testing;

TEST(WorkspaceCli, FindLinksTextAndModels) {
    ScratchDir dir;
    FirmwareBuilder fw(20000, 0);
    fw.place(4095, "AAA").place(9000, "\xCF\xF0\xE8").placeU32(123, 0x0003F304);
    const std::string path = fw.placeU32(7000, 0x0003F304).write(dir.file("fw.bin"));
    const std::pair<std::string, std::string> outputs[] = {
        {"find " + path + " --hex \"41 41\" --all", "0x00000FFF\n0x00001000\n"},
        {"find " + path + " --hex 4141 --from 0x1000", "0x00001000\n"},
        {"find " + path + " --text \xD0\x9F\xD1\x80\xD0\xB8", "0x00002328\n"}, // UTF-8 typed
        {"links " + path + " 0x0003F304", "0x0000007B\n0x00001B58\n"},
        {"links " + path + " 258820 --max 1", "0x0000007B\n"},
        {"text to-utf8 \"CF F0 E8 E2 E5 F2\"", "D0 9F D1 80 D0 B8 D0 B2 D0 B5 D1 82\n"},
        {"text from-utf8 E28094", "60 2E\n"},
    };
    for (const auto& [args, out] : outputs) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 0) << args << ": " << r.err;
        EXPECT_EQ(r.out, out) << args;
    }

    EXPECT_NE(RunCli("models").out.find("E720\tE7201\tE720\tImageTableSig=B0 00 2E 00"),
              std::string::npos);
    const auto models = nlohmann::json::parse(RunCli("models --json").out);
    ASSERT_EQ(models.size(), 6u);
    EXPECT_EQ(models[3]["model"], "E720");
    EXPECT_EQ(models[3]["FlashStart"], "0x20000000");
    EXPECT_EQ(models[3]["SoundEntryPad"].type(), nlohmann::json::value_t::number_unsigned);
}

TEST(WorkspaceCli, HelpOfEachLevelDescribesItsOptions) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"--help", {"Usage: tovallo-cli", "images", "s3", "patch", "--quiet"}},
        {"images --help", {"tovallo-cli images", "find09", "export", "decode"}},
        {"images export --help",
         {"FIRMWARE", "ADDR", "OUT.bmp", "--size WxH", "--type auto|09|raw16|wbmp", "--listed",
          "--model", "--quiet"}},
        {"s3 to-bin --help", {"IN.s3", "--packed", "--yes"}},
    };
    for (const auto& [args, words] : cases) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 0) << args;
        for (const std::string& word : words)
            EXPECT_NE(r.out.find(word), std::string::npos) << args << ": " << word;
    }
}

// Failures are one line; usage errors name what was wrong.
TEST(WorkspaceCli, BadInputGivesOneLineAndAStatus) {
    ScratchDir dir;
    const std::string path = FirmwareBuilder(100, 0).write(dir.file("fw.bin"));
    const struct {
        std::string args;
        int status;
        std::string named;
    } cases[] = {
        {"find " + dir.file("missing.bin") + " --hex 41", 1, "missing.bin"},
        {"find " + path + " --text \xCE\xA9", 1, "U+03A9"},
        {"find " + path + " --hex 4G", 2, "--hex"},
        {"find " + path, 2, "--hex"},
        {"find " + path + " --hex 41 --bogus", 2, "--bogus"},
        {"links " + path + " 0x123456789", 2, "VALUE"},
        {"links " + path + " 5 --max zz", 2, "--max"},
        {"text sideways 41", 2, "sideways"},
        {"find " + path + " --hex 41 --model N95", 2, "--model"},
        {"nonsense", 2, "nonsense"},
        {"", 2, "command"},
    };
    for (const auto& c : cases) {
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_TRUE(r.out.empty()) << c.args;
        const std::string firstLine = r.err.substr(0, r.err.find('\n'));
        EXPECT_NE(firstLine.find(c.named), std::string::npos) << c.args << ": " << r.err;
        if (c.status == 1) {
            EXPECT_EQ(firstLine.size() + 1, r.err.size()) << r.err;
        }
    }
}
