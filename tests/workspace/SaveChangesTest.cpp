#include "workspace/SaveChanges.h"
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "workspace/Workspace.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

class SaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = FirmwareBuilder(64, 0xEE).write(dir.file("fw.bin"));
        ASSERT_TRUE(ws.OpenFirmware(path, dialogs));
    }
    std::string firmware() {
        ws.firmware.flush();
        return ReadWholeFile(path);
    }
    ScratchDir dir;
    std::string path;
    Workspace ws;
    ScriptedDialogs dialogs;
    std::string error;
};

} // namespace

TEST_F(SaveTest, ChangesAreWrittenInListOrderAndKeptForAnotherSave) {
    ws.changes.AppendStringChange(2, HexBytes("41 01 42 01"));
    EXPECT_EQ(ws.changes.StringChanges[0].Text, HexBytes("41 00 42 01"));
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 8, 0x00020002, "PICT", error));
    EXPECT_EQ(std::filesystem::path(ws.changes.ImageChanges[0].FileName).filename(), "Image0.tmp");
    ws.changes.AppendLinkChange(24, 0x11223344, 0x00100020); // prefix at 20, value at 24
    ws.changes.AppendLinkChange(9, 0xAABBCCDD, 0);           // overwrites part of the picture
    ASSERT_TRUE(ws.changes.AppendJavaChange(ws.tempDir, 40, 30, "E", "JJ", error));
    ASSERT_TRUE(ws.changes.AppendSoundChange(ws.tempDir, 60, "SN", error));
    EXPECT_EQ(ws.changes.SoundChanges[0].Size, 2u);

    ws.profile.JavaSizeOffset = 4; // keeps the entry's size field inside this small image
    ASSERT_TRUE(SaveAllChanges(ws, dialogs));
    EXPECT_TRUE(dialogs.shown.empty());
    const std::string fw = firmware();
    EXPECT_EQ(fw.substr(2, 4), HexBytes("41 00 42 01"));
    EXPECT_EQ(fw.substr(8, 4), HexBytes("50 DD CC BB")) << "links land after the picture \"P\"";
    EXPECT_EQ(fw.substr(20, 8), HexBytes("20 00 10 00 44 33 22 11"));
    EXPECT_EQ(fw.substr(30, 1), "E");
    EXPECT_EQ(fw.substr(34, 4), HexBytes("02 00 00 00")) << "the size of the Java file";
    EXPECT_EQ(fw.substr(40, 2), "JJ");
    EXPECT_EQ(fw.substr(60, 2), "SN");
    EXPECT_EQ(fw.size(), 64u);
    EXPECT_EQ(ws.changes.total(), 6u) << "saving keeps the lists";
}

TEST_F(SaveTest, NothingIsWrittenWhenAnyChangeFailsItsCheck) {
    const std::string before = firmware();
    ws.changes.AppendStringChange(0, "OK");
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 10, 0, "PICTURE", error));
    std::filesystem::remove(ws.changes.ImageChanges[0].FileName);
    EXPECT_FALSE(SaveAllChanges(ws, dialogs));
    EXPECT_TRUE(dialogs.showedText());
    EXPECT_EQ(firmware(), before) << "a missing temporary file stops the save before any write";

    ws.changes.clear();
    dialogs.shown.clear();
    ws.changes.AppendStringChange(0, "OK");
    ws.changes.AppendStringChange(62, "TOO LONG");
    EXPECT_FALSE(SaveAllChanges(ws, dialogs));
    EXPECT_EQ(firmware(), before) << "a change past the end would grow the image";
    EXPECT_EQ(firmware().size(), 64u);

    ws.changes.clear();
    ws.changes.AppendLinkChange(2, 1, 7); // the prefix would land before offset 0
    EXPECT_FALSE(SaveAllChanges(ws, dialogs));
    EXPECT_EQ(firmware(), before);
}

TEST_F(SaveTest, AFailingWriteIsReportedAndTheListsStay) {
    ws.changes.AppendStringChange(0, "OK");
    // Reopen the same file read-only: every write fails.
    ASSERT_TRUE(ws.firmware.open(path, error, false));
    EXPECT_FALSE(SaveAllChanges(ws, dialogs));
    EXPECT_TRUE(dialogs.showedText());
    EXPECT_EQ(ws.changes.total(), 1u);
}

TEST_F(SaveTest, QuestionsGuardSavingAndClosing) {
    ws.changes.AppendStringChange(0, "XY");
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 10, 0, "PIC", error));
    const std::string temp = ws.changes.ImageChanges[0].FileName;
    const std::string before = firmware();

    SaveAllChangesAsked(ws, dialogs); // the queue is empty: the answer is No
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{11});
    EXPECT_EQ(firmware(), before);

    CloseFirmware(ws, dialogs); // No again: nothing written, temporary files still deleted
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{11, 11}));
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_FALSE(std::filesystem::exists(temp));
    EXPECT_FALSE(ws.FwIsOpen());

    Workspace fresh; // never opened: closing asks nothing, saving does nothing
    ScriptedDialogs quiet;
    SaveAllChangesAsked(fresh, quiet);
    CloseFirmware(fresh, quiet);
    EXPECT_TRUE(quiet.shown.empty());
}

TEST_F(SaveTest, OpeningAnotherFirmwareDiscardsChangesAndARefusedOpenKeepsEverything) {
    ws.changes.AppendStringChange(0, "XY");
    ws.SearchPos = 40;
    EXPECT_FALSE(ws.OpenFirmware(dir.file("missing.bin"), dialogs));
    EXPECT_TRUE(dialogs.showedText());
    EXPECT_EQ(ws.firmware.path(), path);
    EXPECT_EQ(ws.changes.total(), 1u);
    EXPECT_EQ(ws.SearchPos, 40u);

    const std::string second = FirmwareBuilder(32, 0).write(dir.file("second.bin"));
    ASSERT_TRUE(ws.OpenFirmware(second, dialogs));
    EXPECT_EQ(ws.FwSize(), 32);
    EXPECT_EQ(ws.changes.total(), 0u);
    EXPECT_EQ(ws.SearchPos, 0u);
    EXPECT_TRUE(SaveAllChanges(ws, dialogs));
    EXPECT_EQ(ReadWholeFile(second), std::string(32, '\0'));
}
