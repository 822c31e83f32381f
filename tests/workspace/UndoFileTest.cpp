#include "workspace/UndoFile.h"
#include "fixtures/CrashedSave.h"
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "workspace/SaveChanges.h"
#include "workspace/Workspace.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace tovallo;
using namespace tovallo::testing;
namespace fs = std::filesystem;

namespace {

class UndoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        original = ReadWholeFile(WritePatternedFirmware(dir.file("original.bin")));
        path = dir.file("fw.bin");
    }
    void TearDown() override { SetWriteFault(std::nullopt); }
    void freshFirmware() {
        WriteWholeFile(path, original);
        fs::remove(UndoFileBeside(path));
    }
    // Files in the folder other than the firmwares, the undo file and the children's folders.
    std::vector<std::string> strayFiles() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.is_regular_file() && e.path().extension() != ".bin" &&
                e.path().string() != UndoFileBeside(path))
                out.push_back(e.path().filename().string());
        return out;
    }
    // Opens the firmware as a user would after the crash, answering Yes to the rollback.
    void rollBackOnOpen(const std::string& label, const std::string& undoFolder = {}) {
        Workspace ws;
        ws.undoFolder = undoFolder;
        ScriptedDialogs dialogs;
        ASSERT_TRUE(ws.OpenFirmware(path, dialogs)) << label;
        const bool leftover = FindUndoFile(path, undoFolder).has_value();
        dialogs.answers = {true};
        EXPECT_EQ(OfferRollback(ws, dialogs), leftover) << label;
        ws.firmware.close();
        EXPECT_EQ(ReadWholeFile(path), original) << label;
        EXPECT_FALSE(FindUndoFile(path, undoFolder)) << label;
    }
    ScratchDir dir;
    std::string original;
    std::string path;
};

WriteFault exitAt(uint64_t byte) {
    WriteFault f;
    f.action = WriteFault::Action::Exit;
    f.atByte = byte;
    return f;
}

} // namespace

// A crash anywhere in the save, from the undo file's first byte to the firmware's flush, leaves
// a firmware that rolls back to its exact bytes; a save that was not cut short leaves no undo
// file and the changes in place.
TEST_F(UndoTest, ACrashAtAnyPointOfTheSaveRollsBackToTheOriginalBytes) {
    freshFirmware();
    const SaveWrites whole = CountSaveWrites(path);
    const uint64_t first = whole.firstFirmwareByte();
    const uint64_t inFirmware = whole.firmwareBytes;
    ASSERT_GT(inFirmware, 4000u);
    std::vector<WriteFault> faults;
    for (const uint64_t at :
         {uint64_t{0}, uint64_t{1}, first / 2, first - 1, first, first + 1, first + inFirmware / 4,
          first + inFirmware / 2, first + inFirmware * 3 / 4, whole.all.bytes - 1})
        faults.push_back(exitAt(at));
    for (unsigned sync = 0; sync < whole.all.syncs; ++sync) {
        WriteFault f;
        f.action = WriteFault::Action::Exit;
        f.atSync = sync; // the last one is the firmware's flush
        faults.push_back(f);
    }
    for (const WriteFault& fault : faults) {
        const std::string label = fault.atByte ? "byte " + std::to_string(*fault.atByte)
                                               : "sync " + std::to_string(*fault.atSync);
        freshFirmware();
        ASSERT_EQ(SaveInChild(path, fault), fault.exitStatus) << label;
        rollBackOnOpen(label);
    }
    freshFirmware();
    ASSERT_EQ(SaveInChild(path, exitAt(whole.all.bytes)), 0);
    EXPECT_FALSE(FindUndoFile(path, {}));
    const std::string saved = ReadWholeFile(path);
    EXPECT_EQ(saved.substr(0x100, 8), "NEW TEXT");
    EXPECT_EQ(saved.substr(0x3400, 4), "MMMD");
}

