#include "SrecTestSupport.h"

#include "srecord/PatchPicture.h"
#include "srecord/PatchTable.h"
#include "srecord/PatchViewContent.h"
#include "srecord/PatchWriter.h"

#include "fixtures/FileSizeLimit.h"
#include "strings/TextEncoding.h"
#include "workspace/SaveChanges.h"
#include "workspace/Workspace.h"
#include "workspace/WriteFaults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace tovallo::testing {
namespace {

class PatchTest : public ::testing::Test {
  protected:
    PatchTest() {
        WriteWholeFile(firmwarePath, FirmwareBuilder(0x4000).random(0, 0x4000, 11).str());
        EXPECT_TRUE(ws.OpenFirmware(firmwarePath, dialogs));
        ws.pumpInterval = std::chrono::milliseconds(0);
    }
    PatchTable table() {
        PatchTable t;
        t.Fill(ws.changes);
        t.SelectAll();
        return t;
    }
    bool patch(const std::string& out, PatchFiles files = PatchFiles::OneFile) {
        return CreateS3Patch(ws, table(), dialogs, progress, files, out);
    }
    bool restore(const std::string& out) {
        return CreateRestore(ws, table(), dialogs, progress, out);
    }
    void addSound(uint32_t addr, const std::string& bytes) {
        EXPECT_TRUE(ws.changes.AppendSoundChange(ws.tempDir, addr, bytes, error)) << error;
    }
    void addJava(uint32_t dataAddr, uint32_t entryAddr, const std::string& jar) {
        EXPECT_TRUE(
            ws.changes.AppendJavaChange(ws.tempDir, dataAddr, entryAddr, "entry", jar, error))
            << error;
    }
    void addImage(uint32_t addr, uint32_t size, const std::string& bytes) {
        EXPECT_TRUE(ws.changes.AppendImageChange(ws.tempDir, addr, size, bytes, error)) << error;
    }
    // Records and end records of a patch file, as "addr:len" and "S7".
    std::vector<std::string> shape(const std::string& path) {
        std::vector<std::string> out;
        for (const std::string& line : CrLfLines(ReadWholeFile(path))) {
            if (line.rfind("S3", 0) == 0) {
                const ParsedRecord r = ParseRecordLine(line);
                char addr[16];
                std::snprintf(addr, sizeof addr, "%X:", r.address);
                out.push_back(addr + std::to_string(r.data.size()));
            } else {
                out.push_back(line.substr(0, 2));
            }
        }
        return out;
    }

