#include "workspace/SaveChanges.h"
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "workspace/ChangeChecks.h"
#include "workspace/Workspace.h"

#include <filesystem>
#include <functional>
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
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 8, 0x00020002, "PICT", error));
    EXPECT_EQ(std::filesystem::path(ws.changes.ImageChanges[0].FileName).filename(), "Image0.tmp");
    ws.changes.AppendLinkChange(24, 0x11223344, 0x00100020); // prefix at 20, value at 24
    ws.changes.AppendLinkChange(9, 0xAABBCCDD, 0);           // overwrites part of the picture
    ASSERT_TRUE(ws.changes.AppendJavaChange(ws.tempDir, 40, 30, "E", "JJ", error));
    ASSERT_TRUE(ws.changes.AppendSoundChange(ws.tempDir, 60, "SN", error));

    ws.profile.JavaSizeOffset = 4; // keeps the entry's size field inside this small image
    const SaveSummary saved = SaveAllChanges(ws, dialogs);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(saved.changes, 6u);
    EXPECT_EQ(saved.bytes, 4u + 4 + 8 + 4 + (2 + 1 + 4) + 2) << "a Java change: file, entry, size";
    // The string's first end code becomes 0; links land after the picture "P"; the Java entry
    // at 30 gets the file's size at 30 + 4.
    const std::pair<size_t, std::string> written[] = {{2, HexBytes("41 00 42 01")},
                                                      {8, HexBytes("50 DD CC BB")},
                                                      {20, HexBytes("20 00 10 00 44 33 22 11")},
                                                      {30, "E"},
                                                      {34, HexBytes("02 00 00 00")},
                                                      {40, "JJ"},
                                                      {60, "SN"}};
    const std::string fw = firmware();
    for (const auto& [at, bytes] : written)
        EXPECT_EQ(fw.substr(at, bytes.size()), bytes) << at;
    EXPECT_EQ(fw.size(), 64u);
    EXPECT_EQ(ws.changes.total(), 6u) << "saving keeps the lists";
}

// Every change is checked before the first write: a missing temporary file, a change past the
// end (it would grow the image), a link prefix before offset 0, an empty replacement.
TEST_F(SaveTest, NothingIsWrittenWhenAnyChangeFailsItsCheck) {
    const std::string before = firmware();
    const std::function<void()> faults[] = {
        [&] {
            ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 10, 0, "PICTURE", error));
            std::filesystem::remove(ws.changes.ImageChanges[0].FileName);
        },
        [&] { ws.changes.AppendStringChange(62, "TOO LONG"); },
        [&] { ws.changes.AppendLinkChange(2, 1, 7); },
        [&] { ASSERT_TRUE(ws.changes.AppendSoundChange(ws.tempDir, 10, "", error)); },
    };
    for (const auto& fault : faults) {
        ws.changes.clear();
        dialogs.shown.clear();
        ws.changes.AppendStringChange(0, "OK");
        fault();
        EXPECT_FALSE(SaveAllChanges(ws, dialogs));
        ASSERT_TRUE(dialogs.showedText());
        EXPECT_EQ(PendingChangesProblem(ws), dialogs.shown.back().text);
        EXPECT_EQ(firmware(), before);
    }
    EXPECT_NE(dialogs.shown.back().text.find("is empty"), std::string::npos);
}

TEST_F(SaveTest, TheFirstSaveKeepsTheBytesEachChangeReplaces) {
    const std::string before = firmware();
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 8, 0, "PICTURE", error));
    ws.changes.AppendStringChange(10, "s"); // inside the picture: both keep the firmware's bytes
    ws.changes.AppendLinkChange(24, 0x11223344, 0x00100020);
    ASSERT_TRUE(SaveAllChanges(ws, dialogs));
    const PendingChanges& c = ws.changes;
    EXPECT_EQ(ReadWholeFile(c.ImageChanges[0].OriginalFile), before.substr(8, 7));
    EXPECT_EQ(ReadWholeFile(c.StringChanges[0].OriginalFile), before.substr(10, 1));
    EXPECT_EQ(ReadWholeFile(c.LinkChanges[0].OriginalFile), before.substr(20, 8));
    // A second save keeps what the first one kept; every kept file is a temporary file.
    ASSERT_TRUE(SaveAllChanges(ws, dialogs));
    EXPECT_EQ(ReadWholeFile(c.ImageChanges[0].OriginalFile), before.substr(8, 7));
    EXPECT_EQ(ws.changes.temporaryFiles().size(), 4u);
    const std::string kept = c.StringChanges[0].OriginalFile;
    ASSERT_TRUE(ws.OpenFirmware(path, dialogs));
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST_F(SaveTest, QuestionsGuardSavingAndClosing) {
    ws.changes.AppendStringChange(0, "XY");
    ASSERT_TRUE(ws.changes.AppendImageChange(ws.tempDir, 10, 0, "PIC", error));
    const std::string temp = ws.changes.ImageChanges[0].FileName;
    const std::string before = firmware();

    SaveAllChangesAsked(ws, dialogs); // the queue is empty: the answer is No
    EXPECT_EQ(dialogs.numbers(), std::vector<int>{11});
    EXPECT_EQ(firmware(), before);

    // Closing: Cancel (also what Escape answers) keeps the firmware, the changes and the files.
    EXPECT_FALSE(CloseFirmware(ws, dialogs));
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{11, 11}));
    EXPECT_EQ(dialogs.shown.back().kind, 'c');
    EXPECT_TRUE(ws.FwIsOpen() && std::filesystem::exists(temp));
    EXPECT_EQ(ws.changes.total(), 2u);

    // A save whose writes fail says why and keeps the lists; so does closing with Yes.
    ASSERT_TRUE(ws.firmware.open(path, error, false)); // read-only: every write fails
    EXPECT_FALSE(SaveAllChanges(ws, dialogs));
    EXPECT_TRUE(dialogs.showedText());
    dialogs.shown.clear();
    dialogs.choices.push_back(Dialogs::Answer::Yes);
    EXPECT_FALSE(CloseFirmware(ws, dialogs));
    EXPECT_TRUE(dialogs.showedText());
    EXPECT_TRUE(ws.FwIsOpen());
    EXPECT_EQ(ws.changes.total(), 2u);
    EXPECT_TRUE(std::filesystem::exists(temp));

    ASSERT_TRUE(ws.firmware.open(path, error));
    dialogs.choices.push_back(Dialogs::Answer::No); // nothing written, temporary files deleted
    EXPECT_TRUE(CloseFirmware(ws, dialogs));
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_FALSE(std::filesystem::exists(temp));
    EXPECT_FALSE(ws.FwIsOpen());

    Workspace fresh; // never opened: closing asks nothing, saving does nothing
    ScriptedDialogs quiet;
    SaveAllChangesAsked(fresh, quiet);
    EXPECT_TRUE(CloseFirmware(fresh, quiet));
    EXPECT_TRUE(quiet.shown.empty());
}

