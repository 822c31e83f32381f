#include "SrecTestSupport.h"
#include "fixtures/CliChecks.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tovallo::testing {
namespace {

// A path as a quoted argument after a space.
std::string Q(const std::string& path) {
    return " '" + path + "'";
}

TEST(SrecordCli, ConvertsPatchesRestoresAndApplies) {
    ScratchDir dir;
    const std::string bin = dir.file("fw.bin"), s3 = dir.file("fw.s3"), back = dir.file("b.bin");
    const std::string bytes = FirmwareBuilder(0x12000).random(0, 0x12000, 77).str();
    WriteWholeFile(bin, bytes);
    const std::string fromBin = "s3 from-bin" + Q(bin) + Q(s3),
                      toBin = "s3 to-bin" + Q(s3) + Q(back);

    // BIN to S3 with the C200 preset and one more region, and back.
    // Success messages go to stdout, and --quiet (after the command or before it) silences them.
    CliResult r = RunCli(fromBin + " --preset c200 --exclude 0x10000-0x10FFF");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Coding/decoding of a file is completed successfully.\nwrote " + s3 + "\n");
    EXPECT_EQ(r.err, "");
    r = RunCli(toBin + " --quiet");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(ReadWholeFile(back),
              Zeroed(bytes, {{0x2000, 0x4000}, {0x8000, 0xE000}, {0x10000, 0x11000}}));
    // Without --quiet the header and end record are reported with their line numbers.
    r = RunCli(toBin + " --packed --yes");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("The line is ignored. \xE2\x84\x96"
                         "0"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadWholeFile(back).size(), 0x12000u - 0x2000 - 0x6000 - 0x1000);
    // An existing output is replaced only with --yes; a part without header; a bad range fails.
    WriteWholeFile(back, "keep");
    EXPECT_EQ(RunCli(toBin).status, 1);
    EXPECT_EQ(ReadWholeFile(back), "keep");
    ASSERT_EQ(RunCli(fromBin + " --start 0x100 --stop 0x110 --no-header --yes").status, 0);
    EXPECT_EQ(CrLfLines(ReadWholeFile(s3)).size(), 1u);
    r = RunCli(fromBin + " --start 0x200 --stop 0x100 --yes");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Wrong input of the address."), std::string::npos);
    EXPECT_EQ(RunCli(fromBin + " --exclude 0x200-0x100 --yes").status, 2);

    // A patch and its restore file; patch never writes the firmware, apply --write does.
    const std::string sound = dir.file("s.mmf");
    WriteWholeFile(sound, "MMMD" + std::string(60, 'm'));
    const std::string changes =
        " --string 0x100=Hi --eos --link 0x204=0x1000:0x00400080 --file 0x800='" + sound + "'";
    r = RunCli("--quiet patch" + Q(bin) + Q(dir.file("p.s3")) + " --restore" + Q(dir.file("r.s3")) +
               changes);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadWholeFile(bin), bytes);
    std::string patched = bytes;
    ApplyS3(ReadWholeFile(dir.file("p.s3")), patched);
    EXPECT_EQ(patched.substr(0x100, 3), std::string("Hi\0", 3));
    EXPECT_EQ(patched.substr(0x200, 8), HexBytes("80 00 40 00 00 10 00 00"));
    EXPECT_EQ(patched.substr(0x800, 64), ReadWholeFile(sound));
    std::string restored = patched;
    ApplyS3(ReadWholeFile(dir.file("r.s3")), restored);
    EXPECT_EQ(restored, bytes);