    ScratchDir dir;
    Workspace ws;
    ScriptedDialogs dialogs;
    NullProgress progress;
    std::string error;
    std::string firmwarePath = dir.file("fw.bin");
};

TEST_F(PatchTest, TableListsEveryChangeSortedByStart) {
    ws.changes.AppendStringChange(0x300, "Hello");
    ws.changes.AppendLinkChange(0x204, 0x12345678, 0x00400080);
    ws.changes.AppendLinkChange(0x100, 0xAABBCCDD, 0);
    addSound(0x50, std::string(300, 's'));
    addImage(0x100, 0x00100010, "picture");

    const PatchTable t = table();
    ASSERT_EQ(t.rows().size(), 5u);
    using Cells = std::array<std::string, 5>;
    EXPECT_EQ(t.cells(0), (Cells{"0", "Sound/Music", "0x00000050", "300",
                                 ws.changes.SoundChanges[0].FileName}));
    // Equal starts keep the order of the lists: pictures before links.
    EXPECT_EQ(t.cells(1),
              (Cells{"0", "Picture", "0x00000100", "7", ws.changes.ImageChanges[0].FileName}));
    EXPECT_EQ(t.cells(2), (Cells{"1", "Addr&Dim", "0x00000100", "4", "0xAABBCCDD"}));
    EXPECT_EQ(t.cells(3), (Cells{"0", "Addr&Dim", "0x00000200", "8", "0x12345678 0x00400080"}));
    EXPECT_EQ(t.cells(4), (Cells{"0", "String", "0x00000300", "5", "Hello"}));
}

TEST_F(PatchTest, PatchNamesDropTheFirstS3CaseSensitively) {
    for (auto [chosen, name] : {std::pair{"fw", "fw.s3"},
                                {"fw.s3", "fw.s3"},
                                {"fw.s3.s3", "fw.s3.s3"},
                                {"FW.S3", "FW.S3.s3"}})
        EXPECT_EQ(OneFilePatchName(chosen), name);
    EXPECT_EQ(RowPatchName("dir/fw.s3", 12), "dir/fw_12.s3");

    // Only the checked rows, each in a file named after its grid row.
    for (const char* text : {"a", "b", "c"})
        ws.changes.AppendStringChange(static_cast<uint32_t>(0x100 * (text[0] - 'a' + 1)), text);
    PatchTable t;
    t.Fill(ws.changes);
    t.SetChecked(0, true);
    t.SetChecked(2, true);
    const std::string chosen = dir.file("fw");
    ASSERT_TRUE(CreateS3Patch(ws, t, dialogs, progress, PatchFiles::DifferentFiles, chosen));
    EXPECT_EQ(shape(chosen + "_1.s3"), (std::vector<std::string>{"S0", "100:1", "S7"}));
    EXPECT_EQ(shape(chosen + "_3.s3"), (std::vector<std::string>{"S0", "300:1", "S7"}));
    EXPECT_FALSE(std::filesystem::exists(chosen + "_2.s3"));
    EXPECT_FALSE(std::filesystem::exists(chosen + ".s3"));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{22});
}

TEST_F(PatchTest, StringAndLinkPatchesInOneFile) {
    ws.changes.AppendStringChange(0x100, "ABCDE");
    const std::string out = dir.file("p.s3");
    ASSERT_TRUE(patch(out));
    EXPECT_EQ(CrLfLines(ReadWholeFile(out)),
              (std::vector<std::string>{"S00600004844521B", "S30A000001004142434445A5",
                                        "S705A002000058"}));
    // Excluded regions apply to patches too.
    ws.ExcludedRegions = {{0x102, 0x102}};
    dialogs.answers = {true};
    ASSERT_TRUE(patch(out));
    EXPECT_EQ(shape(out), (std::vector<std::string>{"S0", "100:2", "103:2", "S7"}));
    ws.ExcludedRegions.clear();

    // A link with width 128 and height 64 as its dimension word: 8 bytes from 0xFC; without a
    // dimension word only the value at the address itself.
    ws.changes.StringChanges.clear();
    ws.changes.AppendLinkChange(0x100, 0x11223344, 128 | (64u << 16));
    ws.changes.AppendLinkChange(0x200, 0x11223344, 0);
    dialogs.answers = {true};
    ASSERT_TRUE(patch(out));
    EXPECT_EQ(shape(out), (std::vector<std::string>{"S0", "FC:8", "200:4", "S7"}));
    const auto lines = CrLfLines(ReadWholeFile(out));
    EXPECT_EQ(ParseRecordLine(lines[1]).data, HexBytes("80 00 40 00 44 33 22 11"));
    EXPECT_EQ(ParseRecordLine(lines[2]).data, HexBytes("44 33 22 11"));
    EXPECT_TRUE(std::filesystem::is_empty(ws.tempDir.path())) << "the work files are gone";
}

