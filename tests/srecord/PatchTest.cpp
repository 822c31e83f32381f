#include "SrecTestSupport.h"

#include "srecord/PatchPicture.h"
#include "srecord/PatchTable.h"
#include "srecord/PatchViewer.h"
#include "srecord/PatchWriter.h"

#include "strings/TextEncoding.h"
#include "workspace/Workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

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
    void addSound(uint32_t addr, const std::string& bytes) {
        std::string error;
        ASSERT_TRUE(ws.changes.AppendSoundChange(ws.tempDir, addr, bytes, error)) << error;
    }
    void addJava(uint32_t dataAddr, uint32_t entryAddr, const std::string& entry,
                 const std::string& jar) {
        std::string error;
        ASSERT_TRUE(ws.changes.AppendJavaChange(ws.tempDir, dataAddr, entryAddr, entry, jar, error))
            << error;
    }
    std::string firmware(uint32_t at, size_t n) {
        return ReadWholeFile(firmwarePath).substr(at, n);
    }
    // Records and end records of a patch file, as "addr:len" and "S7".
    std::vector<std::string> shape(const std::string& path) {
        std::vector<std::string> out;
        for (const std::string& line : CrLfLines(ReadWholeFile(path))) {
            if (line.rfind("S3", 0) == 0) {
                const ParsedRecord r = ParseRecordLine(line);
                out.push_back(ToHex(r.address) + ":" + std::to_string(r.data.size()));
            } else {
                out.push_back(line.substr(0, 2));
            }
        }
        return out;
    }
    static std::string ToHex(uint32_t v) {
        char b[16];
        std::snprintf(b, sizeof b, "%X", v);
        return b;
    }

    ScratchDir dir;
    Workspace ws;
    ScriptedDialogs dialogs;
    NullProgress progress;
    std::string firmwarePath = dir.file("fw.bin");
};

TEST_F(PatchTest, TableListsEveryChangeSortedByStart) {
    ws.changes.AppendStringChange(0x300, "Hello");
    ws.changes.AppendLinkChange(0x204, 0x12345678, 0x00400080);
    ws.changes.AppendLinkChange(0x100, 0xAABBCCDD, 0);
    addSound(0x50, std::string(300, 's'));
    std::string error;
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 0x100, 0x00100010, "picture", error));

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
    EXPECT_TRUE(t.rows()[4].Checked);
    PatchTable fresh;
    fresh.Fill(ws.changes);
    EXPECT_FALSE(fresh.rows()[0].Checked);
}

TEST_F(PatchTest, PatchNamesDropTheFirstS3CaseSensitively) {
    EXPECT_EQ(OneFilePatchName("fw"), "fw.s3");
    EXPECT_EQ(OneFilePatchName("fw.s3"), "fw.s3");
    EXPECT_EQ(OneFilePatchName("fw.s3.s3"), "fw.s3.s3");
    EXPECT_EQ(OneFilePatchName("FW.S3"), "FW.S3.s3");
    EXPECT_EQ(RowPatchName("dir/fw.s3", 12), "dir/fw_12.s3");

    ws.changes.AppendStringChange(0x100, "a");
    ws.changes.AppendStringChange(0x200, "b");
    ws.changes.AppendStringChange(0x300, "c");
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
    ASSERT_TRUE(CreateS3Patch(ws, table(), dialogs, progress, PatchFiles::OneFile, out));
    const std::vector<std::string> expected = {"S00600004844521B", "S30A000001004142434445A5",
                                               "S705A002000058"};
    EXPECT_EQ(CrLfLines(ReadWholeFile(out)), expected);

    // A link with width 128 and height 64 as its dimension word: 8 bytes from 0xFC.
    ws.changes.StringChanges.clear();
    ws.changes.AppendLinkChange(0x100, 0x11223344, 128 | (64u << 16));
    dialogs.answers = {true};
    ASSERT_TRUE(CreateS3Patch(ws, table(), dialogs, progress, PatchFiles::OneFile, out));
    auto lines = CrLfLines(ReadWholeFile(out));
    ASSERT_EQ(lines.size(), 3u);
    ParsedRecord r = ParseRecordLine(lines[1]);
    EXPECT_EQ(r.address, 0xFCu);
    EXPECT_EQ(r.data, HexBytes("80 00 40 00 44 33 22 11"));

    // Without a dimension word only the value at the address itself.
    ws.changes.LinkChanges.clear();
    ws.changes.AppendLinkChange(0x100, 0x11223344, 0);
    dialogs.answers = {true};
    ASSERT_TRUE(CreateS3Patch(ws, table(), dialogs, progress, PatchFiles::OneFile, out));
    lines = CrLfLines(ReadWholeFile(out));
    r = ParseRecordLine(lines.at(1));
    EXPECT_EQ(r.address, 0x100u);
    EXPECT_EQ(r.data, HexBytes("44 33 22 11"));
    // The work files are gone.
    EXPECT_TRUE(std::filesystem::is_empty(ws.tempDir.path()));
}

TEST_F(PatchTest, ExcludedRegionsApplyToPatches) {
    ws.changes.AppendStringChange(0x100, "ABCDE");
    ws.ExcludedRegions = {{0x102, 0x102}};
    const std::string out = dir.file("p.s3");
    ASSERT_TRUE(CreateS3Patch(ws, table(), dialogs, progress, PatchFiles::OneFile, out));
    EXPECT_EQ(shape(out), (std::vector<std::string>{"S0", "100:2", "103:2", "S7"}));
}