    // Wrong or missing words, and a text Windows-1251 lacks, write nothing.
    for (const auto& [args, status, words] : std::vector<std::tuple<std::string, int, std::string>>{
             {changes, 2, "--write"},
             {" --write --eos" + changes, 2, "--eos belongs after a --string"},
             {" --write --link 0x204=0x1000:zz", 2, "--link"},
             {" --write --string 0x100=\xCE\xA9", 1, "U+03A9 has no Windows-1251 form"}}) {
        r = RunCli("apply" + Q(bin) + args);
        EXPECT_EQ(r.status, status) << args;
        EXPECT_NE(r.err.find(words), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadWholeFile(bin), bytes);
    // A change option takes one word: the firmware may follow it.
    r = RunCli("apply --write" + changes + Q(bin));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "wrote 3 change(s) into " + bin + "\n");
    EXPECT_EQ(ReadWholeFile(bin), patched);
}

TEST(SrecordCli, OutputsNeverDestroyInputsAndFailuresAreNoSuccess) {
    ScratchDir dir;
    const std::string bin = dir.file("fw.bin"), patch = dir.file("p.s3");
    const std::string bytes = FirmwareBuilder(0x3000).random(0, 0x3000, 5).str();
    WriteWholeFile(bin, bytes);
    std::filesystem::create_symlink(bin, dir.file("soft.bin"));
    std::filesystem::create_hard_link(bin, dir.file("hard.bin"));
    auto files = [&dir] {
        return std::distance(std::filesystem::directory_iterator(dir.path()), {});
    };
    auto intact = [&](const std::string& what) {
        EXPECT_EQ(ReadWholeFile(bin), bytes) << what;
        EXPECT_FALSE(std::filesystem::exists(patch)) << what;
    };

    // A restore over the firmware (by name or by link) is refused: no patch, firmware intact.
    for (const char* restore : {"fw.bin", "soft.bin", "hard.bin"}) {
        const CliResult r = RunCli("patch" + Q(bin) + Q(patch) + " --restore" +
                                   Q(dir.file(restore)) + " --yes --string 0x100=Hi");
        EXPECT_EQ(r.status, 1) << restore;
        EXPECT_NE(r.err.find("open firmware"), std::string::npos) << r.err;
        intact(restore);
    }

    // patch refuses what apply refuses: past the end, a folder or an empty file as --file.
    WriteWholeFile(dir.file("empty.mmf"), "");
    std::filesystem::create_directory(dir.file("folder"));
    for (const std::string& change :
         {std::string("--string 0x3000=Hi"), std::string("--string 0x400000=Hi"),
          "--file 0x2FF0='" + bin + "'", "--file 0x10='" + dir.file("folder") + "'",
          "--file 0x10='" + dir.file("empty.mmf") + "'"}) {
        EXPECT_EQ(RunCli("patch" + Q(bin) + Q(patch) + " " + change).status, 1) << change;
        EXPECT_EQ(RunCli("apply" + Q(bin) + " --write " + change).status, 1) << change;
        intact(change);
    }

    // A failed s3 to-bin leaves no partial BIN, and an earlier one byte for byte as it was.
    const std::string s3 = dir.file("fw.s3"), out = dir.file("out.bin");
    ASSERT_EQ(RunCli("s3 from-bin" + Q(bin) + Q(s3)).status, 0);
    std::string broken = ReadWholeFile(s3);
    broken.insert(broken.size() / 2, "S3Z5\r\n");
    WriteWholeFile(dir.file("broken.s3"), broken);
    WriteWholeFile(dir.file("none.s3"), "S00600004844521B\r\n");
    std::filesystem::create_symlink(s3, dir.file("soft.s3"));
    std::filesystem::create_hard_link(s3, dir.file("hard.s3"));
    const long before = files();
    EXPECT_EQ(RunCli("s3 to-bin" + Q(dir.file("broken.s3")) + Q(out)).status, 1);
    EXPECT_EQ(files(), before);
    WriteWholeFile(out, "earlier");
    EXPECT_EQ(RunCli("s3 to-bin" + Q(dir.file("broken.s3")) + Q(out) + " --yes").status, 1);
    EXPECT_EQ(ReadWholeFile(out), "earlier");
    // Neither is a file without a record a success; nor is a folder a BIN file.
    std::filesystem::remove(out);
    const CliResult none = RunCli("s3 to-bin" + Q(dir.file("none.s3")) + Q(out));
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out.find("wrote"), std::string::npos);
    EXPECT_NE(none.err.find("no valid S3 record"), std::string::npos) << none.err;
    EXPECT_EQ(RunCli("s3 from-bin" + Q(dir.file("folder")) + Q(dir.file("out.s3"))).status, 1);
    EXPECT_EQ(files(), before);

    // Converting onto the input, also through a link, is refused with the input intact.
    const std::string records = ReadWholeFile(s3);
    for (const char* name : {"fw.s3", "soft.s3", "hard.s3"})
        EXPECT_EQ(RunCli("s3 to-bin" + Q(s3) + Q(dir.file(name)) + " --yes").status, 1);
    for (const char* name : {"soft.bin", "hard.bin"})
        EXPECT_EQ(RunCli("s3 from-bin" + Q(bin) + Q(dir.file(name)) + " --yes").status, 1);
    EXPECT_EQ(ReadWholeFile(s3), records);
    intact("conversions");
    EXPECT_EQ(files(), before);
}

} // namespace
} // namespace tovallo::testing