TEST_F(PatchTest, JavaChangesWriteEndRecordsAroundTheirDescriptor) {
    addJava(0x400, 0x1000, std::string(40, 'J'));
    ws.changes.AppendStringChange(0x2000, "zz");
    const std::string out = dir.file("j.s3");
    ASSERT_TRUE(patch(out));
    // Archive, end record, entry text, archive size at entry + 128, end record (not the last
    // row), then the string and the closing end record.
    std::vector<std::string> java = {"S0", "400:16", "410:16", "420:8", "S7", "1000:5", "1080:4"};
    std::vector<std::string> expected = java;
    expected.insert(expected.end(), {"S7", "2000:2", "S7"});
    EXPECT_EQ(shape(out), expected);
    EXPECT_EQ(ParseRecordLine(CrLfLines(ReadWholeFile(out))[6]).data, HexBytes("28 00 00 00"));

    // In the last row only the closing end record follows, in a file of its own too.
    ws.changes.StringChanges.clear();
    dialogs.answers = {true};
    ASSERT_TRUE(patch(out));
    java.push_back("S7");
    EXPECT_EQ(shape(out), java);
    ASSERT_TRUE(patch(dir.file("own"), PatchFiles::DifferentFiles));
    EXPECT_EQ(shape(dir.file("own_1.s3")), java);
}

TEST_F(PatchTest, RestoreHoldsTheFirmwareBytes) {
    addSound(0x800, std::string(5000, 's'));
    addJava(0x100, 0x3000, std::string(20, 'J'));
    const std::string out = dir.file("restore.s3");
    ASSERT_TRUE(restore(out));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{22});
    // The archive, the sound and the Java entry with its size word, nothing else.
    const std::string fw = ReadWholeFile(firmwarePath);
    std::string expected(fw.size(), '\0'), restored = expected;
    for (auto [at, n] : {std::pair{0x100, 20}, {0x800, 5000}, {0x3000, 136}})
        expected.replace(at, n, fw.substr(at, n));
    ApplyS3(ReadWholeFile(out), restored);
    EXPECT_EQ(restored, expected);
    // Header, the end record before the descriptor, one after it (the Java row is not the
    // last), and the closing one.
    std::vector<std::string> kinds = shape(out);
    std::erase_if(kinds, [](const std::string& kind) { return kind[0] != 'S'; });
    EXPECT_EQ(kinds, (std::vector<std::string>{"S0", "S7", "S7", "S7"}));

    // Bytes beyond the firmware cannot be restored: refused, the earlier file stays as it was.
    const std::string earlier = ReadWholeFile(out);
    ws.changes = PendingChanges();
    addSound(0x3F00, std::string(0x200, 's'));
    dialogs.shown.clear();
    dialogs.answers = {true};
    EXPECT_FALSE(restore(out));
    EXPECT_TRUE(dialogs.showedText());
    EXPECT_EQ(ReadWholeFile(out), earlier);
}

TEST_F(PatchTest, PatchesRefuseWhatSaveAllRefusesAndLeaveEarlierFilesAlone) {
    const std::string out = dir.file("p.s3");
    // An empty table writes nothing and says nothing.
    EXPECT_FALSE(patch(out));
    EXPECT_FALSE(restore(out));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(std::filesystem::exists(out));

    WriteWholeFile(out, "earlier patch");
    const std::string firmware = ReadWholeFile(firmwarePath);
    auto refused = [&](const char* what) {
        dialogs.shown.clear();
        dialogs.answers = {true, true};
        EXPECT_FALSE(patch(out)) << what;
        ASSERT_EQ(dialogs.numbers(), std::vector<int>{-1}) << what;
        const std::string patchText = dialogs.shown[0].text;
        EXPECT_FALSE(SaveAllChanges(ws, dialogs)) << what;
        EXPECT_EQ(dialogs.shown.back().text, patchText) << "the same check refuses both";
        EXPECT_EQ(ReadWholeFile(out), "earlier patch") << what;
        EXPECT_EQ(ReadWholeFile(firmwarePath), firmware) << what;
        ws.changes = PendingChanges();
    };
    ws.changes.AppendStringChange(0x3FFF, "Hi");
    refused("a string running past the end");
    addImage(0x3F00, 0, std::string(0x101, 'p'));
    refused("a picture running past the end");
    addSound(0x100, "");
    refused("an empty replacement");
    addImage(0x100, 0, "pic");
    std::filesystem::remove(ws.changes.ImageChanges[0].FileName);
    refused("a picture whose work file is gone");
}