TEST_F(PatchTest, JavaChangesWriteEndRecordsAroundTheirDescriptor) {
    const std::string jar(40, 'J');
    addJava(0x400, 0x1000, "entry", jar);
    ws.changes.AppendStringChange(0x2000, "zz");
    const std::string out = dir.file("j.s3");
    ASSERT_TRUE(CreateS3Patch(ws, table(), dialogs, progress, PatchFiles::OneFile, out));
    // Archive, end record, entry text, archive size at entry + 128, end record (not the last
    // row), then the string and the closing end record.
    EXPECT_EQ(shape(out), (std::vector<std::string>{"S0", "400:16", "410:16", "420:8", "S7",
                                                    "1000:5", "1080:4", "S7", "2000:2", "S7"}));
    const auto lines = CrLfLines(ReadWholeFile(out));
    EXPECT_EQ(ParseRecordLine(lines[6]).data, HexBytes("28 00 00 00"));

    // In the last row only the closing end record follows.
    ws.changes.StringChanges.clear();
    dialogs.answers = {true};
    ASSERT_TRUE(CreateS3Patch(ws, table(), dialogs, progress, PatchFiles::OneFile, out));
    EXPECT_EQ(shape(out), (std::vector<std::string>{"S0", "400:16", "410:16", "420:8", "S7",
                                                    "1000:5", "1080:4", "S7"}));

    // A file of its own reads the same.
    ASSERT_TRUE(
        CreateS3Patch(ws, table(), dialogs, progress, PatchFiles::DifferentFiles, dir.file("own")));
    EXPECT_EQ(shape(dir.file("own_1.s3")), shape(out));
}

TEST_F(PatchTest, RestoreHoldsTheFirmwareBytes) {
    addSound(0x800, std::string(5000, 's'));
    addJava(0x100, 0x3000, "entry", std::string(20, 'J'));
    const std::string out = dir.file("restore.s3");
    ASSERT_TRUE(CreateRestore(ws, table(), dialogs, progress, out));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{22});

    std::string sound, archive, entry;
    std::vector<std::string> kinds;
    for (const std::string& line : CrLfLines(ReadWholeFile(out))) {
        if (line.rfind("S3", 0) != 0) {
            kinds.push_back(line.substr(0, 2));
            continue;
        }
        const ParsedRecord r = ParseRecordLine(line);
        if (r.address >= 0x3000)
            entry += r.data;
        else if (r.address >= 0x800)
            sound += r.data;
        else
            archive += r.data;
    }
    EXPECT_EQ(sound, firmware(0x800, 5000));
    EXPECT_EQ(archive, firmware(0x100, 20));
    EXPECT_EQ(entry, firmware(0x3000, 136));
    // Header, the end record before the descriptor, one after it (the Java row is not the
    // last), and the closing one.
    EXPECT_EQ(kinds, (std::vector<std::string>{"S0", "S7", "S7", "S7"}));

    // Bytes beyond the firmware cannot be restored: refused, no file left.
    ws.changes.SoundChanges.clear();
    ws.changes.JavaChanges.clear();
    addSound(0x3F00, std::string(0x200, 's'));
    dialogs.shown.clear();
    dialogs.answers = {true};
    EXPECT_FALSE(CreateRestore(ws, table(), dialogs, progress, out));
    EXPECT_TRUE(dialogs.showedText());
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(PatchTest, EmptyTableAndMissingFiles) {
    const std::string out = dir.file("p.s3");
    EXPECT_FALSE(CreateS3Patch(ws, table(), dialogs, progress, PatchFiles::OneFile, out));
    EXPECT_FALSE(CreateRestore(ws, table(), dialogs, progress, out));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(std::filesystem::exists(out));

    // A picture whose temporary file is gone: message 19, no success, no half-written patch.
    std::string error;
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 0x100, 0, "pic", error));
    std::filesystem::remove(ws.changes.ImageChanges[0].FileName);
    EXPECT_FALSE(CreateS3Patch(ws, table(), dialogs, progress, PatchFiles::OneFile, out));
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{19});
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(PatchTest, ViewerContents) {
    ws.changes.AppendStringChange(0x10, WinToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2")); // "Привет"
    ws.changes.AppendLinkChange(0x100, 0x0003F304, 128 | (160u << 16));
    ws.changes.AppendLinkChange(0x200, 0x0003F304, 0);
    ws.changes.AppendLinkChange(0x300, 0x0003F304, 0x80000001u); // negative: no dimension
    addSound(0x400, "MMMD");
    // A 3 x 1 "09" picture: palette of one colour, then one repeated-index packet.
    const std::string pic = HexBytes("09 01 1F 00 C3 00");
    std::string error;
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 0x500, 3 | (1u << 16), pic, error));
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 0x600, 400 | (1u << 16), pic, error));

    const PatchTable t = table();
    std::vector<PatchViewContent> views;
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
    EXPECT_EQ(views[5].width, 3);
    EXPECT_EQ(views[5].height, 1);

    const auto decoded = DecodePatchPicture(views[5]);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->outcome, Decode09Outcome::Ok);
    ASSERT_EQ(decoded->picture.Pixels.size(), 3u);
    EXPECT_EQ(decoded->picture.at(2, 0), decoded->palette.at(0));
    EXPECT_NE(decoded->picture.at(0, 0), White);
    // Wider than the display: not drawn.
    EXPECT_FALSE(DecodePatchPicture(views[6]));
}

} // namespace
} // namespace tovallo::testing