namespace tovallo::testing {

// An apply cut short by a crash leaves an undo file: undo shows its ranges and undo --write puts
// every byte back. A damaged undo file is refused with nothing written, and it stays.
TEST(SrecordCli, AnApplyCutShortRollsBackWithUndo) {
    ScratchDir dir;
    const std::string bin = dir.file("fw.bin"), undo = bin + ".undo.s3";
    const std::string bytes = FirmwareBuilder(0x3000).random(0, 0x3000, 7).str();
    WriteWholeFile(bin, bytes);
    // Kept bytes 13 (two files, syncs 0 and 1), the undo file 92 (sync 2), the firmware 13 (its
    // flush is sync 3): byte 40 is in the undo file, byte 110 in the firmware.
    // A failing write (a full disk) ends the command with the undo file kept, as a crash does.
    for (const char* fault : {"exit@40", "exit@110", "exit@sync3", "fail@110"}) {
        // The crashed program leaves its temporary folder behind: in the scratch folder.
        const std::string tmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        setenv("TMPDIR", dir.path().c_str(), 1);
        setenv("TOVALLO_WRITE_FAULT", fault, 1);
        CliResult r = RunCli("apply --write" + Q(bin) + " --string 0x100=Hello --link 0x204=1:2");
        unsetenv("TOVALLO_WRITE_FAULT");
        if (tmp.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", tmp.c_str(), 1);
        ASSERT_EQ(r.status, std::string(fault) == "fail@110" ? 1 : 75) << fault << r.err;
        r = RunCli("undo" + Q(bin));
        ASSERT_EQ(r.status, 0) << r.err;
        if (std::string(fault) == "exit@40") {
            EXPECT_EQ(r.out, "no undo file for " + bin + "\n") << "the crash came before it";
        } else {
            EXPECT_EQ(r.out.rfind("undo file " + undo + "\n0x00000100 5 ", 0), 0u) << r.out;
            EXPECT_NE(r.out.find("0x00000100 5 differs"), std::string::npos) << r.out;
            r = RunCli("undo --write" + Q(bin));
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, "rolled back 13 bytes of " + bin + " from " + undo + "\n");
        }
        EXPECT_EQ(ReadWholeFile(bin), bytes) << fault;
        EXPECT_FALSE(std::filesystem::exists(undo));
    }
    const std::string damaged = "S3090000010041424344EC\nS705A002000058\n";
    WriteWholeFile(undo, damaged);
    for (const char* command : {"undo", "undo --write"}) {
        const CliResult r = RunCli(command + Q(bin));
        ExpectOneLineFailure(r, "a damaged record at line 1");
    }
    EXPECT_EQ(ReadWholeFile(bin), bytes);
    EXPECT_EQ(ReadWholeFile(undo), damaged);
}

} // namespace tovallo::testing