// A full disk stops the save at once with its reason; the lists and their files stay; the undo
// file is offered at once (No keeps it), a repeated save completes, and an undo file left by a
// failed save still leads back to the bytes from before it when a later save is cut short.
TEST_F(UndoTest, AFullDiskIsReportedAtOnceAndNothingIsLost) {
    freshFirmware();
    const SaveWrites whole = CountSaveWrites(path);
    Workspace ws;
    ScriptedDialogs dialogs;
    const uint64_t first = whole.firstFirmwareByte();
    // In the undo file, at the first firmware byte, in the Java application, at the last byte.
    for (const uint64_t at : {first / 2, first, whole.all.bytes - 1000, whole.all.bytes - 1}) {
        Workspace ws;
        ASSERT_TRUE(ws.OpenFirmware(path, dialogs));
        QueueEveryKindOfChange(ws);
        const auto images = ws.changes.ImageChanges;
        WriteFault full;
        full.atByte = at;
        SetWriteFault(full);
        dialogs.shown.clear();
        EXPECT_FALSE(SaveAllChanges(ws, dialogs));
        SetWriteFault(std::nullopt);
        ASSERT_FALSE(dialogs.shown.empty());
        EXPECT_NE(dialogs.shown[0].text.find("No space left on device"), std::string::npos);
        EXPECT_EQ(ws.changes.total(), 5u);
        for (const auto& i : images)
            EXPECT_TRUE(fs::exists(i.FileName)) << at;
        const auto undo = FindUndoFile(path, {});
        EXPECT_EQ(undo.has_value(), at >= first) << at;
        if (undo) {
            EXPECT_NE(dialogs.shown[0].text.find(*undo), std::string::npos);
            EXPECT_EQ(dialogs.shown.back().kind, 'q') << "the rollback is offered; No keeps it";
            std::string error;
            ASSERT_TRUE(RollBack(ws, *undo, error)) << error;
        }
        EXPECT_EQ(ReadWholeFile(path), original) << at;
    }
    ASSERT_TRUE(ws.OpenFirmware(path, dialogs));
    QueueEveryKindOfChange(ws);
    WriteFault full;
    full.atByte = whole.all.bytes - 1000;
    SetWriteFault(full);
    dialogs.shown.clear();
    EXPECT_FALSE(SaveAllChanges(ws, dialogs));
    EXPECT_NE(dialogs.shown[0].text.find("Writing the Java application at 0x00002000 into the "
                                         "firmware failed: No space left on device"),
              std::string::npos);
    ASSERT_TRUE(FindUndoFile(path, {}));

    // The user made room and saves again; the earlier undo file is folded into the new one.
    SetWriteFault(std::nullopt);
    dialogs.shown.clear();
    ASSERT_TRUE(SaveAllChanges(ws, dialogs));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(FindUndoFile(path, {}));

    // A failed save leaves its undo file; a second save cut short folds it in: the rollback goes
    // back to the bytes before the first one.
    freshFirmware();
    ws.firmware.close();
    ASSERT_TRUE(ws.OpenFirmware(path, dialogs));
    ws.changes.AppendStringChange(0x100, "FIRST");
    full.atByte = 40;
    SetWriteFault(full);
    EXPECT_FALSE(SaveAllChanges(ws, dialogs)); // in the undo file: nothing written, nothing left
    EXPECT_FALSE(FindUndoFile(path, {}));
    EXPECT_EQ(strayFiles(), std::vector<std::string>{});
    EXPECT_EQ(ReadWholeFile(path), original);
    WriteFault midFirmware;
    midFirmware.atSync = 1; // the undo file is whole, the firmware's flush fails
    SetWriteFault(midFirmware);
    EXPECT_FALSE(SaveAllChanges(ws, dialogs));
    ASSERT_TRUE(FindUndoFile(path, {}));
    SetWriteFault(std::nullopt);
    ws.firmware.close();
    ASSERT_EQ(SaveInChild(path, exitAt(whole.all.bytes - 100)), 75);
    rollBackOnOpen("after two saves");

    // Kept for later at the open, the undo file outlives a completed save and still leads back.
    ASSERT_EQ(SaveInChild(path, exitAt(whole.all.bytes - 100)), 75);
    ASSERT_TRUE(ws.OpenFirmware(path, dialogs));
    EXPECT_FALSE(OfferRollback(ws, dialogs));
    ws.changes.AppendStringChange(0x3F00, "LATER");
    ASSERT_TRUE(SaveAllChanges(ws, dialogs));
    EXPECT_EQ(ws.readBytes(0x3F00, 5), "LATER");
    EXPECT_TRUE(FindUndoFile(path, {}));
    ws.firmware.close();
    rollBackOnOpen("kept for later");
}