TEST_F(PatchTest, OutputsNeverReplaceTheFirmware) {
    ws.changes.AppendStringChange(0x100, "Hi");
    const std::string firmware = ReadWholeFile(firmwarePath);
    std::filesystem::create_symlink(firmwarePath, dir.file("soft.s3"));
    std::filesystem::create_hard_link(firmwarePath, dir.file("hard.s3"));
    const std::string p = dir.file("p.s3");
    auto both = [&](const std::string& patchName, const std::string& restoreName) {
        return CreatePatchAndRestore(ws, table(), dialogs, progress, PatchFiles::OneFile, patchName,
                                     restoreName);
    };
    for (const std::string& name : {firmwarePath, dir.file("soft.s3"), dir.file("hard.s3")}) {
        dialogs.shown.clear();
        dialogs.answers = {true, true};
        EXPECT_FALSE(restore(name)) << name;
        // Patch and restore together: the refused restore stops the patch as well.
        EXPECT_FALSE(both(p, name));
        EXPECT_EQ(dialogs.numbers(), (std::vector<int>{-1, -1})) << "refused before message 3";
    }
    // A patch named by a link to the firmware (fw.bin itself would give fw.bin.s3).
    dialogs.shown.clear();
    EXPECT_FALSE(patch(dir.file("soft.s3")));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{-1});
    EXPECT_EQ(ReadWholeFile(firmwarePath), firmware);
    EXPECT_FALSE(std::filesystem::exists(p));
    dialogs.shown.clear();
    EXPECT_FALSE(both(dir.file("p"), p));
    EXPECT_TRUE(dialogs.showedText()) << "a restore over its own patch is refused";

    ASSERT_TRUE(both(p, dir.file("r.s3")));
    std::string image = firmware;
    ApplyS3(ReadWholeFile(p), image);
    EXPECT_EQ(image.substr(0x100, 2), "Hi");
    ApplyS3(ReadWholeFile(dir.file("r.s3")), image);
    EXPECT_EQ(image, firmware);
}

TEST_F(PatchTest, AFailedRowLeavesNoneOfTheRowFiles) {
    ws.changes.AppendStringChange(0x100, "Hi");
    addSound(0x200, std::string(0x2000, 's'));
    const std::string chosen = dir.file("rows");
    WriteWholeFile(chosen + "_1.s3", "earlier row");
    dialogs.answers = {true};
    {
        FileSizeLimit limit(0x4000); // the sound's 0x2000 bytes take more as records
        EXPECT_FALSE(patch(chosen, PatchFiles::DifferentFiles));
    }
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{3, 13}));
    EXPECT_EQ(ReadWholeFile(chosen + "_1.s3"), "earlier row");
    EXPECT_FALSE(std::filesystem::exists(chosen + "_2.s3"));
}

// A write or a sync failing anywhere in a patch and its restore (a full disk) leaves the earlier
// patch as it was and adds no file, not even a temporary one; a crash leaves the earlier patch.
TEST_F(PatchTest, AWriteFaultAnywhereLeavesTheEarlierFilesAndNoPartialOne) {
    ws.changes.AppendStringChange(0x100, "Hi");
    addSound(0x200, std::string(0x800, 's'));
    const std::string out = dir.file("p.s3"), back = dir.file("r.s3");
    const auto files = [this] {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.insert(e.path().filename().string());
        return names;
    };
    const auto both = [&] {
        dialogs.answers = {true};
        return CreatePatchAndRestore(ws, table(), dialogs, progress, PatchFiles::OneFile, out,
                                     back);
    };
    SetWriteFault(WriteFault{});
    ASSERT_TRUE(both());
    const WriteCounts whole = WrittenSinceFaultSet();
    std::filesystem::remove(back);
    WriteWholeFile(out, "earlier patch");
    const auto before = files();

    std::vector<WriteFault> faults(4);
    faults[0].atByte = 0;
    faults[1].atByte = whole.bytes / 3;
    faults[2].atByte = whole.bytes * 2 / 3;
    faults[3].atByte = whole.bytes - 1;
    // The last two syncs put the patch and then the restore on the disk: with the patch whole,
    // a failing restore still leaves the earlier patch in place.
    ASSERT_GE(whole.syncs, 2u);
    for (unsigned sync = 0; sync < whole.syncs; ++sync)
        faults.emplace_back().atSync = sync;
    for (const WriteFault& fault : faults) {
        SetWriteFault(fault);
        EXPECT_FALSE(both());
        SetWriteFault(std::nullopt);
        EXPECT_EQ(ReadWholeFile(out), "earlier patch");
        EXPECT_EQ(files(), before);
    }
    if (const pid_t child = fork(); child == 0) {
        WriteFault crash;
        crash.action = WriteFault::Action::Exit;
        crash.atByte = whole.bytes / 2;
        SetWriteFault(crash);
        both();
        _exit(0);
    } else {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(WEXITSTATUS(status), 75);
    }
    EXPECT_EQ(ReadWholeFile(out), "earlier patch");
    EXPECT_FALSE(std::filesystem::exists(back));
}