TEST_F(SaveTest, RemovedChangesTakeTheirFilesAndLaterNamesStayUnique) {
    PendingChanges& c = ws.changes;
    ASSERT_TRUE(c.AppendImageChange(ws.tempDir, 0, 0, "A", error));
    ASSERT_TRUE(c.AppendImageChange(ws.tempDir, 8, 0, "B", error));
    ASSERT_TRUE(c.AppendSoundChange(ws.tempDir, 16, "S", error));
    c.AppendStringChange(24, "X");
    c.AppendStringChange(28, "Y");
    const std::string image0 = c.ImageChanges[0].FileName;
    const std::string image1 = c.ImageChanges[1].FileName;
    const std::string sound0 = c.SoundChanges[0].FileName;

    EXPECT_EQ(c.remove({{ChangeList::Images, 0},
                        {ChangeList::Strings, 0},
                        {ChangeList::Strings, 0},
                        {ChangeList::Sounds, 0},
                        {ChangeList::Links, 3}}),
              3u)
        << "a position named twice or not in the list is no change";
    EXPECT_FALSE(std::filesystem::exists(image0));
    EXPECT_FALSE(std::filesystem::exists(sound0));
    ASSERT_EQ(c.StringChanges.size(), 1u);
    EXPECT_EQ(c.StringChanges[0].Text, "Y");
    ASSERT_EQ(c.ImageChanges.size(), 1u);
    EXPECT_EQ(c.ImageChanges[0].FileName, image1);

    // One picture is left: the next one must not take the name of the live Image1.tmp.
    ASSERT_TRUE(c.AppendImageChange(ws.tempDir, 32, 0, "C", error));
    EXPECT_EQ(std::filesystem::path(c.ImageChanges[1].FileName).filename(), "Image2.tmp");
    EXPECT_EQ(ReadWholeFile(image1), "B");
    ASSERT_TRUE(c.AppendSoundChange(ws.tempDir, 40, "T", error));
    EXPECT_EQ(std::filesystem::path(c.SoundChanges[0].FileName).filename(), "Snd_1.tmp");

    ASSERT_TRUE(SaveAllChanges(ws, dialogs));
    const std::string fw = firmware();
    for (uint32_t removed : {0u, 16u, 24u})
        EXPECT_EQ(fw[removed], '\xEE') << "removed change at " << removed << " was written";
    for (auto [at, byte] :
         std::vector<std::pair<size_t, char>>{{8, 'B'}, {28, 'Y'}, {32, 'C'}, {40, 'T'}})
        EXPECT_EQ(fw[at], byte) << at;
}

TEST_F(SaveTest, OpeningAnotherFirmwareDiscardsChangesAndARefusedOpenKeepsEverything) {
    ws.changes.AppendStringChange(0, "XY");
    ws.SearchPos = 40;
    WriteWholeFile(dir.file("empty.bin"), "");
    for (const char* refused : {"missing.bin", "empty.bin"}) {
        dialogs.shown.clear();
        EXPECT_FALSE(ws.OpenFirmware(dir.file(refused), dialogs)) << refused;
        EXPECT_TRUE(dialogs.showedText());
        EXPECT_EQ(ws.firmware.path(), path);
        EXPECT_EQ(ws.changes.total(), 1u);
        EXPECT_EQ(ws.SearchPos, 40u);
    }

    const std::string second = FirmwareBuilder(32, 0).write(dir.file("second.bin"));
    ASSERT_TRUE(ws.OpenFirmware(second, dialogs));
    EXPECT_EQ(ws.FwSize(), 32);
    EXPECT_EQ(ws.changes.total(), 0u);
    EXPECT_EQ(ws.SearchPos, 0u);
    EXPECT_TRUE(SaveAllChanges(ws, dialogs));
    EXPECT_EQ(ReadWholeFile(second), std::string(32, '\0'));
}