// An undo file that does not fit the firmware is refused with nothing written, and it stays.
TEST_F(UndoTest, ADamagedUndoFileIsRefusedAndKept) {
    const std::string header = "S00600004844521B\n";
    const std::string record = "S3090000010041424344EB\n"; // "ABCD" at 0x100
    const std::string end = "S705A002000058\n";
    const std::pair<std::string, std::string> files[] = {
        {header + "S3090000010041424344EC\n" + end, "damaged record at line 2"},
        {header + record, "no end record"},
        {header + record + end + record, "follows the end record"},
        {header + "S30900003FFE41424344AF\n" + end, "outside the firmware"},
        {header + end, "holds no record"},
        {header + "S3090000010041424X44EB\n" + end, "damaged record"},
    };
    for (const auto& [text, reason] : files) {
        freshFirmware();
        WriteWholeFile(UndoFileBeside(path), text);
        Workspace ws;
        ScriptedDialogs dialogs;
        ASSERT_TRUE(ws.OpenFirmware(path, dialogs));
        dialogs.answers = {true};
        EXPECT_FALSE(OfferRollback(ws, dialogs)) << reason;
        ASSERT_EQ(dialogs.shown.size(), 2u) << reason;
        EXPECT_NE(dialogs.shown[1].text.find(reason), std::string::npos) << dialogs.shown[1].text;
        // Save All will not fold a damaged file into a new one either.
        ws.changes.AppendStringChange(0x10, "X");
        EXPECT_FALSE(SaveAllChanges(ws, dialogs)) << reason;
        ws.firmware.close();
        EXPECT_EQ(ReadWholeFile(path), original) << reason;
        EXPECT_EQ(ReadWholeFile(UndoFileBeside(path)), text) << reason;
    }
    // The same file with the right checksum rolls back; No leaves it for later.
    freshFirmware();
    WriteWholeFile(UndoFileBeside(path), header + record + end);
    Workspace ws;
    ScriptedDialogs dialogs;
    ASSERT_TRUE(ws.OpenFirmware(path, dialogs));
    EXPECT_FALSE(OfferRollback(ws, dialogs)) << "no answer is No";
    EXPECT_TRUE(FindUndoFile(path, {}));
    std::string error;
    const auto ranges = ReadUndoFile(ws, *FindUndoFile(path, {}), error);
    ASSERT_TRUE(ranges) << error;
    ASSERT_EQ(ranges->size(), 1u);
    EXPECT_EQ((*ranges)[0].address, 0x100u);
    EXPECT_EQ((*ranges)[0].length, 4u);
    EXPECT_TRUE((*ranges)[0].differs);
    dialogs.answers = {true};
    EXPECT_TRUE(OfferRollback(ws, dialogs));
    EXPECT_EQ(ws.readBytes(0x100, 4), "ABCD");
}

TEST_F(UndoTest, BesideTheFirmwareOrInTheSettingsFolderByItsFullPath) {
    const std::string fw = dir.file("a.bin");
    WriteWholeFile(fw, "x");
    fs::create_symlink(fw, dir.file("link.bin"));
    EXPECT_EQ(UndoFileBeside(dir.file("link.bin")), fs::canonical(fw).string() + ".undo.s3");
    const std::string inFolder = UndoFileInFolder(fw, "/cfg");
    EXPECT_EQ(inFolder.rfind("/cfg/a.bin-", 0), 0u);
    EXPECT_NE(inFolder, UndoFileInFolder(dir.file("other/a.bin"), "/cfg"));
    EXPECT_FALSE(FindUndoFile(fw, dir.file("cfg")));
    fs::create_directory(dir.file("cfg"));
    WriteWholeFile(UndoFileInFolder(fw, dir.file("cfg")), "S");
    EXPECT_EQ(FindUndoFile(fw, dir.file("cfg")), UndoFileInFolder(fw, dir.file("cfg")));

    // A firmware whose folder cannot be written keeps its undo file in the settings folder,
    // where the next open finds it.
    const std::string locked = dir.file("locked"), settings = dir.file("cfg");
    fs::create_directories(locked);
    path = locked + "/fw.bin";
    freshFirmware();
    const SaveWrites whole = CountSaveWrites(path);
    fs::permissions(locked,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    WriteFault atFlush;
    atFlush.action = WriteFault::Action::Exit;
    atFlush.atSync = whole.all.syncs - 1; // the firmware's bytes are written, not yet synced
    ASSERT_EQ(SaveInChild(path, atFlush, settings), atFlush.exitStatus);
    fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(ReadWholeFile(path) != original);
    EXPECT_FALSE(fs::exists(UndoFileBeside(path)));
    EXPECT_TRUE(fs::exists(UndoFileInFolder(path, settings)));
    rollBackOnOpen("settings folder", settings);
}