TEST_F(PatchTest, ARestoreMadeAfterSaveAllGivesBackTheFirmwareAsItWas) {
    const std::string original = ReadWholeFile(firmwarePath);
    ws.changes.AppendStringChange(0x210, "inside the picture");
    addImage(0x200, 0, std::string(0x80, 'p'));
    ws.changes.AppendLinkChange(0x404, 0x12345678, 0x00400080);
    addSound(0x800, std::string(5000, 's'));
    addJava(0x2000, 0x3000, std::string(40, 'J'));
    ASSERT_TRUE(SaveAllChanges(ws, dialogs));
    ASSERT_TRUE(SaveAllChanges(ws, dialogs)) << "a second save keeps the first save's bytes";
    ws.firmware.flush();
    std::string image = ReadWholeFile(firmwarePath);
    ASSERT_NE(image, original);
    ASSERT_TRUE(restore(dir.file("restore.s3")));
    ApplyS3(ReadWholeFile(dir.file("restore.s3")), image);
    EXPECT_EQ(image, original);
}

TEST_F(PatchTest, ViewerContents) {
    ws.changes.AppendStringChange(0x10, WinToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2")); // "Привет"
    ws.changes.AppendLinkChange(0x100, 0x0003F304, 128 | (160u << 16));
    ws.changes.AppendLinkChange(0x200, 0x0003F304, 0);
    ws.changes.AppendLinkChange(0x300, 0x0003F304, 0x80000001u); // negative: no dimension
    addSound(0x400, "MMMD");
    // A 3 x 1 "09" picture: palette of one colour, then one repeated-index packet.
    const std::string pic = HexBytes("09 01 1F 00 C3 00");
    addImage(0x500, 3 | (1u << 16), pic);
    addImage(0x600, 400 | (1u << 16), pic);

    std::vector<PatchViewContent> views;
    const PatchTable t = table();
    for (const PatchRow& row : t.rows())
        views.push_back(PatchViewFor(ws.changes, row));
    ASSERT_EQ(views.size(), 7u);
    EXPECT_EQ(views[0].kind, PatchViewContent::Kind::Text);
    EXPECT_EQ(views[0].text, "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(views[1].text, "Address= 0x0003F304\r\nDimension= 128*160");
    EXPECT_EQ(views[2].text, "Address= 0x0003F304");
    EXPECT_EQ(views[3].text, "Address= 0x0003F304");
    EXPECT_EQ(views[4].kind, PatchViewContent::Kind::Nothing);
    ASSERT_EQ(views[5].kind, PatchViewContent::Kind::Picture);
    const auto decoded = DecodePatchPicture(views[5]);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->outcome, Decode09Outcome::Ok);
    EXPECT_EQ(decoded->picture, Picture(3, 1, MakeRgb24(0, 0, 255)));
    EXPECT_FALSE(DecodePatchPicture(views[6])) << "wider than the display: not drawn";
}

} // namespace
} // namespace tovallo::testing
